#include "functions/CZANFunctionCont.h"

#include "platform/CNumbers.h"
#include "platform/Clock.h"
#include "scpi/Commands.h"

using voltora::platform::SleepMs;

namespace {

constexpr int kThresholdLimit = 2000;  // ohm
// Added to a reading's magnitude before it is written with one decimal: the
// single-precision value of 0.05.
constexpr double kHalfStep = static_cast<double>(0.05f);

}  // namespace

CZANFunctionCont::CZANFunctionCont(IFrontPanel* panel)
    : CZANFunction(panel, "Continuity"), entry("$OHM$", kThresholdLimit)
{
}

CZANFunctionCont::~CZANFunctionCont()
{
    StopWorker();
}

void CZANFunctionCont::Initialise()
{
    CZANFunction::Initialise();

    AddMenuItem(kBeeperItem, 0, "", "Beeper", "", "On", "Off", kLeftRightItem);
    AddMenuItem(kThresholdItem, 1, "Threshold", "", "", "", "", kPlainItem);

    StartWorker();
    readingText = "open";
    beeper = "On";
    threshold = entry.Text(50);
    unit = "$OHM$";

    RegisterSetting("Beeper", [this] { ApplyBeeper(); });
    RegisterSetting("Threshold", [this] { ApplyThreshold(); });
}

void CZANFunctionCont::LoadSettings()
{
    beeper = QueryBeeper();
    threshold = QueryContinuityThreshold() + " $OHM$";
    CZANFunction::LoadSettings();
}

void CZANFunctionCont::Activate()
{
    Item(kBeeperItem)->ShowLeftRight(beeper.Get());
    ShowPage({kBeeperItem, kThresholdItem});
    if (Panel() != nullptr) {
        Panel()->SetViewsUnit("$OHM$");
    }
}

void CZANFunctionCont::OnMenuItem(int id)
{
    // The Threshold key only opens the entry, which is always shown.
    if (id == kBeeperItem) {
        beeper = Item(kBeeperItem)->ChosenLeftRight();
        MarkPending("Beeper");
    }
}

void CZANFunctionCont::PressKey(int key)
{
    CZANFunction::PressKey(key);
    std::string text = threshold.Get();
    if (entry.PressArrow(key, text)) {
        threshold = text;
        MarkPending("Threshold");
    }
}

// ---- Apply handlers (worker, lock held) ---------------------------------------------

void CZANFunctionCont::ApplyBeeper()
{
    SetBeeper(beeper.Get());
    SleepMs(100);
}

void CZANFunctionCont::ApplyThreshold()
{
    // The four digits after the sign ("+0050 $OHM$" sends 0050). A text
    // without them (the read-back failed and no edit replaced it) is not sent.
    const std::string text = threshold.Get();
    if (voltora::functions::ThresholdEntry::HasDigits(text)) {
        SetContinuityThreshold(text.substr(1, 4));
    }
}

// ---- Readings and texts -----------------------------------------------------------------

bool CZANFunctionCont::FetchReading()
{
    return FetchReadingWith(QueryContinuityReading);
}

std::string CZANFunctionCont::GetValueText()
{
    const std::string reading = readingText.Get();
    if (reading == "open" || reading == "$INIT$") {
        return reading;
    }
    double x = voltora::platform::CAtof(reading);
    if (x > 0) {
        x += kHalfStep;
    } else if (x < 0) {
        x -= kHalfStep;
    }
    std::string text = voltora::platform::CFormat("%.1f", x);
    if (x > 0 && text.find('+') == std::string::npos) {
        text.insert(0, "+");
    }
    return text;
}

std::string CZANFunctionCont::GetUnitText()
{
    return unit;
}

std::string CZANFunctionCont::GetBaseUnit()
{
    return "$OHM$";
}

std::string CZANFunctionCont::GetRangeModeText()
{
    return {};
}

bool CZANFunctionCont::UpdateAutoRange()
{
    return true;
}

void CZANFunctionCont::SetRangeText(const std::string&)
{
}

std::string CZANFunctionCont::GetRangeText()
{
    return {};
}

void CZANFunctionCont::SetRelValue(const std::string&)
{
}

// ---- Numeric entry ----------------------------------------------------------------------

bool CZANFunctionCont::IsEntryActive()
{
    return true;
}

std::string CZANFunctionCont::GetEntryText()
{
    return threshold.Get();
}

int CZANFunctionCont::GetEntryCursor()
{
    return entry.Cursor();
}

void CZANFunctionCont::GetEntryRect(PanelRect& rect)
{
    rect = PanelRect{108, 207, 216, 225};
}

void CZANFunctionCont::StartWorker()
{
    StartWorkerOfKind(WorkerKind::Continuity);
}
