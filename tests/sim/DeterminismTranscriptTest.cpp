// Seeded determinism, the transcript, the reply latency setting and the
// fault knob.

#include "MeterTestSupport.h"
#include "ReplyRules.h"

#include <gtest/gtest.h>

#include <thread>

namespace voltora::sim::test {
namespace {

std::string RecordReadings(std::uint32_t seed, bool extraQueries)
{
    SimulatedMeterOptions options;
    options.seed = seed;
    ManualMeter meter(options);
    std::string readings;
    for (int i = 0; i < 20; ++i) {
        meter.AdvanceMs(333);
        if (extraQueries) {
            meter.Query("CALC:AVER:ALL?");
            meter.Query("VOLT:DC:RANGE?");
        }
        readings += meter.Query("DATA:LAST?");
    }
    return readings + meter.Query("FETCh?");
}

TEST(Determinism, SameSeedAndClockGiveTheSameReadings)
{
    EXPECT_EQ(RecordReadings(7, false), RecordReadings(7, false));
    // Readings do not depend on which other queries came in between.
    EXPECT_EQ(RecordReadings(7, false), RecordReadings(7, true));
    EXPECT_NE(RecordReadings(7, false), RecordReadings(8, false));
}

TEST(Transcript, RecordsEveryMessageInOrderWithoutTerminator)
{
    ManualMeter meter;
    meter.Meter().Execute("*IDN?\n");
    meter.Meter().Execute("FUNC \"VOLT:DC\"\r\n");
    meter.Meter().Execute("BOGUS");
    meter.Meter().Execute("");
    EXPECT_EQ(meter.Meter().Transcript(), (std::vector<std::string>{"*IDN?", "FUNC \"VOLT:DC\"", "BOGUS", ""}));
    meter.Meter().ClearTranscript();
    EXPECT_TRUE(meter.Meter().Transcript().empty());
}

TEST(Transcript, KeepsOnlyTheNewestMessagesUpToItsLimit)
{
    SimulatedMeterOptions options;
    options.transcriptLimit = 3;
    ManualMeter meter(options);
    for (const char* message : {"A", "B", "C", "D", "E"}) {
        meter.Meter().Execute(message);
    }
    EXPECT_EQ(meter.Meter().Transcript(), (std::vector<std::string>{"C", "D", "E"}));
}

TEST(Latency, DefaultsToAUsbRoundTripAndCanBeSet)
{
    ManualMeter meter;
    EXPECT_EQ(meter.Meter().ReplyLatency(), std::chrono::microseconds(1000));
    meter.Meter().SetReplyLatency(std::chrono::microseconds(0));
    EXPECT_EQ(meter.Meter().ReplyLatency(), std::chrono::microseconds(0));
}

TEST(FaultKnob, UnresponsiveMeterRecordsButNeitherActsNorAnswers)
{
    ManualMeter meter;
    meter.Meter().SetUnresponsive(true);
    EXPECT_FALSE(meter.Meter().Execute("*IDN?").has_value());
    meter.Meter().Execute("FUNC \"RES\"");
    EXPECT_EQ(meter.Meter().Transcript().size(), 2u);
    meter.Meter().SetUnresponsive(false);
    EXPECT_EQ(meter.Query("FUNCTION?"), "\"VOLT\"\n");
}

TEST(Concurrency, SeveralClientsGetWholeRepliesAndAllAreRecorded)
{
    SimulatedMeter meter;  // real clock
    constexpr int kPerThread = 2000;
    auto client = [&](const char* query, const char* expectedEnd) {
        for (int i = 0; i < kPerThread; ++i) {
            const auto reply = meter.Execute(query);
            ASSERT_TRUE(reply.has_value());
            ASSERT_EQ(reply->back(), '\n');
            ASSERT_NE(reply->find(expectedEnd), std::string::npos) << *reply;
        }
    };
    std::thread a(client, "DATA:LAST?", " VDC");
    std::thread b(client, "*IDN?", "ZAN");
    a.join();
    b.join();
    EXPECT_EQ(meter.Transcript().size(), 2u * kPerThread);
}

TEST(Messages, SeveralQueriesInOneMessageAnswerInOneReply)
{
    ManualMeter meter;
    const std::string reply = meter.Query("FUNC?;SAMP:COUN?;*OPC?");
    EXPECT_EQ(reply, "\"VOLT\";1;1\n");
}

}  // namespace
}  // namespace voltora::sim::test
