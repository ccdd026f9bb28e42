#include "visa/ResourceExpression.h"

#include "platform/AsciiCase.h"

#include <algorithm>
#include <vector>

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
    // The expression as a row of elements, each matching one character or,
    // followed by "*", any number of them. Every element position the
    // resource read so far can have reached is followed at once, so the
    // time grows with the product of both lengths, never exponentially
    // with the number of stars.
    struct Element {
        char c;
        bool repeats;
    };
    std::vector<Element> elements;
    for (std::size_t i = 0; i < expression.size(); ++i) {
        const bool repeats = i + 1 < expression.size() && expression[i + 1] == '*';
        elements.push_back({expression[i], repeats});
        if (repeats) {
            ++i;
        }
    }
    const std::size_t n = elements.size();
    std::vector<char> reached(n + 1, 0);
    std::vector<char> next(n + 1, 0);
    // A repeating element may also be taken zero times.
    const auto skipRepeats = [&](std::vector<char>& states) {
        for (std::size_t i = 0; i < n; ++i) {
            if (states[i] && elements[i].repeats) {
                states[i + 1] = 1;
            }
        }
    };
    reached[0] = 1;
    skipRepeats(reached);
    for (const char c : resource) {
        std::fill(next.begin(), next.end(), 0);
        bool any = false;
        for (std::size_t i = 0; i < n; ++i) {
            if (reached[i] && ElementMatches(elements[i].c, c)) {
                next[elements[i].repeats ? i : i + 1] = 1;
                any = true;
            }
        }
        if (!any) {
            return false;
        }
        skipRepeats(next);
        reached.swap(next);
    }
    return reached[n] != 0;
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
