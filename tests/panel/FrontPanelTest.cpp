// The front panel without a meter: its start-up state, the function keys with
// and without Shift, the soft keys and their colours, the entry popup, the
// temperature display modes and the messages from the sensor dialog.

#include "PanelTestSupport.h"

#include "functions/CZANFunction.h"
#include "functions/CZANFunctionCont.h"
#include "functions/CZANFunctionDCV.h"
#include "functions/CZANFunctionTemperature.h"
#include "functions/MeterFixture.h"
#include "link/CConectWithNI.h"
#include "panel/PanelEvent.h"

#include "panel/skin/SkinButton.h"

#include <QTest>

#include <gtest/gtest.h>

using namespace voltora::functions;

namespace voltora::panel::test {
namespace {

using Texts = std::vector<std::string>;

class FrontPanelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QtApplicationReady());
        ASSERT_FALSE(CConectWithNI::Instance()->IsConnected());
    }

    QString Text(const char* name) { return TextOf(panel, QString::fromLatin1(name)); }
    SkinControl& Control(const char* name) { return ControlOf(panel, QString::fromLatin1(name)); }
    void Click(const char* name) { panel.Notify(QString::fromLatin1(name)); }
    std::string CurrentName() { return panel.CurrentFunctionName(); }

    CFrontPanel panel{*CConectWithNI::Instance()};
};

TEST_F(FrontPanelTest, StartsInDcVoltageWithItsTextsAndSoftKeys)
{
    EXPECT_EQ(panel.objectName(), "ZAN900");
    EXPECT_EQ(panel.size(), QSize(800, 328));
    EXPECT_EQ(Text("LabelTitle"), "DC Voltage");
    EXPECT_EQ(Text("LabelValue"), Shown("$INIT$"));
    EXPECT_EQ(Text("LabelValue"), QString::fromUtf8("\u25CF.\u25CF\u25CF\u25CF\u25CF\u25CF"));
    EXPECT_EQ(Text("LabelUnit"), "VDC");
    EXPECT_EQ(Text("LabelRange"), "Manual 200mV");
    EXPECT_EQ(SoftKeyTexts(panel, "Name"), (Texts{"Range", "Speed", "Filter", "Input Z", "Rel", ""}));
    EXPECT_EQ(SoftKeyTexts(panel, "Value"), (Texts{"200mV", "Slow", "", "", "", ""}));
    EXPECT_EQ(SoftKeyTexts(panel, "Value1"), (Texts{"", "", "On", "10M", "On", ""}));
    EXPECT_EQ(SoftKeyTexts(panel, "Value2"), (Texts{"", "", "Off", "10G", "Off", ""}));
    EXPECT_EQ(SoftKeyTexts(panel, ""), (Texts{"", "", "", "", "", ""}));
    for (int n = 1; n <= 6; ++n) {
        EXPECT_EQ(ControlOf(panel, QStringLiteral("ContainerF") + QString::number(n)).BackgroundColor(),
                  0xFF808080u);
    }
    EXPECT_FALSE(Control("LabelStop").IsVisible());
    EXPECT_FALSE(Control("LabelShift").IsVisible());
    EXPECT_FALSE(Control("TinyMenu").IsVisible());
    EXPECT_FALSE(Control("ContainerTempMeasVal").IsVisible());
    EXPECT_FALSE(panel.IsRunning());
    EXPECT_EQ(panel.CurrentFunction(), panel.FunctionOf("VOLT"));
}

TEST_F(FrontPanelTest, HoldsElevenFunctionsWithFrequencyAndPeriodShared)
{
    const Texts keyWords = {"VOLT", "CURR", "VOLT:AC", "CURR:AC", "RES",  "FRES",
                            "CAP",  "FREQ", "PER",     "CONT",    "DIOD", "TEMP"};
    EXPECT_EQ(panel.Functions().KeyWords(), keyWords);
    EXPECT_EQ(panel.Functions().Objects().size(), 11u);
    EXPECT_EQ(panel.FunctionOf("FREQ"), panel.FunctionOf("PER"));
    EXPECT_EQ(panel.FunctionOf("VOLT:DC"), nullptr);
    for (CZANFunction* function : panel.Functions().Objects()) {
        EXPECT_TRUE(function->IsWorkerRunning()) << function->name.Get() << ": created suspended";
    }
}

