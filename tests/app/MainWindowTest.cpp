// The main window: its state after start, the view list, the keys that must
// not close it, connecting (menu, dialog, failures), disconnecting, help,
// About and closing.
#include "AppWindowFixture.h"
#include "ScriptedMeters.h"
#include "app/CDlgProtocol.h"
#include "app/CommandLine.h"
#include "app/MainMenu.h"
#include "panel/skin/SkinControl.h"
#include "views/TemplateBuilder.h"

#include <QAction>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

using namespace voltora::app;
using namespace voltora::app::testing;
using voltora::views::ControlName;
using voltora::testing::ScopedScriptedBackend;

namespace {

constexpr const char* kOpenFailed =
    "Failed to communicate with the device or can not find the supported device!";

class MainWindowTest : public AppWindowFixture {};

QString ControlText(CFrontPanel& panel, const char* name)
{
    const auto* control = panel.FindControl(QString::fromLatin1(name));
    return control ? control->Text() : QStringLiteral("<missing %1>").arg(QLatin1String(name));
}

TEST_F(MainWindowTest, StartsUnconnectedOnDcVoltage)
{
    CZANDlg& shown = Window();
    EXPECT_EQ(shown.windowTitle(), "Voltora");
    EXPECT_EQ(shown.sizeHint().width(), 800);
    EXPECT_EQ(Panel().objectName(), "ZAN900");
    EXPECT_EQ(Panel().geometry(), QRect(0, 0, 800, 328));

    // Panel: DC voltage texts and soft keys, no "Stopped".
    EXPECT_EQ(ControlText(Panel(), "LabelTitle"), "DC Voltage");
    EXPECT_EQ(ControlText(Panel(), "LabelF1Name"), "Range");
    EXPECT_EQ(ControlText(Panel(), "LabelF2Name"), "Speed");
    EXPECT_EQ(ControlText(Panel(), "LabelF3Name"), "Filter");
    EXPECT_FALSE(Panel().FindControl(QStringLiteral("LabelStop"))->IsVisible());

    // Menus: Connect enabled, Disconnect grayed, no slope checked.
    EXPECT_TRUE(IsEnabled(kConnectCommand));
    EXPECT_FALSE(IsEnabled(kDisconnectCommand));
    EXPECT_FALSE(shown.Action(kSlopePositiveCommand)->isChecked());
    EXPECT_FALSE(shown.Action(kSlopeNegativeCommand)->isChecked());

    // View list and views: Math selected and the only one shown.
    QListWidget* list = shown.ViewList();
    ASSERT_EQ(list->count(), 4);
    const char* names[] = {"Math", "BarMeter", "TrendChart", "Histogram"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(list->item(i)->text(), names[i]);
        QWidget* view = shown.View(names[i]);
        ASSERT_NE(view, nullptr);
        EXPECT_EQ(view->geometry(), QRect(6, 343, 640, 271)) << names[i];
        EXPECT_EQ(view->isHidden(), i != 0) << names[i];
    }
    EXPECT_EQ(list->currentItem()->text(), "Math");
    EXPECT_EQ(shown.CurrentView(), shown.View("Math"));
    EXPECT_EQ(list->geometry().left(), 650);
    EXPECT_EQ(list->geometry().width(), 135);

    // Nothing reaches any meter before a connect.
    EXPECT_FALSE(CConectWithNI::Instance()->IsConnected());
    EXPECT_TRUE(Transcript().empty());
    EXPECT_TRUE(ShownTexts().empty());
}

TEST_F(MainWindowTest, ViewListShowsOneViewAtATime)
{
    CZANDlg& shown = Window();
    shown.ViewList()->setCurrentRow(3);  // as a click on "Histogram"
    EXPECT_EQ(shown.CurrentView(), shown.View("Histogram"));
    EXPECT_FALSE(shown.View("Histogram")->isHidden());
    EXPECT_TRUE(shown.View("Math")->isHidden());
    // Selecting the shown view again changes nothing.
    shown.SelectView("Histogram");
    EXPECT_FALSE(shown.View("Histogram")->isHidden());
    // An unknown name changes nothing either.
    shown.SelectView("Spectrum");
    EXPECT_EQ(shown.CurrentView(), shown.View("Histogram"));
    shown.ViewList()->setCurrentRow(1);
    EXPECT_EQ(shown.CurrentView(), shown.View("BarMeter"));
    EXPECT_TRUE(shown.View("Histogram")->isHidden());
}

TEST_F(MainWindowTest, EnterAndEscapeDoNotCloseTheWindowOrAView)
{
    CZANDlg& shown = Window();
    shown.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&shown));
    QWidget* math = shown.View("Math");
    const std::vector<QWidget*> targets = {&shown, math, math->findChild<QLineEdit*>()};
    for (QWidget* target : targets) {
        if (target == nullptr) {
            continue;
        }
        for (const int key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter}) {
            QTest::keyClick(target, static_cast<Qt::Key>(key));
        }
    }
    EXPECT_TRUE(shown.isVisible());
    EXPECT_FALSE(math->isHidden());
    shown.hide();
}

