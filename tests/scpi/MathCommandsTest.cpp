#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "ScriptedMeterFixture.h"
#include "scpi/Commands.h"

namespace voltora::scpi::test {
namespace {

using Strings = std::vector<std::string>;

class MathCommandsTest : public ScriptedMeterTest {};

struct FormattedCase {
    const char* name;
    std::function<bool()> send;
    const char* command;
};

TEST_F(MathCommandsTest, FormattedCommandsWriteTheirTextAndReportTheWrite)
{
    const std::vector<FormattedCase> cases = {
        {"histogram points", [] { return SetHistogramPoints(100); },
         "CALCulate:TRANsform:HISTogram:POINts 100"},
        {"histogram lower", [] { return SetHistogramLower(0.1234); },
         "CALCulate:TRANsform:HISTogram:RANGe:LOWer 0.1234"},
        {"small histogram bound", [] { return SetHistogramLower(15e-6); },
         "CALCulate:TRANsform:HISTogram:RANGe:LOWer 0.000015"},
        {"histogram upper", [] { return SetHistogramUpper(-2.0); },
         "CALCulate:TRANsform:HISTogram:RANGe:UPPer -2.000"},
        {"limit state", [] { return SetLimitState(1); }, "CALCulate:LIMit:STATe 1"},
        {"limit lower", [] { return SetLimitLower(-1.5); },
         "CALCulate:LIMit:LOWer -1.500000000000"},
        {"limit upper", [] { return SetLimitUpper(2.25e-3); },
         "CALCulate:LIMit:UPPer 0.002250000000"},
        {"large limit", [] { return SetLimitUpper(1e20); },
         "CALCulate:LIMit:UPPer 100000000000000000000.000000000000"},
        {"scale state", [] { return SetScaleState(0); }, "CALCulate:SCALe:STATe 0"},
        {"scale function", [] { return SetScaleFunction("DBM"); },
         "CALCulate:SCALe:FUNCtion DBM"},
        {"dB reference", [] { return SetDbReference(-10); }, "CALCulate:SCALe:DB:REFerence -10"},
        {"dBm reference", [] { return SetDbmReference(600); },
         "CALCulate:SCALe:DBM:REFerence 600"},
        {"reference auto", [] { return SetScaleReferenceAuto(1); },
         "CALCulate:SCALe:REFerence:AUTO 1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Device()->ClearWrites();
        EXPECT_TRUE(c.send());
        EXPECT_EQ(Writes(), Strings{c.command});

        // The result is the write's: a failed write is reported as false.
        Device()->FailNextWrite();
        EXPECT_FALSE(c.send());
    }
}

TEST_F(MathCommandsTest, FormattedCommandsTooLongForTheMeterAreNotSentCut)
{
    const std::vector<FormattedCase> cases = {
        {"state beyond 31 characters", [] { return SetLimitState(-2000000000); }, ""},
        {"scale state beyond 31 characters", [] { return SetScaleState(-2000000000); }, ""},
        {"limit beyond 63 characters", [] { return SetLimitLower(-1e40); }, ""},
        {"limit one character too long", [] { return SetLimitLower(-1e27); }, ""},
        {"scale function beyond 63 characters",
         [] { return SetScaleFunction(std::string(40, 'D')); }, ""},
        {"histogram bound beyond 255 characters", [] { return SetHistogramLower(1e300); }, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Device()->ClearWrites();
        EXPECT_FALSE(c.send());
        EXPECT_TRUE(Writes().empty());
    }
    // The longest limit that still fits is sent whole.
    Device()->ClearWrites();
    EXPECT_TRUE(SetLimitLower(1e27));
    ASSERT_EQ(Writes().size(), 1u);
    EXPECT_EQ(Writes()[0].size(), 63u);
}

TEST_F(MathCommandsTest, PlainCommands)
{
    const std::vector<std::pair<std::function<void()>, const char*>> cases = {
        {[] { SetTrendChartMode("ALL"); }, "CALCulate:TRENd:CHARt:MODe ALL"},
        {[] { SetTrendChartMode("REC"); }, "CALCulate:TRENd:CHARt:MODe REC"},
        {[] { ClearHistogram(); }, "CALCulate:TRANsform:HISTogram:CLEar"},
        {[] { SetHistogramRangeAuto(true); }, "CALCulate:TRANsform:HISTogram:RANGe:AUTO 1"},
        {[] { SetHistogramRangeAuto(false); }, "CALCulate:TRANsform:HISTogram:RANGe:AUTO 0"},
        {[] { ClearStatistics(); }, "CALCulate:AVERage:CLEar"},
    };
    for (const auto& [send, command] : cases) {
        SCOPED_TRACE(command);
        Device()->ClearWrites();
        send();
        EXPECT_EQ(Writes(), Strings{command});
    }
}

struct NumberQueryCase {
    const char* queryText;
    std::function<double()> query;
    const char* reply;
    double expected;
};

TEST_F(MathCommandsTest, NumberQueries)
{
    const std::vector<NumberQueryCase> cases = {
        {"CALCulate:AVERage:COUNt?", QueryStatisticsCount, "+1.250000E+02\n", 125.0},
        {"CALCulate:LIMit:STATe?", QueryLimitState, "1\n", 1},
        {"CALCulate:LIMit:LOWer?", QueryLimitLower, "-1.500000E+00\n", -1.5},
        {"CALCulate:LIMit:UPPer?", QueryLimitUpper, "+2.5E-03\n", 0.0025},
        {"CALCulate:SCALe:STATe?", QueryScaleState, "0\n", 0},
        {"CALCulate:TRANsform:HISTogram:RANGe:AUTO?", QueryHistogramRangeAuto, "1\n", 1},
        // Read as numbers and cut towards zero.
        {"CALCulate:SCALe:DB:REFerence?", QueryDbReference, "3.7\n", 3},
        {"CALCulate:SCALe:DB:REFerence?", QueryDbReference, "-3.7\n", -3},
        {"CALCulate:SCALe:DBM:REFerence?", QueryDbmReference, "+6.000000E+02\n", 600},
        {"CALCulate:SCALe:REFerence:AUTO?", QueryScaleReferenceAuto, "1\n", 1},
        // Integer queries read digits only.
        {"CALCulate:LIMit:STATe?", QueryLimitState, "1.9\n", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.queryText);
        SCOPED_TRACE(c.reply);
        Device()->ClearWrites();
        AnswerQueries(c.reply);
        EXPECT_DOUBLE_EQ(c.query(), c.expected);
        EXPECT_EQ(Writes(), Strings{c.queryText});
    }
    AnswerNothing();
    for (const auto& c : cases) {
        EXPECT_EQ(c.query(), 0.0) << c.queryText;
    }
}

TEST_F(MathCommandsTest, ScaleReferenceAutoReadsAnEightByteReply)
{
    // The reply buffer holds 8 bytes: "12345678" of "123456789\n" are kept.
    AnswerQueries("123456789\n");
    EXPECT_EQ(QueryScaleReferenceAuto(), 12345678);
}

TEST_F(MathCommandsTest, TextQueries)
{
    const std::vector<std::tuple<std::function<std::string()>, const char*, const char*, const char*>>
        cases = {
            {QueryTrendChartMode, "CALCulate:TRENd:CHARt:MODe?", "ALL\n", "ALL"},
            {QueryTrendChartMode, "CALCulate:TRENd:CHARt:MODe?", "\"ALL\"\n", "ALL"},
            {QueryTrendChartMode, "CALCulate:TRENd:CHARt:MODe?", "REC\n", "REC"},
            {QueryTrendChartMode, "CALCulate:TRENd:CHARt:MODe?", "all\n", "REC"},
            {QueryScaleFunction, "CALCulate:SCALe:FUNCtion?", "DB\n", "dB"},
            {QueryScaleFunction, "CALCulate:SCALe:FUNCtion?", "DBM\n", "dBm"},
            {QueryScaleFunction, "CALCulate:SCALe:FUNCtion?", "DB", "dBm"},
            {QueryScaleFunction, "CALCulate:SCALe:FUNCtion?", "DB\n;x\n", "dB"},
            {QueryScaleFunction, "CALCulate:SCALe:FUNCtion?", "\n", "dBm"},
            {QueryPeakToPeak, "CALCulate:AVERage:PTPeak?", "+1.2E-03\n", "+1.2E-03\n"},
        };
    for (const auto& [query, queryText, reply, expected] : cases) {
        SCOPED_TRACE(reply);
        Device()->ClearWrites();
        AnswerQueries(reply);
        EXPECT_EQ(query(), expected);
        EXPECT_EQ(Writes(), Strings{queryText});
    }
    AnswerNothing();
    EXPECT_EQ(QueryTrendChartMode(), "REC");
    EXPECT_EQ(QueryScaleFunction(), "");
    EXPECT_EQ(QueryPeakToPeak(), "");
}

TEST_F(MathCommandsTest, TrendDataFillsTheTrendBufferAndReportsTheByteCount)
{
    const char* buffer = TrendBuffer();
    // A longer reply first, so that the shorter one must clear its tail.
    AnswerQueries(std::string(63, 'x') + "\n");
    unsigned size = kTrendBufferCapacity;
    QueryTrendChartData(size);
    ASSERT_EQ(size, 64u);
    Device()->ClearWrites();
    const std::string reply = "1.0,2.0,3.0,4.0,5.0\n";
    ASSERT_EQ(reply.size(), 20u);
    AnswerQueries(reply);
    size = kTrendBufferCapacity;
    QueryTrendChartData(size);
    EXPECT_EQ(size, 20u);
    EXPECT_EQ(std::string(buffer, 20), reply);
    EXPECT_EQ(std::string(buffer + 20, 44), std::string(44, '\0'));
    EXPECT_EQ(Writes(), Strings{"CALCulate:TRENd:CHARt:DATA?"});
}

TEST_F(MathCommandsTest, ListQueriesNeverWritePastTheirBuffers)
{
    // A capacity beyond the buffer is reduced to it.
    const std::string trend(kTrendBufferCapacity + 10, '5');
    AnswerQueries(trend);
    unsigned size = kTrendBufferCapacity + 1000;
    QueryTrendChartData(size);
    EXPECT_EQ(size, kTrendBufferCapacity);

    const std::string histogram(kHistogramBufferCapacity + 10, '6');
    AnswerQueries(histogram);
    size = 0xFFFFFFFFu;
    QueryHistogramAll(size);
    EXPECT_EQ(size, kHistogramBufferCapacity);
    EXPECT_EQ(HistogramBuffer()[kHistogramBufferCapacity - 1], '6');
}

TEST_F(MathCommandsTest, FailedListQueriesLeaveZeroedBuffers)
{
    AnswerQueries(std::string(99, 'x') + "\n");
    unsigned size = kHistogramBufferCapacity;
    QueryHistogramAll(size);
    ASSERT_EQ(size, 100u);
    AnswerNothing();
    size = kHistogramBufferCapacity;
    QueryHistogramAll(size);
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(std::string(HistogramBuffer(), 100), std::string(100, '\0'));
}

TEST_F(MathCommandsTest, HistogramAndStatisticsReplies)
{
    const std::string histogram = "-1.0,1.0,20,0,5,10,5,0\n";
    AnswerQueries(histogram);
    unsigned size = kHistogramBufferCapacity;
    QueryHistogramAll(size);
    EXPECT_EQ(size, histogram.size());
    EXPECT_STREQ(HistogramBuffer(), histogram.c_str());
    EXPECT_EQ(Writes(), Strings{"CALCulate:TRANsform:HISTogram:ALL?"});

    Device()->ClearWrites();
    char statistics[kStatisticsReplySize];
    std::memset(statistics, 'x', sizeof statistics);
    const std::string reply = "+1.0E+00,+2.0E-03,+1.1E+00,+9.0E-01\n";
    AnswerQueries(reply);
    size = sizeof statistics;
    QueryStatisticsAll(statistics, size);
    EXPECT_EQ(size, reply.size());
    EXPECT_STREQ(statistics, reply.c_str());
    EXPECT_EQ(statistics[sizeof statistics - 1], '\0');
    EXPECT_EQ(Writes(), Strings{"CALCulate:AVERage:ALL?"});
}

}  // namespace
}  // namespace voltora::scpi::test
