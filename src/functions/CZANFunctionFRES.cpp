#include "functions/CZANFunctionFRES.h"

#include "functions/ReadingFormat.h"
#include "platform/Clock.h"
#include "scpi/Commands.h"

using voltora::platform::SleepMs;

namespace {

struct Option {
    const char* label;
    int id;
};

// The manual ranges; 2 Mohm and above sit on the second range page.
constexpr Option kRangeOptions[] = {
    {"200$OHM$", CZANFunctionFRES::kRange200Ohm},  {"2k$OHM$", CZANFunctionFRES::kRange2kOhm},
    {"20k$OHM$", CZANFunctionFRES::kRange20kOhm},  {"200k$OHM$", CZANFunctionFRES::kRange200kOhm},
    {"2M$OHM$", CZANFunctionFRES::kRange2MOhm},    {"10M$OHM$", CZANFunctionFRES::kRange10MOhm},
    {"100M$OHM$", CZANFunctionFRES::kRange100MOhm},
};
constexpr Option kSpeedOptions[] = {
    {"Slow", CZANFunctionFRES::kSpeedSlow},
    {"Middle", CZANFunctionFRES::kSpeedMiddle},
    {"Fast", CZANFunctionFRES::kSpeedFast},
};

template <std::size_t N>
int OptionFor(const Option (&options)[N], const std::string& label)
{
    for (const Option& option : options) {
        if (label == option.label) {
            return option.id;
        }
    }
    return 0;
}

constexpr double kRelLimit = 1.2e8;

}  // namespace

CZANFunctionFRES::CZANFunctionFRES(IFrontPanel* panel) : CZANFunction(panel, "4 Wire Resistance")
{
}

CZANFunctionFRES::~CZANFunctionFRES()
{
    StopWorker();
}

void CZANFunctionFRES::Initialise()
{
    CZANFunction::Initialise();

    AddMenuItem(kRangeItem, 0, "", "Range", "Auto", "", "", kPlainItem);
    AddMenuItem(kSpeedItem, 1, "", "Speed", "Slow", "", "", kPlainItem);
    AddMenuItem(kRelItem, 4, "", "Rel", "", "On", "Off", kLeftRightItem);
    AddMenuItem(kRangeAuto, 0, "Auto", "", "", "", "", kPlainItem);
    AddMenuItem(kRange200Ohm, 1, "200$OHM$", "", "", "", "", kPlainItem);
    AddMenuItem(kRange2kOhm, 2, "2k$OHM$", "", "", "", "", kPlainItem);
    AddMenuItem(kRange20kOhm, 3, "20k$OHM$", "", "", "", "", kPlainItem);
    AddMenuItem(kRange200kOhm, 4, "200k$OHM$", "", "", "", "", kPlainItem);
    AddMenuItem(kRangeOther, 5, "other->", "", "", "", "", kPlainItem);
    AddMenuItem(kRange2MOhm, 0, "2M$OHM$", "", "", "", "", kPlainItem);
    AddMenuItem(kRange10MOhm, 1, "10M$OHM$", "", "", "", "", kPlainItem);
    AddMenuItem(kRange100MOhm, 2, "100M$OHM$", "", "", "", "", kPlainItem);
    AddMenuItem(kRangeBack, 3, "<-other", "", "", "", "", kPlainItem);
    AddMenuItem(kSpeedSlow, 0, "Slow", "", "", "", "", kPlainItem);
    AddMenuItem(kSpeedMiddle, 1, "Middle", "", "", "", "", kPlainItem);
    AddMenuItem(kSpeedFast, 2, "Fast", "", "", "", "", kPlainItem);

    StartWorker();
    readingText = "$INIT$";
    SetRangeMode("Manual");
    unit = "$OHM$";
    unitPrefix = " ";
    SetRangeText("200$OHM$");
    speed = "Slow";

    RegisterSetting("Rel", [this] { ApplyRel(); });
    RegisterSetting("Range", [this] { ApplyRange(); });
    RegisterSetting("Speed", [this] { ApplySpeed(); });
}

void CZANFunctionFRES::LoadSettings()
{
    rangeMode = QueryFresRangeAuto();
    std::string label;
    QueryFresRange(label);
    SetRangeText(label);
    speed = QueryFresSpeed();
    relState = QueryFresNull();
    relValue = QueryFresNullValue();
    CZANFunction::LoadSettings();
}