TEST_F(MainWindowTest, ConnectToTheSimulatedMeterStartsReading)
{
    ASSERT_TRUE(ConnectSimulated());
    EXPECT_FALSE(IsEnabled(kConnectCommand));
    EXPECT_TRUE(IsEnabled(kDisconnectCommand));
    const auto transcript = Transcript();
    ASSERT_FALSE(transcript.empty());
    EXPECT_EQ(transcript.front(), "IDN-ZOBR-PRI?");
    EXPECT_EQ(CountOf(transcript, "FUNCTION?"), 1);
    EXPECT_EQ(CountOf(transcript, "TRIG:COUN INF"), 1);
    EXPECT_GE(CountOf(transcript, "DATA:LAST?"), 1);
    EXPECT_TRUE(ShownTexts().empty());
}

TEST_F(MainWindowTest, FailedConnectShowsBothMessagesInOrderAndKeepsTheMenus)
{
    ScopedScriptedBackend backend;
    Window();
    // A USB resource nothing answers: the connection's message, then ours.
    EXPECT_FALSE(Window().ConnectTo("USB0::0x9999::0x0001::NOBODY::INSTR"));
    const auto texts = ShownTexts();
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0], kOpenFailed);
    EXPECT_EQ(texts[1], "Failed to connect");
    EXPECT_EQ(shell.messages[0].caption, "Error");
    EXPECT_EQ(shell.messages[1].caption, "Error");
    EXPECT_EQ(shell.messages[1].icon, MessageIcon::Error);
    EXPECT_TRUE(shell.messages[1].hadOwner);
    EXPECT_TRUE(IsEnabled(kConnectCommand));
    EXPECT_FALSE(IsEnabled(kDisconnectCommand));
    EXPECT_FALSE(CConectWithNI::Instance()->IsConnected());
}

TEST_F(MainWindowTest, LanMeterThatCannotBeOpenedGivesOnlyFailedToConnect)
{
    ScopedScriptedBackend backend;
    auto device = AddZanDevice(*backend, "TCPIP0::10.9.9.9::inst0::INSTR");
    device->FailOpen(VI_ERROR_RSRC_NFOUND);
    EXPECT_FALSE(Window().ConnectTo("TCPIP0::10.9.9.9::inst0::INSTR"));
    EXPECT_EQ(ShownTexts(), std::vector<QString>{"Failed to connect"});
}

TEST_F(MainWindowTest, ConnectDialogVxi11OpensTheTcpipResource)
{
    ScopedScriptedBackend backend;
    auto device = AddZanDevice(*backend, "TCPIP0::10.1.2.3::inst0::INSTR");
    shell.drivers.push_back([](QDialog& dialog) {
        auto* ok = dialog.findChild<QPushButton*>(ControlName(CDlgProtocol::kOkButton));
        EXPECT_FALSE(ok->isEnabled());  // until a radio button is chosen
        EXPECT_EQ(dialog.windowTitle(), "Dialog");
        dialog.findChild<QRadioButton*>(ControlName(CDlgProtocol::kVxi11Radio))->click();
        EXPECT_TRUE(ok->isEnabled());
        EXPECT_FALSE(dialog.findChild<QComboBox*>(ControlName(CDlgProtocol::kResourceCombo))->isEnabled());
        dialog.findChild<QLineEdit*>(ControlName(CDlgProtocol::kAddressEdit))->setText("10.001.2.3");
        ok->click();
        return dialog.result();
    });
    Window().OnConnect();
    EXPECT_TRUE(CConectWithNI::Instance()->IsConnected());
    ASSERT_FALSE(device->Writes().empty());
    EXPECT_EQ(device->Writes().front(), "IDN-ZOBR-PRI?");
    EXPECT_FALSE(IsEnabled(kConnectCommand));
    EXPECT_TRUE(IsEnabled(kDisconnectCommand));
    // The panel resynchronises once the loop runs.
    EXPECT_TRUE(WaitUntil([&] { return CountOf(device->Writes(), "FUNCTION?") == 1; }));
    Window().OnDisconnect();
}

