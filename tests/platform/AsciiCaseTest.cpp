// ASCII case folding, which must not follow the process locale.

#include "platform/AsciiCase.h"
#include "support/ScopedLocale.h"

#include <gtest/gtest.h>

namespace voltora::platform {
namespace {

class AsciiCaseUnderLocale : public ::testing::TestWithParam<const char*> {};

TEST_P(AsciiCaseUnderLocale, FoldsEveryAsciiLetterAndNothingElse)
{
    VOLTORA_USE_LOCALE(locale, GetParam());
    for (int i = 0; i < 256; ++i) {
        const char c = static_cast<char>(i);
        const bool lower = i >= 'a' && i <= 'z';
        const bool upper = i >= 'A' && i <= 'Z';
        EXPECT_EQ(AsciiUpper(c), lower ? static_cast<char>(i - 32) : c) << i;
        EXPECT_EQ(AsciiLower(c), upper ? static_cast<char>(i + 32) : c) << i;
    }
    EXPECT_EQ(AsciiToUpper("LIMit:Fiİ"), "LIMIT:FIİ");  // the UTF-8 bytes of İ stay as they are
    EXPECT_TRUE(AsciiEqualsIgnoringCase("instr", "INSTR"));
    EXPECT_TRUE(AsciiSameLetter('i', 'I'));
    EXPECT_FALSE(AsciiEqualsIgnoringCase("INSTR", "INST"));
    EXPECT_FALSE(AsciiEqualsIgnoringCase("ON", "0N"));
}

INSTANTIATE_TEST_SUITE_P(Locales, AsciiCaseUnderLocale,
                         ::testing::Values("C", "de_DE.UTF-8", "tr_TR.UTF-8"));

}  // namespace
}  // namespace voltora::platform
