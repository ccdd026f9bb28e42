#include "functions/CZANFunctionTemperature.h"

#include "functions/MenuOption.h"
#include "functions/MenuRows.h"

#include "functions/ReadingFormat.h"
#include "platform/CNumbers.h"
#include "platform/Clock.h"
#include "scpi/Commands.h"

#include <cmath>
#include <limits>

using namespace voltora::functions;

using voltora::platform::SleepMs;
using namespace voltora::scpi;

namespace {

constexpr MenuOption kDisplayOptions[] = {
    {"Temp Val", CZANFunctionTemperature::kDisplayTemperature},
    {"Meas Val", CZANFunctionTemperature::kDisplayMeasured},
    {"All", CZANFunctionTemperature::kDisplayAll},
};
constexpr MenuOption kUnitOptions[] = {
    {"$T_C$", CZANFunctionTemperature::kUnitCelsius},
    {"$T_F$", CZANFunctionTemperature::kUnitFahrenheit},
    {"K", CZANFunctionTemperature::kUnitKelvin},
};

// Readings closer to zero than this show as zero rather than in pico units.
constexpr double kZeroReading = 1e-12;

// The relative value's bounds in each unit. The Kelvin bounds are the
// single-precision values of 3.15 and 1643.15.
struct RelBounds {
    double low;
    double high;
};

RelBounds RelBoundsFor(const std::string& unit)
{
    if (unit == "$T_C$") {
        return {-270.0, 1370.0};
    }
    if (unit == "$T_F$") {
        return {-454.0, 2498.0};
    }
    if (unit == "K") {
        return {static_cast<double>(3.15f), static_cast<double>(1643.15f)};
    }
    constexpr double kNoBound = std::numeric_limits<double>::infinity();
    return {-kNoBound, kNoBound};
}

using namespace voltora::functions::menu_rows;

constexpr voltora::functions::MenuItemSpec kMenu[] = {
    Setting(CZANFunctionTemperature::kLoadItem, 0, "Load", "KITS90"),
    Setting(CZANFunctionTemperature::kDisplayItem, 1, "Display", "Temp Val"),
    Setting(CZANFunctionTemperature::kUnitsItem, 3, "Units", "$T_C$"),
    Rel(CZANFunctionTemperature::kRelItem),
    Option(CZANFunctionTemperature::kDisplayTemperature, 0, "Temp Val"),
    Option(CZANFunctionTemperature::kDisplayMeasured, 1, "Meas Val"),
    Option(CZANFunctionTemperature::kDisplayAll, 2, "All"),
    Option(CZANFunctionTemperature::kUnitCelsius, 0, "$T_C$"),
    Option(CZANFunctionTemperature::kUnitFahrenheit, 1, "$T_F$"),
    Option(CZANFunctionTemperature::kUnitKelvin, 2, "K"),
};

}  // namespace

CZANFunctionTemperature::CZANFunctionTemperature(IFrontPanel* frontPanel) : CZANFunction(frontPanel, "Temperature")
{
}

CZANFunctionTemperature::~CZANFunctionTemperature()
{
    StopWorker();
}

void CZANFunctionTemperature::Initialise()
{
    CZANFunction::Initialise();

    BuildMenu(kMenu);

    StartWorker();
    readingText = "$INIT$";
    unit = "$T_C$";
    unitPrefix = " ";
    measuredUnit = "VDC";
    measuredPrefix = " ";
    sensorDefinition = "MANU DEFINE";
    sensorType = "THER";
    sensorName = "BITS90";
    displayMode = "All";
    measuredValueText = "$INIT$";

    RegisterSetting("Rel", [this] { ApplyRelSetting(); });
    RegisterSetting("Unit", [this] { ApplyUnit(); });
    RegisterSetting("Display", [this] { ApplyDisplay(); });
    RegisterSetting("Sensor", [this] { ApplySensor(); });
}

