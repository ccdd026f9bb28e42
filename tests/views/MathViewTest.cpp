// The math view: its controls and enabling rules, the statistics it shows,
// and what its handlers send to the host, the function and the meter.

#include "FakeViewHost.h"
#include "ViewTestSupport.h"
#include "functions/FakeFrontPanel.h"
#include "functions/MeterFixture.h"

#include "functions/CZANFunctionACV.h"
#include "functions/CZANFunctionDCV.h"
#include "functions/MathSettings.h"
#include "functions/ViewFlags.h"
#include "views/CDlgZANMath.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

#include <algorithm>

using namespace voltora::views::testing;
using namespace voltora::functions;
using voltora::functions::testing::FakeFrontPanel;
using voltora::functions::testing::ScriptedMeter;
using voltora::functions::testing::SimulatedMeterConnection;

namespace {

class MathViewTest : public ::testing::Test {
protected:
    void SetUp() override { mathViewShown = false; }
    void TearDown() override { mathViewShown = false; }

    template <typename Control>
    Control* C(int id)
    {
        return Find<Control>(view, id);
    }

    // The enabled state of the dB/dBm group, in the order of DbControls.
    std::vector<bool> DbGroupEnabled()
    {
        std::vector<bool> enabled;
        for (const int id : {1059, 1060, 1061, 1068, 1066, 1064, 1067, 1069}) {
            enabled.push_back(view.findChild<QWidget*>(voltora::views::ControlName(id))->isEnabled());
        }
        return enabled;
    }