TEST_F(FrontPanelTest, TheWindowHasRoundedCorners)
{
    const QRegion mask = panel.mask();
    ASSERT_FALSE(mask.isEmpty());
    EXPECT_FALSE(mask.contains(QPoint(0, 0)));
    EXPECT_FALSE(mask.contains(QPoint(799, 327)));
    EXPECT_TRUE(mask.contains(QPoint(7, 7)));
    EXPECT_TRUE(mask.contains(QPoint(400, 1)));
    EXPECT_TRUE(mask.contains(QPoint(1, 164)));
}

TEST_F(FrontPanelTest, FunctionKeysWithAndWithoutShiftChangeTheFunction)
{
    struct Case {
        const char* key;
        bool shift;
        const char* title;
    };
    const Case cases[] = {
        {"btnACV", false, "AC Voltage"},  {"btnDCV", true, "DC Current"},
        {"btnACV", true, "AC Current"},   {"btn2W", false, "2 Wire Resistance"},
        {"btn2W", true, "4 Wire Resistance"}, {"btn-11-", false, "Capacitance"},
        {"btn-11-", true, "Frequency"},   {"btnCont", false, "Continuity"},
        {"btnCont", true, "Diode"},       {"btnTemp", false, "Temperature"},
        {"btnDCV", false, "DC Voltage"},
    };
    for (const Case& c : cases) {
        if (c.shift) {
            Click("btnShift");
            ASSERT_TRUE(panel.IsShiftEngaged());
            ASSERT_TRUE(Control("LabelShift").IsVisible());
        }
        Click(c.key);
        EXPECT_EQ(CurrentName(), c.title) << c.key;
        EXPECT_EQ(Text("LabelTitle"), c.title) << c.key;
        EXPECT_FALSE(panel.IsShiftEngaged()) << c.key;
        EXPECT_FALSE(Control("LabelShift").IsVisible()) << c.key;
        EXPECT_FALSE(panel.IsRunning()) << "not connected: nothing runs";
        EXPECT_FALSE(Control("LabelStop").IsVisible());
    }
}

TEST_F(FrontPanelTest, MouseClicksOnTheKeysReachThePanel)
{
    panel.show();
    QTest::mouseClick(panel.FindButton(QStringLiteral("btnShift")), Qt::LeftButton);
    EXPECT_TRUE(panel.IsShiftEngaged());
    QTest::mouseClick(panel.FindButton(QStringLiteral("btnACV")), Qt::LeftButton);
    EXPECT_EQ(CurrentName(), "AC Current");
    QTest::mouseClick(panel.FindButton(QStringLiteral("btn2nd")), Qt::LeftButton);
    EXPECT_FALSE(panel.IsShiftEngaged()) << "2nd is disabled in the skin";
    QTest::mouseClick(panel.FindButton(QStringLiteral("btnF1")), Qt::LeftButton);
    EXPECT_EQ(SoftKeyTexts(panel, "")[0], "Auto");
}

TEST_F(FrontPanelTest, ShiftTogglesItsMarkerAndTwoNdSharesTheFlag)
{
    Click("btnShift");
    EXPECT_TRUE(panel.IsShiftEngaged());
    Click("btnShift");
    EXPECT_FALSE(panel.IsShiftEngaged());
    EXPECT_FALSE(Control("LabelShift").IsVisible());
    Click("btn2nd");
    EXPECT_TRUE(panel.IsShiftEngaged());
    EXPECT_TRUE(Control("Label2nd").IsVisible());
    Click("btnDCV");  // the flag is shared: DC current
    EXPECT_EQ(CurrentName(), "DC Current");
}

TEST_F(FrontPanelTest, ShiftWithTempKeepsTheFunctionAndShowsItsRootPage)
{
    Click("btnDCV");
    Click("btnF1");  // the range options
    ASSERT_EQ(SoftKeyTexts(panel, "")[0], "Auto");
    Click("btnShift");
    Click("btnTemp");
    EXPECT_EQ(CurrentName(), "DC Voltage");
    EXPECT_FALSE(panel.IsShiftEngaged());
    EXPECT_FALSE(Control("LabelShift").IsVisible());
    EXPECT_EQ(SoftKeyTexts(panel, "Name")[0], "Range") << "re-activated: the root page again";
}

