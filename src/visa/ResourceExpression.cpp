#include "visa/ResourceExpression.h"

#include "platform/AsciiCase.h"

namespace voltora::visa {
namespace {

bool SameLetter(char a, char b)
{
    return voltora::platform::AsciiSameLetter(a, b);
}

bool ElementMatches(char element, char c)
{
    return element == '?' || SameLetter(element, c);
}

}  // namespace

bool MatchesExpression(std::string_view expression, std::string_view resource)
{
    if (expression.empty()) {
        return resource.empty();
    }
    const char element = expression[0];
    if (expression.size() > 1 && expression[1] == '*') {
        const std::string_view rest = expression.substr(2);
        // Zero repetitions, then one more at a time while the element fits.
        for (std::size_t i = 0;; ++i) {
            if (MatchesExpression(rest, resource.substr(i))) {
                return true;
            }
            if (i >= resource.size() || !ElementMatches(element, resource[i])) {
                return false;
            }
        }
    }
    return !resource.empty() && ElementMatches(element, resource[0]) &&
           MatchesExpression(expression.substr(1), resource.substr(1));
}

bool StartsWithNoCase(std::string_view resource, std::string_view prefix)
{
    if (resource.size() < prefix.size()) {
        return false;
    }
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (!SameLetter(resource[i], prefix[i])) {
            return false;
        }
    }
    return true;
}

}  // namespace voltora::visa