TEST_F(MainWindowTest, ConnectDialogUsbListsTheFoundMetersAndPrefersZan)
{
    ScopedScriptedBackend backend;
    auto other = AddZanDevice(*backend, "USB0::0x1111::0x2222::OTHER::INSTR", "Other DMM");
    auto zan = AddZanDevice(*backend, "USB0::0x5345::0x1234::ZAN1::INSTR", "ZAN 900");
    shell.drivers.push_back([](QDialog& dialog) {
        auto* usb = dialog.findChild<QRadioButton*>(ControlName(CDlgProtocol::kUsbtmcRadio));
        usb->click();
        usb->click();  // a second search replaces the first
        auto* combo = dialog.findChild<QComboBox*>(ControlName(CDlgProtocol::kResourceCombo));
        EXPECT_EQ(combo->count(), 2);
        EXPECT_EQ(combo->itemText(0), "Other DMM \"USB0::0x1111::0x2222::OTHER::INSTR\"");
        EXPECT_EQ(combo->itemText(1), "ZAN 900 \"USB0::0x5345::0x1234::ZAN1::INSTR\"");
        EXPECT_EQ(combo->currentIndex(), 1);
        EXPECT_FALSE(dialog.findChild<QLineEdit*>(ControlName(CDlgProtocol::kAddressEdit))->isEnabled());
        dialog.findChild<QPushButton*>(ControlName(CDlgProtocol::kOkButton))->click();
        return dialog.result();
    });
    Window().OnConnect();
    EXPECT_TRUE(CConectWithNI::Instance()->IsConnected());
    EXPECT_EQ(CountOf(zan->Writes(), "IDN-ZOBR-PRI?"), 1);
    EXPECT_EQ(CountOf(other->Writes(), "IDN-ZOBR-PRI?"), 0);
    Window().OnDisconnect();
}

TEST_F(MainWindowTest, ConnectDialogWithNothingFoundFailsAndCancelDoesNothing)
{
    ScopedScriptedBackend backend;
    shell.drivers.push_back([](QDialog& dialog) {
        dialog.findChild<QRadioButton*>(ControlName(CDlgProtocol::kUsbtmcRadio))->click();
        EXPECT_EQ(dialog.findChild<QComboBox*>(ControlName(CDlgProtocol::kResourceCombo))->count(), 0);
        dialog.findChild<QPushButton*>(ControlName(CDlgProtocol::kOkButton))->click();
        return dialog.result();
    });
    Window().OnConnect();
    EXPECT_EQ(ShownTexts(), (std::vector<QString>{kOpenFailed, "Failed to connect"}));
    EXPECT_TRUE(IsEnabled(kConnectCommand));

    shell.drivers.push_back([](QDialog& dialog) {
        dialog.findChild<QRadioButton*>(ControlName(CDlgProtocol::kVxi11Radio))->click();
        dialog.findChild<QPushButton*>(ControlName(CDlgProtocol::kCancelButton))->click();
        return dialog.result();
    });
    Window().OnConnect();
    EXPECT_EQ(ShownTexts().size(), 2u);
    EXPECT_FALSE(CConectWithNI::Instance()->IsConnected());
}

TEST_F(MainWindowTest, DisconnectStopsTheWorkerSendsRefreshAndReconnects)
{
    ASSERT_TRUE(ConnectSimulated());
    CZANFunction* function = Panel().CurrentFunction();
    Window().OnDisconnect();
    EXPECT_FALSE(CConectWithNI::Instance()->IsConnected());
    EXPECT_FALSE(Panel().IsRunning());
    // Suspended: it parks at its suspension point and sends nothing more.
    EXPECT_TRUE(WaitUntil([function] { return function->IsWorkerParked() || !function->IsWorkerRunning(); }));
    const auto transcript = Transcript();
    ASSERT_FALSE(transcript.empty());
    EXPECT_EQ(transcript.back(), "REFresh");
    EXPECT_TRUE(IsEnabled(kConnectCommand));
    EXPECT_FALSE(IsEnabled(kDisconnectCommand));

    // Connect again to the same meter: reading resumes, menus connected.
    meter->ClearTranscript();
    ASSERT_TRUE(ConnectSimulated());
    EXPECT_FALSE(IsEnabled(kConnectCommand));
    EXPECT_TRUE(IsEnabled(kDisconnectCommand));
    EXPECT_GE(CountOf(Transcript(), "DATA:LAST?"), 1);
    EXPECT_TRUE(ShownTexts().empty());
}

