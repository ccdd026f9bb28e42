// The front panel connected to the simulated meter: resynchronising after a
// connect, run/stop, function changes while running and stopped, the
// disconnect message, readings reaching the display and the views, the
// commands the views have the panel send, and closing.

#include "PanelTestSupport.h"

#include "functions/CZANFunction.h"
#include "functions/MathSettings.h"
#include "functions/MeterFixture.h"
#include "functions/ViewFlags.h"
#include "link/CConectWithNI.h"
#include "views/CDlgBarMeter.h"
#include "views/CDlgZANMath.h"
#include "views/CStaticBarMeter.h"

#include <gtest/gtest.h>

using namespace voltora::functions;

namespace voltora::panel::test {
namespace {

using Texts = std::vector<std::string>;
using functions::testing::SimulatedMeterConnection;

class FrontPanelMeterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QtApplicationReady());
        ASSERT_TRUE(meter.Connected());
        meter.Meter().SetSignal("VOLT", 1.234567);
        meter.Meter().SetSignal("VOLT:AC", 0.5);
        panel = std::make_unique<CFrontPanel>(*CConectWithNI::Instance());
    }

    void TearDown() override { panel.reset(); }

    // Connect: the panel reads the meter's function and starts acquiring;
    // waits for the first reading on the display.
    void Synchronise()
    {
        panel->PostMessage(WM_PANEL_SYNC);
        ASSERT_TRUE(PumpUntil([&] { return panel->PendingMessageCount() == 0 && panel->IsRunning(); }));
        WaitForReading();
    }

    void WaitForReading()
    {
        ASSERT_TRUE(PumpUntil([&] {
            const std::string value = panel->CurrentFunction()->GetValueText();
            return value != "$INIT$" && Text("LabelValue") == Shown(value);
        }));
    }

    // Waits until the worker of the current function has polled again.
    void WaitForPolling()
    {
        meter.ClearTranscript();
        ASSERT_TRUE(PumpUntil([&] { return Count("DATA:LAST?") > 0; }));
    }

    int Count(const std::string& message)
    {
        const Texts transcript = meter.Transcript();
        return static_cast<int>(std::count(transcript.begin(), transcript.end(), message));
    }

    QString Text(const char* name) { return TextOf(*panel, QString::fromLatin1(name)); }
    SkinControl& Control(const char* name) { return ControlOf(*panel, QString::fromLatin1(name)); }
    void Click(const char* name) { panel->Notify(QString::fromLatin1(name)); }

    SimulatedMeterConnection meter;
    std::unique_ptr<CFrontPanel> panel;
};

TEST_F(FrontPanelMeterTest, ConnectAdoptsTheMetersFunctionAndStartsAcquiring)
{
    meter.Meter().Execute("FUNC \"VOLT:AC\"");
    meter.ClearTranscript();
    Synchronise();

    EXPECT_EQ(panel->CurrentFunction(), panel->FunctionOf("VOLT:AC"));
    EXPECT_EQ(Text("LabelTitle"), "AC Voltage");
    const Texts transcript = meter.Transcript();
    ASSERT_GE(transcript.size(), 5u);
    EXPECT_EQ((Texts{transcript.begin(), transcript.begin() + 4}),
              (Texts{"FUNCTION?", "TRIG:COUN INF", "INIT", "FUNC \"VOLT:AC\""}));
    EXPECT_NE(std::find(transcript.begin(), transcript.end(), "DATA:POINts?"), transcript.end())
        << "the settings were read back";
    EXPECT_TRUE(panel->IsRunning());
    EXPECT_FALSE(Control("LabelStop").IsVisible());
    EXPECT_FALSE(panel->CurrentFunction()->IsWorkerParked());
    ASSERT_TRUE(PumpUntil([&] { return panel->FunctionOf("VOLT")->IsWorkerParked(); }));
    EXPECT_EQ(Text("LabelUnit"), Shown(panel->CurrentFunction()->GetUnitText()));
}

TEST_F(FrontPanelMeterTest, ReadingsReachTheLabelsAndFollowTheAutoRange)
{
    Synchronise();
    EXPECT_EQ(panel->CurrentFunction()->GetReadingText().substr(0, 6), "+1.234");
    EXPECT_EQ(Text("LabelValue"), Shown(panel->CurrentFunction()->GetValueText()));
    EXPECT_EQ(panel->CurrentValueText(), panel->CurrentFunction()->GetValueText());
    EXPECT_EQ(panel->CurrentUnitText(), panel->CurrentFunction()->GetUnitText());
    EXPECT_EQ(Text("LabelRange").toStdString(), "Auto " + panel->CurrentFunction()->GetRangeText());

    meter.Meter().SetSignal("VOLT", 150.0);
    ASSERT_TRUE(PumpUntil([&] { return panel->CurrentFunction()->GetRangeText() == "200V"; }));
    ASSERT_TRUE(PumpUntil([&] { return Text("LabelRange") == "Auto 200V"; }));
}

