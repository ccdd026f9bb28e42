#pragma once

#include "sim/TransducerTable.h"

#include <memory>
#include <optional>
#include <string_view>
#include <vector>

namespace voltora::sim {

// Reference functions of the letter-designated thermocouples on ITS-90
// (emf in millivolts with the reference junction at 0 degrees Celsius) and of
// platinum resistance thermometers (IEC 60751), from which the meter's
// built-in conversion tables are made.

// Thermocouple emf in millivolts for `type` ('B', 'E', 'J', 'K', 'N', 'R',
// 'S', 'T') at `celsius`; nothing outside the type's reference range.
std::optional<double> ThermocoupleMillivolts(char type, double celsius);

// Resistance in ohms of a platinum thermometer of nominal resistance `r0`
// (at 0 degrees Celsius) at `celsius`, valid from -200 to 850.
double PlatinumResistance(double r0, double celsius);

// The built-in tables: thermocouples "BITS90" ... "TITS90", and resistance
// thermometers "PT100", "PT1000"; tabulated every 10 degrees Celsius.
const std::vector<std::shared_ptr<const TransducerTable>>& BuiltInThermocouples();
const std::vector<std::shared_ptr<const TransducerTable>>& BuiltInResistanceThermometers();

enum class TemperatureUnit { Celsius, Fahrenheit, Kelvin };

double CelsiusTo(TemperatureUnit unit, double celsius);
double CelsiusFrom(TemperatureUnit unit, double value);
// "C", "F" or "K".
std::string_view UnitLetter(TemperatureUnit unit);

}  // namespace voltora::sim
