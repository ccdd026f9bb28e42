// The histogram view: updates from snapshots, the binning radio following
// the meter, and the binning commands sent under the function's lock.

#include "FakeViewHost.h"
#include "ViewTestSupport.h"
#include "functions/FakeFrontPanel.h"
#include "functions/MeterFixture.h"

#include "functions/CZANFunctionDCV.h"
#include "functions/ViewData.h"
#include "functions/ViewFlags.h"
#include "platform/CNumbers.h"
#include "views/CDlgHistogram.h"
#include "views/CStaticHistogramChart.h"
#include "views/ViewText.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

using namespace voltora::views::testing;
using namespace voltora::functions;
using voltora::functions::testing::FakeFrontPanel;
using voltora::functions::testing::ScriptedMeter;

namespace {

// A meter reply of the histogram in automatic range: 400 fine bins.
std::string AutoRangeReply(int readings, int below, int above)
{
    std::string reply = "-1.000000E+00,+1.000000E+00," + voltora::platform::CFormat("%d,%d", readings, below);
    for (int i = 0; i < 400; ++i) {
        reply += voltora::platform::CFormat(",%d", i % 7 == 0 ? 2 : 0);
    }
    return reply + voltora::platform::CFormat(",%d\n", above);
}

HistogramSnapshot ManualSnapshot(std::vector<double> bins, int below = 0, int above = 0)
{
    HistogramSnapshot snapshot;
    snapshot.binCount = static_cast<int>(bins.size());
    snapshot.readingCount = 1500;
    snapshot.belowCount = below;
    snapshot.aboveCount = above;
    snapshot.lower = -1.0;
    snapshot.upper = 1.0;
    snapshot.bins = std::move(bins);
    return snapshot;
}

class HistogramViewTest : public ::testing::Test {
protected:
    void SetUp() override { histogramViewShown = false; }
    void TearDown() override { histogramViewShown = false; }

    template <typename Control>
    Control* C(int id)
    {
        return Find<Control>(view, id);
    }

    std::vector<bool> ManualEnabled()
    {
        std::vector<bool> enabled;
        for (const int id : {1004, 1015, 1014, 1040, 1042, 1044}) {
            enabled.push_back(view.findChild<QWidget*>(voltora::views::ControlName(id))->isEnabled());
        }
        return enabled;
    }

    const voltora::views::HistogramChartModel& Chart() const { return view.Chart()->Model(); }

