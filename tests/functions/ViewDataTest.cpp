// Trend, histogram and their hand-over to the user-interface thread.

#include "FakeFrontPanel.h"
#include "MeterFixture.h"

#include "functions/CZANFunctionDCV.h"
#include "functions/StatisticsReply.h"
#include "functions/ViewData.h"
#include "functions/ViewFlags.h"
#include "scpi/TrendHistogramCommands.h"

#include <gtest/gtest.h>

#include <string>

using namespace voltora::functions;
using namespace voltora::functions::testing;
using namespace voltora::scpi;

namespace {

TrendSnapshot ParseTrend(const std::string& reply, bool modeAll, bool cut = false)
{
    TrendSnapshot snapshot;
    ParseTrendReply(reply, cut, modeAll, snapshot);
    return snapshot;
}

// A histogram reply: lower, upper, readings, below, bins, above.
std::string HistogramReply(int readings, const std::vector<int>& bins, int below = 0, int above = 0)
{
    std::string reply = "-1.000E+00,+1.000E+00," + std::to_string(readings) + "," + std::to_string(below);
    for (const int bin : bins) {
        reply += "," + std::to_string(bin);
    }
    reply += "," + std::to_string(above) + "\n";
    return reply;
}

}  // namespace

TEST(TrendReply, AllKeepsTheOrderAndRecReversesIt)
{
    EXPECT_EQ(ParseTrend("1,2,3\n", true).values, (std::vector<double>{1, 2, 3}));
    EXPECT_EQ(ParseTrend("1,2,3\n", false).values, (std::vector<double>{3, 2, 1}));
    const TrendSnapshot rec = ParseTrend("1,2,3", false);
    EXPECT_EQ(rec.count, 3);
    EXPECT_EQ(rec.minimum, 1.0);
    EXPECT_EQ(rec.maximum, 3.0);
}

TEST(TrendReply, OverloadsAreLeftOutOfMinimumAndMaximumAfterTheFirstValue)
{
    const TrendSnapshot later = ParseTrend("+5.0E-01,+9.9E+37,-9.9E+37,-2.0E-01,+7.0E-01", true);
    EXPECT_EQ(later.minimum, -0.2);
    EXPECT_EQ(later.maximum, 0.7);
    EXPECT_EQ(later.values[1], 9.9e37);  // kept as a number among the values

    const TrendSnapshot first = ParseTrend("+9.9E+37,1,2", true);
    EXPECT_EQ(first.maximum, 9.9e37);  // the first value is taken whatever it is
    EXPECT_EQ(first.minimum, 1.0);
}

TEST(TrendReply, AnEmptyReplyIsOneValueZero)
{
    const TrendSnapshot empty = ParseTrend("", true);
    EXPECT_EQ(empty.count, 1);
    EXPECT_EQ(empty.values, std::vector<double>{0.0});
    EXPECT_EQ(empty.minimum, 0.0);
    EXPECT_EQ(empty.maximum, 0.0);
}

TEST(TrendReply, AReplyCutByItsBufferLosesOnlyItsIncompleteLastValue)
{
    EXPECT_EQ(ParseTrend("1.5,2.5,3.2", true, true).values, (std::vector<double>{1.5, 2.5}));
    EXPECT_EQ(ParseTrend("1.5,2.5,3.2\n", true, true).values, (std::vector<double>{1.5, 2.5, 3.2}));
    EXPECT_EQ(ParseTrend("1.5", true, true).values, std::vector<double>{1.5});
}