TEST_F(FrontPanelMeterTest, RunStopSendsItsCommandsAndShowsStopped)
{
    Synchronise();
    meter.ClearTranscript();
    Click("btnRun");
    const Texts transcript = meter.Transcript();
    EXPECT_EQ(WithoutPolling(transcript), (Texts{"REFresh", "$$SY_FP 21,0"}));
    ASSERT_GE(transcript.size(), 2u);
    EXPECT_EQ(transcript.back(), "$$SY_FP 21,0") << "the worker is suspended before the commands";
    EXPECT_FALSE(panel->IsRunning());
    EXPECT_TRUE(Control("LabelStop").IsVisible());
    ASSERT_TRUE(PumpUntil([&] { return panel->CurrentFunction()->IsWorkerParked(); }));
    EXPECT_EQ(meter.Transcript().back(), "$$SY_FP 21,0");

    meter.ClearTranscript();
    Click("btnRun");
    EXPECT_TRUE(panel->IsRunning());
    EXPECT_FALSE(Control("LabelStop").IsVisible());
    EXPECT_EQ(WithoutPolling(meter.Transcript()), (Texts{"INIT"}));
    ASSERT_TRUE(PumpUntil([&] { return Count("DATA:LAST?") > 0; })) << "polling resumed";
}

TEST_F(FrontPanelMeterTest, TheCurrentKeyWhileRunningSendsNothing)
{
    Synchronise();
    Click("btnF1");  // leave the root page, to see the key re-activate the function
    meter.ClearTranscript();
    Click("btnDCV");
    EXPECT_EQ(WithoutPolling(meter.Transcript()), Texts{});
    EXPECT_EQ(SoftKeyTexts(*panel, "Name")[0], "Range");
    EXPECT_TRUE(panel->IsRunning());
    EXPECT_FALSE(panel->CurrentFunction()->IsWorkerParked());
    WaitForPolling();
}

TEST_F(FrontPanelMeterTest, FunctionChangeWhileStoppedInitiatesSelectsWaitsAndResumes)
{
    Synchronise();
    Click("btnRun");
    ASSERT_TRUE(Control("LabelStop").IsVisible());
    meter.ClearTranscript();

    const auto start = std::chrono::steady_clock::now();
    Click("btnACV");
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_GE(elapsed, std::chrono::milliseconds(1000)) << "the meter is given a second to change";

    const Texts transcript = meter.Transcript();
    ASSERT_GE(transcript.size(), 3u);
    EXPECT_EQ(transcript[0], "INIT");
    EXPECT_EQ(transcript[1], "FUNC \"VOLT:AC\"");
    EXPECT_NE(std::find(transcript.begin(), transcript.end(), "DATA:POINts?"), transcript.end());
    EXPECT_TRUE(panel->IsRunning());
    EXPECT_FALSE(Control("LabelStop").IsVisible());
    EXPECT_EQ(Text("LabelTitle"), "AC Voltage");
    ASSERT_TRUE(PumpUntil([&] { return panel->FunctionOf("VOLT")->IsWorkerParked(); }));
    WaitForPolling();
    WaitForReading();
}

TEST_F(FrontPanelMeterTest, FunctionChangeWhileRunningSelectsWithoutInit)
{
    Synchronise();
    meter.ClearTranscript();
    Click("btnShift");
    Click("btnACV");
    const Texts sent = WithoutPolling(meter.Transcript());
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(sent[0], "FUNC \"CURR:AC\"");
    EXPECT_EQ(std::count(sent.begin(), sent.end(), "INIT"), 0);
    EXPECT_EQ(Text("LabelTitle"), "AC Current");
    ASSERT_TRUE(PumpUntil([&] { return panel->FunctionOf("VOLT")->IsWorkerParked(); }));
    WaitForPolling();
}

TEST_F(FrontPanelMeterTest, DisconnectMessageStopsTheWorkerBeforeItReturns)
{
    Synchronise();
    meter.ClearTranscript();
    panel->SendMessage(WM_PANEL_STOP);
    const Texts transcript = meter.Transcript();
    EXPECT_EQ(WithoutPolling(transcript), (Texts{"REFresh"}));
    ASSERT_FALSE(transcript.empty());
    EXPECT_EQ(transcript.back(), "REFresh");
    EXPECT_FALSE(panel->IsRunning());
    EXPECT_FALSE(Control("LabelStop").IsVisible()) << "a disconnect leaves the marker as it was";
    // The worker parks at the start of its next cycle, without a command.
    ASSERT_TRUE(PumpUntil([&] { return panel->CurrentFunction()->IsWorkerParked(); }));
    EXPECT_EQ(meter.Transcript().back(), "REFresh");
}

