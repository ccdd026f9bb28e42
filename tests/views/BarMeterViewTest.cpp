// The bar meter view: Default and Manual scales, readings, unit texts.

#include "FakeViewHost.h"
#include "ViewTestSupport.h"

#include "views/CDlgBarMeter.h"
#include "views/CStaticBarMeter.h"
#include "views/ViewText.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

using namespace voltora::views::testing;

namespace {

class BarMeterViewTest : public ::testing::Test {
protected:
    template <typename Control>
    Control* C(int id)
    {
        return Find<Control>(view, id);
    }

    const voltora::views::ChartScale& Scale() const { return view.Chart()->Model().Scale(); }

    std::vector<bool> ManualEnabled()
    {
        std::vector<bool> enabled;
        for (const int id : {1015, 1006, 1013, 1014, 1004, 1012}) {
            enabled.push_back(view.findChild<QWidget*>(voltora::views::ControlName(id))->isEnabled());
        }
        return enabled;
    }

    FakeViewHost host;
    CDlgBarMeter view{&host};
};

TEST_F(BarMeterViewTest, StartsOnTheDefaultScaleWithTheManualControlsDisabled)
{
    EXPECT_TRUE(view.isHidden());
    EXPECT_TRUE(C<QRadioButton>(1060)->isChecked());
    EXPECT_EQ(ManualEnabled(), std::vector<bool>(6, false));
    for (const int id : {1004, 1006}) {
        QComboBox* list = C<QComboBox>(id);
        ASSERT_EQ(list->count(), 10);
        EXPECT_EQ(list->currentIndex(), 4);
        EXPECT_EQ(list->itemText(9), "P");
    }
    EXPECT_EQ(view.Chart()->geometry(), QRect(71, 3, 453, 85));
}

TEST_F(BarMeterViewTest, EveryReadingAppliesTheDefaultScaleEvenWhileHidden)
{
    host.functionName = "DC Voltage";
    host.rangeText = "200mV";
    view.UpdateBar("+1.00000000E-01");
    EXPECT_EQ(Scale().High(), 0.2);
    EXPECT_EQ(Scale().Low(), -0.2);
    EXPECT_EQ(view.Chart()->Model().Value(), 0.1);

    host.functionName = "AC Voltage";
    host.rangeText = "2V";
    view.UpdateBar("0");
    EXPECT_EQ(Scale().High(), 2.0);
    EXPECT_EQ(Scale().Low(), 0.0);

    view.UpdateBar("Overload");
    EXPECT_TRUE(view.Chart()->Model().Overload());
    EXPECT_EQ(view.Chart()->Model().Value(), 0.0);
}

TEST_F(BarMeterViewTest, TemperatureScaleFollowsTheUnit)
{
    host.functionName = "Temperature";
    view.SetUnit("$T_F$");
    EXPECT_EQ(C<QLabel>(1017)->text(), QStringLiteral("\u00B0F"));
    EXPECT_EQ(C<QLabel>(1018)->text(), QStringLiteral("\u00B0F"));
    view.UpdateBar("70");
    EXPECT_EQ(Scale().High(), 212.0);
    EXPECT_EQ(Scale().Low(), -148.0);
    // An unknown unit leaves the scale.
    view.SetUnit("V");
    view.UpdateBar("70");
    EXPECT_EQ(Scale().High(), 212.0);
}

TEST_F(BarMeterViewTest, ManualScaleIsTypedAndDefaultReturnsAtTheNextReading)
{
    host.rangeText = "200mV";
    view.UpdateBar("0.1");

    C<QRadioButton>(1061)->click();
    EXPECT_EQ(ManualEnabled(), std::vector<bool>(6, true));
    C<QLineEdit>(1015)->setText("5");
    C<QComboBox>(1006)->setCurrentIndex(3);  // m
    C<QPushButton>(1013)->click();
    EXPECT_DOUBLE_EQ(Scale().High(), 0.005);
    C<QLineEdit>(1014)->setText("-3");
    C<QPushButton>(1012)->click();  // prefix: none
    EXPECT_EQ(Scale().Low(), -3.0);
    // A low above the high is clamped to it.
    C<QLineEdit>(1014)->setText("7");
    C<QPushButton>(1012)->click();
    EXPECT_DOUBLE_EQ(Scale().Low(), 0.005);

    view.UpdateBar("0.1");  // Manual: the scale stays
    EXPECT_DOUBLE_EQ(Scale().High(), 0.005);

    C<QRadioButton>(1060)->click();
    EXPECT_EQ(ManualEnabled(), std::vector<bool>(6, false));
    view.UpdateBar("0.1");
    EXPECT_EQ(Scale().High(), 0.2);
    EXPECT_EQ(Scale().Low(), -0.2);
}

TEST_F(BarMeterViewTest, TypedBoundsAreWholeNumbersAndOthersAreRefused)
{
    C<QRadioButton>(1061)->click();
    C<QLineEdit>(1015)->setText("1.51");
    C<QPushButton>(1013)->click();
    EXPECT_DOUBLE_EQ(Scale().High(), 1.51);
    C<QLineEdit>(1014)->setText("1.49");
    C<QPushButton>(1012)->click();
    EXPECT_DOUBLE_EQ(Scale().Low(), 1.49);
    for (const char* typed : {"abc", "1.5.1", "", "0x10"}) {
        C<QLineEdit>(1015)->setText(typed);
        const MessageBoxSeen seen = AnswerMessageBox([&] { C<QPushButton>(1013)->click(); });
        EXPECT_TRUE(seen.shown) << typed;
        EXPECT_EQ(seen.text, voltora::views::kTypedNumberMessage) << typed;
        EXPECT_DOUBLE_EQ(Scale().High(), 1.51) << typed;  // not set to 0
    }
}

TEST_F(BarMeterViewTest, EnterInAFieldDoesNotSetOrClose)
{
    view.show();
    C<QRadioButton>(1061)->click();
    QLineEdit* high = C<QLineEdit>(1015);
    high->setText("50");
    high->setFocus();
    for (const int key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(high, &press);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
        QApplication::sendEvent(high, &release);
    }
    EXPECT_EQ(Scale().High(), 100.0);
    EXPECT_TRUE(view.isVisible());
}

}  // namespace
