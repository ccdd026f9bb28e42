#include <functional>
#include <string>
#include <vector>

#include "ScriptedMeterFixture.h"
#include "scpi/Commands.h"

namespace voltora::scpi::test {
namespace {

using Strings = std::vector<std::string>;

class MeasurementRangeCommandsTest : public ScriptedMeterTest {};

struct SetRangeCase {
    void (*set)(const std::string&);
    const char* label;
    const char* command;
};

TEST_F(MeasurementRangeCommandsTest, RangeLabelsBecomeRangeCommands)
{
    const std::vector<SetRangeCase> cases = {
        // DC voltage: only the exact label "Auto" is automatic range.
        {SetVoltDcRange, "Auto", "VOLT:DC:RANGE:AUTO ON"},
        {SetVoltDcRange, "200mV", "VOLT:DC:RANGE 0.200"},
        {SetVoltDcRange, "2V", "VOLT:DC:RANGE 2"},
        {SetVoltDcRange, "20V", "VOLT:DC:RANGE 20"},
        {SetVoltDcRange, "1000V", "VOLT:DC:RANGE 1000"},
        {SetVoltDcRange, "AutoX", "VOLT:DC:RANGE Auto"},
        // The 200 mV and 200 uA ranges are fixed constants whatever the digits.
        {SetCurrDcRange, "Auto", "CURR:DC:RANGE:AUTO ON"},
        {SetCurrDcRange, "AutoX", "CURR:DC:RANGE:AUTO ON"},
        {SetCurrDcRange, "200uA", "CURR:DC:RANGE 0.000200"},
        {SetCurrDcRange, "500uA", "CURR:DC:RANGE 0.000200"},
        {SetCurrDcRange, "2mA", "CURR:DC:RANGE 0.002"},
        {SetCurrDcRange, "20mA", "CURR:DC:RANGE 0.020"},
        {SetCurrDcRange, "200mA", "CURR:DC:RANGE 0.200"},
        {SetCurrDcRange, "2A", "CURR:DC:RANGE 2"},
        {SetCurrDcRange, "10A", "CURR:DC:RANGE 10"},
        {SetVoltAcRange, "Auto", "VOLT:AC:RANGE:AUTO ON"},
        {SetVoltAcRange, "xAutox", "VOLT:AC:RANGE:AUTO ON"},
        {SetVoltAcRange, "200mV", "VOLT:AC:RANGE 0.200000"},
        {SetVoltAcRange, "750V", "VOLT:AC:RANGE 750"},
        {SetCurrAcRange, "Auto", "CURR:AC:RANGE:AUTO ON"},
        {SetCurrAcRange, "20mA", "CURR:AC:RANGE 0.020"},
        {SetCurrAcRange, "200uA", "CURR:AC:RANGE 200u"},
        {SetCurrAcRange, "10A", "CURR:AC:RANGE 10"},
        {SetResRange, "Auto", "RES:RANGE:AUTO ON"},
        {SetResRange, "200$OHM$", "RES:RANGE 200"},
        {SetResRange, "2k$OHM$", "RES:RANGE 2000.0"},
        {SetResRange, "200k$OHM$", "RES:RANGE 200000.0"},
        {SetResRange, "10M$OHM$", "RES:RANGE 10000000.0"},
        {SetResRange, "100M$OHM$", "RES:RANGE 100000000.0"},
        {SetFresRange, "Auto", "FRES:RANGE:AUTO ON"},
        {SetFresRange, "200$OHM$", "FRES:RANGE 200"},
        {SetFresRange, "20k$OHM$", "FRES:RANGE 20000.0"},
        {SetFresRange, "1M$OHM$", "FRES:RANGE 1000000.0"},
        {SetCapRange, "Auto", "CAP:RANGE:AUTO ON"},
        {SetCapRange, "2nF", "CAP:RANGE 0.0000000020"},
        {SetCapRange, "200nF", "CAP:RANGE 0.0000002000"},
        {SetCapRange, "2uF", "CAP:RANGE 0.0000020000"},
        {SetCapRange, "10000uF", "CAP:RANGE 0.0100000000"},
        {SetCapRange, "2pF", ""},
        {SetFreqRange, "Auto", "FREQ:VOLT:RANGE:AUTO ON"},
        {SetFreqRange, "200mV", "FREQ:VOLT:RANGE 0.200000"},
        {SetFreqRange, "750V", "FREQ:VOLT:RANGE 750"},
        // Labels too short for the characters to be removed leave nothing.
        {SetVoltDcRange, "", "VOLT:DC:RANGE "},
        {SetResRange, "$OHM", "RES:RANGE "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        SCOPED_TRACE(c.command);
        Device()->ClearWrites();
        c.set(c.label);
        EXPECT_EQ(Writes(), Strings{c.command});
    }
}

struct RangeQueryCase {
    int (*query)(std::string&);
    const char* queryText;
    const char* reply;
    const char* label;
    int digits;
};

TEST_F(MeasurementRangeCommandsTest, RangeRepliesBecomeLabelsAndDigitCounts)
{
    const std::vector<RangeQueryCase> cases = {
        {QueryVoltDcRange, "VOLT:DC:RANGE?", "+2.000000E-01\n", "200mV", 3},
        {QueryVoltDcRange, "VOLT:DC:RANGE?", "+2.000000E+00\n", "2V", 1},
        {QueryVoltDcRange, "VOLT:DC:RANGE?", "+2.000000E+01\n", "20V", 2},
        {QueryVoltDcRange, "VOLT:DC:RANGE?", "+1.000000E+03\n", "1000V", 4},
        // The first character is dropped as the sign, whatever it is: "20"
        // without its sign is 0, the lowest range.
        {QueryVoltDcRange, "VOLT:DC:RANGE?", "20\n", "200mV", 3},
        {QueryVoltDcRange, "VOLT:DC:RANGE?", "120\n", "20V", 2},
        {QueryVoltAcRange, "VOLT:AC:RANGE?", "+2.000000E-01\n", "200mV", 3},
        {QueryVoltAcRange, "VOLT:AC:RANGE?", "+7.500000E+02\n", "750V", 3},
        {QueryCurrDcRange, "CURR:DC:RANGE?", "+2.000000E-04\n", "200uA", 3},
        {QueryCurrDcRange, "CURR:DC:RANGE?", "+2.000000E-03\n", "2mA", 1},
        {QueryCurrDcRange, "CURR:DC:RANGE?", "+2.000000E-02\n", "20mA", 2},
        {QueryCurrDcRange, "CURR:DC:RANGE?", "+2.000000E-01\n", "200mA", 3},
        {QueryCurrDcRange, "CURR:DC:RANGE?", "+1.000000E+01\n", "10A", 2},
        // Compared with the single-precision 0.001, so exactly 0.001 is below.
        {QueryCurrDcRange, "CURR:DC:RANGE?", "+1.000000E-03\n", "1000uA", 4},
        {QueryCurrDcRange, "CURR:DC:RANGE?", "+1.0000001E-03\n", "1mA", 1},
        {QueryCurrAcRange, "CURR:AC:RANGE?", "+1.000000E-03\n", "1000uA", 4},
        {QueryCurrAcRange, "CURR:AC:RANGE?", "+2.000000E-02\n", "20mA", 2},
        {QueryCurrAcRange, "CURR:AC:RANGE?", "+1.000000E+00\n", "1A", 1},
        // Resistance replies keep their first character.
        {QueryResRange, "RES:RANGE?", "2.000000E+02\n", "200$OHM$", 3},
        {QueryResRange, "RES:RANGE?", "2.000000E+03\n", "2k$OHM$", 1},
        {QueryResRange, "RES:RANGE?", "+2.000000E+05\n", "200k$OHM$", 3},
        {QueryResRange, "RES:RANGE?", "1.000000E+06\n", "1M$OHM$", 1},
        {QueryResRange, "RES:RANGE?", "1.000000E+08\n", "100M$OHM$", 3},
        {QueryFresRange, "FRES:RANGE?", "2.000000E+04\n", "20k$OHM$", 2},
        {QueryFresRange, "FRES:RANGE?", "9.999000E+02\n", "999$OHM$", 3},
        {QueryCapRange, "CAP:RANGE?", "+2.000000E-09\n", "2nF", 1},
        {QueryCapRange, "CAP:RANGE?", "+2.000000E-07\n", "200nF", 3},
        {QueryCapRange, "CAP:RANGE?", "+2.000000E-06\n", "2uF", 1},
        {QueryCapRange, "CAP:RANGE?", "+1.000000E-02\n", "10000uF", 5},
        // Capacitance is rounded, not cut: 1.9999999 nF is shown as 2nF.
        {QueryCapRange, "CAP:RANGE?", "+1.9999999E-09\n", "2nF", 1},
        {QueryFreqRange, "FREQ:VOLT:RANGE?", "2.000000E-01\n", "200mV", 3},
        {QueryFreqRange, "FREQ:VOLT:RANGE?", "7.500000E+02\n", "750V", 3},
        // A lone terminator: nothing to drop the sign from, taken as no reply.
        {QueryVoltDcRange, "VOLT:DC:RANGE?", "\n", "", 0},
        {QueryCurrDcRange, "CURR:DC:RANGE?", "\n", "", 0},
        {QueryCapRange, "CAP:RANGE?", "\n", "", 0},
        // Without a sign to drop, a lone terminator reads as the value 0.
        {QueryResRange, "RES:RANGE?", "\n", "0$OHM$", 1},
        {QueryFreqRange, "FREQ:VOLT:RANGE?", "\n", "200mV", 3},
        // A sign alone is the value 0.
        {QueryVoltDcRange, "VOLT:DC:RANGE?", "+\n", "200mV", 3},
        // A value beyond the int range saturates instead of wrapping.
        {QueryVoltDcRange, "VOLT:DC:RANGE?", "+9.9E+37\n", "2147483647V", 10},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.queryText);
        SCOPED_TRACE(c.reply);
        Device()->ClearWrites();
        AnswerQueries(c.reply);
        std::string label = "previous";
        EXPECT_EQ(c.query(label), c.digits);
        EXPECT_EQ(label, c.label);
        EXPECT_EQ(Writes(), Strings{c.queryText});
    }
}

TEST_F(MeasurementRangeCommandsTest, FailedRangeQueriesGiveAnEmptyLabelAndZero)
{
    const std::vector<int (*)(std::string&)> queries = {
        QueryVoltDcRange, QueryCurrDcRange, QueryVoltAcRange, QueryCurrAcRange,
        QueryResRange,    QueryFresRange,   QueryCapRange,    QueryFreqRange,
    };
    AnswerNothing();
    for (auto query : queries) {
        std::string label = "previous";
        EXPECT_EQ(query(label), 0);
        EXPECT_EQ(label, "");
    }
}

struct RangeAutoCase {
    std::string (*query)();
    const char* queryText;
};

TEST_F(MeasurementRangeCommandsTest, RangeAutoRepliesWithAZeroAreManual)
{
    const std::vector<RangeAutoCase> queries = {
        {QueryVoltDcRangeAuto, "VOLT:DC:RANGE:AUTO?"}, {QueryCurrDcRangeAuto, "CURR:DC:RANGE:AUTO?"},
        {QueryVoltAcRangeAuto, "VOLT:AC:RANGE:AUTO?"}, {QueryCurrAcRangeAuto, "CURR:AC:RANGE:AUTO?"},
        {QueryResRangeAuto, "RES:RANGE:AUTO?"},         {QueryFresRangeAuto, "FRES:RANGE:AUTO?"},
        {QueryCapRangeAuto, "CAP:RANGE:AUTO?"},         {QueryFreqRangeAuto, "FREQ:VOLT:RANGE:AUTO?"},
    };
    const std::vector<std::pair<const char*, const char*>> replies = {
        {"1\n", "Auto"}, {"0\n", "Manual"}, {"10\n", "Manual"}, {"ON\n", "Auto"},
    };
    for (const auto& q : queries) {
        SCOPED_TRACE(q.queryText);
        for (const auto& [reply, label] : replies) {
            SCOPED_TRACE(reply);
            Device()->ClearWrites();
            AnswerQueries(reply);
            EXPECT_EQ(q.query(), label);
            EXPECT_EQ(Writes(), Strings{q.queryText});
        }
        AnswerNothing();
        EXPECT_EQ(q.query(), "");
    }
}

}  // namespace
}  // namespace voltora::scpi::test
