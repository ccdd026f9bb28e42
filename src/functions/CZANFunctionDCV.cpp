#include "functions/CZANFunctionDCV.h"
#include "functions/MenuOption.h"

#include "functions/ReadingFormat.h"
#include "platform/Clock.h"
#include "scpi/Commands.h"

using voltora::platform::SleepMs;

namespace {

constexpr MenuOption kRangeOptions[] = {
    {"200mV", CZANFunctionDCV::kRange200mV}, {"2V", CZANFunctionDCV::kRange2V},
    {"20V", CZANFunctionDCV::kRange20V},     {"200V", CZANFunctionDCV::kRange200V},
    {"1000V", CZANFunctionDCV::kRange1000V},
};
constexpr MenuOption kSpeedOptions[] = {
    {"Slow", CZANFunctionDCV::kSpeedSlow},
    {"Middle", CZANFunctionDCV::kSpeedMiddle},
    {"Fast", CZANFunctionDCV::kSpeedFast},
};

constexpr double kRelLimit = 1200.0;

}  // namespace

CZANFunctionDCV::CZANFunctionDCV(IFrontPanel* panel) : CZANFunction(panel, "DC Voltage")
{
}

CZANFunctionDCV::~CZANFunctionDCV()
{
    StopWorker();
}

void CZANFunctionDCV::Initialise()
{
    CZANFunction::Initialise();

    AddMenuItem(kRangeItem, 0, "", "Range", "Auto", "", "", kPlainItem);
    AddMenuItem(kSpeedItem, 1, "", "Speed", "Slow", "", "", kPlainItem);
    AddMenuItem(kFilterItem, 2, "", "Filter", "", "On", "Off", kLeftRightItem);
    AddMenuItem(kInputZItem, 3, "", "Input Z", "", "10M", "10G", kLeftRightItem);
    AddMenuItem(kRelItem, 4, "", "Rel", "", "On", "Off", kLeftRightItem);
    AddMenuItem(kRangeAuto, 0, "Auto", "", "", "", "", kPlainItem);
    AddMenuItem(kRange200mV, 1, "200mV", "", "", "", "", kPlainItem);
    AddMenuItem(kRange2V, 2, "2V", "", "", "", "", kPlainItem);
    AddMenuItem(kRange20V, 3, "20V", "", "", "", "", kPlainItem);
    AddMenuItem(kRange200V, 4, "200V", "", "", "", "", kPlainItem);
    AddMenuItem(kRange1000V, 5, "1000V", "", "", "", "", kPlainItem);
    AddMenuItem(kSpeedSlow, 0, "Slow", "", "", "", "", kPlainItem);
    AddMenuItem(kSpeedMiddle, 1, "Middle", "", "", "", "", kPlainItem);
    AddMenuItem(kSpeedFast, 2, "Fast", "", "", "", "", kPlainItem);

    StartWorker();
    readingText = "$INIT$";
    SetRangeMode("Manual");
    unit = "VDC";
    unitPrefix = " ";
    SetRangeText("200mV");
    speed = "Slow";
    mathInfo.available = 1;

    RegisterSetting("Rel", [this] { ApplyRel(); });
    RegisterSetting("Range", [this] { ApplyRange(); });
    RegisterSetting("Filter", [this] { ApplyFilter(); });
    RegisterSetting("InputZ", [this] { ApplyInputZ(); });
    RegisterSetting("Speed", [this] { ApplySpeed(); });
}

void CZANFunctionDCV::LoadSettings()
{
    rangeMode = QueryVoltDcRangeAuto();
    std::string label;
    QueryVoltDcRange(label);
    SetRangeText(label);
    speed = QueryVoltDcSpeed();
    filter = QueryVoltDcFilter();
    inputZ = QueryVoltDcImpedance();
    relState = QueryVoltDcNull();
    relValue = QueryVoltDcNullValue();
    LoadMathInfo();
    CZANFunction::LoadSettings();
}

void CZANFunctionDCV::Activate()
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
        SelectOption(kRangeAuto, kRange1000V, rangeOption);
    }

    const std::string currentSpeed = speed.Get();
    Item(kSpeedItem)->SetValue(currentSpeed);
    if (const int speedOption = MenuOptionFor(kSpeedOptions, currentSpeed)) {
        SelectOption(kSpeedSlow, kSpeedFast, speedOption);
    }

    Item(kFilterItem)->ShowLeftRight(filter.Get());
    Item(kInputZItem)->ShowLeftRight(inputZ.Get());
    Item(kRelItem)->ShowLeftRight(relState.Get());
    ShowRootPage();
    if (Panel() != nullptr) {
        Panel()->SetViewsUnit("V");
    }
}

void CZANFunctionDCV::ShowRootPage()
{
    const std::string range = rangeText.Get();
    if ((range == "200mV" || range == "2V") && rangeMode != "Auto") {
        ShowPage({kRangeItem, kSpeedItem, kFilterItem, kInputZItem, kRelItem});
    } else {
        ShowPage({kRangeItem, kSpeedItem, kFilterItem, kRelItem});
    }
}

