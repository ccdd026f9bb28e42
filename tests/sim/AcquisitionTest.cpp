// Acquisition on a clock moved by hand: rates, trigger and sample counts,
// abort, restart and the reading memory.

#include "MeterTestSupport.h"
#include "ReplyRules.h"

#include <gtest/gtest.h>

namespace voltora::sim::test {
namespace {

TEST(Acquisition, FreshMeterAcquiresDcVoltageInAutoRange)
{
    ManualMeter meter;
    EXPECT_EQ(meter.Query("FUNCTION?"), "\"VOLT\"\n");
    EXPECT_EQ(meter.Query("VOLT:DC:RANGE:AUTO?"), "1\n");
    // The first reading is taken at the trigger, the next one interval later.
    EXPECT_EQ(meter.Points(), 1);
    meter.AdvanceMs(250);
    EXPECT_EQ(meter.Points(), 2);
    EXPECT_NEAR(Number(ReadingText(meter.Query("DATA:LAST?"))), 1.503, 0.01);
}

struct RateCase {
    const char* nplc;
    int lowPerSecond;
    int highPerSecond;
};

class ReadingRate : public testing::TestWithParam<RateCase> {};

TEST_P(ReadingRate, PointsGrowAtTheSpeedsRate)
{
    ManualMeter meter;
    meter.Send(std::string("VOLT:DC:NPLC ") + GetParam().nplc);
    meter.Send("INIT");
    EXPECT_EQ(meter.Points(), 1);
    meter.AdvanceMs(10000);
    const int points = meter.Points();
    EXPECT_GE(points, GetParam().lowPerSecond * 10);
    EXPECT_LE(points, GetParam().highPerSecond * 10);
}

INSTANTIATE_TEST_SUITE_P(Speeds, ReadingRate,
                         testing::Values(RateCase{"10", 4, 6}, RateCase{"1", 40, 55}, RateCase{"0.3", 130, 170}));

TEST(Acquisition, AbortStopsAndInitStartsAfresh)
{
    ManualMeter meter;
    meter.Send("VOLT:DC:NPLC 1");
    meter.AdvanceMs(1000);
    meter.Send("ABORt");
    const int stopped = meter.Points();
    EXPECT_GT(stopped, 0);
    meter.AdvanceMs(5000);
    EXPECT_EQ(meter.Points(), stopped);
    const std::string lastBefore = meter.Query("DATA:LAST?");

    meter.Send("INIT");
    // A new acquisition starts from an empty memory and takes its first
    // reading at once.
    EXPECT_EQ(meter.Points(), 1);
    EXPECT_EQ(meter.Query("CALCulate:AVERage:COUNt?"), "1\n");
    EXPECT_NE(meter.Query("DATA:LAST?"), lastBefore);
    meter.AdvanceMs(1000);
    EXPECT_GT(meter.Points(), 40);
}

TEST(Acquisition, SampleCountIsHonouredPerTrigger)
{
    ManualMeter meter;
    meter.Send("TRIG:COUN 1");
    meter.Send("SAMP:COUN 10");
    meter.Send("VOLT:DC:NPLC 1");
    meter.Send("INIT");
    meter.AdvanceMs(60000);
    EXPECT_EQ(meter.Points(), 10);

    meter.Send("TRIG:COUN 3");
    meter.Send("INIT");
    meter.AdvanceMs(60000);
    EXPECT_EQ(meter.Points(), 30);
    EXPECT_EQ(SplitFields(Chomp(meter.Query("FETCh?"))).size(), 30u);
}

TEST(Acquisition, InfiniteTriggerCountRunsWithTheSampleCount)
{
    ManualMeter meter;
    meter.Send("TRIG:COUN INF");
    meter.Send("SAMP:COUN 7");
    meter.Send("VOLT:DC:NPLC 1");
    meter.Send("INIT");
    meter.AdvanceMs(2000);
    const int first = meter.Points();
    meter.AdvanceMs(2000);
    EXPECT_GT(meter.Points(), first + 50);
}

TEST(Acquisition, TriggerDelaySeparatesTriggers)
{
    ManualMeter meter;
    meter.Send("VOLT:DC:NPLC 1");
    meter.Send("TRIG:DEL 0.5");
    meter.Send("INIT");
    meter.AdvanceMs(10000);
    // One reading per trigger, each after half a second: about two a second.
    EXPECT_NEAR(meter.Points(), 19, 1);
}

TEST(Acquisition, FunctionChangeClearsMemoryAndKeepsAcquiring)
{
    ManualMeter meter;
    meter.AdvanceMs(2000);
    EXPECT_GT(meter.Points(), 0);
    meter.Send("FUNC \"RES\"");
    // The memory starts afresh with the new function's first reading.
    EXPECT_EQ(meter.Points(), 1);
    EXPECT_NE(meter.Query("DATA:LAST?").find(" OHM"), std::string::npos);
    meter.AdvanceMs(1000);
    EXPECT_GT(meter.Points(), 1);
}

TEST(Acquisition, StoppedMeterStaysStoppedAcrossAFunctionChange)
{
    ManualMeter meter;
    meter.Send("ABORt");
    meter.Send("FUNC \"CAP\"");
    meter.AdvanceMs(2000);
    EXPECT_EQ(meter.Points(), 0);
    meter.Send("INIT");
    meter.AdvanceMs(2000);
    EXPECT_GT(meter.Points(), 0);
}

TEST(Acquisition, MemoryHoldsTheNewestTenThousandReadingsOldestFirst)
{
    ManualMeter meter;
    meter.Send("VOLT:DC:NPLC 0.3");
    meter.Send("INIT");
    meter.AdvanceMs(90000);  // about 13,500 readings
    EXPECT_EQ(meter.Points(), 10000);
    EXPECT_GT(Number(meter.Query("CALCulate:AVERage:COUNt?")), 10000);
    meter.Send("ABORt");
    const std::string reply = meter.Query("FETCh?");
    EXPECT_LT(reply.size(), 160000u);  // fits the client's buffer
    const std::vector<std::string> fields = SplitFields(Chomp(reply));
    ASSERT_EQ(fields.size(), 10000u);
    EXPECT_EQ(fields.back(), ReadingText(meter.Query("DATA:LAST?")));
}

TEST(Acquisition, SaveSequenceFetchesWhatWasMeasuredAndRestarts)
{
    ManualMeter meter;
    meter.AdvanceMs(3000);
    meter.Send("ABORt");
    const int points = meter.Points();
    const std::vector<std::string> fields = SplitFields(Chomp(meter.Query("FETCh?")));
    EXPECT_EQ(static_cast<int>(fields.size()), points);
    meter.Send("INIT");
    meter.AdvanceMs(1000);
    EXPECT_GT(meter.Points(), 0);
}

}  // namespace
}  // namespace voltora::sim::test