void CZANFunctionFRES::Activate()
{
    int rangeOption = 0;
    if (rangeMode == "Auto") {
        Item(kRangeItem)->SetValue("Auto");
        rangeOption = kRangeAuto;
    } else {
        const std::string range = rangeText.Get();
        Item(kRangeItem)->SetValue(range);
        rangeOption = OptionFor(kRangeOptions, range);
    }
    if (rangeOption != 0) {
        SelectOption(kRangeAuto, kRange100MOhm, rangeOption);
    }

    const std::string currentSpeed = speed.Get();
    Item(kSpeedItem)->SetValue(currentSpeed);
    if (const int speedOption = OptionFor(kSpeedOptions, currentSpeed)) {
        SelectOption(kSpeedSlow, kSpeedFast, speedOption);
    }

    Item(kRelItem)->ShowLeftRight(relState.Get());
    ShowRootPage();
    if (Panel() != nullptr) {
        Panel()->SetViewsUnit("$OHM$");
    }
}

void CZANFunctionFRES::ShowRootPage()
{
    ShowPage({kRangeItem, kSpeedItem, kRelItem});
}

void CZANFunctionFRES::ShowFirstRangePage()
{
    ShowPage({kRangeAuto, kRange200Ohm, kRange2kOhm, kRange20kOhm, kRange200kOhm, kRangeOther});
}

void CZANFunctionFRES::OnMenuItem(int id)
{
    switch (id) {
    case kRangeItem:
    case kRangeBack:
        ShowFirstRangePage();
        return;
    case kRangeOther:
        // Only turns the page: nothing is chosen or marked.
        ShowPage({kRange2MOhm, kRange10MOhm, kRange100MOhm, kRangeBack});
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
    if ((id >= kRangeAuto && id <= kRange200kOhm) || (id >= kRange2MOhm && id <= kRange100MOhm)) {
        SelectOption(kRangeAuto, kRange100MOhm, id);
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

void CZANFunctionFRES::ApplyRange()
{
    if (rangeMode == "Auto") {
        SetFresRange("Auto");
    } else {
        SetRangeText(Item(kRangeItem)->GetValue());
        SetFresRange(rangeText.Get());
        PostPanelMessage(WM_PANEL_DISPLAY);
    }
    SleepMs(300);
}

void CZANFunctionFRES::ApplySpeed()
{
    SetFresSpeed(speed.Get());
    SleepMs(100);
}

void CZANFunctionFRES::ApplyRel()
{
    ApplyRelWith(SetFresNull, QueryFresNull, QueryFresNullValue, kRelItem);
}

// ---- Readings and texts -----------------------------------------------------------------

bool CZANFunctionFRES::FetchReading()
{
    return FetchReadingWith(QueryMeasurement);
}

bool CZANFunctionFRES::UpdateAutoRange()
{
    std::string label;
    QueryFresRange(label);
    if (label.empty()) {
        return false;
    }
    SetRangeText(label);
    return true;
}

std::string CZANFunctionFRES::GetValueText()
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

std::string CZANFunctionFRES::GetUnitText()
{
    const std::string reading = readingText.Get();
    if (reading == "Overload" || reading == "$INIT$") {
        return unit;
    }
    return unitPrefix.Get() + unit;
}

std::string CZANFunctionFRES::GetRangeModeText()
{
    return rangeMode.Get();
}

void CZANFunctionFRES::SetRangeMode(const std::string& text)
{
    rangeMode = text;
}

void CZANFunctionFRES::SetRangeText(const std::string& text)
{
    rangeText = text;
    if (text.find("k$OHM$") != std::string::npos) {
        unitPrefix = "k";
    } else if (text.find("M$OHM$") != std::string::npos) {
        unitPrefix = "M";
    } else {
        unitPrefix = " ";
    }
}

std::string CZANFunctionFRES::GetRangeText()
{
    return rangeText.Get();
}

std::string CZANFunctionFRES::GetBaseUnit()
{
    return "$OHM$";
}

void CZANFunctionFRES::SetRelValue(const std::string& text)
{
    SendRelValue(text, -kRelLimit, kRelLimit, SetFresNullValue, QueryFresNullValue);
}

void CZANFunctionFRES::StartWorker()
{
    StartWorkerOfKind(WorkerKind::Standard);
}