void CZANFunctionTemperature::LoadSettings()
{
    // "MANU DEFINE,THER,KITS90": definition, type, and the rest is the name.
    const std::string transducer = QueryTemperatureTransducer();
    const std::size_t first = transducer.find(',');
    const std::size_t second = first == std::string::npos ? first : transducer.find(',', first + 1);
    sensorDefinition = transducer.substr(0, first);
    sensorType = first == std::string::npos ? std::string() : transducer.substr(first + 1, second - first - 1);
    sensorName = second == std::string::npos ? std::string() : transducer.substr(second + 1);
    measuredUnit = sensorType == "RTD" ? "$OHM$" : "VDC";

    const std::string reportedDisplay = QueryTemperatureDisplay();
    displayMode = displayAllChosen ? std::string("All") : reportedDisplay;
    unit = QueryTemperatureUnit();
    relState = QueryTempNull();
    relValue = QueryTempNullValue();
    CZANFunction::LoadSettings();
}

void CZANFunctionTemperature::Activate()
{
    Item(kLoadItem)->SetValue(sensorName.Get());

    const std::string mode = displayMode.Get();
    Item(kDisplayItem)->SetValue(mode);
    if (const int option = MenuOptionFor(kDisplayOptions, mode)) {
        SelectOption(kDisplayTemperature, kDisplayAll, option);
    }

    const std::string currentUnit = unit.Get();
    Item(kUnitsItem)->SetValue(currentUnit);
    if (const int option = MenuOptionFor(kUnitOptions, currentUnit)) {
        SelectOption(kUnitCelsius, kUnitKelvin, option);
    }

    Item(kRelItem)->ShowLeftRight(relState.Get());
    ShowRootPage();
    TellViewsUnit();
}

void CZANFunctionTemperature::ShowRootPage()
{
    if (displayMode == "Meas Val") {
        ShowPage({kLoadItem, kDisplayItem, kUnitsItem});
    } else {
        ShowPage({kLoadItem, kDisplayItem, kUnitsItem, kRelItem});
    }
}

void CZANFunctionTemperature::TellViewsUnit()
{
    if (Panel() != nullptr) {
        Panel()->SetViewsUnit(unit.Get());
    }
}

void CZANFunctionTemperature::OnMenuItem(int id)
{
    switch (id) {
    case kLoadItem:
        // The dialog's choice comes back through LoadSensor.
        if (Panel() != nullptr) {
            Panel()->OpenSensorDialog();
        }
        return;
    case kDisplayItem:
        ShowPage({kDisplayTemperature, kDisplayMeasured, kDisplayAll});
        return;
    case kUnitsItem:
        ShowPage({kUnitCelsius, kUnitFahrenheit, kUnitKelvin});
        return;
    case kRelItem:
        relState = Item(kRelItem)->ChosenLeftRight();
        MarkPending("Rel");
        return;
    default:
        break;
    }
    if (id >= kDisplayTemperature && id <= kDisplayAll) {
        SelectOption(kDisplayTemperature, kDisplayAll, id);
        const std::string caption = Item(id)->GetCaption();
        Item(kDisplayItem)->SetValue(caption);
        displayMode = caption;
        displayAllChosen = id == kDisplayAll;
        ShowRootPage();
        MarkPending("Display");
    } else if (id >= kUnitCelsius && id <= kUnitKelvin) {
        SelectOption(kUnitCelsius, kUnitKelvin, id);
        const std::string caption = Item(id)->GetCaption();
        Item(kUnitsItem)->SetValue(caption);
        ShowPage({kLoadItem, kDisplayItem, kUnitsItem, kRelItem});
        unit = caption;
        MarkPending("Unit");
        TellViewsUnit();
    }
}

void CZANFunctionTemperature::LoadSensor(bool userDefined, bool isRtd, const std::string& tableName)
{
    Item(kLoadItem)->SetValue(tableName);
    sensorDefinition = userDefined ? "USER DEFINE" : "MANU DEFINE";
    sensorType = isRtd ? "RTD" : "THER";
    measuredUnit = isRtd ? "$OHM$" : "VDC";
    sensorName = tableName;
    MarkPending("Sensor");
}