void CZANFunctionDCV::OnMenuItem(int id)
{
    switch (id) {
    case kRangeItem:
        ShowPage({kRangeAuto, kRange200mV, kRange2V, kRange20V, kRange200V, kRange1000V});
        return;
    case kSpeedItem:
        ShowPage({kSpeedSlow, kSpeedMiddle, kSpeedFast});
        return;
    case kFilterItem:
        filter = Item(kFilterItem)->ChosenLeftRight();
        MarkPending("Filter");
        return;
    case kInputZItem:
        inputZ = Item(kInputZItem)->ChosenLeftRight();
        MarkPending("InputZ");
        return;
    case kRelItem:
        relState = Item(kRelItem)->ChosenLeftRight();
        MarkPending("Rel");
        return;
    default:
        break;
    }
    if (id >= kRangeAuto && id <= kRange1000V) {
        SelectOption(kRangeAuto, kRange1000V, id);
        Item(kRangeItem)->SetValue(Item(id)->GetCaption());
        // The page follows the chosen option; rangeText changes only when
        // the worker applies the range.
        if (id == kRange200mV || id == kRange2V) {
            ShowPage({kRangeItem, kSpeedItem, kFilterItem, kInputZItem, kRelItem});
        } else {
            ShowPage({kRangeItem, kSpeedItem, kFilterItem, kRelItem});
        }
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

void CZANFunctionDCV::ApplyRange()
{
    if (rangeMode == "Auto") {
        SetVoltDcRange("Auto");
    } else {
        SetRangeText(Item(kRangeItem)->GetValue());
        SetVoltDcRange(rangeText.Get());
        PostPanelMessage(WM_PANEL_DISPLAY);
    }
    SleepMs(300);
}

void CZANFunctionDCV::ApplyFilter()
{
    SetVoltDcFilter(filter.Get());
    SleepMs(100);
}

void CZANFunctionDCV::ApplyInputZ()
{
    SetVoltDcImpedance(inputZ.Get());
    SleepMs(100);
}

void CZANFunctionDCV::ApplySpeed()
{
    SetVoltDcSpeed(speed.Get());
    SleepMs(100);
}

void CZANFunctionDCV::ApplyRel()
{
    ApplyRelWith(SetVoltDcNull, QueryVoltDcNull, QueryVoltDcNullValue, kRelItem);
}

// ---- Readings and texts -----------------------------------------------------------------

bool CZANFunctionDCV::FetchReading()
{
    return FetchReadingWith(QueryMeasurement);
}

bool CZANFunctionDCV::UpdateAutoRange()
{
    std::string label;
    QueryVoltDcRange(label);
    if (label.empty()) {
        return false;
    }
    SetRangeText(label);
    return true;
}

std::string CZANFunctionDCV::GetValueText()
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

std::string CZANFunctionDCV::GetUnitText()
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

std::string CZANFunctionDCV::GetRangeModeText()
{
    return rangeMode.Get();
}

void CZANFunctionDCV::SetRangeMode(const std::string& text)
{
    rangeMode = text;
}

void CZANFunctionDCV::SetRangeText(const std::string& text)
{
    rangeText = text;
    unitPrefix = text.find("mV") != std::string::npos ? "m" : " ";
}

std::string CZANFunctionDCV::GetRangeText()
{
    return rangeText.Get();
}

std::string CZANFunctionDCV::GetBaseUnit()
{
    return "V";
}

// ---- Relative value and dB/dBm -------------------------------------------------------

void CZANFunctionDCV::SetRelValue(const std::string& text)
{
    SendRelValue(text, -kRelLimit, kRelLimit, SetVoltDcNullValue, QueryVoltDcNullValue);
}

bool CZANFunctionDCV::LoadMathInfo()
{
    return LoadScaleInfo(mathInfo);
}

MathInfo CZANFunctionDCV::GetMathInfo()
{
    return mathInfo;
}

void CZANFunctionDCV::SetMathMode(int state)
{
    SendScaleSetting(SetScaleState, state, mathInfo.mode);
}

void CZANFunctionDCV::SetMathUnitText(const std::string& text)
{
    SendScaleFunction(mathInfo, text, true);
}

void CZANFunctionDCV::SetMathDbReference(int reference)
{
    SendScaleSetting(SetDbReference, reference, mathInfo.dbReference);
}

void CZANFunctionDCV::SetMathDbmReference(int reference)
{
    SendScaleSetting(SetDbmReference, reference, mathInfo.dbmReference);
}

void CZANFunctionDCV::SetMathReferenceAuto(int state)
{
    SendScaleSetting(SetScaleReferenceAuto, state, mathInfo.referenceAuto);
}

void CZANFunctionDCV::StartWorker()
{
    StartWorkerOfKind(WorkerKind::Standard);
}
