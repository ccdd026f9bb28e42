#pragma once

#include <string>

namespace voltora::functions {

// What the panel needs of a function that shows a temperature beside the
// sensor's raw value: which values it shows, the raw value and its unit, and
// the sensor the sensor dialog chose. A function offers it through
// CZANFunction::TemperatureDisplay (null for the other functions).
class ITemperatureDisplay {
public:
    // "Temp Val", "Meas Val" or "All".
    virtual std::string GetDisplayMode() const = 0;
    // The raw sensor value and its unit ("VDC" or "$OHM$").
    virtual std::string GetMeasuredValueText() = 0;
    virtual std::string GetMeasuredUnitText() = 0;
    // A user table when userDefined, a resistance sensor when isRtd, and the
    // table's name; sent by the worker's next cycle.
    virtual void LoadSensor(bool userDefined, bool isRtd, const std::string& tableName) = 0;

protected:
    ~ITemperatureDisplay() = default;
};

}  // namespace voltora::functions
