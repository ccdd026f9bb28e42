#include "functions/CZANFunctionFreqPer.h"

#include "functions/MenuOption.h"
#include "functions/MenuRows.h"

#include "functions/ReadingFormat.h"
#include "platform/CNumbers.h"
#include "platform/Clock.h"
#include "scpi/Commands.h"

#include <cmath>

using namespace voltora::functions;

using voltora::platform::SleepMs;
using namespace voltora::scpi;

namespace {

// The range labels the meter's replies give, and their options. The option
// key of 20 V is captioned "20v"; a read-back range is "20V".
constexpr MenuOption kRangeOptions[] = {
    {"200mV", CZANFunctionFreqPer::kRange200mV}, {"2V", CZANFunctionFreqPer::kRange2V},
    {"20V", CZANFunctionFreqPer::kRange20V},     {"200V", CZANFunctionFreqPer::kRange200V},
    {"750V", CZANFunctionFreqPer::kRange750V},
};

constexpr double kRelLimit = 1.2e6;
// Readings closer to zero than this show as zero rather than in pico units.
constexpr double kZeroReading = 1e-12;

using namespace voltora::functions::menu_rows;

// The 20 V option reads "20v".
constexpr voltora::functions::MenuItemSpec kMenu[] = {
    NameOrValue(CZANFunctionFreqPer::kMeasurementItem, 0, "Freq", "Period"),
    Setting(CZANFunctionFreqPer::kRangeItem, 1, "Range", "Auto"),
    Rel(CZANFunctionFreqPer::kRelItem),
    Option(CZANFunctionFreqPer::kRangeAuto, 0, "Auto"),
    Option(CZANFunctionFreqPer::kRange200mV, 1, "200mV"),
    Option(CZANFunctionFreqPer::kRange2V, 2, "2V"),
    Option(CZANFunctionFreqPer::kRange20V, 3, "20v"),
    Option(CZANFunctionFreqPer::kRange200V, 4, "200V"),
    Option(CZANFunctionFreqPer::kRange750V, 5, "750V"),
};

}  // namespace

CZANFunctionFreqPer::CZANFunctionFreqPer(IFrontPanel* frontPanel) : CZANFunction(frontPanel, "Frequency")
{
}

CZANFunctionFreqPer::~CZANFunctionFreqPer()
{
    StopWorker();
}

void CZANFunctionFreqPer::Initialise()
{
    CZANFunction::Initialise();

    BuildMenu(kMenu);

    StartWorker();
    readingText = "$INIT$";
    SetRangeMode("Manual");
    unit = "Hz";
    unitPrefix = " ";
    SetRangeText("200mV");

    RegisterSetting("Rel", [this] { ApplyRel(); });
    RegisterSetting("Range", [this] { ApplyRange(); });
    RegisterSetting("Function", [this] { ApplyMeasurement(); });
}

void CZANFunctionFreqPer::LoadSettings()
{
    name = QueryFunction() == "FREQ" ? "Frequency" : "Period";
    rangeMode = QueryFreqRangeAuto();
    std::string label;
    QueryFreqRange(label);
    SetRangeText(label);
    relState = QueryFreqNull();
    relValue = QueryFreqNullValue();
    CZANFunction::LoadSettings();
}

void CZANFunctionFreqPer::Activate()
{
    Item(kMeasurementItem)->ShowNameValue(IsPeriod() ? "Period" : "Freq");

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

    Item(kRelItem)->ShowLeftRight(relState.Get());
    ShowPage({kMeasurementItem, kRangeItem, kRelItem});
    // The views label their scales in the unit of the measurement shown, the
    // same unit as the display's, so a period is never labelled in hertz.
    unit = MeasurementUnit();
    if (Panel() != nullptr) {
        Panel()->SetViewsUnit(unit);
    }
}

