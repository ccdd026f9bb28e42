#include "functions/CZANFunction.h"

#include "platform/Atomic.h"
#include "platform/Clock.h"

#include <utility>

const MathInfo& DefaultMathInfo()
{
    static const MathInfo info;
    return info;
}

CZANFunction::CZANFunction(IFrontPanel* panel, std::string displayName)
    : name(std::move(displayName)),
      panel(panel),
      elapsedOrigin(voltora::platform::ProcessClockMs())
{
}

CZANFunction::~CZANFunction()
{
    StopWorker();
}

// ---- Base versions of the virtual operations --------------------------------

void CZANFunction::Initialise()
{
    workerArgument = WorkerArgument{panel, this, &lock};
    running = true;
    pauseRequested = false;
    relState = "Off";
    relValue = "0.000";
}

bool CZANFunction::FetchReading()
{
    return true;
}

void CZANFunction::ApplyPendingSettings()
{
    // The maps keep their structure after Initialise, so walking them here
    // while the user-interface thread adds to a counter needs no lock.
    for (auto& [key, counter] : pendingCounts) {
        if (counter.count.load() <= 0) {
            continue;
        }
        const auto handler = applyHandlers.find(key);
        if (handler != applyHandlers.end() && handler->second) {
            handler->second();
        }
        voltora::platform::AtomicAdd32(counter.count, -1);
    }
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
    if (CZANMenuItem* item = GetSoftKeyItem(key)) {
        item->Press();
    }
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

void CZANFunction::GetEntryRect(PanelRect&)
{
}

// ---- Menu ------------------------------------------------------------------------

void CZANFunction::AddMenuItem(int id, int key, const std::string& caption,
                               const std::string& itemName, const std::string& value,
                               const std::string& leftValue, const std::string& rightValue,
                               int kind)
{
    // An item added again under its id is overwritten in place, so a page
    // that shows it keeps a valid entry.
    auto [it, inserted] = items.try_emplace(id, id, key, this, kind);
    (void)inserted;
    it->second.Assign(key, kind, caption, itemName, value, leftValue, rightValue);
}

void CZANFunction::ShowPage(int count, const int* ids)
{
    page.clear();
    for (int i = 0; i < count; ++i) {
        if (CZANMenuItem* item = Item(ids[i])) {
            page[item->GetKey()] = item;
        }
    }
}

void CZANFunction::ShowPage(std::initializer_list<int> ids)
{
    ShowPage(static_cast<int>(ids.size()), ids.begin());
}

void CZANFunction::SelectOption(int firstId, int lastId, int id)
{
    for (int option = firstId; option <= lastId; ++option) {
        CZANMenuItem* item = Item(option);
        if (item != nullptr && item->IsHighlighted()) {
            item->SetHighlighted(false);
            break;
        }
    }
    if (CZANMenuItem* chosen = Item(id)) {
        chosen->SetHighlighted(true);
    }
}

CZANMenuItem* CZANFunction::Item(int id)
{
    const auto it = items.find(id);
    return it == items.end() ? nullptr : &it->second;
}

std::vector<int> CZANFunction::ItemIds() const
{
    std::vector<int> ids;
    ids.reserve(items.size());
    for (const auto& entry : items) {
        ids.push_back(entry.first);
    }
    return ids;
}

CZANMenuItem* CZANFunction::GetSoftKeyItem(int key)
{
    const auto it = page.find(key);
    return it == page.end() ? nullptr : it->second;
}

std::string CZANFunction::GetSoftKeyCaption(int key)
{
    const CZANMenuItem* item = GetSoftKeyItem(key);
    return item == nullptr ? std::string() : item->GetCaption();
}

std::string CZANFunction::GetSoftKeyName(int key)
{
    const CZANMenuItem* item = GetSoftKeyItem(key);
    return item == nullptr ? std::string() : item->GetName();
}

std::string CZANFunction::GetSoftKeyValue(int key)
{
    const CZANMenuItem* item = GetSoftKeyItem(key);
    return item == nullptr ? std::string() : item->GetValue();
}

std::string CZANFunction::GetSoftKeyLeftValue(int key)
{
    const CZANMenuItem* item = GetSoftKeyItem(key);
    return item == nullptr ? std::string() : item->GetLeftValue();
}

std::string CZANFunction::GetSoftKeyRightValue(int key)
{
    const CZANMenuItem* item = GetSoftKeyItem(key);
    return item == nullptr ? std::string() : item->GetRightValue();
}

// ---- Pending settings ---------------------------------------------------------------

void CZANFunction::RegisterSetting(const std::string& key, ApplyHandler handler)
{
    pendingCounts.try_emplace(key);
    pendingCounts.at(key).count = 0;
    applyHandlers[key] = std::move(handler);
}

void CZANFunction::MarkPending(const std::string& key)
{
    // A key without a handler is never marked: the worker could not apply it.
    const auto it = pendingCounts.find(key);
    if (it != pendingCounts.end()) {
        voltora::platform::AtomicAdd32(it->second.count, 1);
    }
}

void CZANFunction::ClearPending()
{
    for (auto& entry : pendingCounts) {
        entry.second.count.store(0);
    }
}

int CZANFunction::GetPendingCount(const std::string& key) const
{
    const auto it = pendingCounts.find(key);
    return it == pendingCounts.end() ? 0 : it->second.count.load();
}

// ---- Statistics block ---------------------------------------------------------------

StatisticsBlock CZANFunction::GetStatistics() const
{
    std::lock_guard<std::mutex> guard(statisticsMutex);
    return statistics;
}

// ---- Pause guard ------------------------------------------------------------------------

CZANFunction::PauseGuard::PauseGuard(CZANFunction& function) : function(function)
{
    function.pauseRequested = true;
    function.lock.lock();
}

CZANFunction::PauseGuard::~PauseGuard()
{
    function.lock.unlock();
    function.pauseRequested = false;
}
