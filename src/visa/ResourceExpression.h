#pragma once

#include <string_view>

namespace voltora::visa {

// VISA's resource search expressions: "?" stands for any one character, "*"
// for any number (also none) of the element before it, so "USB?*INSTR" takes
// every resource that starts with "USB" and ends with "INSTR". Letters match
// regardless of case.
bool MatchesExpression(std::string_view expression, std::string_view resource);

// True when `resource` starts with `prefix`, ignoring case.
bool StartsWithNoCase(std::string_view resource, std::string_view prefix);

}  // namespace voltora::visa