void CZANFunctionFreqPer::OnMenuItem(int id)
{
    switch (id) {
    case kMeasurementItem:
        // The item has already flipped its marked text.
        if (Item(kMeasurementItem)->ChosenNameValue() == "Freq") {
            name = "Frequency";
            unit = "Hz";
        } else {
            name = "Period";
            unit = "S";
        }
        if (Panel() != nullptr) {
            Panel()->SetViewsUnit(unit);
        }
        MarkPending("Function");
        return;
    case kRangeItem:
        ShowPage({kRangeAuto, kRange200mV, kRange2V, kRange20V, kRange200V, kRange750V});
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
        ShowPage({kMeasurementItem, kRangeItem, kRelItem});
        SetRangeMode(id == kRangeAuto ? "Auto" : "Manual");
        MarkPending("Range");
    }
}

// ---- Apply handlers (worker, lock held) ---------------------------------------------

void CZANFunctionFreqPer::ApplyRange()
{
    if (rangeMode == "Auto") {
        SetFreqRange("Auto");
    } else {
        SetRangeText(Item(kRangeItem)->GetValue());
        SetFreqRange(rangeText.Get());
        PostPanelMessage(WM_PANEL_DISPLAY);
    }
    SleepMs(300);
}

void CZANFunctionFreqPer::ApplyMeasurement()
{
    // The views' unit was set when the key was pressed, on the panel's thread.
    SetFunction(IsPeriod() ? "PER" : "FREQ");
    SleepMs(200);
    if (relState == "On") {
        // The meter's null value belongs to the measurement now selected.
        relValue = QueryFreqNullValue();
        PublishRel();
        SleepMs(200);
    }
}

void CZANFunctionFreqPer::ApplyRel()
{
    ApplyRelWith(SetFreqNull, QueryFreqNull, QueryFreqNullValue, kRelItem);
}

// ---- Readings and texts -----------------------------------------------------------------

bool CZANFunctionFreqPer::FetchReading()
{
    return FetchReadingWith(QueryMeasurement);
}

bool CZANFunctionFreqPer::UpdateAutoRange()
{
    std::string label;
    QueryFreqRange(label);
    if (label.empty()) {
        return false;
    }
    SetRangeText(label);
    return true;
}

std::string CZANFunctionFreqPer::GetValueText()
{
    const std::string reading = readingText.Get();
    if (reading == "Overload" || reading == "$INIT$") {
        return reading;
    }
    if (std::fabs(voltora::platform::CAtof(reading)) < kZeroReading) {
        unitPrefix = " ";
        return "+0.0000";
    }
    ReadingFormat format;
    format.valueText = reading;
    format.digits = 7;
    FormatReading(format);
    unitPrefix = format.prefix;
    return format.signedText;
}

std::string CZANFunctionFreqPer::GetUnitText()
{
    unit = MeasurementUnit();
    const std::string reading = readingText.Get();
    if (reading == "Overload" || reading == "$INIT$") {
        return unit;
    }
    return unitPrefix.Get() + unit;
}

std::string CZANFunctionFreqPer::MeasurementUnit() const
{
    return IsPeriod() ? "S" : "Hz";
}

std::string CZANFunctionFreqPer::GetBaseUnit()
{
    return MeasurementUnit();
}

std::string CZANFunctionFreqPer::GetRangeModeText()
{
    return rangeMode.Get();
}

void CZANFunctionFreqPer::SetRangeMode(const std::string& text)
{
    rangeMode = text;
}

void CZANFunctionFreqPer::SetRangeText(const std::string& text)
{
    // The unit prefix is chosen by the formatter from each reading.
    rangeText = text;
}

std::string CZANFunctionFreqPer::GetRangeText()
{
    return rangeText.Get();
}

void CZANFunctionFreqPer::SetRelValue(const std::string& text)
{
    SendRelValue(text, -kRelLimit, kRelLimit, SetFreqNullValue, QueryFreqNullValue);
}

void CZANFunctionFreqPer::StartWorker()
{
    StartWorkerOfKind(WorkerKind::Quiet);
}
