#include "functions/CZANFunctionCap.h"
#include "functions/MenuOption.h"

#include "functions/ReadingFormat.h"
#include "platform/Clock.h"
#include "scpi/Commands.h"

using voltora::platform::SleepMs;

namespace {

// The manual ranges; 20 uF and above sit on the second range page.
constexpr MenuOption kRangeOptions[] = {
    {"2nF", CZANFunctionCap::kRange2nF},     {"20nF", CZANFunctionCap::kRange20nF},
    {"200nF", CZANFunctionCap::kRange200nF}, {"2uF", CZANFunctionCap::kRange2uF},
    {"20uF", CZANFunctionCap::kRange20uF},   {"200uF", CZANFunctionCap::kRange200uF},
    {"10000uF", CZANFunctionCap::kRange10000uF},
};

// The meter keeps the null value in single precision: the limit is 0.012 as
// a float, not 0.012 exactly.
constexpr double kRelLimit = static_cast<double>(0.012f);

// Capacitance readings always show six characters, sign included.
constexpr int kDigits = 6;

}  // namespace

CZANFunctionCap::CZANFunctionCap(IFrontPanel* panel) : CZANFunction(panel, "Capacitance")
{
}

CZANFunctionCap::~CZANFunctionCap()
{
    StopWorker();
}

void CZANFunctionCap::Initialise()
{
    CZANFunction::Initialise();

    AddMenuItem(kRangeItem, 0, "", "Range", "Auto", "", "", kPlainItem);
    AddMenuItem(kRelItem, 4, "", "Rel", "", "On", "Off", kLeftRightItem);
    AddMenuItem(kRangeAuto, 0, "Auto", "", "", "", "", kPlainItem);
    AddMenuItem(kRange2nF, 1, "2nF", "", "", "", "", kPlainItem);
    AddMenuItem(kRange20nF, 2, "20nF", "", "", "", "", kPlainItem);
    AddMenuItem(kRange200nF, 3, "200nF", "", "", "", "", kPlainItem);
    AddMenuItem(kRange2uF, 4, "2uF", "", "", "", "", kPlainItem);
    AddMenuItem(kRangeOther, 5, "other->", "", "", "", "", kPlainItem);
    AddMenuItem(kRange20uF, 0, "20uF", "", "", "", "", kPlainItem);
    AddMenuItem(kRange200uF, 1, "200uF", "", "", "", "", kPlainItem);
    AddMenuItem(kRange10000uF, 2, "10000uF", "", "", "", "", kPlainItem);
    AddMenuItem(kRangeBack, 3, "<-other", "", "", "", "", kPlainItem);

    StartWorker();
    readingText = "$INIT$";
    SetRangeMode("Manual");
    unit = "F";
    unitPrefix = "n";
    SetRangeText("200nF");

    RegisterSetting("Rel", [this] { ApplyRel(); });
    RegisterSetting("Range", [this] { ApplyRange(); });
}

void CZANFunctionCap::LoadSettings()
{
    rangeMode = QueryCapRangeAuto();
    std::string label;
    QueryCapRange(label);
    SetRangeText(label);
    relState = QueryCapNull();
    relValue = QueryCapNullValue();
    CZANFunction::LoadSettings();
}

void CZANFunctionCap::Activate()
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
        SelectOption(kRangeAuto, kRange10000uF, rangeOption);
    }

    Item(kRelItem)->ShowLeftRight(relState.Get());
    ShowRootPage();
    if (Panel() != nullptr) {
        Panel()->SetViewsUnit("F");
    }
}

void CZANFunctionCap::ShowRootPage()
{
    ShowPage({kRangeItem, kRelItem});
}

void CZANFunctionCap::ShowFirstRangePage()
{
    ShowPage({kRangeAuto, kRange2nF, kRange20nF, kRange200nF, kRange2uF, kRangeOther});
}

void CZANFunctionCap::OnMenuItem(int id)
{
    switch (id) {
    case kRangeItem:
    case kRangeBack:
        ShowFirstRangePage();
        return;
    case kRangeOther:
        // Only turns the page: nothing is chosen or marked.
        ShowPage({kRange20uF, kRange200uF, kRange10000uF, kRangeBack});
        return;
    case kRelItem:
        relState = Item(kRelItem)->ChosenLeftRight();
        MarkPending("Rel");
        return;
    default:
        break;
    }
    if ((id >= kRangeAuto && id <= kRange2uF) || (id >= kRange20uF && id <= kRange10000uF)) {
        SelectOption(kRangeAuto, kRange10000uF, id);
        Item(kRangeItem)->SetValue(Item(id)->GetCaption());
        ShowRootPage();
        // rangeText changes only when the worker applies the range.
        SetRangeMode(id == kRangeAuto ? "Auto" : "Manual");
        MarkPending("Range");
    }
}

// ---- Apply handlers (worker, lock held) ---------------------------------------------

void CZANFunctionCap::ApplyRange()
{
    if (rangeMode == "Auto") {
        SetCapRange("Auto");
    } else {
        SetRangeText(Item(kRangeItem)->GetValue());
        SetCapRange(rangeText.Get());
        PostPanelMessage(WM_PANEL_DISPLAY);
    }
    SleepMs(300);
}

void CZANFunctionCap::ApplyRel()
{
    ApplyRelWith(SetCapNull, QueryCapNull, QueryCapNullValue, kRelItem);
}

// ---- Readings and texts -----------------------------------------------------------------

bool CZANFunctionCap::FetchReading()
{
    return FetchReadingWith(QueryMeasurement);
}

bool CZANFunctionCap::UpdateAutoRange()
{
    std::string label;
    QueryCapRange(label);
    if (label.empty()) {
        return false;
    }
    SetRangeText(label);
    return true;
}

std::string CZANFunctionCap::GetValueText()
{
    const std::string reading = readingText.Get();
    if (reading == "Overload" || reading == "$INIT$") {
        return reading;
    }
    ReadingFormat format;
    format.valueText = reading;
    format.rangeText = rangeText.Get();
    format.digits = kDigits;
    FormatReading(format);
    unitPrefix = format.prefix;
    return format.signedText;
}

std::string CZANFunctionCap::GetUnitText()
{
    const std::string reading = readingText.Get();
    if (reading == "Overload" || reading == "$INIT$") {
        return unit;
    }
    return unitPrefix.Get() + unit;
}

std::string CZANFunctionCap::GetRangeModeText()
{
    return rangeMode.Get();
}

void CZANFunctionCap::SetRangeMode(const std::string& text)
{
    rangeMode = text;
}

void CZANFunctionCap::SetRangeText(const std::string& text)
{
    rangeText = text;
    unitPrefix = text.find("nF") != std::string::npos ? "n" : "u";
}

std::string CZANFunctionCap::GetRangeText()
{
    return rangeText.Get();
}

std::string CZANFunctionCap::GetBaseUnit()
{
    return "F";
}

void CZANFunctionCap::SetRelValue(const std::string& text)
{
    SendRelValue(text, -kRelLimit, kRelLimit, SetCapNullValue, QueryCapNullValue);
}

void CZANFunctionCap::StartWorker()
{
    StartWorkerOfKind(WorkerKind::Quiet);
}
