#include <clocale>
#include <cstring>
#include <string>
#include <vector>

#include "ScriptedMeterFixture.h"
#include "scpi/Commands.h"

namespace voltora::scpi::test {
namespace {

using Strings = std::vector<std::string>;

// Runs the number-carrying commands and replies with the process in a locale
// whose decimal separator is a comma. Nothing the meter sees or the program
// reads may change.
class CLocaleCommandsTest : public ScriptedMeterTest {
protected:
    void SetUp() override
    {
        ScriptedMeterTest::SetUp();
        previous_ = std::setlocale(LC_ALL, nullptr);
        if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) {
            GTEST_SKIP() << "locale de_DE.UTF-8 is not installed (scripts/setup.sh generates it)";
        }
        ASSERT_STREQ(std::localeconv()->decimal_point, ",");
    }

    void TearDown() override { std::setlocale(LC_ALL, previous_.c_str()); }

    static Strings WritesOf(void (*send)())
    {
        Device()->ClearWrites();
        send();
        return Writes();
    }

private:
    std::string previous_;
};

TEST_F(CLocaleCommandsTest, CommandTextsKeepTheDecimalPoint)
{
    EXPECT_EQ(WritesOf([] { SetVoltDcRange("200mV"); }), Strings{"VOLT:DC:RANGE 0.200"});
    EXPECT_EQ(WritesOf([] { SetVoltAcRange("200mV"); }), Strings{"VOLT:AC:RANGE 0.200000"});
    EXPECT_EQ(WritesOf([] { SetFreqRange("200mV"); }), Strings{"FREQ:VOLT:RANGE 0.200000"});
    EXPECT_EQ(WritesOf([] { SetCurrDcRange("200uA"); }), Strings{"CURR:DC:RANGE 0.000200"});
    EXPECT_EQ(WritesOf([] { SetCurrDcRange("20mA"); }), Strings{"CURR:DC:RANGE 0.020"});
    EXPECT_EQ(WritesOf([] { SetCurrAcRange("200mA"); }), Strings{"CURR:AC:RANGE 0.200"});
    EXPECT_EQ(WritesOf([] { SetResRange("2k$OHM$"); }), Strings{"RES:RANGE 2000.0"});
    EXPECT_EQ(WritesOf([] { SetFresRange("10M$OHM$"); }), Strings{"FRES:RANGE 10000000.0"});
    EXPECT_EQ(WritesOf([] { SetCapRange("2nF"); }), Strings{"CAP:RANGE 0.0000000020"});
    EXPECT_EQ(WritesOf([] { SetLimitLower(-1.5); }), Strings{"CALCulate:LIMit:LOWer -1.500000000000"});
    EXPECT_EQ(WritesOf([] { SetLimitUpper(0.25); }), Strings{"CALCulate:LIMit:UPPer 0.250000000000"});
    EXPECT_EQ(WritesOf([] { SetHistogramLower(0.1234); }),
              Strings{"CALCulate:TRANsform:HISTogram:RANGe:LOWer 0.1234"});
    EXPECT_EQ(WritesOf([] { SetHistogramUpper(1.5); }),
              Strings{"CALCulate:TRANsform:HISTogram:RANGe:UPPer 1.500"});
}

TEST_F(CLocaleCommandsTest, RepliesAreReadWithTheDecimalPoint)
{
    std::string label;
    AnswerQueries("+2.000000E+01\n");
    EXPECT_EQ(QueryVoltDcRange(label), 2);
    EXPECT_EQ(label, "20V");
    AnswerQueries("+2.000000E-01\n");
    EXPECT_EQ(QueryVoltDcRange(label), 3);
    EXPECT_EQ(label, "200mV");
    AnswerQueries("+2.000000E-02\n");
    QueryCurrDcRange(label);
    EXPECT_EQ(label, "20mA");
    AnswerQueries("+2.000000E-09\n");
    QueryCapRange(label);
    EXPECT_EQ(label, "2nF");
    AnswerQueries("0.5\n");
    EXPECT_EQ(QueryVoltDcSpeed(), "Fast");
    AnswerQueries("0.7\n");
    EXPECT_EQ(QueryDiodeThreshold(), "+0700");
    AnswerQueries("-1.5\n");
    EXPECT_DOUBLE_EQ(QueryLimitLower(), -1.5);
    AnswerQueries("3.7\n");
    EXPECT_EQ(QueryDbReference(), 3);
    AnswerQueries("THER|23.5,C\n");
    EXPECT_EQ(QuerySensorValue(), "23.500000000000");
    AnswerQueries("9.9E+37 VDC\n");
    EXPECT_EQ(QueryLastReading(), "Overload");
    EXPECT_TRUE(IsOverload("9.9E+37"));
    EXPECT_FALSE(IsOverload("9,9E+37"));
}

}  // namespace
}  // namespace voltora::scpi::test
