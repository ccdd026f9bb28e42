#pragma once

#include <string>
#include <string_view>

// Number conversions that always use the C locale ("." as decimal point, no
// grouping), whatever locale the process or the desktop has chosen. Every
// number sent to the meter, read from it or written to a file goes through
// these.
namespace voltora::platform {

// As atof: leading white space skipped, an optional sign ("+" or "-"),
// parsing stops at the first character that does not fit, 0.0 for nothing.
double CAtof(std::string_view text);

// As atoi: leading white space skipped, optional sign, decimal digits up to
// the first other character, 0 for nothing. Saturates instead of overflowing.
int CAtoi(std::string_view text);

// printf-style formatting in the C locale.
std::string CFormat(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace voltora::platform
