// The trend chart view: mode following the meter, time labels, Default,
// Auto and Manual scales, and Recent/All and Clear Readings reaching the meter.

#include "FakeViewHost.h"
#include "ViewTestSupport.h"
#include "functions/FakeFrontPanel.h"
#include "functions/MeterFixture.h"

#include "functions/CZANFunctionDCV.h"
#include "functions/ViewData.h"
#include "functions/ViewFlags.h"
#include "views/CDlgTrendChart.h"
#include "views/ViewText.h"
#include "views/CStaticTrendChart.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

#include <algorithm>

using namespace voltora::views::testing;
using namespace voltora::functions;
using voltora::functions::testing::FakeFrontPanel;
using voltora::functions::testing::SimulatedMeterConnection;
using voltora::functions::testing::WaitUntil;

namespace {

TrendSnapshot Snapshot(const std::string& mode, std::vector<double> values, const std::string& range = "2V")
{
    TrendSnapshot snapshot;
    snapshot.count = static_cast<int>(values.size());
    snapshot.minimum = values.empty() ? 0.0 : *std::min_element(values.begin(), values.end());
    snapshot.maximum = values.empty() ? 0.0 : *std::max_element(values.begin(), values.end());
    snapshot.rangeText = range;
    snapshot.modeText = mode;
    snapshot.values = std::move(values);
    return snapshot;
}

std::vector<std::pair<std::string, double>> Labels(const CDlgTrendChart& view)
{
    std::vector<std::pair<std::string, double>> labels;
    for (const auto& label : view.Chart()->Model().XLabels()) {
        labels.emplace_back(label.text, label.position);
    }
    return labels;
}

const std::vector<std::pair<std::string, double>> kRecentLabels = {{"-1min", 0.0}, {"-30s", 200.0}, {"0s", 400.0}};

class TrendChartViewTest : public ::testing::Test {
protected:
    void SetUp() override { trendViewShown = false; }
    void TearDown() override
    {
        trendViewShown = false;
        trendRestartPending = false;
    }

    template <typename Control>
    Control* C(int id)
    {
        return Find<Control>(view, id);
    }

    const voltora::views::ChartScale& Scale() const { return view.Chart()->Model().Scale(); }