TEST_F(FrontPanelTest, AcCurrentTitleBoxEndsAfterItsFirstNineCharacters)
{
    Click("btnShift");
    Click("btnACV");
    SkinControl& title = Control("LabelTitle");
    const int width = panel.MeasureTextWidth(QStringLiteral("AC Curren"), title.FontIndex());
    ASSERT_GT(width, 0);
    const QRect rect = title.Rect();
    EXPECT_EQ(rect.left(), 72);
    EXPECT_EQ(rect.top(), 57);
    EXPECT_EQ(rect.left() + rect.width(), 92 + width);
    EXPECT_EQ(rect.top() + rect.height(), 87);
}

TEST_F(FrontPanelTest, SoftKeysShowOptionsAndPaintTheChosenOneBlue)
{
    Click("btnF1");
    EXPECT_EQ(SoftKeyTexts(panel, ""), (Texts{"Auto", "200mV", "2V", "20V", "200V", "1000V"}));
    EXPECT_EQ(SoftKeyTexts(panel, "Name"), (Texts{"", "", "", "", "", ""}));
    EXPECT_EQ(Control("ContainerF2").BackgroundColor(), 0xFF1737D5u) << "200mV is the range";
    EXPECT_EQ(Control("ContainerF1").BackgroundColor(), 0xFF808080u);
    EXPECT_EQ(Control("ContainerF3").BackgroundColor(), 0xFF808080u);
    EXPECT_EQ(Control("LabelF1Name").TextColor(), kPlainColour);

    Click("btnF3");  // "2V": manual range, back to the root page
    EXPECT_EQ(SoftKeyTexts(panel, "Value")[0], "2V");
    // The range itself changes when the worker has applied it.
    EXPECT_EQ(Text("LabelRange").toStdString(), "Manual " + panel.CurrentFunction()->GetRangeText());
    for (int n = 1; n <= 6; ++n) {
        EXPECT_EQ(ControlOf(panel, QStringLiteral("ContainerF") + QString::number(n)).BackgroundColor(),
                  0xFF808080u);
    }
    EXPECT_EQ(Control("LabelF1Name").TextColor(), kPlainColour);
    EXPECT_EQ(Control("LabelF1Value").TextColor(), kMarkedColour);
    EXPECT_EQ(Control("LabelF6Name").TextColor(), 0u) << "no item on F6";
    EXPECT_EQ(SoftKeyTexts(panel, "Name"), (Texts{"Range", "Speed", "Filter", "Input Z", "Rel", ""}));

    Click("btnF1");
    EXPECT_EQ(Control("ContainerF2").BackgroundColor(), 0xFF808080u) << "the highlight moved to 2V";
    EXPECT_EQ(Control("ContainerF3").BackgroundColor(), 0xFF1737D5u);

    Click("btnF1");  // "Auto": the root page has no Input Z then
    EXPECT_EQ(Text("LabelRange").toStdString(), "Auto " + panel.CurrentFunction()->GetRangeText());
    EXPECT_EQ(SoftKeyTexts(panel, "Name"), (Texts{"Range", "Speed", "Filter", "", "Rel", ""}));
}

TEST_F(FrontPanelTest, TwoWaySoftKeyFlipsItsMarkedColour)
{
    EXPECT_EQ(Control("LabelF3Value1").TextColor(), kPlainColour);
    EXPECT_EQ(Control("LabelF3Value2").TextColor(), kMarkedColour);
    Click("btnF3");  // Filter: On
    EXPECT_EQ(Control("LabelF3Value1").TextColor(), kMarkedColour);
    EXPECT_EQ(Control("LabelF3Value2").TextColor(), kPlainColour);
    EXPECT_EQ(panel.CurrentFunction()->GetPendingCount("Filter"), 1);
}

TEST_F(FrontPanelTest, DcCurrentHasASecondRangePage)
{
    Click("btnShift");
    Click("btnDCV");
    Click("btnF1");
    EXPECT_EQ(SoftKeyTexts(panel, ""), (Texts{"Auto", "200uA", "2mA", "20mA", "200mA", "other->"}));
    Click("btnF6");
    EXPECT_EQ(SoftKeyTexts(panel, ""), (Texts{"2A", "10A", "<-other", "", "", ""}));
    EXPECT_EQ(Control("ContainerF4").BackgroundColor(), 0xFF808080u);
    Click("btnF2");  // 10A
    EXPECT_EQ(SoftKeyTexts(panel, "Value")[0], "10A");
    EXPECT_EQ(panel.CurrentFunction()->GetPendingCount("Range"), 1);
    Click("btnF1");
    Click("btnF6");
    EXPECT_EQ(Control("ContainerF2").BackgroundColor(), 0xFF1737D5u) << "10A chosen";
    Click("btnF3");  // <-other
    EXPECT_EQ(SoftKeyTexts(panel, "")[5], "other->");
}