TEST_F(MainWindowTest, CommandLineConnectTakesTheMenuPath)
{
    Window().ConnectWhenShown(voltora::sim::SimulatedMeterBackend::kResource);
    EXPECT_FALSE(CConectWithNI::Instance()->IsConnected());  // not before the loop runs
    EXPECT_TRUE(WaitUntil([this] { return Reading(); }));
    EXPECT_FALSE(IsEnabled(kConnectCommand));
    EXPECT_TRUE(IsEnabled(kDisconnectCommand));
}

TEST_F(MainWindowTest, CommandLineConnectThatFailsLeavesTheProgramUnconnected)
{
    ScopedScriptedBackend backend;
    Window().ConnectWhenShown("USB0::0x9999::0x0001::NOBODY::INSTR");
    EXPECT_TRUE(WaitUntil([this] { return shell.messages.size() == 2; }));
    EXPECT_EQ(shell.Texts(), (std::vector<QString>{kOpenFailed, "Failed to connect"}));
    EXPECT_TRUE(IsEnabled(kConnectCommand));
}

TEST_F(MainWindowTest, DocumentationOpensTheDocumentBesideTheProgramOnlyWhenItExists)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString path = folder.filePath("Voltora.html");
    Window().SetHelpDocumentPath(path);
    Window().OnDocumentation();  // no file: nothing visible
    EXPECT_TRUE(shell.openedDocuments.empty());
    EXPECT_TRUE(ShownTexts().empty());

    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("<html></html>");
    file.close();
    Window().OnDocumentation();
    ASSERT_EQ(shell.openedDocuments.size(), 1u);
    EXPECT_EQ(shell.openedDocuments[0], QUrl::fromLocalFile(path));
}

TEST_F(MainWindowTest, DefaultHelpDocumentIsNamedVoltoraHtmlBesideTheProgram)
{
    EXPECT_EQ(Window().HelpDocumentPath(),
              QCoreApplication::applicationDirPath() + "/Voltora.html");
}

TEST_F(MainWindowTest, AboutShowsTheVersion)
{
    QString shown;
    shell.drivers.push_back([&shown](QDialog& dialog) {
        for (const QLabel* label : dialog.findChildren<QLabel*>()) {
            if (label->text().startsWith("Voltora")) {
                shown = label->text();
            }
        }
        return static_cast<int>(QDialog::Accepted);
    });
    Window().OnAbout();
    ASSERT_EQ(shell.dialogTitles.size(), 1u);
    EXPECT_EQ(shell.dialogTitles[0], "About Voltora");
    EXPECT_EQ(shown, QString::fromStdString("Voltora, Version " + VersionText()));
}

TEST_F(MainWindowTest, ClosingUnconnectedSendsNothing)
{
    Window().done(QDialog::Rejected);
    window.reset();
    EXPECT_TRUE(Transcript().empty());
}

TEST_F(MainWindowTest, ClosingWhileConnectedSendsRefreshAndClosesTheConnection)
{
    ASSERT_TRUE(ConnectSimulated());
    meter->ClearTranscript();
    Window().done(QDialog::Rejected);
    EXPECT_FALSE(CConectWithNI::Instance()->IsConnected());
    window.reset();  // joins every worker
    const auto transcript = Transcript();
    EXPECT_EQ(CountOf(transcript, "REFresh"), 1);
    // Whatever the worker's last cycle still sent, nothing but readings and
    // view data; no setting was changed by closing.
    for (const auto& message : transcript) {
        EXPECT_TRUE(message == "REFresh" || message.find('?') != std::string::npos) << message;
    }
}

TEST_F(MainWindowTest, ClosingWhileAWorkerIsInsideACommandEndsCleanly)
{
    ScopedScriptedBackend backend;
    SlowReading slow(std::chrono::milliseconds(300));
    auto device = backend->AddDevice("USB0::0x5345::0x1234::SLOW::INSTR", "ZAN Slow");
    device->SetResponder([&slow](const std::string& message) { return slow.Answer(message); });
    ASSERT_TRUE(Window().ConnectTo("USB0::0x5345::0x1234::SLOW::INSTR"));
    ASSERT_TRUE(WaitUntil([this] { return Reading(); }));
    slow.SetSlow(true);
    ASSERT_TRUE(WaitUntil([&slow] { return slow.WorkerInside(); }));
    Window().done(QDialog::Rejected);
    EXPECT_FALSE(CConectWithNI::Instance()->IsConnected());
    window.reset();
    EXPECT_EQ(CountOf(device->Writes(), "REFresh"), 1);
    EXPECT_EQ(device->OpenSessions(), 0);
}

}  // namespace
