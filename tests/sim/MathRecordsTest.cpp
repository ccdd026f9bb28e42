// Statistics, trend record and histogram: the records on their own, and
// their replies as the views read them.

#include "MeterTestSupport.h"
#include "ReplyRules.h"
#include "sim/HistogramRecord.h"
#include "sim/NumberText.h"
#include "sim/ReadingStatistics.h"
#include "sim/TrendRecord.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numeric>

namespace voltora::sim::test {
namespace {

constexpr std::int64_t kMs = 1'000'000;

TEST(Statistics, MatchTheDirectFormulas)
{
    const std::vector<double> values{1.0, 2.5, -0.5, 4.0, 3.25};
    ReadingStatistics statistics;
    for (double v : values) {
        statistics.Add(v);
    }
    const double mean = std::accumulate(values.begin(), values.end(), 0.0) / values.size();
    double squares = 0.0;
    for (double v : values) {
        squares += (v - mean) * (v - mean);
    }
    EXPECT_EQ(statistics.Count(), 5);
    EXPECT_DOUBLE_EQ(statistics.Average(), mean);
    EXPECT_NEAR(statistics.StandardDeviation(), std::sqrt(squares / 4.0), 1e-12);
    EXPECT_EQ(statistics.Maximum(), 4.0);
    EXPECT_EQ(statistics.Minimum(), -0.5);
    EXPECT_EQ(statistics.PeakToPeak(), 4.5);
}

TEST(Statistics, OverloadsAreCountedAndReportedAsOverloads)
{
    ReadingStatistics statistics;
    statistics.Add(1.0);
    statistics.Add(kOverloadValue);
    EXPECT_EQ(statistics.Count(), 2);
    EXPECT_EQ(statistics.Maximum(), kOverloadValue);
    EXPECT_EQ(statistics.Minimum(), 1.0);
    EXPECT_TRUE(IsOverloadValue(statistics.Average()));
    EXPECT_TRUE(IsOverloadValue(statistics.PeakToPeak()));
    statistics.Add(-kOverloadValue);
    EXPECT_EQ(statistics.Minimum(), -kOverloadValue);
}

TEST(TrendRecordRecent, LastMinuteNewestFirstOnePointPerSlot)
{
    TrendRecord trend;
    // One reading every 100 ms for 90 s, valued by its index.
    for (int i = 0; i < 900; ++i) {
        trend.Add(i * 100 * kMs, i);
    }
    const std::vector<double> points = trend.RecentPoints();
    ASSERT_EQ(points.size(), TrendRecord::kPoints);
    EXPECT_NEAR(points.front(), 898.5, 0.5);  // newest first: the mean of the newest slot
    EXPECT_GT(points.front(), points.back());
    // The oldest slot ends a minute before the newest reading.
    EXPECT_NEAR(points.back(), 899.0 - 600.0, 2.0);
    for (std::size_t k = 1; k < points.size(); ++k) {
        EXPECT_LE(points[k], points[k - 1]);
    }
}

TEST(TrendRecordRecent, SlowReadingsAreHeldAcrossEmptySlots)
{
    TrendRecord trend;
    // 5 readings a second: slots of 150 ms are sometimes empty.
    for (int i = 0; i < 10; ++i) {
        trend.Add(i * 200 * kMs, i);
    }
    const std::vector<double> points = trend.RecentPoints();
    EXPECT_EQ(points.size(), 13u);  // 1.8 s of slots
    EXPECT_EQ(points.front(), 9.0);
    EXPECT_EQ(points.back(), 0.0);
}

TEST(TrendRecordAll, WholeAcquisitionReducedToFourHundredMeans)
{
    TrendRecord trend;
    const int n = 100000;
    for (int i = 0; i < n; ++i) {
        trend.Add(i * kMs, i);
    }
    const std::vector<double> points = trend.AllPoints();
    ASSERT_EQ(points.size(), TrendRecord::kPoints);
    EXPECT_LT(points.front(), 300.0);
    EXPECT_GT(points.back(), n - 300.0);
    for (std::size_t k = 1; k < points.size(); ++k) {
        EXPECT_GT(points[k], points[k - 1]);  // oldest first
    }
    // Each point is the mean of its share: the means average to the mean.
    const double mean = std::accumulate(points.begin(), points.end(), 0.0) / points.size();
    EXPECT_NEAR(mean, (n - 1) / 2.0, n * 0.01);
}

TEST(TrendRecordAll, AnOverloadIsNotAveragedAway)
{
    TrendRecord trend;
    for (int i = 0; i < 5000; ++i) {
        trend.Add(i * kMs, i == 2500 ? kOverloadValue : 1.0);
    }
    const std::vector<double> points = trend.AllPoints();
    EXPECT_EQ(std::count(points.begin(), points.end(), kOverloadValue), 1);
}

TEST(HistogramAuto, WideningKeepsEveryCount)
{
    HistogramRecord histogram;
    for (int i = 0; i < 1000; ++i) {
        histogram.Add(1.0 + 1e-4 * std::sin(i * 0.7) + (i == 999 ? 0.5 : 0.0));
    }
    const auto& bins = histogram.Bins();
    ASSERT_EQ(bins.size(), HistogramRecord::kAutoBins);
    EXPECT_EQ(std::accumulate(bins.begin(), bins.end(), std::int64_t{0}), 1000);
    EXPECT_EQ(histogram.BelowCount() + histogram.AboveCount(), 0);
    EXPECT_LE(histogram.Lower(), 1.0 - 0.99e-4);
    EXPECT_GE(histogram.Upper(), 1.5);
}

TEST(HistogramManual, BinsBetweenTheBoundsAndOuterCounts)
{
    HistogramRecord histogram;
    histogram.SetAutoRange(false);
    histogram.SetBinCount(10);
    histogram.SetLower(0.0);
    histogram.SetUpper(10.0);
    for (double v : {-1.0, 0.0, 0.5, 9.99, 10.0, 10.5, kOverloadValue}) {
        histogram.Add(v);
    }
    const auto& bins = histogram.Bins();
    ASSERT_EQ(bins.size(), 10u);
    EXPECT_EQ(bins[0], 2);
    EXPECT_EQ(bins[9], 2);
    EXPECT_EQ(histogram.BelowCount(), 1);
    EXPECT_EQ(histogram.AboveCount(), 2);
    EXPECT_EQ(histogram.ReadingCount(), 7);
}

TEST(HistogramReply, AutomaticRangeHasFourHundredFineBinsThatGroupAsTheViewDoes)
{
    ManualMeter meter;
    meter.Send("VOLT:DC:NPLC 1");
    meter.Send("INIT");
    meter.AdvanceMs(30000);
    const std::string reply = meter.Query("CALCulate:TRANsform:HISTogram:ALL?");
    ASSERT_LT(reply.size(), 102400u);
    const Histogram histogram = ParseHistogram(reply);
    ASSERT_EQ(histogram.fineBins.size(), 400u);
    EXPECT_EQ(histogram.readingCount, meter.Points());
    EXPECT_LT(histogram.lower, histogram.upper);
    const std::vector<int> grouped = GroupAutoBins(histogram);
    EXPECT_EQ(grouped.size(), 100u);
    EXPECT_EQ(std::accumulate(grouped.begin(), grouped.end(), 0) + histogram.below + histogram.above,
              histogram.readingCount);
}

TEST(HistogramReply, ManualRangeHasTheSetNumberOfBins)
{
    ManualMeter meter;
    meter.Send("CALCulate:TRANsform:HISTogram:RANGe:AUTO 0");
    meter.Send("CALCulate:TRANsform:HISTogram:POINts 20");
    meter.Send("CALCulate:TRANsform:HISTogram:RANGe:LOWer 1.500");
    meter.Send("CALCulate:TRANsform:HISTogram:RANGe:UPPer 1.510");
    meter.AdvanceMs(5000);
    const Histogram histogram = ParseHistogram(meter.Query("CALCulate:TRANsform:HISTogram:ALL?"));
    EXPECT_EQ(histogram.fineBins.size(), 20u);
    EXPECT_DOUBLE_EQ(histogram.lower, 1.5);
    EXPECT_DOUBLE_EQ(histogram.upper, 1.51);
    EXPECT_GT(histogram.readingCount, 0);
    meter.Send("CALCulate:TRANsform:HISTogram:CLEar");
    EXPECT_EQ(ParseHistogram(meter.Query("CALC:TRAN:HIST:ALL?")).readingCount, 0);
}

TEST(TrendReply, RecentAndAllAtMostFourHundredPoints)
{
    ManualMeter meter;
    meter.Send("VOLT:DC:NPLC 0.3");
    meter.Send("INIT");
    meter.AdvanceMs(120000);
    for (const char* mode : {"REC", "ALL"}) {
        meter.Send(std::string("CALCulate:TRENd:CHARt:MODe ") + mode);
        const std::vector<std::string> fields = SplitFields(Chomp(meter.Query("CALCulate:TRENd:CHARt:DATA?")));
        EXPECT_EQ(fields.size(), 400u) << mode;
        for (const std::string& field : fields) {
            ASSERT_NEAR(Number(field), 1.503, 0.01) << mode;
        }
    }
}

TEST(TrendReply, ClearingStatisticsEmptiesTheTrendUntilTheNextReading)
{
    ManualMeter meter;
    meter.AdvanceMs(2000);
    meter.Send("CALCulate:AVERage:CLEar");
    EXPECT_EQ(meter.Query("CALCulate:AVERage:COUNt?"), "0\n");
    EXPECT_EQ(meter.Query("CALCulate:TRENd:CHARt:DATA?"), "\n");
    meter.AdvanceMs(1000);
    EXPECT_GT(Number(meter.Query("CALCulate:AVERage:COUNt?")), 0);
    EXPECT_FALSE(Chomp(meter.Query("CALCulate:TRENd:CHARt:DATA?")).empty());
}

}  // namespace
}  // namespace voltora::sim::test
