#pragma once

#include "sim/TemperatureTables.h"

#include <cstddef>
#include <string>

namespace voltora::sim {

// Settings of one measurement function; each function keeps its own while
// another is selected (period uses frequency's).
struct MeasurementSettings {
    bool autoRange = true;
    // Range index in force while autoRange is off.
    std::size_t manualRange = 0;
    // Range chosen by automatic ranging at the latest reading.
    std::size_t autoRangeIndex = 0;
    // Integration time in power-line cycles; sets speed and noise.
    double nplc = 10.0;
    bool filter = false;
    // Input impedance 10 GOhm instead of 10 MOhm (DC voltage).
    bool highImpedance = false;
    bool nullOn = false;
    double nullValue = 0.0;
    // The null value is taken from the input when null is switched on.
    bool nullAuto = true;
};

// What "TYPE:TEMP" selects on the meter's display.
enum class TemperatureDisplay { Temperature, Measured, All };

struct TemperatureSettings {
    bool userDefined = false;
    bool rtd = false;
    std::string transducer = "KITS90";
    TemperatureUnit unit = TemperatureUnit::Celsius;
    TemperatureDisplay display = TemperatureDisplay::All;
    bool nullOn = false;
    // Kept in degrees Celsius so that it follows a change of unit.
    double nullCelsius = 0.0;
    bool nullAuto = true;
};

// dB/dBm scaling of the voltage functions.
struct ScaleSettings {
    bool on = false;
    bool dbm = true;
    // dB reference in dBm, and the dBm reference resistance in ohms.
    double dbReference = 0.0;
    double dbmReference = 600.0;
    bool referenceAuto = false;
};

struct LimitSettings {
    bool on = false;
    double lower = -1.0;
    double upper = 1.0;
};

// Settings that belong to no one function.
struct SystemSettings {
    bool beeper = true;
    double continuityThreshold = 50.0;  // ohms
    double diodeThreshold = 2.0;        // volts
    bool triggerSlopePositive = false;  // voltmeter-complete output
    bool trendAll = false;              // trend record mode "ALL" (else "REC")
};

}  // namespace voltora::sim