    FakeViewHost host;
    CDlgTrendChart view{&host};
};

TEST_F(TrendChartViewTest, StartsInRecentModeOnTheDefaultScale)
{
    EXPECT_TRUE(C<QRadioButton>(1020)->isChecked());
    EXPECT_TRUE(C<QRadioButton>(1033)->isChecked());
    EXPECT_EQ(view.ModeText(), "REC");
    EXPECT_EQ(Labels(view), kRecentLabels);
    EXPECT_EQ(view.Chart()->Model().XRange(), 400.0);
    for (const int id : {1015, 1072, 1022, 1014, 1073, 1023}) {
        EXPECT_FALSE(view.findChild<QWidget*>(voltora::views::ControlName(id))->isEnabled()) << id;
    }
    EXPECT_EQ(C<QComboBox>(1072)->currentIndex(), 4);
    EXPECT_TRUE(C<QLineEdit>(1032)->isHidden());
}

TEST_F(TrendChartViewTest, ShowingAndHidingSetsTheSharedFlagAndHiddenUpdatesDoNothing)
{
    view.UpdateTrend(Snapshot("ALL", {1.0, 2.0}));
    EXPECT_EQ(view.ModeText(), "REC");
    EXPECT_EQ(view.Chart()->Model().Count(), 0);

    view.show();
    EXPECT_TRUE(trendViewShown);
    view.UpdateTrend(Snapshot("REC", {1.0, 2.0}));
    EXPECT_EQ(view.Chart()->Model().Count(), 2);
    EXPECT_EQ(C<QLineEdit>(1032)->text(), "2");
    view.hide();
    EXPECT_FALSE(trendViewShown);
}

TEST_F(TrendChartViewTest, DefaultScaleOfDcVoltageOn2V)
{
    view.show();
    host.functionName = "DC Voltage";
    view.UpdateTrend(Snapshot("REC", {0.5, 1.0, 1.5}, "2V"));
    EXPECT_EQ(Scale().High(), 2.0);
    EXPECT_EQ(Scale().Low(), -2.0);
    const auto texts = view.Chart()->Model().ScaleLabelTexts();
    EXPECT_EQ(texts[2], "2.000 ");
    EXPECT_EQ(texts[1], "0.000 ");
    EXPECT_EQ(texts[0], "-2.000 ");

    host.functionName = "Temperature";
    view.SetUnit("K");
    view.UpdateTrend(Snapshot("REC", {300.0}, ""));
    EXPECT_DOUBLE_EQ(Scale().High(), 373.1499938964844);
    EXPECT_DOUBLE_EQ(Scale().Low(), -173.14999389648438);
}

TEST_F(TrendChartViewTest, AllModeShowsTheElapsedTimeUnderTheCentre)
{
    view.show();
    TrendSnapshot all = Snapshot("ALL", {1.0, 2.0, 3.0});
    all.elapsedSeconds = 125;
    view.UpdateTrend(all);
    EXPECT_TRUE(C<QRadioButton>(1021)->isChecked());
    EXPECT_EQ(view.ModeText(), "ALL");
    EXPECT_EQ(Labels(view), (std::vector<std::pair<std::string, double>>{{"Elapsed Time:2m 5s", 200.0}}));

    view.UpdateTrend(Snapshot("REC", {1.0}));
    EXPECT_TRUE(C<QRadioButton>(1020)->isChecked());
    EXPECT_EQ(Labels(view), kRecentLabels);
}

TEST_F(TrendChartViewTest, AClickOnlyAsksForTheModeAndTheRadioFollowsTheMeter)
{
    view.show();
    C<QRadioButton>(1021)->click();
    EXPECT_EQ(host.calls, std::vector<std::string>{"ApplyTrendMode ALL"});
    EXPECT_EQ(view.ModeText(), "REC");
    EXPECT_EQ(Labels(view), kRecentLabels);
    // The meter stayed in "REC": the radio shows it again.
    view.UpdateTrend(Snapshot("REC", {1.0}));
    EXPECT_TRUE(C<QRadioButton>(1020)->isChecked());

    C<QRadioButton>(1020)->click();
    EXPECT_EQ(host.calls.back(), "ApplyTrendMode REC");
}

TEST_F(TrendChartViewTest, AutoScaleFollowsTheSnapshotsMinimumAndMaximum)
{
    view.show();
    C<QRadioButton>(1034)->click();
    view.UpdateTrend(Snapshot("REC", {150.0, 120.0, 180.0}));
    EXPECT_EQ(Scale().High(), 180.0);
    EXPECT_EQ(Scale().Low(), 120.0);
    // A new range wholly below the old one.
    view.UpdateTrend(Snapshot("REC", {0.1, 0.3}));
    EXPECT_EQ(Scale().High(), 0.3);
    EXPECT_EQ(Scale().Low(), 0.1);
}

TEST_F(TrendChartViewTest, ManualScaleIsTypedWithItsPrefix)
{
    view.show();
    C<QRadioButton>(1035)->click();
    C<QLineEdit>(1015)->setText("5");
    C<QComboBox>(1072)->setCurrentIndex(3);  // m
    C<QPushButton>(1022)->click();
    EXPECT_DOUBLE_EQ(Scale().High(), 0.005);
    C<QLineEdit>(1014)->setText("-5");
    C<QPushButton>(1023)->click();
    EXPECT_EQ(Scale().Low(), -5.0);
    // Outside the guards, or not a finite number: ignored.
    C<QLineEdit>(1015)->setText("1e22");  // 1e19 with the prefix m
    C<QPushButton>(1022)->click();
    EXPECT_DOUBLE_EQ(Scale().High(), 0.005);
    C<QLineEdit>(1015)->setText("1e-13");  // 1e-16
    C<QPushButton>(1022)->click();
    EXPECT_DOUBLE_EQ(Scale().High(), 0.005);
    // A text that is not a number is refused with a message, not read as 0.
    C<QComboBox>(1072)->setCurrentIndex(4);
    for (const char* typed : {"abc", "nan", "1.5V", ""}) {
        C<QLineEdit>(1015)->setText(typed);
        const MessageBoxSeen seen = AnswerMessageBox([&] { C<QPushButton>(1022)->click(); });
        EXPECT_TRUE(seen.shown) << typed;
        EXPECT_EQ(seen.text, voltora::views::kTypedNumberMessage) << typed;
        EXPECT_DOUBLE_EQ(Scale().High(), 0.005) << typed;
    }
    // Decimals count in full.
    C<QLineEdit>(1015)->setText("1.51");
    C<QPushButton>(1022)->click();
    EXPECT_DOUBLE_EQ(Scale().High(), 1.51);

    view.UpdateTrend(Snapshot("REC", {1.0}));
    EXPECT_DOUBLE_EQ(Scale().High(), 1.51);  // Manual: unchanged by the data
    EXPECT_EQ(Scale().Low(), -5.0);
}

TEST_F(TrendChartViewTest, ASnapshotCountBeyondItsValuesIsNotReadPastThem)
{
    view.show();
    TrendSnapshot snapshot = Snapshot("REC", {1.0, 2.0});
    snapshot.count = 5;
    view.UpdateTrend(snapshot);
    EXPECT_EQ(view.Chart()->Model().Count(), 2);
}

// ---- Against the simulated meter -----------------------------------------------------------------

class TrendChartMeterTest : public TrendChartViewTest {
protected:
    void SetUp() override
    {
        TrendChartViewTest::SetUp();
        ASSERT_TRUE(meter.Connected());
        function.Initialise();
        function.SetDataPointsWaitLimit(0);
        host.function = &function;
        meter.ClearTranscript();
    }
    void TearDown() override
    {
        function.StopWorker();
        TrendChartViewTest::TearDown();
    }