TEST_F(FrontPanelTest, ContinuityEntryPopupShowsTheThresholdWithAGreyCursor)
{
    Click("btnCont");
    SkinControl& popup = Control("TinyMenu");
    EXPECT_TRUE(popup.IsVisible());
    EXPECT_EQ(popup.Rect(), QRect(108, 207, 108, 18));
    EXPECT_EQ(Control("ContainerMain").Rect().bottom() + 1, 205);

    auto* cont = dynamic_cast<CZANFunctionCont*>(panel.CurrentFunction());
    ASSERT_NE(cont, nullptr);
    const std::string threshold = cont->GetEntryText();
    const auto cells = LayoutEntryCells(threshold, cont->GetEntryCursor());
    int grey = 0;
    for (int i = 0; i < 15; ++i) {
        SkinControl& cell = ControlOf(panel, QStringLiteral("labelPop") + QString::number(i));
        EXPECT_EQ(cell.Text(), Shown(cells[static_cast<std::size_t>(i)].text)) << i;
        const bool cursor = cells[static_cast<std::size_t>(i)].cursor;
        EXPECT_EQ(cell.BackgroundColor(), cursor ? 0xFFC0C0C0u : 0u) << i;
        grey += cursor ? 1 : 0;
    }
    EXPECT_EQ(grey, 1);
    int ohmCells = 0;
    for (int i = 0; i < 15; ++i) {
        ohmCells += TextOf(panel, QStringLiteral("labelPop") + QString::number(i)) == QString(QChar(0x2126)) ? 1 : 0;
    }
    EXPECT_EQ(ohmCells, 1) << threshold;

    // The right arrow moves the grey cell one to the right; up changes the digit.
    const int before = cont->GetEntryCursor();
    Click("btnRight");
    EXPECT_EQ(cont->GetEntryCursor(), before + 1);
    const auto moved = LayoutEntryCells(cont->GetEntryText(), cont->GetEntryCursor());
    for (int i = 0; i < 15; ++i) {
        EXPECT_EQ(ControlOf(panel, QStringLiteral("labelPop") + QString::number(i)).BackgroundColor(),
                  moved[static_cast<std::size_t>(i)].cursor ? 0xFFC0C0C0u : 0u)
            << i;
    }
    Click("btnFront");
    EXPECT_NE(cont->GetEntryText(), threshold);
    EXPECT_EQ(TextOf(panel, QStringLiteral("labelPop") + QString::number(4 + cont->GetEntryCursor())),
              Shown(std::string(1, cont->GetEntryText()[static_cast<std::size_t>(cont->GetEntryCursor())])));

    Click("btnDCV");
    EXPECT_FALSE(popup.IsVisible());
    EXPECT_EQ(Control("ContainerMain").Rect().bottom() + 1, 226);
}

TEST_F(FrontPanelTest, TemperatureDisplayModesMoveTheDisplay)
{
    Click("btnTemp");
    auto* temperature = dynamic_cast<CZANFunctionTemperature*>(panel.CurrentFunction());
    ASSERT_NE(temperature, nullptr);
    ASSERT_EQ(temperature->GetDisplayMode(), "All");
    EXPECT_TRUE(Control("ContainerTempMeasVal").IsVisible());
    EXPECT_EQ(Control("ContainerMain").Rect(), QRect(72, 86, 364, 105));
    EXPECT_EQ(Control("LabelValue").Position(), QPoint(46, 11));
    EXPECT_EQ(Control("LabelRange").Position(), QPoint(113, 66));
    EXPECT_EQ(Control("LabelUnit").Position(), QPoint(284, 66));
    EXPECT_EQ(Text("LabelRange"), "");
    EXPECT_EQ(Text("LabelUnit"), QString::fromUtf8("\u00B0C"));

    temperature->OnMenuItem(CZANFunctionTemperature::kDisplayMeasured);
    panel.RefreshDisplay();
    EXPECT_FALSE(Control("ContainerTempMeasVal").IsVisible());
    EXPECT_EQ(Control("ContainerMain").Rect(), QRect(72, 86, 364, 140));
    EXPECT_EQ(Control("LabelValue").Position(), QPoint(46, 26));
    EXPECT_EQ(Text("LabelUnit"), Shown(temperature->GetMeasuredUnitText()));
}

