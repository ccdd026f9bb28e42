#include "functions/CZANFunctionResistance.h"

#include "functions/MenuRows.h"
#include <utility>

#include "functions/ReadingFormat.h"
#include "platform/Clock.h"
#include "scpi/Commands.h"

using namespace voltora::functions;

using voltora::platform::SleepMs;
using namespace voltora::scpi;

namespace {

struct OptionOffset {
    const char* label;
    CZANFunctionResistance::ItemOffset offset;
};

// The manual ranges; 2 Mohm and above sit on the second range page.
constexpr OptionOffset kRangeOptions[] = {
    {"200$OHM$", CZANFunctionResistance::kRange200OhmOffset},
    {"2k$OHM$", CZANFunctionResistance::kRange2kOhmOffset},
    {"20k$OHM$", CZANFunctionResistance::kRange20kOhmOffset},
    {"200k$OHM$", CZANFunctionResistance::kRange200kOhmOffset},
    {"2M$OHM$", CZANFunctionResistance::kRange2MOhmOffset},
    {"10M$OHM$", CZANFunctionResistance::kRange10MOhmOffset},
    {"100M$OHM$", CZANFunctionResistance::kRange100MOhmOffset},
};
constexpr OptionOffset kSpeedOptions[] = {
    {"Slow", CZANFunctionResistance::kSpeedSlowOffset},
    {"Middle", CZANFunctionResistance::kSpeedMiddleOffset},
    {"Fast", CZANFunctionResistance::kSpeedFastOffset},
};

// The item id of the option labelled `label`, 0 if there is none.
template <std::size_t N>
int OptionFor(const OptionOffset (&options)[N], const std::string& label, int firstItemId)
{
    for (const OptionOffset& option : options) {
        if (label == option.label) {
            return firstItemId + option.offset;
        }
    }
    return 0;
}

constexpr double kRelLimit = 1.2e8;

using namespace voltora::functions::menu_rows;

// Ids counted from the function's first item id.
constexpr auto kMenu = Join(std::array{Setting(CZANFunctionResistance::kRangeItemOffset, 0, "Range", "Auto"),
                                       Setting(CZANFunctionResistance::kSpeedItemOffset, 1, "Speed", "Slow"),
                                       Rel(CZANFunctionResistance::kRelItemOffset),
                                       Option(CZANFunctionResistance::kRangeAutoOffset, 0, "Auto"),
                                       Option(CZANFunctionResistance::kRange200OhmOffset, 1, "200$OHM$"),
                                       Option(CZANFunctionResistance::kRange2kOhmOffset, 2, "2k$OHM$"),
                                       Option(CZANFunctionResistance::kRange20kOhmOffset, 3, "20k$OHM$"),
                                       Option(CZANFunctionResistance::kRange200kOhmOffset, 4, "200k$OHM$"),
                                       Option(CZANFunctionResistance::kRangeOtherOffset, 5, "other->"),
                                       Option(CZANFunctionResistance::kRange2MOhmOffset, 0, "2M$OHM$"),
                                       Option(CZANFunctionResistance::kRange10MOhmOffset, 1, "10M$OHM$"),
                                       Option(CZANFunctionResistance::kRange100MOhmOffset, 2, "100M$OHM$"),
                                       Option(CZANFunctionResistance::kRangeBackOffset, 3, "<-other")},
                            SpeedOptions(CZANFunctionResistance::kSpeedSlowOffset));

}  // namespace

CZANFunctionResistance::CZANFunctionResistance(IFrontPanel* frontPanel, std::string displayName, int firstId,
                                               const ResistanceCommands& meterCommands)
    : CZANFunction(frontPanel, std::move(displayName)), firstItemId(firstId), commands(meterCommands)
{
}

CZANFunctionResistance::~CZANFunctionResistance()
{
    StopWorker();
}

int CZANFunctionResistance::RangeOptionFor(const std::string& label) const
{
    return OptionFor(kRangeOptions, label, firstItemId);
}

int CZANFunctionResistance::SpeedOptionFor(const std::string& label) const
{
    return OptionFor(kSpeedOptions, label, firstItemId);
}