    SimulatedMeterConnection meter;
    FakeFrontPanel panel;
    CZANFunctionDCV function{&panel};
};

TEST_F(TrendChartMeterTest, ClearReadingsClearsTheStatisticsAndRestartsTheTrend)
{
    C<QPushButton>(1024)->click();
    EXPECT_EQ(meter.Transcript(), std::vector<std::string>{"CALCulate:AVERage:CLEar"});
    EXPECT_TRUE(trendRestartPending);
    EXPECT_EQ(host.elapsedRestarts, 1);
}

TEST_F(TrendChartMeterTest, AllReachesTheMeterAndTheNextSnapshotTurnsTheView)
{
    view.show();
    panel.AcknowledgeReadingsOf(&function);
    C<QRadioButton>(1021)->click();
    EXPECT_EQ(meter.Transcript(), std::vector<std::string>{"CALCulate:TRENd:CHARt:MODe ALL"});
    EXPECT_EQ(view.ModeText(), "REC");

    function.ResumeWorker();
    TrendSnapshot snapshot;
    ASSERT_TRUE(WaitUntil([&] {
        return voltora::functions::ReadTrendSnapshot(snapshot) != 0 && snapshot.modeText == "ALL";
    }));
    // Snapshots are handed over while the worker keeps publishing new ones.
    for (int i = 0; i < 20; ++i) {
        voltora::functions::ReadTrendSnapshot(snapshot);
        ASSERT_EQ(snapshot.values.size(), static_cast<std::size_t>(snapshot.count));
        view.UpdateTrend(snapshot);
    }
    function.SuspendWorker();
    EXPECT_EQ(view.ModeText(), "ALL");
    EXPECT_TRUE(C<QRadioButton>(1021)->isChecked());
    ASSERT_EQ(view.Chart()->Model().XLabels().size(), 1u);
    EXPECT_EQ(view.Chart()->Model().XLabels()[0].text.rfind("Elapsed Time:0m ", 0), 0u);
    EXPECT_EQ(view.Chart()->Model().Count(), snapshot.count);
}

}  // namespace
