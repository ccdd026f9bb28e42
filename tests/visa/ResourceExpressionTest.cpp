#include "visa/ResourceExpression.h"

#include "support/ScopedLocale.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

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
        ExpressionCase{"A*B", "ACB", false},
        ExpressionCase{"A*", "", true},
        ExpressionCase{"A*A*A", "aaaa", true},
        ExpressionCase{"*A", "*A", true},  // a leading "*" is an element of its own
        ExpressionCase{"*A", "A", false}));

// Reference matcher: the definition written as plain backtracking, fine for
// the short inputs it is given here.
bool Reference(std::string_view e, std::string_view r)
{
    const auto same = [](char x, char c) {
        const auto fold = [](char v) { return v >= 'a' && v <= 'z' ? char(v - 32) : v; };
        return x == '?' || fold(x) == fold(c);
    };
    if (e.empty()) {
        return r.empty();
    }
    if (e.size() > 1 && e[1] == '*') {
        for (std::size_t i = 0;; ++i) {
            if (Reference(e.substr(2), r.substr(i))) {
                return true;
            }
            if (i >= r.size() || !same(e[0], r[i])) {
                return false;
            }
        }
    }
    return !r.empty() && same(e[0], r[0]) && Reference(e.substr(1), r.substr(1));
}

TEST(ResourceExpressionAgreementTest, AgreesWithBacktrackingOnEverySmallCase)
{
    // Every expression of up to 5 elements over {A, b, ?, *} against every
    // resource of up to 5 characters over {a, B, *}.
    const std::string exprAlphabet = "Ab?*";
    const std::string resAlphabet = "aB*";
    std::vector<std::string> expressions{""};
    for (std::size_t at = 0; at < expressions.size() && expressions.size() < 400; ++at) {
        if (expressions[at].size() < 5) {
            for (char c : exprAlphabet) {
                expressions.push_back(expressions[at] + c);
            }
        }
    }
    std::vector<std::string> resources{""};
    for (std::size_t at = 0; at < resources.size(); ++at) {
        if (resources[at].size() < 5) {
            for (char c : resAlphabet) {
                resources.push_back(resources[at] + c);
            }
        }
    }
    int disagreements = 0;
    for (const auto& e : expressions) {
        for (const auto& r : resources) {
            if (MatchesExpression(e, r) != Reference(e, r) && ++disagreements < 10) {
                ADD_FAILURE() << e << " vs " << r;
            }
        }
    }
    EXPECT_EQ(disagreements, 0);
}

// Many repeating elements against a long resource that almost matches: a
// backtracking matcher tries every way of splitting the resource between
// the stars and does not finish within the test's time limit.
TEST(ResourceExpressionAgreementTest, ManyStarsDoNotBacktrack)
{
    const std::string stars = "?*?*?*?*?*?*?*?*?*?*?*?*?*?*B";
    const std::string resource(200, 'A');
    for (int i = 0; i < 100; ++i) {
        EXPECT_FALSE(MatchesExpression(stars, resource));
    }
    EXPECT_TRUE(MatchesExpression(stars, resource + "B"));
}

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
