// Parsing of program messages: long and short forms, case, quotes,
// arguments, several units in one message, and the argument readers.

#include "sim/CommandContext.h"
#include "sim/ScpiCommand.h"
#include "sim/SimulatedMeter.h"
#include "support/ScopedLocale.h"

#include <gtest/gtest.h>

namespace voltora::sim {
namespace {

struct ParseCase {
    const char* message;
    std::vector<std::string> path;
    bool query;
    std::vector<std::string> arguments;
};

class Parse : public testing::TestWithParam<ParseCase> {};

TEST_P(Parse, HeaderIsNormalisedAndArgumentsSplit)
{
    const ParseCase& c = GetParam();
    const ScpiCommand command = ParseCommand(c.message);
    EXPECT_EQ(command.path, c.path);
    EXPECT_EQ(command.query, c.query);
    EXPECT_EQ(command.arguments, c.arguments);
}

INSTANTIATE_TEST_SUITE_P(
    Messages, Parse,
    testing::Values(
        ParseCase{"CALCulate:AVERage:ALL?", {"CALC", "AVER", "ALL"}, true, {}},
        ParseCase{"calc:aver:all?", {"CALC", "AVER", "ALL"}, true, {}},
        ParseCase{"CALCULATE:AVERAGE:ALL?", {"CALC", "AVER", "ALL"}, true, {}},
        ParseCase{"CALCUL:AVER:ALL?", {"CALCUL", "AVER", "ALL"}, true, {}},
        ParseCase{"FUNCTION?", {"FUNC"}, true, {}},
        ParseCase{"FUNC \"VOLT:DC\"", {"FUNC"}, false, {"\"VOLT:DC\""}},
        ParseCase{":SYST:BEEP:STATE?", {"SYST", "BEEP", "STAT"}, true, {}},
        ParseCase{"DIODE:THR:VALUE 2.000000", {"DIOD", "THR", "VAL"}, false, {"2.000000"}},
        ParseCase{"$$SY_FP 21,0", {"$$SY_FP"}, false, {"21", "0"}},
        ParseCase{"TEMP:MDEF:THER:TRAN:POIN? KITS90", {"TEMP", "MDEF", "THER", "TRAN", "POIN"}, true, {"KITS90"}},
        ParseCase{"IDN-ZOBR-PRI?", {"IDN-ZOBR-PRI"}, true, {}},
        ParseCase{"REFresh", {"REF"}, false, {}},
        ParseCase{"  INIT \n", {"INIT"}, false, {}},
        ParseCase{"CALC:LIM:LOW  -1.5 , 2", {"CALC", "LIM", "LOW"}, false, {"-1.5", "2"}},
        ParseCase{"FUNC 'a,b'", {"FUNC"}, false, {"'a,b'"}}));

TEST(SplitProgramMessage, SplitsAtSemicolonsOutsideQuotesAndDropsTerminators)
{
    EXPECT_EQ(SplitProgramMessage("A?;B 1\n"), (std::vector<std::string_view>{"A?", "B 1"}));
    EXPECT_EQ(SplitProgramMessage("FUNC \"x;y\";C"), (std::vector<std::string_view>{"FUNC \"x;y\"", "C"}));
    EXPECT_TRUE(SplitProgramMessage("\r\n").empty());
}

TEST(NormalisePath, QuotedFunctionArgumentsInAnySpelling)
{
    EXPECT_EQ(NormalisePath("voltage:dc"), "VOLT:DC");
    EXPECT_EQ(NormalisePath(":FRESistance"), "FRES");
    EXPECT_EQ(Unquote("\"VOLT:AC\""), "VOLT:AC");
    EXPECT_EQ(Unquote("'PER'"), "PER");
    EXPECT_EQ(Unquote("\"unbalanced"), "\"unbalanced");
}

TEST(ArgumentReaders, NumbersAndBooleans)
{
    EXPECT_EQ(ParseNumber("0.000200"), 0.0002);
    EXPECT_EQ(ParseNumber("-2.000000E+01"), -20.0);
    EXPECT_EQ(ParseNumber(".5"), 0.5);
    EXPECT_EQ(ParseNumber("0050"), 50.0);
    for (const char* bad : {"", "abc", "1.2.3", "1e", "+", "10M", "1 2"}) {
        EXPECT_FALSE(ParseNumber(bad).has_value()) << bad;
    }
    EXPECT_EQ(ParseBoolean("on"), true);
    EXPECT_EQ(ParseBoolean("OFF"), false);
    EXPECT_EQ(ParseBoolean("1"), true);
    EXPECT_EQ(ParseBoolean("0"), false);
    EXPECT_FALSE(ParseBoolean("maybe").has_value());
}

// Under a Turkish locale std::toupper('i') is 'i': command words with an "i"
// must still match, in the parser, the keyword arguments and the meter.
TEST(TurkishLocale, CommandWordsWithAnIStillMatch)
{
    VOLTORA_USE_LOCALE(turkish, "tr_TR.UTF-8");
    EXPECT_EQ(ParseCommand("CALCulate:LIMit:LOWer?").path, (std::vector<std::string>{"CALC", "LIM", "LOW"}));
    EXPECT_EQ(ParseCommand("FUNCtion?").path, std::vector<std::string>{"FUNC"});
    EXPECT_EQ(ParseCommand("calc:trend:chart:mode?").path, (std::vector<std::string>{"CALC", "TREN", "CHAR", "MOD"}));
    EXPECT_TRUE(IsKeyword("min", "MIN"));
    EXPECT_TRUE(IsKeyword("Inf", "INF"));
    EXPECT_EQ(ParseBoolean("on"), true);

    SimulatedMeter meter;
    EXPECT_FALSE(meter.Execute("CALCulate:LIMit:LOWer -0.5").has_value());
    EXPECT_EQ(meter.Execute("CALCulate:LIMit:LOWer?").value_or("no reply"), "-5.000000000E-01\n");
    EXPECT_EQ(meter.Execute("CALCulate:SCALe:FUNCtion?").value_or("no reply"), "DBM\n");
    EXPECT_EQ(meter.Execute("SYSTem:ERRor?").value_or("no reply"), "+0,\"No error\"\n");
}

TEST(ErrorQueueTest, OldestFirstAndBounded)
{
    ErrorQueue errors;
    EXPECT_EQ(errors.Pop(), "+0,\"No error\"");
    for (int i = 0; i < 25; ++i) {
        errors.Push(error::kUndefinedHeader, "Undefined header");
    }
    EXPECT_EQ(errors.Count(), ErrorQueue::kCapacity);
    for (std::size_t i = 0; i + 1 < ErrorQueue::kCapacity; ++i) {
        EXPECT_EQ(errors.Pop(), "-113,\"Undefined header\"");
    }
    EXPECT_EQ(errors.Pop(), "-350,\"Queue overflow\"");
}

}  // namespace
}  // namespace voltora::sim
