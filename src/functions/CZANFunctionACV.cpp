#include "functions/CZANFunctionACV.h"
#include "functions/MenuOption.h"

#include "functions/ReadingFormat.h"
#include "platform/Clock.h"
#include "scpi/Commands.h"

using voltora::platform::SleepMs;

namespace {

constexpr MenuOption kRangeOptions[] = {
    {"200mV", CZANFunctionACV::kRange200mV}, {"2V", CZANFunctionACV::kRange2V},
    {"20V", CZANFunctionACV::kRange20V},     {"200V", CZANFunctionACV::kRange200V},
    {"750V", CZANFunctionACV::kRange750V},
};
constexpr MenuOption kSpeedOptions[] = {
    {"Slow", CZANFunctionACV::kSpeedSlow},
    {"Middle", CZANFunctionACV::kSpeedMiddle},
    {"Fast", CZANFunctionACV::kSpeedFast},
};

constexpr double kRelLimit = 1200.0;

}  // namespace

CZANFunctionACV::CZANFunctionACV(IFrontPanel* panel) : CZANFunction(panel, "AC Voltage")
{
}

CZANFunctionACV::~CZANFunctionACV()
{
    StopWorker();
}

void CZANFunctionACV::Initialise()
{
    CZANFunction::Initialise();

    AddMenuItem(kRangeItem, 0, "", "Range", "Auto", "", "", kPlainItem);
    AddMenuItem(kSpeedItem, 1, "", "Speed", "Slow", "", "", kPlainItem);
    AddMenuItem(kRelItem, 4, "", "Rel", "", "On", "Off", kLeftRightItem);
    AddMenuItem(kRangeAuto, 0, "Auto", "", "", "", "", kPlainItem);
    AddMenuItem(kRange200mV, 1, "200mV", "", "", "", "", kPlainItem);
    AddMenuItem(kRange2V, 2, "2V", "", "", "", "", kPlainItem);
    AddMenuItem(kRange20V, 3, "20V", "", "", "", "", kPlainItem);
    AddMenuItem(kRange200V, 4, "200V", "", "", "", "", kPlainItem);
    AddMenuItem(kRange750V, 5, "750V", "", "", "", "", kPlainItem);
    AddMenuItem(kSpeedSlow, 0, "Slow", "", "", "", "", kPlainItem);
    AddMenuItem(kSpeedMiddle, 1, "Middle", "", "", "", "", kPlainItem);
    AddMenuItem(kSpeedFast, 2, "Fast", "", "", "", "", kPlainItem);

    StartWorker();
    readingText = "$INIT$";
    SetRangeMode("Manual");
    unit = "VAC";
    unitPrefix = " ";
    SetRangeText("200mV");
    speed = "Slow";
    mathInfo.available = 1;

    RegisterSetting("Rel", [this] { ApplyRel(); });
    RegisterSetting("Range", [this] { ApplyRange(); });
    RegisterSetting("Speed", [this] { ApplySpeed(); });
}

void CZANFunctionACV::LoadSettings()
{
    rangeMode = QueryVoltAcRangeAuto();
    std::string label;
    QueryVoltAcRange(label);
    SetRangeText(label);
    speed = QueryVoltAcSpeed();
    relState = QueryVoltAcNull();
    relValue = QueryVoltAcNullValue();
    LoadMathInfo();
    CZANFunction::LoadSettings();
}

void CZANFunctionACV::Activate()
{
    int rangeOption = 0;
    if (rangeMode == "Auto") {
        Item(kRangeItem)->SetValue("Auto");
        rangeOption = kRangeAuto;
    } else {
        const std::string range = rangeText.Get();
        Item(kRangeItem)->SetValue(range);
        rangeOption = MenuOptionFor(kRangeOptions, range);
    }
    if (rangeOption != 0) {
        SelectOption(kRangeAuto, kRange750V, rangeOption);
    }

    const std::string currentSpeed = speed.Get();
    Item(kSpeedItem)->SetValue(currentSpeed);
    if (const int speedOption = MenuOptionFor(kSpeedOptions, currentSpeed)) {
        SelectOption(kSpeedSlow, kSpeedFast, speedOption);
    }

    Item(kRelItem)->ShowLeftRight(relState.Get());
    ShowRootPage();
    if (Panel() != nullptr) {
        Panel()->SetViewsUnit("V");
    }
}

void CZANFunctionACV::ShowRootPage()
{
    ShowPage({kRangeItem, kSpeedItem, kRelItem});
}

