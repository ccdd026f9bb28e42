#pragma once

#include "functions/CZANFunction.h"
#include "functions/ITemperatureDisplay.h"

#include <atomic>

// The temperature function ("TEMP", "Temperature"): a thermocouple or a
// resistance sensor (RTD). Besides the temperature it keeps the sensor's raw
// measured value (a voltage or a resistance), which the panel shows below or
// instead of the temperature according to the display mode. Settings: the
// sensor (chosen in the sensor dialog), the display mode, the unit and the
// relative value. Its worker polls both values in every cycle.
class CZANFunctionTemperature : public CZANFunction, public voltora::functions::ITemperatureDisplay {
public:
    enum ItemId : int {
        kLoadItem = 88,
        kDisplayItem = 89,
        kUnitsItem = 90,
        kRelItem = 91,
        kDisplayTemperature = 127,
        kDisplayMeasured = 128,
        kDisplayAll = 129,
        kUnitCelsius = 130,
        kUnitFahrenheit = 131,
        kUnitKelvin = 132,
    };

    explicit CZANFunctionTemperature(IFrontPanel* panel);
    ~CZANFunctionTemperature() override;

    void OnMenuItem(int id) override;
    void Initialise() override;
    void LoadSettings() override;
    void Activate() override;
    // The worker polls by itself (PollBothValues): nothing to do here.
    bool FetchReading() override;
    std::string GetValueText() override;
    std::string GetRangeModeText() override;
    bool UpdateAutoRange() override;
    void SetRangeText(const std::string& text) override;
    std::string GetRangeText() override;
    std::string GetBaseUnit() override;
    std::string GetUnitText() override;
    void SetRelValue(const std::string& text) override;
    void StartWorker() override;
    voltora::functions::ITemperatureDisplay* TemperatureDisplay() override { return this; }

    // The sensor chosen in the sensor dialog: a user table when userDefined,
    // a resistance sensor when isRtd, and the table's name. Sent by the
    // worker's next cycle.
    void LoadSensor(bool userDefined, bool isRtd, const std::string& tableName) override;

    // The raw sensor value as the worker stores it (twelve decimals,
    // "Overload", or "$INIT$" before the first poll).
    void SetMeasuredValueText(const std::string& text) { measuredValueText = text; }
    // The raw sensor value and its unit ("VDC" or "$OHM$"), for the display.
    std::string GetMeasuredValueText() override;
    std::string GetMeasuredUnitText() override;

    // "Temp Val", "Meas Val" or "All": which values the panel shows.
    std::string GetDisplayMode() const override { return displayMode.Get(); }
    std::string GetSensorDefinition() const { return sensorDefinition.Get(); }
    std::string GetSensorType() const { return sensorType.Get(); }
    std::string GetSensorName() const { return sensorName.Get(); }

private:
    // Worker: the temperature, then the raw sensor value; false on an empty
    // reply to either, which ends the worker.
    bool PollBothValues();
    void ApplySensor();
    void ApplyDisplay();
    void ApplyUnit();
    void ApplyRelSetting();
    // The root page; without Rel in "Meas Val".
    void ShowRootPage();
    void TellViewsUnit();

    voltora::functions::SharedText unit;
    voltora::functions::SharedText unitPrefix;
    voltora::functions::SharedText measuredUnit;
    voltora::functions::SharedText measuredPrefix;
    voltora::functions::SharedText sensorDefinition;
    voltora::functions::SharedText sensorType;
    voltora::functions::SharedText sensorName;
    voltora::functions::SharedText displayMode;
    voltora::functions::SharedText measuredValueText;
    // The meter's display types are "TEM" and "MEA" only, so "All" is never
    // sent: while the user's last choice is "All", it is the program's own
    // state and survives reading the settings back (reloads, reconnects).
    std::atomic<bool> displayAllChosen{false};
};