TEST_F(FrontPanelMeterTest, LimitsAreSentAndReadBackIntoTheLimitsRecord)
{
    Synchronise();
    meter.ClearTranscript();
    panel->SetLimitLow(-0.25);
    panel->SetLimitHigh(2.5);
    const Texts sent = WithoutPolling(meter.Transcript());
    EXPECT_EQ(sent, (Texts{"CALCulate:LIMit:LOWer -0.250000000000", "CALCulate:LIMit:LOWer?",
                           "CALCulate:LIMit:UPPer 2.500000000000", "CALCulate:LIMit:UPPer?"}));
    const functions::MathSettings limits = functions::GetMathSettings();
    EXPECT_DOUBLE_EQ(limits.lowerLimit, -0.25);
    EXPECT_DOUBLE_EQ(limits.upperLimit, 2.5);
    EXPECT_FALSE(panel->CurrentFunction()->IsPauseRequested());
}

TEST_F(FrontPanelMeterTest, SampleCountAndTrendModeGoToTheCurrentFunction)
{
    Synchronise();
    meter.ClearTranscript();
    panel->ApplySampleCount("5");
    panel->ApplyTrendMode("REC");
    EXPECT_EQ(WithoutPolling(meter.Transcript()), (Texts{"SAMP:COUN 5", "INIT", "CALCulate:TRENd:CHARt:MODe REC"}));
}

TEST_F(FrontPanelMeterTest, ReadingsAndSettingsReachTheViews)
{
    CDlgZANMath math(panel.get());
    CDlgBarMeter bar(panel.get());
    panel->SetViews(&math, &bar, nullptr, nullptr);
    math.show();
    ASSERT_TRUE(mathViewShown);
    Synchronise();
    ASSERT_TRUE(PumpUntil([&] { return bar.Chart()->Model().Value() > 1.2; }));
    EXPECT_NEAR(bar.Chart()->Model().Value(), 1.234567, 1e-5);
    EXPECT_EQ(math.DbSettings().available, 1) << "DC voltage scales in dB";

    Click("btnShift");
    Click("btnDCV");
    EXPECT_EQ(math.DbSettings().available, 0) << "DC current has no dB scale";
    math.hide();
    panel->SetViews(nullptr, nullptr, nullptr, nullptr);
}

TEST_F(FrontPanelMeterTest, ClosingSendsRefreshAndClosesTheConnection)
{
    Synchronise();
    meter.ClearTranscript();
    panel->CloseSession();
    EXPECT_FALSE(CConectWithNI::Instance()->IsConnected());
    EXPECT_FALSE(panel->CurrentFunction()->IsWorkerRunRequested());
    EXPECT_EQ(WithoutPolling(meter.Transcript()), (Texts{"REFresh"}));
    panel.reset();  // joins the worker
}

// A meter that answers the reading query slowly, so that the worker is
// inside a command when the window closes.
TEST(FrontPanelCloseTest, ClosingWhileTheWorkerIsInsideACommandEndsCleanly)
{
    ASSERT_TRUE(QtApplicationReady());
    functions::testing::ScriptedMeter meter;
    ASSERT_TRUE(meter.Connected());
    meter.SetReply("FUNCTION?", "\"VOLT\"\n");
    std::atomic<int> inside{0};
    meter.SetReplyFunction("DATA:LAST?", [&inside](const std::string&) -> std::optional<std::string> {
        ++inside;
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        return std::string("+1.23456700E+00 VDC\n");
    });
    auto panel = std::make_unique<CFrontPanel>(*CConectWithNI::Instance());
    panel->PostMessage(WM_PANEL_SYNC);
    ASSERT_TRUE(PumpUntil([&] { return panel->IsRunning() && inside.load() >= 2; }));

    meter.ClearWrites();
    const int before = inside.load();
    ASSERT_TRUE(PumpUntil([&] { return inside.load() > before; }));  // a reading query has just begun
    panel->CloseSession();
    EXPECT_FALSE(CConectWithNI::Instance()->IsConnected());
    panel.reset();
    EXPECT_EQ(WithoutPolling(meter.Writes()), (Texts{"REFresh"}));
}

}  // namespace
}  // namespace voltora::panel::test
