#include "platform/TextConversion.h"

#include <gtest/gtest.h>

using voltora::platform::Utf8ToWide;
using voltora::platform::WideToUtf8;

TEST(TextConversion, RoundTripsAsciiAndMultiByteText)
{
    const struct {
        const char* narrow;
        std::wstring wide;
    } cases[] = {
        {"", L""},
        {"200mV", L"200mV"},
        {"\xC2\xB0" "C", L"\u00B0C"},                 // degree sign, two bytes
        {"10M\xE2\x84\xA6", L"10M\u2126"},           // ohm sign, three bytes
        {"\xF0\x9F\x98\x80", std::wstring(1, static_cast<wchar_t>(0x1F600))},  // four bytes
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Utf8ToWide(c.narrow), c.wide) << c.narrow;
        EXPECT_EQ(WideToUtf8(c.wide), c.narrow) << c.narrow;
    }
}

TEST(TextConversion, InvalidUtf8BecomesReplacementCharacters)
{
    // A lone continuation byte, a truncated sequence, an overlong "/" and an
    // encoded surrogate: each bad byte gives one U+FFFD, good bytes survive.
    EXPECT_EQ(Utf8ToWide("a\x80" "b"), L"a\uFFFDb");
    EXPECT_EQ(Utf8ToWide("x\xE2\x84"), L"x\uFFFD\uFFFD");
    EXPECT_EQ(Utf8ToWide("\xC0\xAF"), L"\uFFFD\uFFFD");
    EXPECT_EQ(Utf8ToWide("\xED\xA0\x80"), L"\uFFFD\uFFFD\uFFFD");
}

TEST(TextConversion, WideTextOutsideUnicodeBecomesReplacementCharacter)
{
    const std::wstring bad = {L'A', static_cast<wchar_t>(0xD800), static_cast<wchar_t>(0x110000)};
    EXPECT_EQ(WideToUtf8(bad), "A\xEF\xBF\xBD\xEF\xBF\xBD");
}