    FakeViewHost host;
    CDlgHistogram view{&host};
};

TEST_F(HistogramViewTest, StartsInAutoBinningWithTheManualControlsDisabled)
{
    EXPECT_TRUE(C<QRadioButton>(1038)->isChecked());
    EXPECT_EQ(ManualEnabled(), std::vector<bool>(6, false));
    EXPECT_FALSE(C<QCheckBox>(1047)->isChecked());
    QComboBox* bins = C<QComboBox>(1004);
    ASSERT_EQ(bins->count(), 6);
    EXPECT_EQ(bins->itemText(0), "10");
    EXPECT_EQ(bins->itemText(5), "400");
    for (const int id : {1005, 1006}) {
        QComboBox* prefixes = C<QComboBox>(id);
        ASSERT_EQ(prefixes->count(), 8);
        EXPECT_EQ(prefixes->itemText(0), "u");
        EXPECT_EQ(prefixes->currentText(), " ");
    }
    EXPECT_GE(view.Chart()->width(), CDlgHistogram::kMinimumChartWidth);
    for (const int id : {1041, 1043, 1045}) {
        EXPECT_TRUE(C<QLabel>(id)->isHidden());
    }
}

TEST_F(HistogramViewTest, NothingWhileHiddenOrWithoutBins)
{
    view.UpdateHistogram(ManualSnapshot({1, 2, 3}));
    EXPECT_EQ(Chart().BinCount(), 0);
    view.show();
    EXPECT_TRUE(histogramViewShown);
    view.UpdateHistogram(ManualSnapshot({}));
    EXPECT_EQ(Chart().BinCount(), 0);
    EXPECT_EQ(C<QLabel>(1041)->text(), "#Bin");
    view.hide();
    EXPECT_FALSE(histogramViewShown);
}

TEST_F(HistogramViewTest, AutoBinningGroupsTheMetersBinsByReadingCount)
{
    view.show();
    HistogramSnapshot snapshot;
    ASSERT_TRUE(voltora::functions::ParseHistogramReply(AutoRangeReply(250, 1, 2), 1, snapshot));
    view.UpdateHistogram(snapshot);
    EXPECT_EQ(Chart().BinCount(), 20);
    EXPECT_EQ(Chart().XRange(), 20.0);
    EXPECT_EQ(Chart().BottomLeftLabel(), "#Bin\r\n20");
    EXPECT_EQ(C<QLabel>(1041)->text(), "20");
    EXPECT_EQ(C<QLabel>(1043)->text(), "250");
    EXPECT_TRUE(C<QRadioButton>(1038)->isChecked());
    EXPECT_EQ(ManualEnabled(), std::vector<bool>(6, false));
    EXPECT_EQ(Chart().LowBoundLabel(), "-1.000");
    EXPECT_EQ(Chart().MiddleBoundLabel(), "+0.000");
    EXPECT_EQ(Chart().HighBoundLabel(), "+1.000");
}

TEST_F(HistogramViewTest, TheRadioFollowsTheMetersAutomaticRange)
{
    view.show();
    view.UpdateHistogram(ManualSnapshot({1, 5, 2}));
    EXPECT_TRUE(C<QRadioButton>(1039)->isChecked());
    EXPECT_EQ(ManualEnabled(), std::vector<bool>(6, true));
    EXPECT_EQ(Chart().ScaleMax(), 5.0);
    EXPECT_EQ(C<QLabel>(1045)->text(), "5");
    EXPECT_EQ(C<QLabel>(1043)->text(), "1.500k");
}

TEST_F(HistogramViewTest, TheBinsListShowsTheMetersNumberOfBins)
{
    view.show();
    view.UpdateHistogram(ManualSnapshot(std::vector<double>(100, 1.0)));
    EXPECT_EQ(C<QComboBox>(1004)->currentText(), "100");
    view.UpdateHistogram(ManualSnapshot(std::vector<double>(40, 1.0)));
    EXPECT_EQ(C<QComboBox>(1004)->currentText(), "40");
    // A count the list does not offer leaves it as it is.
    view.UpdateHistogram(ManualSnapshot(std::vector<double>(7, 1.0)));
    EXPECT_EQ(C<QComboBox>(1004)->currentText(), "40");
}

TEST_F(HistogramViewTest, OuterBinsRaiseTheScaleAndCountInTheShare)
{
    view.show();
    C<QCheckBox>(1048)->click();
    EXPECT_TRUE(Chart().OuterBinsShown());
    view.UpdateHistogram(ManualSnapshot(std::vector<double>(20, 5.0), 3, 40));
    EXPECT_EQ(Chart().ScaleMax(), 40.0);
    EXPECT_TRUE(Chart().OuterBinsShown());
    EXPECT_EQ(Chart().TopLeftLabel(), "28.0%\r\n40");  // a count: whole
    EXPECT_EQ(C<QLabel>(1045)->text(), "40");

    C<QCheckBox>(1048)->click();
    view.UpdateHistogram(ManualSnapshot(std::vector<double>(20, 5.0), 3, 40));
    EXPECT_EQ(Chart().ScaleMax(), 5.0);
    EXPECT_FALSE(Chart().OuterBinsShown());
    EXPECT_EQ(Chart().TopLeftLabel(), "5.0%\r\n5");
}

TEST_F(HistogramViewTest, AllZeroCountsDrawNoBars)
{
    view.show();
    C<QCheckBox>(1047)->click();
    EXPECT_TRUE(Chart().CumulativeShown());
    view.UpdateHistogram(ManualSnapshot(std::vector<double>(10, 0.0)));
    EXPECT_EQ(Chart().ScaleMax(), 0.0);
    EXPECT_TRUE(Chart().Bars().empty());
    EXPECT_TRUE(Chart().CumulativeCurve().empty());
    EXPECT_FALSE(view.Chart()->Render().isNull());
}

// ---- Commands ------------------------------------------------------------------------------------

class HistogramCommandTest : public HistogramViewTest {
protected:
    void SetUp() override
    {
        HistogramViewTest::SetUp();
        ASSERT_TRUE(meter.Connected());
        function.Initialise();
        host.function = &function;
        meter.OnMessage([this](const std::string& message) {
            underLock.push_back(function.IsPauseRequested() && LockHeldElsewhere(function));
            (void)message;
        });
        meter.ClearWrites();
    }
    void TearDown() override
    {
        meter.OnMessage({});
        function.StopWorker();
        HistogramViewTest::TearDown();
    }

