#pragma once

#include "functions/StatisticsBlock.h"

#include <string>
#include <string_view>

namespace voltora::functions {

// A statistics text as the math view shows it: "Overload" in place of the
// meter's overload value, the field itself otherwise.
std::string OverloadOrText(std::string_view field);

// The reply of the statistics query ("average,deviation,maximum,minimum",
// a line end after it): fills those four texts of `out` and returns true.
// A reply of fewer than four fields (a failed or cut transfer) returns false
// and leaves `out` alone, so the block the math view shows stays as it was.
// Fields after the fourth are ignored.
bool ParseStatisticsReply(std::string_view reply, StatisticsBlock& out);

}  // namespace voltora::functions