// ---- Worker ----------------------------------------------------------------------------

bool CZANFunctionTemperature::PollBothValues()
{
    const std::string reading = QueryMeasurement();
    if (reading.empty()) {
        return false;
    }
    SetReadingText(reading);
    const std::string measured = QuerySensorValue();
    if (measured.empty()) {
        return false;
    }
    SetMeasuredValueText(measured);
    return true;
}

bool CZANFunctionTemperature::FetchReading()
{
    return true;
}

// ---- Apply handlers (worker, lock held) ---------------------------------------------

void CZANFunctionTemperature::ApplySensor()
{
    SetTemperatureTransducer(sensorDefinition.Get(), sensorType.Get(), sensorName.Get());
    SleepMs(300);
}

void CZANFunctionTemperature::ApplyDisplay()
{
    SetTemperatureDisplay(displayMode.Get());
    SleepMs(300);
}

void CZANFunctionTemperature::ApplyUnit()
{
    SetTemperatureUnit(unit.Get());
    SleepMs(100);
    // The meter converts its null value into the new unit.
    relValue = QueryTempNullValue();
    PublishRel();
    SleepMs(200);
}

void CZANFunctionTemperature::ApplyRelSetting()
{
    ApplyRelWith(SetTempNull, QueryTempNull, QueryTempNullValue, kRelItem);
}

// ---- Readings and texts -----------------------------------------------------------------

std::string CZANFunctionTemperature::GetValueText()
{
    const std::string reading = readingText.Get();
    if (reading == "Overload" || reading == "$INIT$") {
        return reading;
    }
    if (std::fabs(voltora::platform::CAtof(reading)) < kZeroReading) {
        // Zero has no prefix: 0 degrees, not 0 picodegrees.
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

std::string CZANFunctionTemperature::GetUnitText()
{
    const std::string reading = readingText.Get();
    if (reading == "Overload" || reading == "$INIT$") {
        return unit.Get();
    }
    return unitPrefix.Get() + unit.Get();
}

std::string CZANFunctionTemperature::GetMeasuredValueText()
{
    const std::string measured = measuredValueText.Get();
    if (measured == "$INIT$") {
        return measured;
    }
    if (measured == "Overload" || readingText == "Overload") {
        return "Overload";
    }
    if (std::fabs(voltora::platform::CAtof(measured)) < kZeroReading) {
        measuredPrefix = " ";
        return "+0.0000";
    }
    ReadingFormat format;
    format.valueText = measured;
    format.digits = 7;
    FormatReading(format);
    measuredPrefix = format.prefix;
    return format.signedText;
}

std::string CZANFunctionTemperature::GetMeasuredUnitText()
{
    const std::string measured = measuredValueText.Get();
    if (readingText == "Overload" || measured == "Overload" || measured == "$INIT$") {
        return measuredUnit.Get();
    }
    return measuredPrefix.Get() + measuredUnit.Get();
}

std::string CZANFunctionTemperature::GetRangeModeText()
{
    return {};
}

bool CZANFunctionTemperature::UpdateAutoRange()
{
    return true;
}

void CZANFunctionTemperature::SetRangeText(const std::string&)
{
}

std::string CZANFunctionTemperature::GetRangeText()
{
    return "100";
}

std::string CZANFunctionTemperature::GetBaseUnit()
{
    return unit.Get();
}

// ---- Relative value -----------------------------------------------------------------------

void CZANFunctionTemperature::SetRelValue(const std::string& text)
{
    const RelBounds bounds = RelBoundsFor(unit.Get());
    SendRelValue(text, bounds.low, bounds.high, SetTempNullValue, QueryTempNullValue);
}

void CZANFunctionTemperature::StartWorker()
{
    StartWorkerOfKind(WorkerKind::Temperature, [this] { return PollBothValues(); });
}
