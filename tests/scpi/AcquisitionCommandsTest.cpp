#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "ScriptedMeterFixture.h"
#include "link/IConnection.h"
#include "scpi/Commands.h"
#include "scpi/InstrumentExchange.h"

namespace voltora::scpi::test {
namespace {

using Strings = std::vector<std::string>;

struct CommandCase {
    const char* name;
    std::function<void()> send;
    Strings writes;
};

class AcquisitionCommandsTest : public ScriptedMeterTest {};

TEST_F(AcquisitionCommandsTest, SetOperationsWriteTheirExactCommandTexts)
{
    const std::vector<CommandCase> cases = {
        {"VOLT", [] { SetFunction("VOLT"); }, {"FUNC \"VOLT:DC\""}},
        {"CURR", [] { SetFunction("CURR"); }, {"FUNC \"CURR:DC\""}},
        {"VOLT:AC", [] { SetFunction("VOLT:AC"); }, {"FUNC \"VOLT:AC\""}},
        {"CURR:AC", [] { SetFunction("CURR:AC"); }, {"FUNC \"CURR:AC\""}},
        {"RES", [] { SetFunction("RES"); }, {"FUNC \"RES\""}},
        {"FRES", [] { SetFunction("FRES"); }, {"FUNC \"FRES\""}},
        {"CAP", [] { SetFunction("CAP"); }, {"FUNC \"CAP\""}},
        {"FREQ", [] { SetFunction("FREQ"); }, {"FUNC \"FREQ\""}},
        {"PER", [] { SetFunction("PER"); }, {"FUNC \"PER\""}},
        {"CONT", [] { SetFunction("CONT"); }, {"FUNC \"CONT\""}},
        {"DIOD", [] { SetFunction("DIOD"); }, {"FUNC \"DIOD\""}},
        {"TEMP", [] { SetFunction("TEMP"); }, {"FUNC \"TEMP\""}},
        // Key words are compared exactly; anything else is an empty command.
        {"unknown word", [] { SetFunction("VOLT:DC"); }, {""}},
        {"lower case", [] { SetFunction("volt"); }, {""}},
        {"trigger count", [] { SetTriggerCountInfinite(); }, {"TRIG:COUN INF"}},
        {"initiate", [] { Initiate(); }, {"INIT"}},
        {"abort", [] { Abort(); }, {"ABORt"}},
        {"delay auto", [] { SetTriggerDelay("Auto"); }, {"TRIG:DEL:AUTO ON"}},
        {"delay value", [] { SetTriggerDelay("0.500"); }, {"TRIG:DEL 0.500"}},
        {"delay auto is exact", [] { SetTriggerDelay("auto"); }, {"TRIG:DEL auto"}},
        {"slope negative", [] { SetTriggerSlope("NEG"); }, {"OUTP:TRIG:SLOP NEG"}},
        {"slope positive", [] { SetTriggerSlope("POS"); }, {"OUTP:TRIG:SLOP POS"}},
        {"sample count", [] { SetSampleCount("1000"); }, {"SAMP:COUN 1000"}},
        {"refresh", [] { Refresh(); }, {"REFresh"}},
        {"panel code", [] { SendPanelCode(); }, {"$$SY_FP 21,0"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Device()->ClearWrites();
        c.send();
        EXPECT_EQ(Writes(), c.writes);
    }
    EXPECT_TRUE(Messages().empty());
}

struct TextQueryCase {
    const char* name;
    std::function<std::string()> query;
    const char* queryText;
    const char* reply;
    const char* expected;
};

TEST_F(AcquisitionCommandsTest, TextQueriesSendTheirQueryAndReadTheReply)
{
    const std::vector<TextQueryCase> cases = {
        {"function", QueryFunction, "FUNCTION?", "\"VOLT:AC\"\n", "VOLT:AC"},
        {"function DC", QueryFunction, "FUNCTION?", "\"VOLT\"\n", "VOLT"},
        {"function without quotes", QueryFunction, "FUNCTION?", "RES\n", "RES\n"},
        {"function one quote", QueryFunction, "FUNCTION?", "\"RES\n", ""},
        {"function inner quotes", QueryFunction, "FUNCTION?", "\"A\"B\"\n", "A\"B"},
        {"trigger delay raw", QueryTriggerDelay, "TRIG:DEL?", "+1.000000E-03\n", "+1.000000E-03\n"},
        {"sample count raw", QuerySampleCount, "SAMP:COUN?", "+100\n", "+100\n"},
        {"reading", QueryLastReading, "DATA:LAST?", "1.234E+00 VDC\n", "1.234E+00"},
        {"reading without blank", QueryLastReading, "DATA:LAST?", "-0.5\n", "-0.5\n"},
        {"overload", QueryLastReading, "DATA:LAST?", "9.9E+37 VDC\n", "Overload"},
        {"negative overload", QueryLastReading, "DATA:LAST?", "-9.9E+37 VDC\n", "Overload"},
        {"overload without unit", QueryLastReading, "DATA:LAST?", "+9.90000000E+37\n", "Overload"},
        {"just below overload", QueryLastReading, "DATA:LAST?", "9.8E+37 VDC\n", "9.8E+37"},
        {"measurement", QueryMeasurement, "DATA:LAST?", "+2.5E-03 ADC\n", "+2.5E-03"},
        {"measurement overload", QueryMeasurement, "DATA:LAST?", "9.9E+37 ADC\n", "Overload"},
        {"continuity open", QueryContinuityReading, "DATA:LAST?", "9.9E+37 OHM\n", "open"},
        {"continuity value", QueryContinuityReading, "DATA:LAST?", "12.5 OHM\n", "12.5"},
        {"fetch raw", FetchReadings, "FETCh?", "1.0,2.0,3.0\n", "1.0,2.0,3.0\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Device()->ClearWrites();
        AnswerQueries(c.reply);
        EXPECT_EQ(c.query(), c.expected);
        EXPECT_EQ(Writes(), Strings{c.queryText});
    }
    EXPECT_TRUE(Messages().empty());
}

TEST_F(AcquisitionCommandsTest, TriggerDelayAutoIsTrueOnlyForExactlyOneAndLineFeed)
{
    const std::vector<std::pair<const char*, bool>> cases = {
        {"1\n", true}, {"1", false}, {"1.0\n", false}, {"0\n", false}, {" 1\n", false},
    };
    for (const auto& [reply, expected] : cases) {
        SCOPED_TRACE(reply);
        Device()->ClearWrites();
        AnswerQueries(reply);
        EXPECT_EQ(QueryTriggerDelayAuto(), expected);
        EXPECT_EQ(Writes(), Strings{"TRIG:DEL:AUTO?"});
    }
}

TEST_F(AcquisitionCommandsTest, DataPointsAreReadAsAnInteger)
{
    const std::vector<std::pair<const char*, int>> cases = {
        {"+125\n", 125}, {"0\n", 0}, {"  42abc\n", 42}, {"x\n", 0}, {"99999999999\n", 2147483647},
    };
    for (const auto& [reply, expected] : cases) {
        SCOPED_TRACE(reply);
        Device()->ClearWrites();
        AnswerQueries(reply);
        EXPECT_EQ(QueryDataPoints(), expected);
        EXPECT_EQ(Writes(), Strings{"DATA:POINts?"});
    }
}

TEST_F(AcquisitionCommandsTest, FailedQueriesGiveEmptyResults)
{
    AnswerNothing();
    EXPECT_EQ(QueryFunction(), "");
    EXPECT_EQ(QueryLastReading(), "");
    EXPECT_EQ(QueryMeasurement(), "");
    EXPECT_EQ(QueryContinuityReading(), "");
    EXPECT_FALSE(QueryTriggerDelayAuto());
    EXPECT_EQ(QueryTriggerDelay(), "");
    EXPECT_EQ(QuerySampleCount(), "");
    EXPECT_EQ(QueryDataPoints(), 0);
    EXPECT_EQ(FetchReadings(), "");
    // The connection reports each failed read once; the commands add nothing.
    EXPECT_EQ(Messages().size(), 9u);
}

TEST_F(AcquisitionCommandsTest, AQueryWhoseWriteFailsGivesAnEmptyResultWithoutMessage)
{
    AnswerQueries("\"VOLT\"\n");
    Device()->FailNextWrite();
    EXPECT_EQ(QueryFunction(), "");
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(QueryFunction(), "VOLT");
}

TEST_F(AcquisitionCommandsTest, AReplyThatFillsTheWholeBufferIsNotReadPastIt)
{
    // 40 characters into a 32-byte buffer: no NUL stands in the buffer.
    const std::string reply = "0123456789012345678901234567890123456789\n";
    AnswerQueries(reply);
    EXPECT_EQ(QueryTriggerDelay(), reply.substr(0, 32));
    // The rest of that reply must not be taken for the next one.
    AnswerQueries("+5\n");
    EXPECT_EQ(QuerySampleCount(), "+5\n");
}

TEST_F(AcquisitionCommandsTest, AReplyWithAnEmbeddedNulEndsThere)
{
    AnswerQueries(std::string("12.5\0 VDC\n", 10));
    EXPECT_EQ(QueryLastReading(), "12.5");
}

TEST_F(AcquisitionCommandsTest, FetchKeepsAReplyLongerThanSingleValueBuffers)
{
    std::string reply;
    for (int i = 0; i < 5000; ++i) {
        reply += "+1.23456789E+00,";
    }
    reply.back() = '\n';
    AnswerQueries(reply);
    EXPECT_EQ(FetchReadings(), reply);
}

TEST_F(AcquisitionCommandsTest, FetchIsLimitedToItsBuffer)
{
    const std::string reply(kFetchBufferSize + 100, '7');
    AnswerQueries(reply);
    EXPECT_EQ(FetchReadings().size(), kFetchBufferSize);
}

TEST(IsOverloadTest, OverloadIsAValueAtOrBeyondPlusMinus9Point9E37)
{
    const std::vector<std::pair<const char*, bool>> cases = {
        {"9.9E+37", true},      {"-9.9E+37", true},     {"9.9e37", true},
        {"1E+38", true},        {"-1E+38", true},       {"9.89E+37", false},
        {"-9.89E+37", false},   {"0", false},           {"", false},
        {"OVLD", false},        {"  +9.9E+37 V", true}, {"inf", true},
    };
    for (const auto& [text, expected] : cases) {
        SCOPED_TRACE(text);
        EXPECT_EQ(IsOverload(text), expected);
    }
}

// Answers every query with one fixed reply and records what is written.
class RecordingConnection : public IConnection {
public:
    bool Open(const char*) override { return true; }
    bool Close() override { return true; }
    bool IsConnected() override { return true; }
    bool HasFailed() const override { return false; }
    bool Write(const char* command) override
    {
        writes.emplace_back(command);
        return true;
    }
    bool Read(char* buffer, unsigned size, unsigned* count) override
    {
        const std::string reply = "\"CAP\"\n";
        *count = static_cast<unsigned>(std::min<std::size_t>(reply.size(), size));
        std::memcpy(buffer, reply.data(), *count);
        return true;
    }
    bool Query(const char* command, char* buffer, unsigned size, unsigned* count) override
    {
        return Write(command) && Read(buffer, size, count);
    }
    void FindUsbResources(std::vector<std::string>&, std::vector<std::string>&) override {}

    Strings writes;
};

// While a connection is bound, the operations write to it and read its
// replies, and the shared connection sees nothing; unbound, they are back on
// the shared connection.
TEST_F(AcquisitionCommandsTest, OperationsGoThroughTheBoundConnection)
{
    AnswerQueries("\"VOLT\"\n");
    RecordingConnection bound;
    BindConnection(&bound);
    SetFunction("FREQ");
    const std::string whileBound = QueryFunction();
    BindConnection(nullptr);
    EXPECT_EQ(bound.writes, (Strings{"FUNC \"FREQ\"", "FUNCTION?"}));
    EXPECT_EQ(whileBound, "CAP");
    EXPECT_TRUE(Writes().empty());

    SetFunction("RES");
    EXPECT_EQ(QueryFunction(), "VOLT");
    EXPECT_EQ(Writes(), (Strings{"FUNC \"RES\"", "FUNCTION?"}));
    EXPECT_EQ(bound.writes.size(), 2u);
}

}  // namespace
}  // namespace voltora::scpi::test
