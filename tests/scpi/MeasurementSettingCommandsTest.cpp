#include <string>
#include <vector>

#include "ScriptedMeterFixture.h"
#include "scpi/Commands.h"

namespace voltora::scpi::test {
namespace {

using Strings = std::vector<std::string>;
using SetOperation = void (*)(const std::string&);
using QueryOperation = std::string (*)();

class MeasurementSettingCommandsTest : public ScriptedMeterTest {
protected:
    // Sends one label and returns what was written.
    static Strings WritesOf(SetOperation set, const std::string& label)
    {
        Device()->ClearWrites();
        set(label);
        return Writes();
    }

    // Answers the next query with `reply` and checks the query text sent.
    static std::string Answer(QueryOperation query, const std::string& queryText,
                              const std::string& reply)
    {
        Device()->ClearWrites();
        AnswerQueries(reply);
        std::string result = query();
        EXPECT_EQ(Writes(), Strings{queryText});
        return result;
    }
};

struct Setting {
    const char* prefix;
    SetOperation set;
    QueryOperation query;
};

TEST_F(MeasurementSettingCommandsTest, SpeedLabelsSelectTheIntegrationTime)
{
    const std::vector<Setting> speeds = {
        {"VOLT:DC", SetVoltDcSpeed, QueryVoltDcSpeed}, {"CURR:DC", SetCurrDcSpeed, QueryCurrDcSpeed},
        {"VOLT:AC", SetVoltAcSpeed, QueryVoltAcSpeed}, {"CURR:AC", SetCurrAcSpeed, QueryCurrAcSpeed},
        {"RES", SetResSpeed, QueryResSpeed},           {"FRES", SetFresSpeed, QueryFresSpeed},
    };
    for (const auto& s : speeds) {
        const std::string p = s.prefix;
        SCOPED_TRACE(p);
        EXPECT_EQ(WritesOf(s.set, "Slow"), Strings{p + ":NPLC 10"});
        EXPECT_EQ(WritesOf(s.set, "Middle"), Strings{p + ":NPLC 1"});
        EXPECT_EQ(WritesOf(s.set, "Fast"), Strings{p + ":NPLC 0.3"});
        EXPECT_EQ(WritesOf(s.set, "slow"), Strings{p + ":NPLC 0.3"});

        const std::string q = p + ":NPLC?";
        EXPECT_EQ(Answer(s.query, q, "+3.000000E-01\n"), "Fast");
        EXPECT_EQ(Answer(s.query, q, "0.5\n"), "Fast");
        EXPECT_EQ(Answer(s.query, q, "0.50001\n"), "Middle");
        EXPECT_EQ(Answer(s.query, q, "1\n"), "Middle");
        EXPECT_EQ(Answer(s.query, q, "1.0001\n"), "Slow");
        EXPECT_EQ(Answer(s.query, q, "+1.000000E+01\n"), "Slow");
        AnswerNothing();
        EXPECT_EQ(s.query(), "");
    }
}

TEST_F(MeasurementSettingCommandsTest, FilterIsOnOnlyForTheLabelOn)
{
    const std::vector<Setting> filters = {
        {"VOLT:DC", SetVoltDcFilter, QueryVoltDcFilter},
        {"CURR:DC", SetCurrDcFilter, QueryCurrDcFilter},
    };
    for (const auto& s : filters) {
        const std::string p = s.prefix;
        SCOPED_TRACE(p);
        EXPECT_EQ(WritesOf(s.set, "On"), Strings{p + ":FILTER ON"});
        EXPECT_EQ(WritesOf(s.set, "Off"), Strings{p + ":FILTER OFF"});
        EXPECT_EQ(WritesOf(s.set, "ON"), Strings{p + ":FILTER OFF"});
        const std::string q = p + ":FILTER?";
        EXPECT_EQ(Answer(s.query, q, "1\n"), "On");
        EXPECT_EQ(Answer(s.query, q, "0\n"), "Off");
        EXPECT_EQ(Answer(s.query, q, "10\n"), "Off");
        AnswerNothing();
        EXPECT_EQ(s.query(), "");
    }
}

TEST_F(MeasurementSettingCommandsTest, ImpedanceIsTenMegohmOnlyForTheLabel10M)
{
    EXPECT_EQ(WritesOf(SetVoltDcImpedance, "10M"), Strings{"VOLT:DC:IMP 10M"});
    EXPECT_EQ(WritesOf(SetVoltDcImpedance, "10G"), Strings{"VOLT:DC:IMP 10G"});
    EXPECT_EQ(WritesOf(SetVoltDcImpedance, "Auto"), Strings{"VOLT:DC:IMP 10G"});
    EXPECT_EQ(Answer(QueryVoltDcImpedance, "VOLT:DC:IMP?", "10M\n"), "10M");
    EXPECT_EQ(Answer(QueryVoltDcImpedance, "VOLT:DC:IMP?", "10G\n"), "10G");
    EXPECT_EQ(Answer(QueryVoltDcImpedance, "VOLT:DC:IMP?", "1M\n"), "10G");
    AnswerNothing();
    EXPECT_EQ(QueryVoltDcImpedance(), "");
}

struct NullSetting {
    const char* prefix;
    SetOperation setNull;
    QueryOperation queryNull;
    SetOperation setValue;
    QueryOperation queryValue;
};

TEST_F(MeasurementSettingCommandsTest, NullAlwaysSwitchesTheAutomaticNullValueOn)
{
    const std::vector<NullSetting> nulls = {
        {"VOLT:DC", SetVoltDcNull, QueryVoltDcNull, SetVoltDcNullValue, QueryVoltDcNullValue},
        {"CURR:DC", SetCurrDcNull, QueryCurrDcNull, SetCurrDcNullValue, QueryCurrDcNullValue},
        {"VOLT:AC", SetVoltAcNull, QueryVoltAcNull, SetVoltAcNullValue, QueryVoltAcNullValue},
        {"CURR:AC", SetCurrAcNull, QueryCurrAcNull, SetCurrAcNullValue, QueryCurrAcNullValue},
        {"RES", SetResNull, QueryResNull, SetResNullValue, QueryResNullValue},
        {"FRES", SetFresNull, QueryFresNull, SetFresNullValue, QueryFresNullValue},
        {"CAP", SetCapNull, QueryCapNull, SetCapNullValue, QueryCapNullValue},
        {"FREQ", SetFreqNull, QueryFreqNull, SetFreqNullValue, QueryFreqNullValue},
    };
    for (const auto& n : nulls) {
        const std::string p = n.prefix;
        SCOPED_TRACE(p);
        EXPECT_EQ(WritesOf(n.setNull, "On"), (Strings{p + ":NULL ON", p + ":NULL:VALUE:AUTO ON"}));
        EXPECT_EQ(WritesOf(n.setNull, "Off"), (Strings{p + ":NULL OFF", p + ":NULL:VALUE:AUTO ON"}));
        EXPECT_EQ(WritesOf(n.setNull, "on"), (Strings{p + ":NULL OFF", p + ":NULL:VALUE:AUTO ON"}));
        EXPECT_EQ(WritesOf(n.setValue, "0.001000000000"),
                  Strings{p + ":NULL:VALUE 0.001000000000"});

        EXPECT_EQ(Answer(n.queryNull, p + ":NULL?", "1\n"), "On");
        EXPECT_EQ(Answer(n.queryNull, p + ":NULL?", "0\n"), "Off");
        EXPECT_EQ(Answer(n.queryValue, p + ":NULL:VALUE?", "+1.250000E-03\n"), "+1.250000E-03\n");
        AnswerNothing();
        EXPECT_EQ(n.queryNull(), "");
        EXPECT_EQ(n.queryValue(), "");
    }
}

TEST_F(MeasurementSettingCommandsTest, ThresholdsAndBeeper)
{
    EXPECT_EQ(WritesOf(SetContinuityThreshold, "50"), Strings{"CONT:THR:VALUE 50"});
    EXPECT_EQ(WritesOf(SetDiodeThreshold, "2.5"), Strings{"DIODE:THR:VALUE 2.5"});
    EXPECT_EQ(WritesOf(SetBeeper, "On"), Strings{"SYST:BEEP:STAT ON"});
    EXPECT_EQ(WritesOf(SetBeeper, "Off"), Strings{"SYST:BEEP:STAT OFF"});
    EXPECT_EQ(WritesOf(SetBeeper, ""), Strings{"SYST:BEEP:STAT OFF"});

    EXPECT_EQ(Answer(QueryBeeper, "SYST:BEEP:STATE?", "1\n"), "On");
    EXPECT_EQ(Answer(QueryBeeper, "SYST:BEEP:STATE?", "0\n"), "Off");
    EXPECT_EQ(Answer(QueryBeeper, "SYST:BEEP:STATE?", "10\n"), "On");
    AnswerNothing();
    EXPECT_EQ(QueryBeeper(), "");
}

TEST_F(MeasurementSettingCommandsTest, ThresholdRepliesAreSignedFourDigitNumbers)
{
    const std::vector<std::pair<const char*, const char*>> continuity = {
        {"50\n", "+0050"},
        {"+5.000000E+01\n", "+0050"},
        {"1000\n", "+1000"},
        {"12345\n", "+12345"},
        {"-5\n", "-005"},
        {"0\n", "+0000"},
        // Held in single precision: 50.50000001 becomes 50.5, which rounds to
        // even.
        {"50.50000001\n", "+0050"},
    };
    for (const auto& [reply, label] : continuity) {
        SCOPED_TRACE(reply);
        EXPECT_EQ(Answer(QueryContinuityThreshold, "CONT:THR:VALUE?", reply), label);
    }
    const std::vector<std::pair<const char*, const char*>> diode = {
        {"2\n", "+2000"},
        {"+5.000000E-01\n", "+0500"},
        {"0.05\n", "+0050"},
        // Multiplied in single precision: 700.5000001 in double precision
        // would round up; the single-precision 700.5 rounds to even.
        {"0.7005000001\n", "+0700"},
    };
    for (const auto& [reply, label] : diode) {
        SCOPED_TRACE(reply);
        EXPECT_EQ(Answer(QueryDiodeThreshold, "DIODE:THR:VALUE?", reply), label);
    }
    AnswerNothing();
    EXPECT_EQ(QueryContinuityThreshold(), "");
    EXPECT_EQ(QueryDiodeThreshold(), "");
}

}  // namespace
}  // namespace voltora::scpi::test
