// The desktop program against voltora-sim's socket server on 127.0.0.1: a
// meter pulled off the network mid-stream and one that stops answering
// while a function's settings are read back, over a real TCP link with the
// link's own time-out. Each case prints the longest stall of the window.
#include "AppWindowFixture.h"
#include "SocketMeter.h"
#include "StallMeter.h"
#include "app/MainMenu.h"
#include "panel/skin/SkinControl.h"

#include <cstdio>

using namespace voltora::app;
using namespace voltora::app::testing;
using namespace voltora::functions;
using LinkState = CFrontPanel::LinkState;

namespace {

// The socket link's read time-out (the VISA default).
constexpr int kTimeoutMs = 2000;

class SocketLinkLossTest : public AppWindowFixture {
protected:
    bool Live()
    {
        const auto* value = Panel().FindControl(QStringLiteral("LabelValue"));
        return Reading() && Panel().HasLiveReading() && value != nullptr &&
               value->Text() != QString::fromStdWString(ToDisplayText(CFrontPanel::kNoReadingText));
    }

    void PressFromLoop(const char* control)
    {
        bool pressed = false;
        QTimer::singleShot(0, [&] {
            Panel().Notify(QString::fromLatin1(control));
            pressed = true;
        });
        ASSERT_TRUE(WaitUntil([&] { return pressed && !Panel().IsBusy(); }, 20000));
    }

    static void Report(const char* what, qint64 ms)
    {
        std::printf("longest UI-thread stall, %s: %lld ms\n", what, static_cast<long long>(ms));
    }
};

TEST_F(SocketLinkLossTest, AMeterPulledOffTheNetworkIsLostWithinATimeOutAndComesBackWithReconnect)
{
    auto server = std::make_unique<SocketMeter>();
    ASSERT_TRUE(server->Listening()) << server->Error();
    const std::uint16_t port = server->Port();
    ASSERT_TRUE(Window().ConnectTo(server->Resource()));
    ASSERT_TRUE(WaitUntil([&] { return Live(); }));

    StallMeter stalls;
    QElapsedTimer clock;
    clock.start();
    server.reset();  // every connection closed under the streaming worker
    ASSERT_TRUE(WaitUntil([&] { return Window().LinkState() == LinkState::LinkLost; }, 2500));
    EXPECT_LT(clock.elapsed(), 2500);
    Report("meter killed mid-stream", stalls.LongestMs());
    EXPECT_LT(stalls.LongestMs(), kTimeoutMs + 250);
    EXPECT_EQ(ShownTexts(), std::vector<QString>{CConectWithNI::kCommunicationFailedMessage});
    EXPECT_TRUE(IsEnabled(kConnectCommand));
    EXPECT_FALSE(IsEnabled(kDisconnectCommand));
    EXPECT_EQ(Panel().FindControl(QStringLiteral("LabelStop"))->Text(), "No link");

    server = std::make_unique<SocketMeter>(port);
    ASSERT_TRUE(server->Listening()) << server->Error();
    Window().OnReconnect();
    ASSERT_TRUE(WaitUntil([&] { return Live(); }));
    EXPECT_EQ(Window().LinkState(), LinkState::Connected);
    EXPECT_EQ(ShownTexts().size(), 1u);
    Window().OnDisconnect();
}

TEST_F(SocketLinkLossTest, AMeterSilentDuringLoadSettingsCostsOneTimeOutAndOneMessage)
{
    // The meter does not answer the settings read-back's limit query (in
    // the middle of LoadSettings, which Connect runs for the meter's
    // function) for longer than the link waits.
    voltora::sim::FaultOptions faults;
    faults.silent = std::chrono::milliseconds(kTimeoutMs + 1500);
    faults.match = "CALCulate:LIMit:STATe?";
    SocketMeter server(0, faults);
    ASSERT_TRUE(server.Listening()) << server.Error();

    StallMeter stalls;
    ASSERT_TRUE(Window().ConnectTo(server.Resource()));
    ASSERT_TRUE(WaitUntil([&] { return Window().LinkState() == LinkState::LinkLost; }, 10000));
    Report("silent meter during LoadSettings", stalls.LongestMs());
    EXPECT_GE(stalls.LongestMs(), kTimeoutMs - 100) << "the one time-out is waited";
    EXPECT_LT(stalls.LongestMs(), kTimeoutMs + 250);
    EXPECT_EQ(ShownTexts(), std::vector<QString>{CConectWithNI::kCommunicationFailedMessage});
    EXPECT_FALSE(CConectWithNI::Instance()->IsConnected());
}

TEST_F(SocketLinkLossTest, AHealthyFunctionChangeOverTheSocketStallsNoLongerThanAnExchange)
{
    SocketMeter server;
    ASSERT_TRUE(server.Listening()) << server.Error();
    ASSERT_TRUE(Window().ConnectTo(server.Resource()));
    ASSERT_TRUE(WaitUntil([&] { return Live(); }));
    StallMeter stalls;
    PressFromLoop("btnACV");
    Report("healthy function change", stalls.LongestMs());
    EXPECT_LT(stalls.LongestMs(), 200);
    ASSERT_TRUE(WaitUntil([&] { return Live(); }));
    EXPECT_TRUE(ShownTexts().empty());
    Window().OnDisconnect();
}

}  // namespace