    FakeViewHost host;
    CDlgZANMath view{&host};
};

TEST_F(MathViewTest, StartsWithItsListsFilledAndTheScalingOff)
{
    EXPECT_TRUE(view.isHidden());
    EXPECT_FALSE(view.IsShown());

    QComboBox* resistances = C<QComboBox>(1068);
    ASSERT_EQ(resistances->count(), 17);
    EXPECT_EQ(resistances->itemText(0), "50");
    EXPECT_EQ(resistances->itemText(11), "600");
    EXPECT_EQ(resistances->itemText(16), "8000");

    QComboBox* relPrefixes = C<QComboBox>(1074);
    ASSERT_EQ(relPrefixes->count(), 8);
    EXPECT_EQ(relPrefixes->currentIndex(), 4);
    EXPECT_EQ(relPrefixes->currentText(), "");
    EXPECT_EQ(relPrefixes->itemText(7), "G");

    for (const int id : {1004, 1005}) {
        QComboBox* limits = C<QComboBox>(id);
        ASSERT_EQ(limits->count(), 7);
        EXPECT_EQ(limits->itemText(4), " ");
        EXPECT_EQ(limits->itemText(6), "M");
    }

    EXPECT_TRUE(C<QRadioButton>(1060)->isChecked());
    EXPECT_FALSE(C<QCheckBox>(1059)->isChecked());
    EXPECT_EQ(DbGroupEnabled(), (std::vector<bool>{true, false, false, false, false, false, false, false}));
}

TEST_F(MathViewTest, TheLimitsGroupIsNeverShown)
{
    view.show();
    for (const int id : {1062, 1049, 1050, 1051, 1052, 1053, 1004, 1005, 1077, 1078}) {
        SCOPED_TRACE(id);
        EXPECT_FALSE(view.findChild<QWidget*>(voltora::views::ControlName(id))->isVisible());
    }
    EXPECT_TRUE(C<QPushButton>(1065)->isVisible());
    // The limit controls start disabled.
    EXPECT_FALSE(C<QLineEdit>(1050)->isEnabled());
    EXPECT_FALSE(C<QPushButton>(1051)->isEnabled());
}

TEST_F(MathViewTest, ShowingAndHidingSetsTheSharedFlag)
{
    view.show();
    EXPECT_TRUE(view.IsShown());
    EXPECT_TRUE(mathViewShown);
    view.hide();
    EXPECT_FALSE(view.IsShown());
    EXPECT_FALSE(mathViewShown);
}

TEST_F(MathViewTest, StatisticsTakeTheirDecimalsFromTheValueText)
{
    host.valueText = "+0.75645";
    host.unitText = "VDC";
    StatisticsBlock block;
    block.minimum = "7.5645E-01";
    block.average = "+7.5645E-01";
    block.maximum = "+1.20000000E+00";
    block.span = "0";
    block.standardDeviation = "+2.00000000E-03";
    block.samples = 42;

    view.UpdateStatistics(block);  // hidden: nothing changes
    EXPECT_EQ(C<QLineEdit>(1007)->text(), "");

    view.show();
    view.UpdateStatistics(block);
    EXPECT_EQ(C<QLineEdit>(1007)->text(), "756.45000m");
    EXPECT_EQ(C<QLineEdit>(1008)->text(), "756.450000m");
    EXPECT_EQ(C<QLineEdit>(1009)->text(), "1.20000");
    EXPECT_EQ(C<QLineEdit>(1010)->text(), "0.00000n");
    EXPECT_EQ(C<QLineEdit>(1011)->text(), "2.000000m");
    EXPECT_EQ(C<QLineEdit>(1012)->text(), "42");

    host.valueText = "open";
    host.functionName = "Diode";
    block.minimum = "Overload";
    view.UpdateStatistics(block);
    EXPECT_EQ(C<QLineEdit>(1007)->text(), "open");
    EXPECT_EQ(C<QLineEdit>(1009)->text(), "1.200");   // 3 decimals without a point
    EXPECT_EQ(C<QLineEdit>(1008)->text(), "756.4500m");  // 4
}

TEST_F(MathViewTest, LoadDbSettingsSetsTheGroupFromTheRecord)
{
    MathInfo info;
    info.available = 1;
    info.mode = 1;
    info.unitText = "dBm";
    info.dbmReference = 600;
    info.dbReference = -10;
    info.referenceAuto = 1;
    view.LoadDbSettings(info);
    EXPECT_TRUE(C<QCheckBox>(1059)->isChecked());
    EXPECT_TRUE(C<QRadioButton>(1061)->isChecked());
    EXPECT_EQ(C<QComboBox>(1068)->currentText(), "600");
    EXPECT_EQ(C<QLineEdit>(1064)->text(), "-10");
    EXPECT_TRUE(C<QCheckBox>(1069)->isChecked());
    EXPECT_EQ(DbGroupEnabled(), (std::vector<bool>{true, true, true, true, true, false, false, false}));
    EXPECT_EQ(view.DbSettings().dbmReference, 600);

    info.unitText = "dB";
    info.dbmReference = 601;  // not in the list
    view.LoadDbSettings(info);
    EXPECT_TRUE(C<QRadioButton>(1060)->isChecked());
    EXPECT_EQ(C<QComboBox>(1068)->currentIndex(), -1);
    EXPECT_EQ(DbGroupEnabled(), std::vector<bool>(8, true));

    info.mode = 0;
    view.LoadDbSettings(info);
    EXPECT_EQ(DbGroupEnabled(), (std::vector<bool>{true, false, false, false, false, false, false, false}));

    // A function without dB/dBm scaling greys out the whole group.
    view.LoadDbSettings(MathInfo{});
    EXPECT_EQ(DbGroupEnabled(), std::vector<bool>(8, false));
}

TEST_F(MathViewTest, ScaleCheckBoxAndUnitRadiosReachThePanel)
{
    MathInfo info;
    info.available = 1;
    info.unitText = "dB";
    view.LoadDbSettings(info);

    C<QCheckBox>(1059)->click();
    EXPECT_EQ(DbGroupEnabled(), std::vector<bool>(8, true));
    C<QRadioButton>(1061)->click();
    EXPECT_EQ(DbGroupEnabled(), (std::vector<bool>{true, true, true, true, true, false, false, false}));
    EXPECT_EQ(view.DbSettings().unitText, "dBm");
    C<QRadioButton>(1060)->click();
    EXPECT_EQ(view.DbSettings().unitText, "dB");
    C<QCheckBox>(1059)->click();
    EXPECT_EQ(DbGroupEnabled(), (std::vector<bool>{true, false, false, false, false, false, false, false}));

    EXPECT_EQ(host.calls, (std::vector<std::string>{"ApplyMathMode 1", "ApplyMathUnit DBM", "ApplyMathUnit DB",
                                                    "ApplyMathMode 0"}));
}

TEST_F(MathViewTest, RelativeValueIsShownWithAPrefixAndSentWithTwelveDecimals)
{
    view.ShowRelValue("Off", "0.0015");
    EXPECT_FALSE(C<QLineEdit>(1055)->isEnabled());
    EXPECT_FALSE(C<QComboBox>(1074)->isEnabled());
    EXPECT_FALSE(C<QPushButton>(1076)->isEnabled());

    view.ShowRelValue("On", "0.0015");
    EXPECT_TRUE(C<QPushButton>(1076)->isEnabled());
    EXPECT_EQ(C<QComboBox>(1074)->currentText(), "m");
    EXPECT_EQ(C<QLineEdit>(1055)->text(), "1.500000");

    C<QLineEdit>(1055)->setText("2.5");
    C<QComboBox>(1074)->setCurrentIndex(5);  // k
    C<QPushButton>(1076)->click();
    C<QLineEdit>(1055)->setText("abc");      // not a number: 0
    C<QPushButton>(1076)->click();
    EXPECT_EQ(host.calls, (std::vector<std::string>{"ApplyRelValue 2500.000000000000",
                                                    "ApplyRelValue 0.000000000000"}));
}

TEST_F(MathViewTest, UnitTextsFollowTheFunction)
{
    view.SetUnit("k$OHM$");
    EXPECT_EQ(C<QLabel>(1075)->text(), QStringLiteral("k\u2126"));
    EXPECT_EQ(C<QLabel>(1077)->text(), QStringLiteral("k\u2126"));
    view.SetUnit("dBm");
    EXPECT_EQ(C<QLabel>(1075)->text(), "V");
    EXPECT_EQ(C<QLabel>(1078)->text(), "dBm");
}

TEST_F(MathViewTest, LimitsAreShownWithTheirPrefixes)
{
    view.LoadMathSettings({1, 1500.0, -0.002});
    EXPECT_TRUE(C<QCheckBox>(1049)->isChecked());
    EXPECT_TRUE(C<QLineEdit>(1050)->isEnabled());
    EXPECT_EQ(C<QLineEdit>(1050)->text(), "1.500");
    EXPECT_EQ(C<QComboBox>(1004)->currentText(), "k");
    EXPECT_EQ(C<QLineEdit>(1052)->text(), "-2.000");
    EXPECT_EQ(C<QComboBox>(1005)->currentText(), "m");

    // A limit beyond the list's prefixes leaves the list without a selection.
    view.LoadMathSettings({1, 5e9, 5.0});
    EXPECT_EQ(C<QComboBox>(1004)->currentIndex(), -1);
    EXPECT_EQ(C<QComboBox>(1005)->currentText(), " ");

    view.LoadMathSettings({0, 1.0, 2.0});
    EXPECT_FALSE(C<QCheckBox>(1049)->isChecked());
    EXPECT_FALSE(C<QLineEdit>(1050)->isEnabled());
    EXPECT_EQ(C<QLineEdit>(1050)->text(), "5.000");  // kept
}

TEST_F(MathViewTest, ALimitOutOfRangeIsRefusedWithAMessage)
{
    view.LoadMathSettings({1, 1.0, -1.0});
    C<QLineEdit>(1050)->setText("0");
    C<QComboBox>(1004)->setCurrentIndex(4);
    const MessageBoxSeen seen = AnswerMessageBox([&] { C<QPushButton>(1053)->click(); });
    EXPECT_TRUE(seen.shown);
    EXPECT_EQ(seen.caption, "Voltora");
    EXPECT_EQ(seen.text, "The value is too large or too small, please modify it");
    EXPECT_TRUE(host.calls.empty());

    C<QLineEdit>(1050)->setText("15");
    C<QComboBox>(1004)->setCurrentIndex(3);  // m
    C<QLineEdit>(1052)->setText("-1 ");
    C<QComboBox>(1005)->setCurrentIndex(5);  // k
    const MessageBoxSeen none = AnswerMessageBox([&] {
        C<QPushButton>(1053)->click();
        C<QPushButton>(1051)->click();
    });
    EXPECT_FALSE(none.shown);
    EXPECT_EQ(host.calls, (std::vector<std::string>{"SetLimitHigh 0.015", "SetLimitLow -1000"}));
}

// ---- Against a meter -----------------------------------------------------------------------

TEST_F(MathViewTest, ClearReadingsSendsTheClearUnderTheFunctionsLock)
{
    ScriptedMeter meter;
    ASSERT_TRUE(meter.Connected());
    FakeFrontPanel panel;
    CZANFunctionDCV function{&panel};
    function.Initialise();
    host.function = &function;

    bool paused = false;
    bool locked = false;
    meter.OnMessage([&](const std::string& message) {
        if (message == "CALCulate:AVERage:CLEar") {
            paused = function.IsPauseRequested();
            locked = LockHeldElsewhere(function);
        }
    });
    trendRestartPending = false;
    C<QPushButton>(1065)->click();

    EXPECT_EQ(meter.Writes(), std::vector<std::string>{"CALCulate:AVERage:CLEar"});
    EXPECT_TRUE(paused);
    EXPECT_TRUE(locked);
    EXPECT_TRUE(trendRestartPending);
    EXPECT_EQ(host.elapsedRestarts, 1);
    EXPECT_FALSE(function.IsPauseRequested());
    EXPECT_FALSE(LockHeldElsewhere(function));
    trendRestartPending = false;
    function.StopWorker();
}

TEST_F(MathViewTest, DbSettingsReachTheCurrentFunctionAndTheMeter)
{
    SimulatedMeterConnection meter;
    ASSERT_TRUE(meter.Connected());
    FakeFrontPanel panel;
    CZANFunctionACV function{&panel};
    function.Initialise();
    host.function = &function;
    MathInfo info;
    info.available = 1;
    info.unitText = "dB";
    view.LoadDbSettings(info);
    meter.ClearTranscript();

    C<QCheckBox>(1059)->click();
    C<QComboBox>(1068)->setCurrentIndex(11);  // 600
    C<QPushButton>(1066)->click();
    C<QLineEdit>(1064)->setText("-10");
    C<QPushButton>(1067)->click();
    C<QCheckBox>(1069)->click();
    C<QRadioButton>(1061)->click();

    EXPECT_EQ(meter.Transcript(),
              (std::vector<std::string>{"CALCulate:SCALe:STATe 1", "CALCulate:SCALe:DBM:REFerence 600",
                                        "CALCulate:SCALe:DB:REFerence -10", "CALCulate:SCALe:REFerence:AUTO 1",
                                        "CALCulate:SCALe:FUNCtion DBM"}));
    const MathInfo applied = function.GetMathInfo();
    EXPECT_EQ(applied.mode, 1);
    EXPECT_EQ(applied.dbmReference, 600);
    EXPECT_EQ(applied.dbReference, -10);
    EXPECT_EQ(applied.referenceAuto, 1);
    EXPECT_EQ(applied.unitText, "dBm");

    // No reference in the list: nothing is sent.
    meter.ClearTranscript();
    C<QComboBox>(1068)->setCurrentIndex(-1);
    C<QPushButton>(1066)->click();
    EXPECT_TRUE(meter.Transcript().empty());
    function.StopWorker();
}

TEST_F(MathViewTest, TheLimitCheckBoxSendsTheStateAndReadsItBack)
{
    SimulatedMeterConnection meter;
    ASSERT_TRUE(meter.Connected());
    FakeFrontPanel panel;
    CZANFunctionDCV function{&panel};
    function.Initialise();
    host.function = &function;
    voltora::functions::SetMathSettings({0, 2500.0, -0.5});
    meter.ClearTranscript();

    C<QCheckBox>(1049)->click();
    EXPECT_EQ(meter.Transcript(), (std::vector<std::string>{"CALCulate:LIMit:STATe 1", "CALCulate:LIMit:STATe?"}));
    EXPECT_EQ(voltora::functions::GetMathSettings().limitState, 1);
    EXPECT_TRUE(C<QLineEdit>(1052)->isEnabled());
    EXPECT_EQ(C<QLineEdit>(1050)->text(), "2.500");
    EXPECT_EQ(C<QLineEdit>(1052)->text(), "-500.000");

    C<QCheckBox>(1049)->click();
    EXPECT_EQ(voltora::functions::GetMathSettings().limitState, 0);
    EXPECT_FALSE(C<QLineEdit>(1052)->isEnabled());
    voltora::functions::SetMathSettings({});
    function.StopWorker();
}

}  // namespace