TEST(HistogramReply, AutomaticRangeGroupsFineBinsByReadingCount)
{
    std::vector<int> fine(400);
    for (int i = 0; i < 400; ++i) {
        fine[static_cast<std::size_t>(i)] = i % 7;
    }
    const struct {
        int readings;
        int binCount;
    } cases[] = {{0, 10}, {100, 10}, {101, 20}, {500, 20}, {501, 40}, {1000, 40}, {1001, 100}};
    for (const auto& c : cases) {
        HistogramSnapshot snapshot;
        ASSERT_TRUE(ParseHistogramReply(HistogramReply(c.readings, fine, 3, 4), 1, snapshot));
        ASSERT_EQ(snapshot.binCount, c.binCount) << c.readings;
        ASSERT_EQ(snapshot.bins.size(), static_cast<std::size_t>(c.binCount));
        const int group = 400 / c.binCount;
        for (int b = 0; b < c.binCount; ++b) {
            int sum = 0;
            for (int k = 0; k < group; ++k) {
                sum += fine[static_cast<std::size_t>(b * group + k)];
            }
            EXPECT_EQ(snapshot.bins[static_cast<std::size_t>(b)], sum) << c.readings << " bin " << b;
        }
        EXPECT_EQ(snapshot.readingCount, c.readings);
        EXPECT_EQ(snapshot.belowCount, 3);
        EXPECT_EQ(snapshot.aboveCount, 4);
        EXPECT_EQ(snapshot.lower, -1.0);
        EXPECT_EQ(snapshot.upper, 1.0);
        EXPECT_EQ(snapshot.autoRange, 1);
    }
}

TEST(HistogramReply, ManualRangeTakesTheBinsAsTheyCome)
{
    HistogramSnapshot snapshot;
    ASSERT_TRUE(ParseHistogramReply(HistogramReply(55, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, 1, 2), 0, snapshot));
    EXPECT_EQ(snapshot.binCount, 10);  // 15 fields
    EXPECT_EQ(snapshot.bins, (std::vector<double>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    EXPECT_EQ(snapshot.aboveCount, 2);
}

TEST(HistogramReply, AllZeroCountsAreAValidHistogram)
{
    HistogramSnapshot snapshot;
    ASSERT_TRUE(ParseHistogramReply(HistogramReply(0, std::vector<int>(400, 0)), 1, snapshot));
    EXPECT_EQ(snapshot.binCount, 10);
    EXPECT_EQ(snapshot.bins, std::vector<double>(10, 0.0));
    ASSERT_TRUE(ParseHistogramReply(HistogramReply(0, std::vector<int>(20, 0)), 0, snapshot));
    EXPECT_EQ(snapshot.bins, std::vector<double>(20, 0.0));
}

TEST(HistogramReply, TooFewFieldsAreRefused)
{
    HistogramSnapshot snapshot;
    EXPECT_FALSE(ParseHistogramReply("", 0, snapshot));
    EXPECT_FALSE(ParseHistogramReply("-1,1,10,0\n", 0, snapshot));
    // Automatic range needs all 400 fine bins.
    EXPECT_FALSE(ParseHistogramReply(HistogramReply(50, std::vector<int>(399, 1)), 1, snapshot));
}

namespace {

TEST(StatisticsReply, TakesTheFourFieldsInTheMetersOrder)
{
    struct Case {
        const char* reply;
        const char* average;
        const char* deviation;
        const char* maximum;
        const char* minimum;
    };
    const Case cases[] = {
        {"+1.5E+00,+2.0E-03,+1.6E+00,+1.4E+00\n", "+1.5E+00", "+2.0E-03", "+1.6E+00", "+1.4E+00"},
        {"+1.5E+00,+2.0E-03,+9.9E+37,+1.4E+00\r\n", "+1.5E+00", "+2.0E-03", "Overload", "+1.4E+00"},
        {"1,2,3,4,5,6", "1", "2", "3", "4"},
        {",,,\n", "", "", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reply);
        StatisticsBlock block;
        ASSERT_TRUE(voltora::functions::ParseStatisticsReply(c.reply, block));
        EXPECT_EQ(block.average, c.average);
        EXPECT_EQ(block.standardDeviation, c.deviation);
        EXPECT_EQ(block.maximum, c.maximum);
        EXPECT_EQ(block.minimum, c.minimum);
    }
}

TEST(StatisticsReply, FewerThanFourFieldsLeaveTheBlockAlone)
{
    for (const char* reply : {"", "\n", "+1.5E+00", "+1.5E+00,+2.0E-03,+1.6E+00\n"}) {
        SCOPED_TRACE(reply);
        StatisticsBlock block;
        block.average = "kept";
        EXPECT_FALSE(voltora::functions::ParseStatisticsReply(reply, block));
        EXPECT_EQ(block.average, "kept");
        EXPECT_TRUE(block.minimum.empty());
    }
}

class ViewFetchTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(meter.Connected());
        trendRestartPending = false;
        function.Initialise();
        function.SetRangeText("2V");
    }
    void TearDown() override { trendRestartPending = false; }

    // A fetch runs on a worker with the lock held; here the test thread
    // stands in for it.
    TrendSnapshot FetchTrend()
    {
        {
            std::lock_guard<voltora::platform::CriticalSection> guard(function.CycleLock());
            FetchTrendData(function);
        }
        TrendSnapshot snapshot;
        EXPECT_NE(ReadTrendSnapshot(snapshot), 0u);
        return snapshot;
    }

    ScriptedMeter meter;
    CZANFunctionDCV function{nullptr};
};

}  // namespace