void CZANFunctionResistance::Initialise()
{
    CZANFunction::Initialise();

    BuildMenu(kMenu, firstItemId);

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

void CZANFunctionResistance::LoadSettings()
{
    rangeMode = commands.queryRangeAuto();
    std::string label;
    commands.queryRange(label);
    SetRangeText(label);
    speed = commands.querySpeed();
    relState = commands.queryNull();
    relValue = commands.queryNullValue();
    CZANFunction::LoadSettings();
}

void CZANFunctionResistance::Activate()
{
    int rangeOption = 0;
    if (rangeMode == "Auto") {
        Item(Id(kRangeItemOffset))->SetValue("Auto");
        rangeOption = Id(kRangeAutoOffset);
    } else {
        const std::string range = rangeText.Get();
        Item(Id(kRangeItemOffset))->SetValue(range);
        rangeOption = RangeOptionFor(range);
    }
    if (rangeOption != 0) {
        SelectOption(Id(kRangeAutoOffset), Id(kRange100MOhmOffset), rangeOption);
    }

    const std::string currentSpeed = speed.Get();
    Item(Id(kSpeedItemOffset))->SetValue(currentSpeed);
    if (const int speedOption = SpeedOptionFor(currentSpeed)) {
        SelectOption(Id(kSpeedSlowOffset), Id(kSpeedFastOffset), speedOption);
    }

    Item(Id(kRelItemOffset))->ShowLeftRight(relState.Get());
    ShowRootPage();
    if (Panel() != nullptr) {
        Panel()->SetViewsUnit("$OHM$");
    }
}

void CZANFunctionResistance::ShowRootPage()
{
    ShowPage({Id(kRangeItemOffset), Id(kSpeedItemOffset), Id(kRelItemOffset)});
}

void CZANFunctionResistance::ShowFirstRangePage()
{
    ShowPage({Id(kRangeAutoOffset), Id(kRange200OhmOffset), Id(kRange2kOhmOffset), Id(kRange20kOhmOffset),
              Id(kRange200kOhmOffset), Id(kRangeOtherOffset)});
}

void CZANFunctionResistance::OnMenuItem(int id)
{
    // Both functions share one menu layout: work with the position after the first id.
    const int offset = id - firstItemId;
    switch (offset) {
    case kRangeItemOffset:
    case kRangeBackOffset:
        ShowFirstRangePage();
        return;
    case kRangeOtherOffset:
        // Only turns the page: nothing is chosen or marked.
        ShowPage({Id(kRange2MOhmOffset), Id(kRange10MOhmOffset), Id(kRange100MOhmOffset), Id(kRangeBackOffset)});
        return;
    case kSpeedItemOffset:
        ShowPage({Id(kSpeedSlowOffset), Id(kSpeedMiddleOffset), Id(kSpeedFastOffset)});
        return;
    case kRelItemOffset:
        relState = Item(id)->ChosenLeftRight();
        MarkPending("Rel");
        return;
    default:
        break;
    }
    if ((offset >= kRangeAutoOffset && offset <= kRange200kOhmOffset) ||
        (offset >= kRange2MOhmOffset && offset <= kRange100MOhmOffset)) {
        SelectOption(Id(kRangeAutoOffset), Id(kRange100MOhmOffset), id);
        Item(Id(kRangeItemOffset))->SetValue(Item(id)->GetCaption());
        ShowRootPage();
        // rangeText changes only when the worker applies the range.
        SetRangeMode(offset == kRangeAutoOffset ? "Auto" : "Manual");
        MarkPending("Range");
    } else if (offset >= kSpeedSlowOffset && offset <= kSpeedFastOffset) {
        SelectOption(Id(kSpeedSlowOffset), Id(kSpeedFastOffset), id);
        const std::string caption = Item(id)->GetCaption();
        Item(Id(kSpeedItemOffset))->SetValue(caption);
        ShowRootPage();
        speed = caption;
        MarkPending("Speed");
    }
}

// ---- Apply handlers (worker, lock held) ---------------------------------------------

void CZANFunctionResistance::ApplyRange()
{
    if (rangeMode == "Auto") {
        commands.setRange("Auto");
    } else {
        SetRangeText(Item(Id(kRangeItemOffset))->GetValue());
        commands.setRange(rangeText.Get());
        PostPanelMessage(WM_PANEL_DISPLAY);
    }
    SleepMs(300);
}

void CZANFunctionResistance::ApplySpeed()
{
    commands.setSpeed(speed.Get());
    SleepMs(100);
}

void CZANFunctionResistance::ApplyRel()
{
    ApplyRelWith(commands.setNull, commands.queryNull, commands.queryNullValue, Id(kRelItemOffset));
}

// ---- Readings and texts -----------------------------------------------------------------

bool CZANFunctionResistance::FetchReading()
{
    return FetchReadingWith(QueryMeasurement);
}

bool CZANFunctionResistance::UpdateAutoRange()
{
    std::string label;
    commands.queryRange(label);
    if (label.empty()) {
        return false;
    }
    SetRangeText(label);
    return true;
}

std::string CZANFunctionResistance::GetValueText()
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

std::string CZANFunctionResistance::GetUnitText()
{
    const std::string reading = readingText.Get();
    if (reading == "Overload" || reading == "$INIT$") {
        return unit;
    }
    return unitPrefix.Get() + unit;
}

std::string CZANFunctionResistance::GetRangeModeText()
{
    return rangeMode.Get();
}

void CZANFunctionResistance::SetRangeMode(const std::string& text)
{
    rangeMode = text;
}

void CZANFunctionResistance::SetRangeText(const std::string& text)
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

std::string CZANFunctionResistance::GetRangeText()
{
    return rangeText.Get();
}

std::string CZANFunctionResistance::GetBaseUnit()
{
    return "$OHM$";
}

void CZANFunctionResistance::SetRelValue(const std::string& text)
{
    SendRelValue(text, -kRelLimit, kRelLimit, commands.setNullValue, commands.queryNullValue);
}

void CZANFunctionResistance::StartWorker()
{
    StartWorkerOfKind(WorkerKind::Standard);
}
