#include "functions/CZANFunctionACI.h"
#include "functions/MenuOption.h"

#include "functions/ReadingFormat.h"
#include "platform/Clock.h"
#include "scpi/Commands.h"

using voltora::platform::SleepMs;

namespace {

constexpr MenuOption kRangeOptions[] = {
    {"20mA", CZANFunctionACI::kRange20mA},
    {"200mA", CZANFunctionACI::kRange200mA},
    {"2A", CZANFunctionACI::kRange2A},
    {"10A", CZANFunctionACI::kRange10A},
};
constexpr MenuOption kSpeedOptions[] = {
    {"Slow", CZANFunctionACI::kSpeedSlow},
    {"Middle", CZANFunctionACI::kSpeedMiddle},
    {"Fast", CZANFunctionACI::kSpeedFast},
};

constexpr double kRelLimit = 12.0;

}  // namespace

CZANFunctionACI::CZANFunctionACI(IFrontPanel* panel) : CZANFunction(panel, "AC Current")
{
}

CZANFunctionACI::~CZANFunctionACI()
{
    StopWorker();
}

void CZANFunctionACI::Initialise()
{
    CZANFunction::Initialise();

    AddMenuItem(kRangeItem, 0, "", "Range", "Auto", "", "", kPlainItem);
    AddMenuItem(kSpeedItem, 1, "", "Speed", "Slow", "", "", kPlainItem);
    AddMenuItem(kRelItem, 4, "", "Rel", "", "On", "Off", kLeftRightItem);
    AddMenuItem(kRangeAuto, 0, "Auto", "", "", "", "", kPlainItem);
    AddMenuItem(kRange20mA, 1, "20mA", "", "", "", "", kPlainItem);
    AddMenuItem(kRange200mA, 2, "200mA", "", "", "", "", kPlainItem);
    AddMenuItem(kRange2A, 3, "2A", "", "", "", "", kPlainItem);
    AddMenuItem(kRange10A, 4, "10A", "", "", "", "", kPlainItem);
    AddMenuItem(kSpeedSlow, 0, "Slow", "", "", "", "", kPlainItem);
    AddMenuItem(kSpeedMiddle, 1, "Middle", "", "", "", "", kPlainItem);
    AddMenuItem(kSpeedFast, 2, "Fast", "", "", "", "", kPlainItem);

    StartWorker();
    readingText = "$INIT$";
    SetRangeMode("Manual");
    unit = "AAC";
    unitPrefix = " ";
    SetRangeText("10A");
    speed = "Slow";

    RegisterSetting("Rel", [this] { ApplyRel(); });
    RegisterSetting("Range", [this] { ApplyRange(); });
    RegisterSetting("Speed", [this] { ApplySpeed(); });
}

void CZANFunctionACI::LoadSettings()
{
    rangeMode = QueryCurrAcRangeAuto();
    std::string label;
    QueryCurrAcRange(label);
    SetRangeText(label);
    speed = QueryCurrAcSpeed();
    relState = QueryCurrAcNull();
    relValue = QueryCurrAcNullValue();
    CZANFunction::LoadSettings();
}

void CZANFunctionACI::Activate()
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
        SelectOption(kRangeAuto, kRange10A, rangeOption);
    }

    const std::string currentSpeed = speed.Get();
    Item(kSpeedItem)->SetValue(currentSpeed);
    if (const int speedOption = MenuOptionFor(kSpeedOptions, currentSpeed)) {
        SelectOption(kSpeedSlow, kSpeedFast, speedOption);
    }

    Item(kRelItem)->ShowLeftRight(relState.Get());
    ShowRootPage();
    if (Panel() != nullptr) {
        Panel()->SetViewsUnit("A");
    }
}

void CZANFunctionACI::ShowRootPage()
{
    ShowPage({kRangeItem, kSpeedItem, kRelItem});
}

void CZANFunctionACI::OnMenuItem(int id)
{
    switch (id) {
    case kRangeItem:
        ShowPage({kRangeAuto, kRange20mA, kRange200mA, kRange2A, kRange10A});
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
    if (id >= kRangeAuto && id <= kRange10A) {
        SelectOption(kRangeAuto, kRange10A, id);
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

void CZANFunctionACI::ApplyRange()
{
    if (rangeMode == "Auto") {
        SetCurrAcRange("Auto");
    } else {
        SetRangeText(Item(kRangeItem)->GetValue());
        SetCurrAcRange(rangeText.Get());
        PostPanelMessage(WM_PANEL_DISPLAY);
    }
    SleepMs(300);
}

void CZANFunctionACI::ApplySpeed()
{
    SetCurrAcSpeed(speed.Get());
    SleepMs(100);
}

void CZANFunctionACI::ApplyRel()
{
    ApplyRelWith(SetCurrAcNull, QueryCurrAcNull, QueryCurrAcNullValue, kRelItem);
}

// ---- Readings and texts -----------------------------------------------------------------

bool CZANFunctionACI::FetchReading()
{
    return FetchReadingWith(QueryMeasurement);
}

bool CZANFunctionACI::UpdateAutoRange()
{
    std::string label;
    QueryCurrAcRange(label);
    if (label.empty()) {
        return false;
    }
    SetRangeText(label);
    return true;
}

std::string CZANFunctionACI::GetValueText()
{
    const std::string reading = readingText.Get();
    if (reading == "Overload" || reading == "$INIT$") {
        return reading;
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

std::string CZANFunctionACI::GetUnitText()
{
    const std::string reading = readingText.Get();
    if (reading == "Overload" || reading == "$INIT$") {
        return unit;
    }
    return unitPrefix.Get() + unit;
}

std::string CZANFunctionACI::GetRangeModeText()
{
    return rangeMode.Get();
}

void CZANFunctionACI::SetRangeMode(const std::string& text)
{
    rangeMode = text;
}

void CZANFunctionACI::SetRangeText(const std::string& text)
{
    rangeText = text;
    unitPrefix = text.find("mA") != std::string::npos ? "m" : " ";
}

std::string CZANFunctionACI::GetRangeText()
{
    return rangeText.Get();
}

std::string CZANFunctionACI::GetBaseUnit()
{
    return "A";
}

void CZANFunctionACI::SetRelValue(const std::string& text)
{
    SendRelValue(text, -kRelLimit, kRelLimit, SetCurrAcNullValue, QueryCurrAcNullValue);
}

void CZANFunctionACI::StartWorker()
{
    StartWorkerOfKind(WorkerKind::Standard);
}