void CZANFunctionACV::OnMenuItem(int id)
{
    switch (id) {
    case kRangeItem:
        ShowPage({kRangeAuto, kRange200mV, kRange2V, kRange20V, kRange200V, kRange750V});
        return;
    case kSpeedItem:
        ShowPage({kSpeedSlow, kSpeedMiddle, kSpeedFast});
        return;
    case kRelItem:
        relState = Item(kRelItem)->ChosenLeftRight();
        MarkPending("Rel");
        return;
    default:
        break;
    }
    if (id >= kRangeAuto && id <= kRange750V) {
        SelectOption(kRangeAuto, kRange750V, id);
        Item(kRangeItem)->SetValue(Item(id)->GetCaption());
        ShowRootPage();
        // rangeText changes only when the worker applies the range.
        SetRangeMode(id == kRangeAuto ? "Auto" : "Manual");
        MarkPending("Range");
    } else if (id >= kSpeedSlow && id <= kSpeedFast) {
        SelectOption(kSpeedSlow, kSpeedFast, id);
        const std::string caption = Item(id)->GetCaption();
        Item(kSpeedItem)->SetValue(caption);
        ShowRootPage();
        speed = caption;
        MarkPending("Speed");
    }
}

// ---- Apply handlers (worker, lock held) ---------------------------------------------

void CZANFunctionACV::ApplyRange()
{
    if (rangeMode == "Auto") {
        SetVoltAcRange("Auto");
    } else {
        SetRangeText(Item(kRangeItem)->GetValue());
        SetVoltAcRange(rangeText.Get());
        PostPanelMessage(WM_PANEL_DISPLAY);
    }
    SleepMs(300);
}

void CZANFunctionACV::ApplySpeed()
{
    SetVoltAcSpeed(speed.Get());
    SleepMs(100);
}

void CZANFunctionACV::ApplyRel()
{
    ApplyRelWith(SetVoltAcNull, QueryVoltAcNull, QueryVoltAcNullValue, kRelItem);
}

// ---- Readings and texts -----------------------------------------------------------------

bool CZANFunctionACV::FetchReading()
{
    return FetchReadingWith(QueryMeasurement);
}

bool CZANFunctionACV::UpdateAutoRange()
{
    std::string label;
    QueryVoltAcRange(label);
    if (label.empty()) {
        return false;
    }
    SetRangeText(label);
    return true;
}

std::string CZANFunctionACV::GetValueText()
{
    const std::string reading = readingText.Get();
    if (reading == "Overload" || reading == "$INIT$") {
        return reading;
    }
    if (mathInfo.mode != 0) {
        return FormatScaledReading(reading, mathInfo);
    }
    ReadingFormat format;
    format.valueText = reading;
    format.rangeText = rangeText.Get();
    const std::string currentSpeed = speed.Get();
    format.digits = (currentSpeed == "Fast" || currentSpeed == "Middle") ? 7 : 8;
    FormatReading(format);
    unitPrefix = format.prefix;
    return format.signedText;
}

std::string CZANFunctionACV::GetUnitText()
{
    const std::string reading = readingText.Get();
    if (reading == "Overload" || reading == "$INIT$") {
        return unit;
    }
    if (mathInfo.mode != 0) {
        return mathInfo.prefix + mathInfo.unitText;
    }
    return unitPrefix.Get() + unit;
}

std::string CZANFunctionACV::GetRangeModeText()
{
    return rangeMode.Get();
}

void CZANFunctionACV::SetRangeMode(const std::string& text)
{
    rangeMode = text;
}

void CZANFunctionACV::SetRangeText(const std::string& text)
{
    rangeText = text;
    unitPrefix = text.find("mV") != std::string::npos ? "m" : " ";
}

std::string CZANFunctionACV::GetRangeText()
{
    return rangeText.Get();
}

std::string CZANFunctionACV::GetBaseUnit()
{
    return "V";
}

// ---- Relative value and dB/dBm -------------------------------------------------------

void CZANFunctionACV::SetRelValue(const std::string& text)
{
    SendRelValue(text, -kRelLimit, kRelLimit, SetVoltAcNullValue, QueryVoltAcNullValue);
}

bool CZANFunctionACV::LoadMathInfo()
{
    return LoadScaleInfo(mathInfo);
}

MathInfo CZANFunctionACV::GetMathInfo()
{
    return mathInfo;
}

void CZANFunctionACV::SetMathMode(int state)
{
    SendScaleSetting(SetScaleState, state, mathInfo.mode);
}

void CZANFunctionACV::SetMathUnitText(const std::string& text)
{
    // The views keep their unit text until the next function or math-mode
    // change; only DC voltage passes the scale unit on at once.
    SendScaleFunction(mathInfo, text, false);
}

void CZANFunctionACV::SetMathDbReference(int reference)
{
    SendScaleSetting(SetDbReference, reference, mathInfo.dbReference);
}

void CZANFunctionACV::SetMathDbmReference(int reference)
{
    SendScaleSetting(SetDbmReference, reference, mathInfo.dbmReference);
}

void CZANFunctionACV::SetMathReferenceAuto(int state)
{
    SendScaleSetting(SetScaleReferenceAuto, state, mathInfo.referenceAuto);
}

void CZANFunctionACV::StartWorker()
{
    StartWorkerOfKind(WorkerKind::Standard);
}
