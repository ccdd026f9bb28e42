#include "functions/CZANFunctionDCI.h"
#include "functions/MenuOption.h"

#include "functions/ReadingFormat.h"
#include "platform/Clock.h"
#include "scpi/Commands.h"

using voltora::platform::SleepMs;

namespace {

// The manual ranges; "2A" and "10A" sit on the second range page.
constexpr MenuOption kRangeOptions[] = {
    {"200uA", CZANFunctionDCI::kRange200uA}, {"2mA", CZANFunctionDCI::kRange2mA},
    {"20mA", CZANFunctionDCI::kRange20mA},   {"200mA", CZANFunctionDCI::kRange200mA},
    {"2A", CZANFunctionDCI::kRange2A},       {"10A", CZANFunctionDCI::kRange10A},
};
constexpr MenuOption kSpeedOptions[] = {
    {"Slow", CZANFunctionDCI::kSpeedSlow},
    {"Middle", CZANFunctionDCI::kSpeedMiddle},
    {"Fast", CZANFunctionDCI::kSpeedFast},
};

constexpr double kRelLimit = 12.0;

}  // namespace

CZANFunctionDCI::CZANFunctionDCI(IFrontPanel* panel) : CZANFunction(panel, "DC Current")
{
}

CZANFunctionDCI::~CZANFunctionDCI()
{
    StopWorker();
}

void CZANFunctionDCI::Initialise()
{
    CZANFunction::Initialise();

    AddMenuItem(kRangeItem, 0, "", "Range", "Auto", "", "", kPlainItem);
    AddMenuItem(kSpeedItem, 1, "", "Speed", "Middle", "", "", kPlainItem);
    AddMenuItem(kFilterItem, 2, "", "Filter", "", "On", "Off", kLeftRightItem);
    AddMenuItem(kRelItem, 4, "", "Rel", "", "On", "Off", kLeftRightItem);
    AddMenuItem(kRangeAuto, 0, "Auto", "", "", "", "", kPlainItem);
    AddMenuItem(kRange200uA, 1, "200uA", "", "", "", "", kPlainItem);
    AddMenuItem(kRange2mA, 2, "2mA", "", "", "", "", kPlainItem);
    AddMenuItem(kRange20mA, 3, "20mA", "", "", "", "", kPlainItem);
    AddMenuItem(kRange200mA, 4, "200mA", "", "", "", "", kPlainItem);
    AddMenuItem(kRangeOther, 5, "other->", "", "", "", "", kPlainItem);
    AddMenuItem(kRange2A, 0, "2A", "", "", "", "", kPlainItem);
    AddMenuItem(kRange10A, 1, "10A", "", "", "", "", kPlainItem);
    AddMenuItem(kRangeBack, 2, "<-other", "", "", "", "", kPlainItem);
    AddMenuItem(kSpeedSlow, 0, "Slow", "", "", "", "", kPlainItem);
    AddMenuItem(kSpeedMiddle, 1, "Middle", "", "", "", "", kPlainItem);
    AddMenuItem(kSpeedFast, 2, "Fast", "", "", "", "", kPlainItem);

    StartWorker();
    readingText = "$INIT$";
    SetRangeMode("Manual");
    unit = "ADC";
    unitPrefix = " ";
    SetRangeText("10A");
    speed = "Slow";

    RegisterSetting("Rel", [this] { ApplyRel(); });
    RegisterSetting("Range", [this] { ApplyRange(); });
    RegisterSetting("Filter", [this] { ApplyFilter(); });
    RegisterSetting("Speed", [this] { ApplySpeed(); });
}

void CZANFunctionDCI::LoadSettings()
{
    rangeMode = QueryCurrDcRangeAuto();
    std::string label;
    QueryCurrDcRange(label);
    SetRangeText(label);
    speed = QueryCurrDcSpeed();
    filter = QueryCurrDcFilter();
    relState = QueryCurrDcNull();
    relValue = QueryCurrDcNullValue();
    CZANFunction::LoadSettings();
}

