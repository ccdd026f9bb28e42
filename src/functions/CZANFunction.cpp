#include "functions/CZANFunction.h"

#include "platform/Clock.h"

#include <span>
#include <utility>

using namespace voltora::functions;

const voltora::functions::MathInfo& voltora::functions::DefaultMathInfo()
{
    static const MathInfo info;
    return info;
}

CZANFunction::CZANFunction(IFrontPanel* frontPanel, std::string displayName)
    : name(std::move(displayName)),
      panel(frontPanel),
      menu(this),
      elapsedOrigin(voltora::platform::ProcessClockMs()),
      worker([this] { PostPanelMessage(WM_PANEL_READING); })
{
}

CZANFunction::~CZANFunction()
{
    StopWorker();
}

// ---- Base versions of the virtual operations --------------------------------

void CZANFunction::Initialise()
{
    worker.Arm();
    relState = "Off";
    relValue = "0.000";
}

bool CZANFunction::FetchReading()
{
    return true;
}

void CZANFunction::ApplyPendingSettings()
{
    pending.ApplyMarked();
}

void CZANFunction::SetReadingText(const std::string& text)
{
    readingText = text;
}

std::string CZANFunction::GetReadingText()
{
    return readingText.Get();
}

bool CZANFunction::UpdateAutoRange()
{
    return true;
}

void CZANFunction::Idle()
{
}

void CZANFunction::SetRelValue(const std::string&)
{
}

bool CZANFunction::LoadMathInfo()
{
    return true;
}

MathInfo CZANFunction::GetMathInfo()
{
    return DefaultMathInfo();
}

void CZANFunction::SetMathMode(int)
{
}

void CZANFunction::SetMathUnitText(const std::string&)
{
}

void CZANFunction::SetMathDbReference(int)
{
}

void CZANFunction::SetMathDbmReference(int)
{
}

void CZANFunction::SetMathReferenceAuto(int)
{
}

void CZANFunction::PressKey(int key)
{
    menu.PressSoftKey(key);
}

bool CZANFunction::IsEntryActive()
{
    return false;
}

std::string CZANFunction::GetEntryText()
{
    return {};
}

int CZANFunction::GetEntryCursor()
{
    return 0;
}

// ---- Menu ------------------------------------------------------------------------

void CZANFunction::AddMenuItem(int id, int key, const std::string& caption,
                               const std::string& itemName, const std::string& value,
                               const std::string& leftValue, const std::string& rightValue,
                               int kind)
{
    menu.Add({id, key, caption.c_str(), itemName.c_str(), value.c_str(), leftValue.c_str(),
              rightValue.c_str(), kind});
}

void CZANFunction::ShowPage(int count, const int* ids)
{
    menu.ShowPage(std::span<const int>(ids, static_cast<std::size_t>(count)));
}

void CZANFunction::ShowPage(std::initializer_list<int> ids)
{
    menu.ShowPage(std::span<const int>(ids.begin(), ids.size()));
}

void CZANFunction::SelectOption(int firstId, int lastId, int id)
{
    menu.SelectOption(firstId, lastId, id);
}

CZANMenuItem* CZANFunction::Item(int id)
{
    return menu.Item(id);
}

std::vector<int> CZANFunction::ItemIds() const
{
    return menu.ItemIds();
}

CZANMenuItem* CZANFunction::GetSoftKeyItem(int key)
{
    return menu.SoftKeyItem(key);
}

std::string CZANFunction::GetSoftKeyCaption(int key)
{
    return menu.SoftKeyCaption(key);
}

std::string CZANFunction::GetSoftKeyName(int key)
{
    return menu.SoftKeyName(key);
}

std::string CZANFunction::GetSoftKeyValue(int key)
{
    return menu.SoftKeyValue(key);
}

std::string CZANFunction::GetSoftKeyLeftValue(int key)
{
    return menu.SoftKeyLeftValue(key);
}

std::string CZANFunction::GetSoftKeyRightValue(int key)
{
    return menu.SoftKeyRightValue(key);
}

// ---- Pending settings ---------------------------------------------------------------

void CZANFunction::RegisterSetting(const std::string& key, ApplyHandler handler)
{
    pending.Register(key, std::move(handler));
}

void CZANFunction::MarkPending(const std::string& key)
{
    pending.Mark(key);
}

void CZANFunction::ClearPending()
{
    pending.Clear();
}

int CZANFunction::GetPendingCount(const std::string& key) const
{
    return pending.Count(key);
}

// ---- Statistics block ---------------------------------------------------------------

StatisticsBlock CZANFunction::GetStatistics() const
{
    std::lock_guard<std::mutex> guard(statisticsMutex);
    return statistics;
}
