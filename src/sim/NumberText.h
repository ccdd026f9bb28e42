#pragma once

#include <cstddef>
#include <string>

// Number texts of the meter's replies. Readings are written many thousand
// times per reply, so these use std::to_chars (locale-independent, no
// allocation) and give the same text as printf's "%+.*E" in the C locale.
namespace voltora::sim {

// Longest text AppendScientific/WriteScientific can produce for any double.
inline constexpr std::size_t kMaxScientificText = 32;

// Writes `value` as a signed scientific text with `precision` decimals, as
// "%+.*E" would ("+1.2345678E+00"); negative zero is written as "+0...".
// `out` must hold kMaxScientificText characters; returns the length written.
std::size_t WriteScientific(char* out, double value, int precision);

void AppendScientific(std::string& out, double value, int precision);
std::string ScientificText(double value, int precision);

// Writes a signed integer in decimal without a "+" ("-12", "400").
void AppendInteger(std::string& out, long long value);

// Precision of readings (8 significant digits: "+1.2345678E+00"), of range
// replies ("+2.000000E+01") and of stored settings ("+1.500000000E+00").
inline constexpr int kReadingPrecision = 7;
inline constexpr int kRangePrecision = 6;
inline constexpr int kSettingPrecision = 9;

// The value a meter reports for an overloaded input, and the value it reports
// when it has no reading to give (not a number).
inline constexpr double kOverloadValue = 9.9e37;
inline constexpr double kNoReadingValue = 9.91e37;

}  // namespace voltora::sim