TEST_F(ViewFetchTest, TrendFetchFollowsTheMetersMode)
{
    meter.SetReply("CALCulate:TRENd:CHARt:MODe?", "REC\n");
    TrendSnapshot rec = FetchTrend();
    EXPECT_EQ(rec.values, (std::vector<double>{3, 2, 1}));
    EXPECT_EQ(rec.modeText, "REC");
    EXPECT_EQ(rec.rangeText, "2V");
    EXPECT_GE(rec.elapsedSeconds, 0);

    meter.SetReply("CALCulate:TRENd:CHARt:MODe?", "ALL\n");
    const std::uint64_t before = TrendSnapshotNumber();
    EXPECT_EQ(FetchTrend().values, (std::vector<double>{1, 2, 3}));
    EXPECT_EQ(TrendSnapshotNumber(), before + 1);
    EXPECT_EQ(meter.Writes(), (std::vector<std::string>{
                                  "CALCulate:TRENd:CHARt:MODe?", "CALCulate:TRENd:CHARt:DATA?",
                                  "CALCulate:TRENd:CHARt:MODe?", "CALCulate:TRENd:CHARt:DATA?"}));
}

TEST_F(ViewFetchTest, ARestartedTrendStaysEmptyUntilTheMeterCountsAgain)
{
    trendRestartPending = true;
    meter.SetReply("CALCulate:AVERage:COUNt?", "+0.0E+00\n");
    EXPECT_EQ(FetchTrend().values, std::vector<double>{0.0});
    EXPECT_TRUE(trendRestartPending);
    EXPECT_EQ(meter.Count("CALCulate:TRENd:CHARt:DATA?"), 0);

    meter.SetReply("CALCulate:AVERage:COUNt?", "+2.0E+00\n");
    EXPECT_EQ(FetchTrend().values, (std::vector<double>{1, 2, 3}));
    EXPECT_FALSE(trendRestartPending);
}

TEST_F(ViewFetchTest, ATrendReplyLargerThanItsBufferIsReadToTheBuffersLengthOnly)
{
    // 1 MiB and more of values: the buffer keeps the first 1 MiB; the value
    // the buffer ends in is incomplete and left out.
    std::string reply;
    int count = 0;
    while (reply.size() < voltora::scpi::kTrendBufferCapacity + 100) {
        reply += "+1.23456789E+00,";
        ++count;
    }
    reply += "+2.0E+00\n";
    meter.SetReply("CALCulate:TRENd:CHARt:DATA?", reply);
    const TrendSnapshot snapshot = FetchTrend();
    const int complete = static_cast<int>(voltora::scpi::kTrendBufferCapacity / 16);
    EXPECT_EQ(snapshot.count, complete);
    EXPECT_EQ(snapshot.values.back(), 1.23456789);
    EXPECT_EQ(snapshot.maximum, 1.23456789);

    // The rest of the long reply was not taken for the next reply.
    meter.SetReply("CALCulate:TRENd:CHARt:DATA?", "4,5\n");
    EXPECT_EQ(FetchTrend().values, (std::vector<double>{4, 5}));
}

TEST_F(ViewFetchTest, HistogramFetchKeepsThePreviousSnapshotOnAShortReply)
{
    meter.SetReply("CALCulate:TRANsform:HISTogram:ALL?", HistogramReply(12, {4, 8}, 0, 0));
    FetchHistogramData();
    HistogramSnapshot snapshot;
    const std::uint64_t number = ReadHistogramSnapshot(snapshot);
    ASSERT_NE(number, 0u);
    EXPECT_EQ(snapshot.bins, (std::vector<double>{4, 8}));

    meter.SetReply("CALCulate:TRANsform:HISTogram:ALL?", "");
    FetchHistogramData();
    EXPECT_EQ(HistogramSnapshotNumber(), number);
    HistogramSnapshot again;
    ReadHistogramSnapshot(again);
    EXPECT_EQ(again.bins, (std::vector<double>{4, 8}));
    EXPECT_EQ(meter.Count("CALCulate:TRANsform:HISTogram:RANGe:AUTO?"), 2);
}

