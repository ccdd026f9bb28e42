#pragma once

#include <optional>
#include <string_view>

namespace voltora::platform {

// The whole of `text` as a plain decimal number, read in the C locale:
// optional sign, digits with an optional point (at least one digit), and an
// optional exponent with digits ("20", "-1.5", ".5", "2.000000E+01").
// Nothing for any other text, blanks included, so that a typo or a cut
// number is refused instead of being read as 0 or as its first digits.
std::optional<double> ParseDecimalNumber(std::string_view text);

}  // namespace voltora::platform
