#pragma once

#include <string>
#include <string_view>

namespace voltora::functions {

// Display tokens inside narrow label texts, and what they are drawn as.
inline constexpr const char* kInitToken = "$INIT$";    // the row of dots before the first reading
inline constexpr const char* kCelsiusToken = "$T_C$";  // degrees Celsius
inline constexpr const char* kFahrenheitToken = "$T_F$";  // degrees Fahrenheit
inline constexpr const char* kOhmToken = "$OHM$";      // the ohm sign

// The wide text to draw for a narrow (UTF-8) label: converted, then every
// "$INIT$", "$T_C$", "$T_F$" and "$OHM$" replaced, in this order.
std::wstring ToDisplayText(std::string_view text);
// The narrow (UTF-8) text of a wide text read from a control.
std::string ToNarrowText(std::wstring_view text);

}  // namespace voltora::functions
