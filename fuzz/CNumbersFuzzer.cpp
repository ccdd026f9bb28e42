// CAtof and CAtoi give what strtod_l and strtol give in the C locale, for
// any text (up to a NUL, where the C functions stop).
#include "platform/CNumbers.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <locale.h>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size)
{
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
    const std::string text(reinterpret_cast<const char*>(bytes), size);
    const std::string_view upToNul(text.c_str());

    const double expected = strtod_l(text.c_str(), nullptr, cLocale);
    const double got = voltora::platform::CAtof(upToNul);
    const bool same = (std::isnan(expected) && std::isnan(got)) ||
                      std::memcmp(&expected, &got, sizeof got) == 0;
    if (!same) {
        std::abort();
    }

    const long wide = strtol_l(text.c_str(), nullptr, 10, cLocale);
    const int clamped = wide > INT_MAX ? INT_MAX : wide < INT_MIN ? INT_MIN : static_cast<int>(wide);
    if (voltora::platform::CAtoi(upToNul) != clamped) {
        std::abort();
    }
    return 0;
}
