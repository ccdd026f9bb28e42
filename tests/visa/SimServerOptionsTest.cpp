// voltora-sim's command line and its choice of which replies carry a fault.

#include "sim/server/ServedMeter.h"
#include "sim/server/SimServerOptions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace voltora::sim {
namespace {

TEST(SimServerOptionsTest, DefaultsServeBothLinksOnLoopback)
{
    SimServerOptions options;
    std::string error;
    ASSERT_TRUE(ParseSimServerOptions({}, options, error)) << error;
    EXPECT_EQ(options.address, "127.0.0.1");
    EXPECT_TRUE(options.serveSocket);
    EXPECT_EQ(options.socketPort, 5025);
    EXPECT_TRUE(options.serveVxi11);
    EXPECT_TRUE(options.registerWithRpcbind);
    EXPECT_EQ(options.latency.count(), 0);
}

TEST(SimServerOptionsTest, EveryOptionIsTaken)
{
    SimServerOptions options;
    std::string error;
    ASSERT_TRUE(ParseSimServerOptions(
        {"--address", "127.0.0.2", "--socket-port", "0", "--vxi11-port", "40000", "--no-rpcbind",
         "--transcript", "--latency-us", "250", "--seed", "42", "--noise", "0.5", "--silent-ms",
         "1500", "--chunk-bytes", "3", "--chunk-pause-ms", "20", "--close-mid-reply", "--garbage",
         "--fault-match", "DATA:", "--fault-count", "2"},
        options, error))
        << error;
    EXPECT_EQ(options.address, "127.0.0.2");
    EXPECT_EQ(options.socketPort, 0);
    EXPECT_EQ(options.vxi11Port, 40000);
    EXPECT_FALSE(options.registerWithRpcbind);
    EXPECT_TRUE(options.transcript);
    EXPECT_EQ(options.latency.count(), 250);
    EXPECT_EQ(options.seed, 42u);
    EXPECT_DOUBLE_EQ(options.noiseScale, 0.5);
    EXPECT_EQ(options.faults.silent.count(), 1500);
    EXPECT_EQ(options.faults.chunkBytes, 3u);
    EXPECT_EQ(options.faults.chunkPause.count(), 20);
    EXPECT_TRUE(options.faults.closeMidReply);
    EXPECT_TRUE(options.faults.garbage);
    EXPECT_EQ(options.faults.match, "DATA:");
    EXPECT_EQ(options.faults.count, 2);
}

TEST(SimServerOptionsTest, BadValuesAreRefusedWithAMessage)
{
    const std::vector<std::vector<std::string>> bad = {
        {"--socket-port", "70000"}, {"--socket-port"},        {"--latency-us", "-1"},
        {"--noise", "1,5"},         {"--noise", "abc"},        {"--seed", "12x"},
        {"--frobnicate"},           {"--no-socket", "--no-vxi11"},
    };
    for (const auto& arguments : bad) {
        SimServerOptions options;
        std::string error;
        EXPECT_FALSE(ParseSimServerOptions(arguments, options, error)) << arguments[0];
        EXPECT_FALSE(error.empty()) << arguments[0];
    }
}

ServedMeter::Handler Echo()
{
    return [](std::string_view message) -> std::optional<std::string> {
        if (message.empty() || message.back() != '?') {
            return std::nullopt;
        }
        return std::string(message) + "\n";
    };
}

TEST(ServedMeterTest, FaultsApplyToMatchingRepliesUpToTheCount)
{
    FaultOptions faults;
    faults.silent = std::chrono::milliseconds(100);
    faults.match = "DATA";
    faults.count = 2;
    ServedMeter meter(Echo(), faults, std::chrono::microseconds(30), false);
    EXPECT_EQ(meter.Execute("IDN?")->delay, std::chrono::microseconds(30));
    EXPECT_EQ(meter.Execute("DATA?")->delay, std::chrono::microseconds(100030));
    EXPECT_EQ(meter.Execute("DATA?")->delay, std::chrono::microseconds(100030));
    EXPECT_EQ(meter.Execute("DATA?")->delay, std::chrono::microseconds(30));
    // Commands without a reply neither get nor use up a fault.
    EXPECT_FALSE(meter.Execute("DATA"));
}

TEST(ServedMeterTest, GarbageKeepsTheLengthAndTheTerminator)
{
    FaultOptions faults;
    faults.garbage = true;
    ServedMeter meter(Echo(), faults, std::chrono::microseconds(0), false);
    const auto reply = meter.Execute("IDN-ZOBR-PRI?");
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->bytes.size(), std::string("IDN-ZOBR-PRI?\n").size());
    EXPECT_EQ(reply->bytes.back(), '\n');
    EXPECT_EQ(reply->bytes.find('\n'), reply->bytes.size() - 1);
    EXPECT_EQ(reply->bytes.find("IDN"), std::string::npos);
}

}  // namespace
}  // namespace voltora::sim
