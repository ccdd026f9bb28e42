#pragma once

#include <string>
#include <string_view>

namespace voltora::functions {

// Engineering prefixes of the views, by index 0 to 9; index 4 is no prefix.
inline constexpr const char* kEngineeringPrefixes = "pnum kMGTP";

// Scales `value` towards 1 <= |value| < 1000 in steps of 1000 and returns
// the index of its prefix in kEngineeringPrefixes. 0 stays 0 with index 4;
// the scaling stops at index 0 and at index 9.
int NormaliseEngineering(double& value);

// A compact text of `value` ("1.500k", "500.000m", "5"), at most 31
// characters; returns the prefix index.
int EngineeringText(double value, std::string& out);

// The value in base units of a range label: "200mV" 0.2, "2k$OHM$" 2000,
// "10000uF" 0.01, "Auto" 0. Only the leading digits and the character after
// them are read.
double ParseRangeValue(std::string_view label);

}  // namespace voltora::functions
