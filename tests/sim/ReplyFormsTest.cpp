// Every query the program sends, answered in the form the program parses.

#include "MeterTestSupport.h"
#include "ReplyRules.h"
#include "platform/CNumbers.h"

#include <gtest/gtest.h>

#include <regex>

namespace voltora::sim::test {
namespace {

const std::regex kScientific(R"([+-]\d\.\d+E[+-]\d\d)");
const std::regex kInteger(R"(-?\d+)");

struct RangeCase {
    const char* prefix;
    const char* function;  // argument of FUNC
    std::vector<std::string> labels;
};

// Every range label the functions offer goes to the meter through the range
// rule and comes back from the range query as the same label.
class RangeRoundTrip : public testing::TestWithParam<RangeCase> {};

TEST_P(RangeRoundTrip, EveryLabelComesBackUnchanged)
{
    const RangeCase& c = GetParam();
    ManualMeter meter;
    meter.Send(std::string("FUNC \"") + c.function + "\"");
    for (const std::string& label : c.labels) {
        SCOPED_TRACE(label);
        ASSERT_TRUE(meter.Send(RangeCommand(c.prefix, label)));
        const std::string query = std::string(c.prefix == std::string("FREQ") ? "FREQ:VOLT" : c.prefix) + ":RANGE";
        const std::string reply = meter.Query(query + "?");
        ASSERT_FALSE(reply.empty());
        EXPECT_EQ(reply.back(), '\n');
        EXPECT_TRUE(std::regex_match(Chomp(reply), kScientific)) << reply;
        EXPECT_EQ(RangeLabel(c.prefix, reply), label);
        EXPECT_EQ(meter.Query(query + ":AUTO?"), "0\n");
    }
    ASSERT_TRUE(meter.Send(RangeCommand(c.prefix, "Auto")));
    EXPECT_EQ(meter.Query(std::string(c.prefix == std::string("FREQ") ? "FREQ:VOLT" : c.prefix) + ":RANGE:AUTO?"),
              "1\n");
    EXPECT_EQ(meter.Query("SYST:ERR?"), "+0,\"No error\"\n");
}

INSTANTIATE_TEST_SUITE_P(
    Functions, RangeRoundTrip,
    testing::Values(RangeCase{"VOLT:DC", "VOLT:DC", {"200mV", "2V", "20V", "200V", "1000V"}},
                    RangeCase{"CURR:DC", "CURR:DC", {"200uA", "2mA", "20mA", "200mA", "2A", "10A"}},
                    RangeCase{"VOLT:AC", "VOLT:AC", {"200mV", "2V", "20V", "200V", "750V"}},
                    RangeCase{"CURR:AC", "CURR:AC", {"20mA", "200mA", "2A", "10A"}},
                    RangeCase{"RES", "RES",
                              {"200$OHM$", "2k$OHM$", "20k$OHM$", "200k$OHM$", "2M$OHM$", "10M$OHM$", "100M$OHM$"}},
                    RangeCase{"FRES", "FRES",
                              {"200$OHM$", "2k$OHM$", "20k$OHM$", "200k$OHM$", "2M$OHM$", "10M$OHM$", "100M$OHM$"}},
                    RangeCase{"CAP", "CAP", {"2nF", "20nF", "200nF", "2uF", "20uF", "200uF", "10000uF"}},
                    RangeCase{"FREQ", "FREQ", {"200mV", "2V", "20V", "200V", "750V"}}));

TEST(ReplyForms, IdentityAnswersBothProbesWithFourFieldsContainingZan)
{
    ManualMeter meter;
    for (const char* probe : {"IDN-ZOBR-PRI?", "*IDN?", "*idn?"}) {
        const std::string reply = meter.Query(probe);
        EXPECT_NE(reply.find("ZAN"), std::string::npos) << probe;
        EXPECT_EQ(SplitFields(Chomp(reply)).size(), 4u);
        EXPECT_LE(reply.size(), 256u);
    }
}

TEST(ReplyForms, FunctionQueryAnswersTheKeyWordOfEachSelection)
{
    const std::vector<std::pair<std::string, std::string>> selections{
        {"VOLT:DC", "VOLT"}, {"CURR:DC", "CURR"}, {"VOLT:AC", "VOLT:AC"}, {"CURR:AC", "CURR:AC"},
        {"RES", "RES"},      {"FRES", "FRES"},    {"CAP", "CAP"},         {"FREQ", "FREQ"},
        {"PER", "PER"},      {"CONT", "CONT"},    {"DIOD", "DIOD"},       {"TEMP", "TEMP"}};
    ManualMeter meter;
    for (const auto& [argument, keyWord] : selections) {
        meter.Send("FUNC \"" + argument + "\"");
        const std::string reply = meter.Query("FUNCTION?");
        EXPECT_EQ(reply, "\"" + keyWord + "\"\n");
        EXPECT_EQ(FunctionKeyWord(reply), keyWord);
    }
}

TEST(ReplyForms, LastReadingIsSignedScientificBlankAndUnitForEveryFunction)
{
    ManualMeter meter;
    meter.Meter().SetSignal("CONT", 12.3);
    for (const char* function : {"VOLT:DC", "CURR:DC", "VOLT:AC", "CURR:AC", "RES", "FRES", "CAP", "FREQ", "PER",
                                 "CONT", "DIOD", "TEMP"}) {
        SCOPED_TRACE(function);
        meter.Send(std::string("FUNC \"") + function + "\"");
        meter.AdvanceMs(1000);
        const std::string reply = meter.Query("DATA:LAST?");
        ASSERT_LE(reply.size(), 31u);  // fits the 32-byte reply buffer with its NUL
        const std::vector<std::string> parts = SplitFields(Chomp(reply), ' ');
        ASSERT_EQ(parts.size(), 2u) << reply;
        EXPECT_TRUE(std::regex_match(parts[0], kScientific)) << reply;
        EXPECT_FALSE(parts[1].empty());
        EXPECT_NE(ReadingText(reply), "Overload");
        EXPECT_GT(meter.Points(), 0);
    }
}

TEST(ReplyForms, ExactFlagReplies)
{
    ManualMeter meter;
    EXPECT_EQ(meter.Query("TRIG:DEL:AUTO?"), "1\n");
    meter.Send("TRIG:DEL 0.500");
    EXPECT_EQ(meter.Query("TRIG:DEL:AUTO?"), "0\n");
    EXPECT_DOUBLE_EQ(Number(meter.Query("TRIG:DEL?")), 0.5);
    meter.Send("TRIG:DEL:AUTO ON");
    EXPECT_EQ(meter.Query("TRIG:DEL:AUTO?"), "1\n");
    // Read as integers by the program, so they must be plain integers.
    for (const char* query : {"SAMP:COUN?", "DATA:POINts?", "CALCulate:AVERage:COUNt?",
                              "CALCulate:TRANsform:HISTogram:RANGe:AUTO?", "CALCulate:LIMit:STATe?",
                              "CALCulate:SCALe:STATe?"}) {
        EXPECT_TRUE(std::regex_match(Chomp(meter.Query(query)), kInteger)) << query;
    }
    EXPECT_LE(meter.Query("CALCulate:SCALe:REFerence:AUTO?").size(), 7u);  // read with an 8-byte buffer
}

TEST(ReplyForms, StatisticsHaveFourFieldsAndPeakToPeakMatchesThem)
{
    ManualMeter meter;
    meter.AdvanceMs(5000);
    const std::string all = meter.Query("CALCulate:AVERage:ALL?");
    ASSERT_LE(all.size(), 255u);
    const std::vector<std::string> fields = SplitFields(Chomp(all));
    ASSERT_EQ(fields.size(), 4u);
    for (const std::string& field : fields) {
        EXPECT_TRUE(std::regex_match(field, kScientific)) << field;
    }
    const double average = Number(fields[0]);
    const double maximum = Number(fields[2]);
    const double minimum = Number(fields[3]);
    EXPECT_LE(minimum, average);
    EXPECT_LE(average, maximum);
    EXPECT_GT(Number(fields[1]), 0.0);
    EXPECT_NEAR(Number(meter.Query("CALCulate:AVERage:PTPeak?")), maximum - minimum, 1e-6);
    EXPECT_EQ(Number(meter.Query("CALCulate:AVERage:COUNt?")), meter.Points());
}

TEST(ReplyForms, TemperatureQueries)
{
    ManualMeter meter;
    meter.Send("FUNC \"TEMP\"");
    meter.AdvanceMs(1000);
    const std::string cad = meter.Query("TEMP:CAD?");
    ASSERT_LE(cad.size(), 127u);
    // A K thermocouple at room temperature gives about a millivolt.
    EXPECT_NEAR(Number(SensorValueText(cad)), 0.94e-3, 0.1e-3) << cad;
    EXPECT_EQ(meter.Query("TEMP:TRAN?"), "MANU DEFINE,THER,KITS90\n");
    EXPECT_EQ(meter.Query("UNIT:TEMP?"), "C\n");
    EXPECT_EQ(meter.Query("TEMP:NULL?"), "0\n");
    EXPECT_TRUE(std::regex_match(Chomp(meter.Query("TEMP:NULL:VALUE?")), kScientific));
    for (const char* display : {"TEM", "MEA"}) {
        meter.Send(std::string("TYPE:TEMP ") + display);
        const std::string label = Chomp(meter.Query("TYPE:TEMP?"));
        EXPECT_EQ(label, std::string(display) == "TEM" ? "Temp Val" : "Meas Val");
    }
}

TEST(ReplyForms, TransducerListsAndPointTables)
{
    ManualMeter meter;
    EXPECT_EQ(meter.Query("TEMP:UDEF:THER:TRAN:LIST?"), "NONE\n");
    EXPECT_EQ(meter.Query("TEMP:UDEF:RTD:TRAN:LIST?"), "NONE\n");
    const std::string thermocouples = meter.Query("TEMP:MDEF:THER:TRAN:LIST?");
    ASSERT_LE(thermocouples.size(), 255u);
    const std::vector<std::string> names = TransducerNames(thermocouples);
    EXPECT_EQ(names, (std::vector<std::string>{"BITS90", "EITS90", "JITS90", "KITS90", "NITS90", "RITS90", "SITS90",
                                               "TITS90"}));
    const std::vector<std::string> rtds = TransducerNames(meter.Query("TEMP:MDEF:RTD:TRAN:LIST?"));
    ASSERT_FALSE(rtds.empty());

    for (const std::string& name : names) {
        const std::string points = meter.Query("TEMP:MDEF:THER:TRAN:POIN? " + name);
        ASSERT_LT(points.size(), 10240u) << name;
        const std::vector<std::string> entries = SplitFields(Chomp(points));
        ASSERT_GT(entries.size(), 10u);
        for (std::size_t k = 0; k < entries.size(); ++k) {
            const std::vector<std::string> columns = SplitFields(entries[k], '|');
            ASSERT_EQ(columns.size(), 3u) << entries[k];
            EXPECT_EQ(columns[0], platform::CFormat("%zu", k + 1));
        }
    }
    EXPECT_LT(meter.Query("TEMP:MDEF:RTD:TRAN:POIN? " + rtds.front()).size(), 10240u);
}

TEST(ReplyForms, ThresholdRepliesGiveTheProgramsLabels)
{
    ManualMeter meter;
    EXPECT_EQ(ContinuityThresholdLabel(meter.Query("CONT:THR:VALUE?")), "+0050");
    EXPECT_EQ(DiodeThresholdLabel(meter.Query("DIODE:THR:VALUE?")), "+2000");
    meter.Send("CONT:THR:VALUE 0060");
    meter.Send("DIODE:THR:VALUE 0.750000");
    EXPECT_EQ(ContinuityThresholdLabel(meter.Query("CONT:THR:VALUE?")), "+0060");
    EXPECT_EQ(DiodeThresholdLabel(meter.Query("DIODE:THR:VALUE?")), "+0750");
}

TEST(ReplyForms, UnknownQueryLeavesTheMeterSilentAndQueuesAnError)
{
    ManualMeter meter;
    EXPECT_FALSE(meter.Meter().Execute("VOLT:DC:BOGUS?").has_value());
    EXPECT_FALSE(meter.Meter().Execute("CALCUL:AVER:ALL?").has_value());  // neither short nor long form
    EXPECT_EQ(meter.Query("SYST:ERR?"), "-113,\"Undefined header\"\n");
}

}  // namespace
}  // namespace voltora::sim::test