TEST_F(FrontPanelTest, PostedDisplayAndSoftKeyMessagesRedraw)
{
    // A worker that changed a setting asks for redraws; they happen on the
    // panel's thread when the message is handled, not when it is posted.
    panel.CurrentFunction()->Item(CZANFunctionDCV::kRangeItem)->SetValue("20V");
    panel.PostMessage(WM_PANEL_SOFTKEYS);
    EXPECT_EQ(panel.PendingMessageCount(), 1);
    EXPECT_EQ(SoftKeyTexts(panel, "Value")[0], "200mV");
    ASSERT_TRUE(PumpUntil([&] { return panel.PendingMessageCount() == 0; }));
    EXPECT_EQ(SoftKeyTexts(panel, "Value")[0], "20V");

    Control("LabelValue").SetText(QStringLiteral("stale"));
    panel.PostMessage(WM_PANEL_DISPLAY);
    ASSERT_TRUE(PumpUntil([&] { return Text("LabelValue") != "stale"; }));
    EXPECT_EQ(Text("LabelValue"), Shown("$INIT$"));
    EXPECT_EQ(panel.PendingMessageCount(), 0);

    panel.PostMessage(4711);  // not a panel message: ignored
    EXPECT_EQ(panel.PendingMessageCount(), 0);
}

TEST_F(FrontPanelTest, SensorChoiceReachesTheTemperatureFunction)
{
    int opened = 0;
    panel.SetSensorDialogOpener([&opened] { ++opened; });
    Click("btnTemp");
    Click("btnF1");  // Load
    EXPECT_EQ(opened, 1);

    auto* temperature = dynamic_cast<CZANFunctionTemperature*>(panel.CurrentFunction());
    ASSERT_NE(temperature, nullptr);
    panel.SendSensorChoice(1, 1, L"PT100");  // handled before the send returns
    EXPECT_EQ(temperature->GetSensorDefinition(), "USER DEFINE");
    EXPECT_EQ(temperature->GetSensorType(), "RTD");
    EXPECT_EQ(temperature->GetSensorName(), "PT100");
    EXPECT_EQ(temperature->GetPendingCount("Sensor"), 1);
    EXPECT_EQ(SoftKeyTexts(panel, "Value")[0], "PT100");

    const std::wstring name = L"K";
    panel.SendMessage(WM_PANEL_SENSOR, MakeWParam(0, 0), reinterpret_cast<std::intptr_t>(&name));
    EXPECT_EQ(temperature->GetSensorDefinition(), "MANU DEFINE");
    EXPECT_EQ(temperature->GetSensorType(), "THER");
    EXPECT_EQ(SoftKeyTexts(panel, "Value")[0], "K");
}

TEST_F(FrontPanelTest, SensorChoiceAfterLeavingTemperatureIsIgnored)
{
    Click("btnTemp");
    auto* temperature = dynamic_cast<CZANFunctionTemperature*>(panel.CurrentFunction());
    ASSERT_NE(temperature, nullptr);
    Click("btnDCV");
    panel.SendSensorChoice(1, 1, L"PT100");
    EXPECT_EQ(temperature->GetSensorName(), "BITS90");
    EXPECT_EQ(temperature->GetPendingCount("Sensor"), 0);
    EXPECT_EQ(SoftKeyTexts(panel, "Name")[0], "Range");
}

TEST_F(FrontPanelTest, RunAndCloseDoNothingWhileNotConnected)
{
    Click("btnRun");
    EXPECT_FALSE(panel.IsRunning());
    EXPECT_FALSE(Control("LabelStop").IsVisible());
    panel.CloseSession();
    EXPECT_TRUE(panel.CurrentFunction()->IsWorkerRunRequested()) << "not connected: close leaves the worker alone";
}

TEST(FrontPanelStartTest, CreatingThePanelSendsNothing)
{
    ASSERT_TRUE(QtApplicationReady());
    functions::testing::SimulatedMeterConnection meter;
    ASSERT_TRUE(meter.Connected());
    {
        CFrontPanel panel(*CConectWithNI::Instance());
        QCoreApplication::processEvents();
        EXPECT_EQ(panel.CurrentFunctionName(), "DC Voltage");
    }
    EXPECT_TRUE(meter.Transcript().empty());
}

}  // namespace
}  // namespace voltora::panel::test
