#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace voltora::app {

// The units of the trigger delay dialog, in list order, and their factors
// to seconds.
inline constexpr std::array<const char*, 4> kDelayUnits = {"kS", "S", "mS", "uS"};
inline constexpr std::array<double, 4> kDelayUnitFactors = {1000.0, 1.0, 1.0 / 1000.0, 1.0 / 1000000.0};
inline constexpr int kSecondsUnit = 1;

// The argument of SetTriggerDelay: "Auto", or the typed value (read as
// atof does, so text that is no number is 0) times the factor of unit
// `unitIndex` (1 for no selection), in seconds with at least three decimals
// and as many more (down to the nanosecond) as the value needs, so that a
// delay in microseconds is not rounded to another one, or to none.
std::string DelayArgument(bool automatic, std::string_view typedValue, int unitIndex);

// The sample counts the meter accepts per trigger.
inline constexpr long long kMinimumSampleCount = 1;
inline constexpr long long kMaximumSampleCount = 1000000;
// The message shown in the samples dialog when the typed count is refused.
inline constexpr const char* kSampleCountMessage = "Enter a whole number from 1 to 1000000.";

// A typed sample count: a whole number (blanks around it and a "+" allowed)
// within the meter's range, as the text to send; nothing otherwise.
std::optional<std::string> SampleCountArgument(std::string_view typed);

// The meter's delay reply as the dialog shows it: seconds with three decimals.
std::string DelayShownText(std::string_view reply);

// The meter's sample count reply as the dialog shows it: its integer value.
std::string SampleCountShownText(std::string_view reply);

}  // namespace voltora::app
