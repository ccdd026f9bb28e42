// The acquisition settings: the delay and samples dialogs (what they show,
// what they send for each unit, Cancel, not connected) and the VMC Out menu.
#include "AppWindowFixture.h"
#include "app/CDlgDelay.h"
#include "app/AcquisitionTexts.h"
#include "app/CDlgSamplesTrigger.h"
#include "app/MainMenu.h"
#include "views/TemplateBuilder.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

using namespace voltora::app;
using namespace voltora::app::testing;
using voltora::views::ControlName;

namespace {

class AcquisitionDialogsTest : public AppWindowFixture {
protected:
    // The meter connected without the panel: only the dialogs talk to it.
    void OpenMeterDirectly()
    {
        ASSERT_TRUE(CConectWithNI::Instance()->Open(voltora::sim::SimulatedMeterBackend::kResource));
        meter->ClearTranscript();
    }

    template <typename T>
    static T* Find(QDialog& dialog, int id)
    {
        return dialog.findChild<T*>(ControlName(id));
    }

    // Messages after the dialog's own queries.
    std::vector<std::string> SentWithoutQueries()
    {
        std::vector<std::string> sent;
        for (const auto& message : Transcript()) {
            if (message.find('?') == std::string::npos) {
                sent.push_back(message);
            }
        }
        return sent;
    }
};

TEST_F(AcquisitionDialogsTest, DelayDialogSendsTheValueInSecondsForEachUnit)
{
    OpenMeterDirectly();
    struct Case {
        const char* typed;
        const char* unit;
        const char* sent;
    };
    const Case cases[] = {
        {"5", "mS", "TRIG:DEL 0.005"},
        {"2", "kS", "TRIG:DEL 2000.000"},
        {"300", "uS", "TRIG:DEL 0.0003"},  // never rounded to no delay
        {"1", "uS", "TRIG:DEL 0.000001"},
        {"2.5", "mS", "TRIG:DEL 0.0025"},
        {"1.25", "S", "TRIG:DEL 1.250"},
        {"fast", "S", "TRIG:DEL 0.000"},
    };
    for (const Case& c : cases) {
        meter->ClearTranscript();
        CDlgDelay dialog(*CConectWithNI::Instance());
        Find<QRadioButton>(dialog, CDlgDelay::kManualRadio)->click();
        EXPECT_TRUE(Find<QLineEdit>(dialog, CDlgDelay::kValueEdit)->isEnabled());
        Find<QLineEdit>(dialog, CDlgDelay::kValueEdit)->setText(c.typed);
        auto* units = Find<QComboBox>(dialog, CDlgDelay::kUnitList);
        units->setCurrentIndex(units->findText(c.unit));
        Find<QPushButton>(dialog, CDlgDelay::kOkButton)->click();
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        EXPECT_EQ(SentWithoutQueries(), std::vector<std::string>{c.sent}) << c.typed << " " << c.unit;
    }
}

TEST_F(AcquisitionDialogsTest, DelayDialogShowsTheMetersDelayAndAutoState)
{
    OpenMeterDirectly();
    ASSERT_TRUE(CConectWithNI::Instance()->Write("TRIG:DEL 0.25"));
    {
        CDlgDelay dialog(*CConectWithNI::Instance());
        EXPECT_EQ(dialog.windowTitle(), "Delay");
        EXPECT_EQ(Find<QLineEdit>(dialog, CDlgDelay::kValueEdit)->text(), "0.250");
        EXPECT_TRUE(Find<QRadioButton>(dialog, CDlgDelay::kManualRadio)->isChecked());
        EXPECT_TRUE(Find<QComboBox>(dialog, CDlgDelay::kUnitList)->isEnabled());
        auto* units = Find<QComboBox>(dialog, CDlgDelay::kUnitList);
        ASSERT_EQ(units->count(), 4);
        EXPECT_EQ(units->itemText(0), "kS");
        EXPECT_EQ(units->itemText(3), "uS");
        EXPECT_EQ(units->currentText(), "S");
    }
    ASSERT_TRUE(CConectWithNI::Instance()->Write("TRIG:DEL:AUTO ON"));
    meter->ClearTranscript();
    CDlgDelay dialog(*CConectWithNI::Instance());
    EXPECT_TRUE(Find<QRadioButton>(dialog, CDlgDelay::kAutoRadio)->isChecked());
    EXPECT_FALSE(Find<QLineEdit>(dialog, CDlgDelay::kValueEdit)->isEnabled());
    EXPECT_FALSE(Find<QComboBox>(dialog, CDlgDelay::kUnitList)->isEnabled());
    EXPECT_EQ(CountOf(Transcript(), "TRIG:DEL?"), 1);
    EXPECT_EQ(CountOf(Transcript(), "TRIG:DEL:AUTO?"), 1);
    // Auto and OK: the automatic delay, whatever the value box holds.
    Find<QLineEdit>(dialog, CDlgDelay::kValueEdit)->setText("9");
    Find<QPushButton>(dialog, CDlgDelay::kOkButton)->click();
    EXPECT_EQ(SentWithoutQueries(), std::vector<std::string>{"TRIG:DEL:AUTO ON"});
}

TEST_F(AcquisitionDialogsTest, DelayCancelSendsNothing)
{
    OpenMeterDirectly();
    shell.drivers.push_back([](QDialog& dialog) {
        Find<QRadioButton>(dialog, CDlgDelay::kManualRadio)->click();
        Find<QLineEdit>(dialog, CDlgDelay::kValueEdit)->setText("3");
        Find<QPushButton>(dialog, CDlgDelay::kCancelButton)->click();
        return dialog.result();
    });
    Window().OnDelay();
    EXPECT_EQ(shell.dialogTitles, std::vector<QString>{"Delay"});
    EXPECT_TRUE(SentWithoutQueries().empty());
}

TEST_F(AcquisitionDialogsTest, DialogsAreInertWithoutAMeter)
{
    {
        CDlgDelay dialog(*CConectWithNI::Instance());
        EXPECT_FALSE(Find<QPushButton>(dialog, CDlgDelay::kOkButton)->isEnabled());
        EXPECT_TRUE(Find<QPushButton>(dialog, CDlgDelay::kCancelButton)->isEnabled());
        EXPECT_FALSE(Find<QRadioButton>(dialog, CDlgDelay::kAutoRadio)->isEnabled());
        EXPECT_FALSE(Find<QRadioButton>(dialog, CDlgDelay::kManualRadio)->isEnabled());
        EXPECT_FALSE(Find<QLineEdit>(dialog, CDlgDelay::kValueEdit)->isEnabled());
        EXPECT_FALSE(Find<QComboBox>(dialog, CDlgDelay::kUnitList)->isEnabled());
        dialog.accept();  // Enter: OK is not available
        EXPECT_NE(dialog.result(), QDialog::Accepted);
    }
    {
        CDlgSamplesTrigger dialog(*CConectWithNI::Instance());
        EXPECT_FALSE(Find<QPushButton>(dialog, CDlgSamplesTrigger::kOkButton)->isEnabled());
        EXPECT_FALSE(Find<QLineEdit>(dialog, CDlgSamplesTrigger::kCountEdit)->isEnabled());
        EXPECT_TRUE(Find<QLineEdit>(dialog, CDlgSamplesTrigger::kCountEdit)->text().isEmpty());
    }
    EXPECT_TRUE(Transcript().empty());
    EXPECT_TRUE(ShownTexts().empty());
}

TEST_F(AcquisitionDialogsTest, SamplesDialogShowsTheCountAndOkGoesThroughTheFunction)
{
    OpenMeterDirectly();
    ASSERT_TRUE(CConectWithNI::Instance()->Write("SAMP:COUN 7"));
    meter->ClearTranscript();
    shell.drivers.push_back([](QDialog& dialog) {
        EXPECT_EQ(dialog.windowTitle(), "Samples/Trigger");
        auto* edit = Find<QLineEdit>(dialog, CDlgSamplesTrigger::kCountEdit);
        EXPECT_EQ(edit->text(), "7");
        edit->setText("10");
        Find<QPushButton>(dialog, CDlgSamplesTrigger::kOkButton)->click();
        return dialog.result();
    });
    Window().OnSamplesPerTrigger();
    EXPECT_EQ(SentWithoutQueries(), (std::vector<std::string>{"SAMP:COUN 10", "INIT"}));

    // Cancel sends nothing.
    meter->ClearTranscript();
    shell.drivers.push_back([](QDialog& dialog) {
        Find<QLineEdit>(dialog, CDlgSamplesTrigger::kCountEdit)->setText("99");
        Find<QPushButton>(dialog, CDlgSamplesTrigger::kCancelButton)->click();
        return dialog.result();
    });
    Window().OnSamplesPerTrigger();
    EXPECT_TRUE(SentWithoutQueries().empty());
}

TEST_F(AcquisitionDialogsTest, SamplesDialogRefusesACountTheMeterWouldNotTake)
{
    OpenMeterDirectly();
    meter->ClearTranscript();
    const struct {
        const char* typed;
        bool accepted;
    } cases[] = {
        {"abc", false}, {"", false}, {"0", false}, {"-5", false}, {"2.5", false}, {"1e3", false},
        {"1000001", false}, {"10 20", false}, {"1", true}, {" +25 ", true}, {"1000000", true},
    };
    for (const auto& c : cases) {
        CDlgSamplesTrigger dialog(*CConectWithNI::Instance());
        auto* edit = Find<QLineEdit>(dialog, CDlgSamplesTrigger::kCountEdit);
        auto* message = Find<QLabel>(dialog, CDlgSamplesTrigger::kMessageText);
        edit->setText(c.typed);
        Find<QPushButton>(dialog, CDlgSamplesTrigger::kOkButton)->click();
        if (c.accepted) {
            EXPECT_EQ(dialog.result(), QDialog::Accepted) << c.typed;
            EXPECT_TRUE(message->text().isEmpty()) << c.typed;
        } else {
            EXPECT_NE(dialog.result(), QDialog::Accepted) << c.typed;
            EXPECT_EQ(message->text().toStdString(), voltora::app::kSampleCountMessage) << c.typed;
            EXPECT_TRUE(dialog.SampleCountText().empty()) << c.typed;
        }
    }
    EXPECT_TRUE(SentWithoutQueries().empty());
}

TEST_F(AcquisitionDialogsTest, VmcOutChecksFollowTheLastChoiceAndSendTheSlope)
{
    OpenMeterDirectly();
    Window().Action(kSlopeNegativeCommand)->trigger();
    EXPECT_TRUE(Window().Action(kSlopeNegativeCommand)->isChecked());
    EXPECT_FALSE(Window().Action(kSlopePositiveCommand)->isChecked());
    Window().Action(kSlopePositiveCommand)->trigger();
    // A second click on a checked item keeps it checked.
    Window().Action(kSlopePositiveCommand)->trigger();
    EXPECT_TRUE(Window().Action(kSlopePositiveCommand)->isChecked());
    EXPECT_FALSE(Window().Action(kSlopeNegativeCommand)->isChecked());
    EXPECT_EQ(Transcript(), (std::vector<std::string>{"OUTP:TRIG:SLOP NEG", "OUTP:TRIG:SLOP POS",
                                                      "OUTP:TRIG:SLOP POS"}));
}

TEST_F(AcquisitionDialogsTest, VmcOutWithoutAMeterMovesTheChecksOnly)
{
    Window().Action(kSlopeNegativeCommand)->trigger();
    EXPECT_TRUE(Window().Action(kSlopeNegativeCommand)->isChecked());
    EXPECT_FALSE(Window().Action(kSlopePositiveCommand)->isChecked());
    EXPECT_TRUE(Transcript().empty());
    EXPECT_TRUE(ShownTexts().empty());
}

}  // namespace