    ScriptedMeter meter;
    FakeFrontPanel panel;
    CZANFunctionDCV function{&panel};
    std::vector<bool> underLock;
};

TEST_F(HistogramCommandTest, BinningControlsSendTheirCommandsUnderTheFunctionsLock)
{
    C<QRadioButton>(1039)->click();
    EXPECT_EQ(ManualEnabled(), std::vector<bool>(6, true));
    C<QComboBox>(1004)->setCurrentIndex(2);  // 40
    C<QPushButton>(1040)->click();
    C<QLineEdit>(1015)->setText("15");
    C<QComboBox>(1005)->setCurrentIndex(1);  // m
    C<QPushButton>(1042)->click();
    C<QLineEdit>(1014)->setText("-1");
    C<QPushButton>(1044)->click();
    C<QLineEdit>(1014)->setText("1.5");
    C<QComboBox>(1006)->setCurrentIndex(3);  // k: the whole number counts
    C<QPushButton>(1044)->click();
    C<QLineEdit>(1015)->setText("1.51");
    C<QComboBox>(1005)->setCurrentIndex(2);  // no prefix
    C<QPushButton>(1042)->click();
    C<QLineEdit>(1014)->setText(" -2.5E-1 ");
    C<QComboBox>(1006)->setCurrentIndex(0);  // u: small bounds keep their digits
    C<QPushButton>(1044)->click();
    C<QPushButton>(1046)->click();
    C<QRadioButton>(1038)->click();
    EXPECT_EQ(ManualEnabled(), std::vector<bool>(6, false));

    EXPECT_EQ(meter.Writes(), (std::vector<std::string>{
                                  "CALCulate:TRANsform:HISTogram:RANGe:AUTO 0",
                                  "CALCulate:TRANsform:HISTogram:POINts 40",
                                  "CALCulate:TRANsform:HISTogram:RANGe:UPPer 0.015",
                                  "CALCulate:TRANsform:HISTogram:RANGe:LOWer -1.000",
                                  "CALCulate:TRANsform:HISTogram:RANGe:LOWer 1500.000",
                                  "CALCulate:TRANsform:HISTogram:RANGe:UPPer 1.510",
                                  "CALCulate:TRANsform:HISTogram:RANGe:LOWer -0.00000025",
                                  "CALCulate:TRANsform:HISTogram:CLEar",
                                  "CALCulate:TRANsform:HISTogram:RANGe:AUTO 1",
                              }));
    EXPECT_EQ(underLock, std::vector<bool>(9, true));
    EXPECT_FALSE(function.IsPauseRequested());
}

TEST_F(HistogramCommandTest, ABoundThatIsNotANumberIsRefusedWithAMessage)
{
    C<QRadioButton>(1039)->click();
    meter.ClearWrites();
    for (const char* typed : {"abc", "", "1.5x", "1,5", "--1", "1e"}) {
        for (const int set : {1042, 1044}) {
            C<QLineEdit>(set == 1042 ? 1015 : 1014)->setText(typed);
            const MessageBoxSeen seen = AnswerMessageBox([&] { C<QPushButton>(set)->click(); });
            EXPECT_TRUE(seen.shown) << typed;
            EXPECT_EQ(seen.text, voltora::views::kTypedNumberMessage) << typed;
        }
    }
    EXPECT_TRUE(meter.Writes().empty());
}

TEST_F(HistogramCommandTest, DrawingOptionsSendNothing)
{
    C<QCheckBox>(1047)->click();
    C<QCheckBox>(1048)->click();
    EXPECT_TRUE(Chart().CumulativeShown());
    EXPECT_TRUE(Chart().OuterBinsShown());
    EXPECT_TRUE(meter.Writes().empty());
}

}  // namespace
