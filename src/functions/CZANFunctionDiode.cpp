#include "functions/CZANFunctionDiode.h"

#include "platform/CNumbers.h"
#include "platform/Clock.h"
#include "scpi/Commands.h"

using voltora::platform::SleepMs;

namespace {

constexpr int kThresholdLimit = 4000;  // mV
// The display shows a sign and five further characters of the reading.
constexpr std::size_t kValueLength = 7;

}  // namespace

CZANFunctionDiode::CZANFunctionDiode(IFrontPanel* panel)
    : CZANFunction(panel, "Diode"), entry("mV", kThresholdLimit)
{
}

CZANFunctionDiode::~CZANFunctionDiode()
{
    StopWorker();
}

void CZANFunctionDiode::Initialise()
{
    CZANFunction::Initialise();

    AddMenuItem(kBeeperItem, 0, "", "Beeper", "", "On", "Off", kLeftRightItem);
    AddMenuItem(kThresholdItem, 1, "Threshold", "", "", "", "", kPlainItem);

    StartWorker();
    readingText = "open";
    beeper = "On";
    unit = "VDC";
    threshold = entry.Text(2000);

    RegisterSetting("Beeper", [this] { ApplyBeeper(); });
    RegisterSetting("Threshold", [this] { ApplyThreshold(); });
}

void CZANFunctionDiode::LoadSettings()
{
    // The diode reads its own settings after the shared part.
    CZANFunction::LoadSettings();
    threshold = QueryDiodeThreshold() + " mV";
    beeper = QueryBeeper();
}

void CZANFunctionDiode::Activate()
{
    Item(kBeeperItem)->ShowLeftRight(beeper.Get());
    ShowPage({kBeeperItem, kThresholdItem});
    if (Panel() != nullptr) {
        Panel()->SetViewsUnit("V");
    }
}

void CZANFunctionDiode::OnMenuItem(int)
{
    // Either key sends the beeper state: the Threshold key sends it again
    // unchanged.
    beeper = Item(kBeeperItem)->ChosenLeftRight();
    MarkPending("Beeper");
}

void CZANFunctionDiode::PressKey(int key)
{
    CZANFunction::PressKey(key);
    std::string text = threshold.Get();
    if (entry.PressArrow(key, text)) {
        threshold = text;
        MarkPending("Threshold");
    }
}

// ---- Apply handlers (worker, lock held) ---------------------------------------------

void CZANFunctionDiode::ApplyBeeper()
{
    SetBeeper(beeper.Get());
    SleepMs(100);
}

void CZANFunctionDiode::ApplyThreshold()
{
    // The meter takes volts: "+2000 mV" sends 2.000000. A text without its
    // digits (the read-back failed and no edit replaced it) is not sent.
    const std::string text = threshold.Get();
    if (voltora::functions::ThresholdEntry::HasDigits(text)) {
        SetDiodeThreshold(voltora::platform::CFormat("%5f", voltora::platform::CAtof(text) / 1000.0));
    }
}

// ---- Readings and texts -----------------------------------------------------------------

bool CZANFunctionDiode::FetchReading()
{
    return FetchReadingWith(QueryContinuityReading);
}

std::string CZANFunctionDiode::GetValueText()
{
    const std::string reading = readingText.Get();
    if (reading == "open" || reading == "$INIT$") {
        return reading;
    }
    // Adding 0.0 turns a negative zero into zero, which takes the "+" sign
    // (printf would write "-0.000000000000" and the text would carry both signs).
    const double x = voltora::platform::CAtof(reading) + 0.0;
    std::string text = voltora::platform::CFormat("%.12f", x);
    if (x >= 0) {
        text.insert(0, "+");
    }
    return text.substr(0, kValueLength);
}

std::string CZANFunctionDiode::GetUnitText()
{
    return unit;
}

std::string CZANFunctionDiode::GetBaseUnit()
{
    return "V";
}

std::string CZANFunctionDiode::GetRangeModeText()
{
    return {};
}

bool CZANFunctionDiode::UpdateAutoRange()
{
    return true;
}

void CZANFunctionDiode::SetRangeText(const std::string&)
{
}

std::string CZANFunctionDiode::GetRangeText()
{
    return {};
}

void CZANFunctionDiode::SetRelValue(const std::string&)
{
}

// ---- Numeric entry ----------------------------------------------------------------------

bool CZANFunctionDiode::IsEntryActive()
{
    return true;
}

std::string CZANFunctionDiode::GetEntryText()
{
    return threshold.Get();
}

int CZANFunctionDiode::GetEntryCursor()
{
    return entry.Cursor();
}

void CZANFunctionDiode::GetEntryRect(PanelRect& rect)
{
    rect = PanelRect{108, 207, 216, 225};
}

void CZANFunctionDiode::StartWorker()
{
    StartWorkerOfKind(WorkerKind::Diode);
}
