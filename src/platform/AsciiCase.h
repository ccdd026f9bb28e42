#pragma once

#include <string>
#include <string_view>

// Case folding for ASCII letters only. Command words, resource strings and
// other protocol texts are compared with these, never with std::toupper or
// std::tolower: those follow the process locale, and under a Turkish locale
// 'i' does not fold to 'I', so "LIMit" would stop matching "LIM".
namespace voltora::platform {

constexpr char AsciiUpper(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

constexpr char AsciiLower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

constexpr bool AsciiSameLetter(char a, char b)
{
    return AsciiUpper(a) == AsciiUpper(b);
}

inline std::string AsciiToUpper(std::string_view text)
{
    std::string upper(text);
    for (char& c : upper) {
        c = AsciiUpper(c);
    }
    return upper;
}

constexpr bool AsciiEqualsIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (!AsciiSameLetter(a[i], b[i])) {
            return false;
        }
    }
    return true;
}

}  // namespace voltora::platform
