#include "visa/ResourceExpression.h"

#include "support/ScopedLocale.h"

#include <gtest/gtest.h>

namespace voltora::visa {
namespace {

struct ExpressionCase {
    const char* expression;
    const char* resource;
    bool matches;
};

class ResourceExpressionTest : public ::testing::TestWithParam<ExpressionCase> {};

TEST_P(ResourceExpressionTest, MatchesLikeVisa)
{
    const auto& c = GetParam();
    EXPECT_EQ(MatchesExpression(c.expression, c.resource), c.matches)
        << c.expression << " vs " << c.resource;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ResourceExpressionTest,
    ::testing::Values(
        ExpressionCase{"USB?*INSTR", "USB0::0x1234::0x5678::SN1::INSTR", true},
        ExpressionCase{"USB?*INSTR", "usb0::0x1234::0x5678::SN1::instr", true},
        ExpressionCase{"USB?*INSTR", "USB0::0x1234::0x5678::SN1::RAW", false},
        ExpressionCase{"USB?*INSTR", "TCPIP0::10.0.0.1::inst0::INSTR", false},
        ExpressionCase{"USB?*INSTR", "USBINSTR", true},  // "?*" also matches nothing
        ExpressionCase{"?*INSTR", "SIM0::ZAN::INSTR", true},
        ExpressionCase{"?*", "", true},
        ExpressionCase{"SIM?*::INSTR", "SIM0::ZAN::INSTR", true},
        ExpressionCase{"SIM?*::INSTR", "SIM0::RAW", false},
        ExpressionCase{"USB?::INSTR", "USB::INSTR", false},  // "?" alone needs one character
        ExpressionCase{"A*B", "AAAB", true},  // "*" repeats the element before it
        ExpressionCase{"A*B", "ACB", false}));

// Under a Turkish locale std::tolower('I') is not 'i'; letters still match
// their other case.
TEST(ResourceExpressionLocale, LettersMatchTheirOtherCaseUnderATurkishLocale)
{
    VOLTORA_USE_LOCALE(turkish, "tr_TR.UTF-8");
    EXPECT_TRUE(MatchesExpression("usb?*instr", "USB0::0x1234::0x5678::SN1::INSTR"));
    EXPECT_TRUE(MatchesExpression("USB?*INSTR", "usb0::0x1234::0x5678::sn1::instr"));
    EXPECT_FALSE(MatchesExpression("USB?*INSTR", "USB0::0x1234::0x5678::SN1::RAW"));
}

}  // namespace
}  // namespace voltora::visa