// A query that fails part-way leaves part of the reply in the buffer; those
// bytes are no trend and no histogram, and the last snapshot stays.
TEST_F(ViewFetchTest, ATrendReplyCutByAFailedReadKeepsTheLastTrend)
{
    const TrendSnapshot first = FetchTrend();
    ASSERT_EQ(first.values, (std::vector<double>{1, 2, 3}));
    const std::uint64_t number = TrendSnapshotNumber();

    meter.SetReply("CALCulate:TRENd:CHARt:DATA?", "+1.0E+00,+2.0E+05,+3.0E+00,+4.0E+00\n");
    meter.CutNextReplyAfter("CALCulate:TRENd:CHARt:DATA?", 12);  // "+1.0E+00,+2."
    {
        std::lock_guard<voltora::platform::CriticalSection> guard(function.CycleLock());
        FetchTrendData(function);
    }
    EXPECT_EQ(TrendSnapshotNumber(), number);
    TrendSnapshot kept;
    ReadTrendSnapshot(kept);
    EXPECT_EQ(kept.values, first.values);

    // The next whole reply is taken again.
    EXPECT_EQ(FetchTrend().values, (std::vector<double>{1, 200000, 3, 4}));
}

TEST_F(ViewFetchTest, AHistogramReplyCutByAFailedReadKeepsTheLastHistogram)
{
    meter.SetReply("CALCulate:TRANsform:HISTogram:ALL?", HistogramReply(15, {1, 2, 3, 4, 5}, 0, 7));
    FetchHistogramData();
    HistogramSnapshot first;
    const std::uint64_t number = ReadHistogramSnapshot(first);
    ASSERT_EQ(first.bins, (std::vector<double>{1, 2, 3, 4, 5}));
    ASSERT_EQ(first.aboveCount, 7);

    for (const std::size_t cut : {std::size_t{30}, std::size_t{33}, std::size_t{35}}) {
        meter.SetReply("CALCulate:TRANsform:HISTogram:ALL?", HistogramReply(450, {100, 200, 300, 400, 500}, 0, 9));
        meter.CutNextReplyAfter("CALCulate:TRANsform:HISTogram:ALL?", cut);
        FetchHistogramData();
        EXPECT_EQ(HistogramSnapshotNumber(), number) << "cut after " << cut;
    }
    HistogramSnapshot kept;
    ReadHistogramSnapshot(kept);
    EXPECT_EQ(kept.bins, first.bins);
    EXPECT_EQ(kept.aboveCount, 7);
}

TEST_F(ViewFetchTest, AStatisticsReplyCutByAFailedReadKeepsTheLastBlock)
{
    meter.SetReply("CALCulate:AVERage:ALL?", "+1.5E+00,+2.0E-03,+1.6E+00,+1.4E+00\n");
    meter.SetReply("CALCulate:AVERage:PTPeak?", "+2.0E-01\n");
    meter.SetReply("CALCulate:AVERage:COUNt?", "+12\n");
    ASSERT_TRUE(function.FetchStatistics());
    const StatisticsBlock first = function.GetStatistics();
    ASSERT_EQ(first.minimum, "+1.4E+00");
    ASSERT_EQ(first.samples, 12);

    // Four fields arrive before the read fails: still no reply.
    meter.SetReply("CALCulate:AVERage:ALL?", "+7.0E+00,+8.0E-03,+9.0E+00,+6.0E+00\n");
    meter.CutNextReplyAfter("CALCulate:AVERage:ALL?", 28);  // "+7.0E+00,+8.0E-03,+9.0E+00,+"
    EXPECT_FALSE(function.FetchStatistics());
    const StatisticsBlock kept = function.GetStatistics();
    EXPECT_EQ(kept.average, first.average);
    EXPECT_EQ(kept.minimum, first.minimum);

    EXPECT_TRUE(function.FetchStatistics());
    EXPECT_EQ(function.GetStatistics().minimum, "+6.0E+00");
}