void CZANFunctionDCI::Activate()
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

    Item(kFilterItem)->ShowLeftRight(filter.Get());
    Item(kRelItem)->ShowLeftRight(relState.Get());
    ShowRootPage();
    if (Panel() != nullptr) {
        Panel()->SetViewsUnit("A");
    }
}

void CZANFunctionDCI::ShowRootPage()
{
    ShowPage({kRangeItem, kSpeedItem, kFilterItem, kRelItem});
}

void CZANFunctionDCI::ShowFirstRangePage()
{
    ShowPage({kRangeAuto, kRange200uA, kRange2mA, kRange20mA, kRange200mA, kRangeOther});
}

void CZANFunctionDCI::OnMenuItem(int id)
{
    switch (id) {
    case kRangeItem:
    case kRangeBack:
        ShowFirstRangePage();
        return;
    case kRangeOther:
        // Only turns the page: nothing is chosen or marked.
        ShowPage({kRange2A, kRange10A, kRangeBack});
        return;
    case kSpeedItem:
        ShowPage({kSpeedSlow, kSpeedMiddle, kSpeedFast});
        return;
    case kFilterItem:
        filter = Item(kFilterItem)->ChosenLeftRight();
        MarkPending("Filter");
        return;
    case kRelItem:
        relState = Item(kRelItem)->ChosenLeftRight();
        MarkPending("Rel");
        return;
    default:
        break;
    }
    if ((id >= kRangeAuto && id <= kRange200mA) || id == kRange2A || id == kRange10A) {
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

void CZANFunctionDCI::ApplyRange()
{
    if (rangeMode == "Auto") {
        SetCurrDcRange("Auto");
    } else {
        SetRangeText(Item(kRangeItem)->GetValue());
        SetCurrDcRange(rangeText.Get());
        PostPanelMessage(WM_PANEL_DISPLAY);
    }
    SleepMs(300);
}

void CZANFunctionDCI::ApplyFilter()
{
    SetCurrDcFilter(filter.Get());
    SleepMs(100);
}

void CZANFunctionDCI::ApplySpeed()
{
    SetCurrDcSpeed(speed.Get());
    SleepMs(100);
}

void CZANFunctionDCI::ApplyRel()
{
    ApplyRelWith(SetCurrDcNull, QueryCurrDcNull, QueryCurrDcNullValue, kRelItem);
}

// ---- Readings and texts -----------------------------------------------------------------

bool CZANFunctionDCI::FetchReading()
{
    return FetchReadingWith(QueryMeasurement);
}

bool CZANFunctionDCI::UpdateAutoRange()
{
    std::string label;
    QueryCurrDcRange(label);
    if (label.empty()) {
        return false;
    }
    SetRangeText(label);
    return true;
}

std::string CZANFunctionDCI::GetValueText()
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

std::string CZANFunctionDCI::GetUnitText()
{
    const std::string reading = readingText.Get();
    if (reading == "Overload" || reading == "$INIT$") {
        return unit;
    }
    return unitPrefix.Get() + unit;
}

std::string CZANFunctionDCI::GetRangeModeText()
{
    return rangeMode.Get();
}

void CZANFunctionDCI::SetRangeMode(const std::string& text)
{
    rangeMode = text;
}

void CZANFunctionDCI::SetRangeText(const std::string& text)
{
    rangeText = text;
    if (text.find("uA") != std::string::npos) {
        unitPrefix = "u";
    } else if (text.find("mA") != std::string::npos) {
        unitPrefix = "m";
    } else {
        unitPrefix = " ";
    }
}

std::string CZANFunctionDCI::GetRangeText()
{
    return rangeText.Get();
}

std::string CZANFunctionDCI::GetBaseUnit()
{
    return "A";
}

void CZANFunctionDCI::SetRelValue(const std::string& text)
{
    SendRelValue(text, -kRelLimit, kRelLimit, SetCurrDcNullValue, QueryCurrDcNullValue);
}

void CZANFunctionDCI::StartWorker()
{
    StartWorkerOfKind(WorkerKind::Standard);
}
