#include "app/CZANDlg.h"

#include "app/CAboutDlg.h"
#include "app/CDlgDelay.h"
#include "app/CDlgProtocol.h"
#include "app/CDlgSamplesTrigger.h"
#include "app/CDlgTempSensor.h"
#include "app/MainWindowLayout.h"
#include "app/LastResource.h"
#include "app/MessageQueue.h"
#include "app/ProgramIcon.h"
#include "app/ReadingLogControl.h"
#include "app/ReadingsFile.h"
#include "app/WindowManagerClose.h"
#include "app/UiPause.h"
#include "functions/CZANFunction.h"
#include "functions/IFrontPanel.h"
#include "link/CConectWithNI.h"
#include "panel/CFrontPanel.h"
#include "panel/PanelShortcuts.h"
#include "scpi/Commands.h"
#include "scpi/InstrumentExchange.h"
#include "views/CDlgBarMeter.h"
#include "views/CDlgHistogram.h"
#include "views/CDlgTrendChart.h"
#include "views/CDlgZANMath.h"
#include "views/CStaticHistogramChart.h"
#include "views/CStaticTrendChart.h"
#include "views/ChartExport.h"

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QFrame>
#include <QKeyEvent>
#include <QListWidget>
#include <QMenuBar>
#include <QMetaObject>
#include <QScreen>
#include <QUrl>
#include <QVBoxLayout>

using namespace voltora::functions;

using voltora::app::MainWindowLayout;
using voltora::app::MessageIcon;
using namespace voltora::scpi;

namespace {

QFrame* BlackLine(QWidget* parent, const QRect& rect)
{
    auto* line = new QFrame(parent);
    line->setAutoFillBackground(true);
    QPalette palette = line->palette();
    palette.setColor(QPalette::Window, Qt::black);
    line->setPalette(palette);
    line->setGeometry(rect);
    return line;
}

}  // namespace

CZANDlg::CZANDlg(CConectWithNI& link, voltora::app::ShellHooks shellHooks,
                 voltora::app::MessageQueue* messageQueue, QWidget* parent)
    : QDialog(parent), connection(link), hooks(std::move(shellHooks)), messages(messageQueue)
{
    setWindowTitle(QStringLiteral("Voltora"));
    setWindowIcon(voltora::app::ProgramIcon());
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    helpDocumentPath = QCoreApplication::applicationDirPath() + QLatin1Char('/') +
                       QString::fromLatin1(kHelpDocumentName);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    menuBar = new QMenuBar(this);
    layout->setMenuBar(menuBar);
    menu = std::make_unique<voltora::app::MainMenu>(menuBar);
    client = new QWidget(this);
    client->setFixedSize(MainWindowLayout::ClientSize());
    layout->addWidget(client);

    BuildClientArea();
    logging = new voltora::app::ReadingLogControl(
        panel,
        [this](const QString& text) {
            ShowMessage(text, QStringLiteral("Logging"), MessageIcon::Error);
        },
        this);
    connect(logging, &voltora::app::ReadingLogControl::LoggingChanged, this,
            [this] { SetLoggingMenus(); });
    ConnectMenu();
    lastResource = voltora::app::LoadLastResource();
    SetConnectedMenus(false);

    // A meter that goes away costs one time-out and one message: the first
    // failed exchange ends the session's traffic, and the window learns of
    // it on its own thread.
    connection.SetStopAtFirstFailure(true);
    connection.SetFailureListener([this] {
        QMetaObject::invokeMethod(this, [this] { OnLinkFailure(); }, Qt::QueuedConnection);
    });
    connect(panel, &CFrontPanel::WorkerEnded, this, &CZANDlg::OnLinkFailure);
    voltora::app::UiPause::Install();
    // Escape and Enter must not close the window or a view.
    qApp->installEventFilter(this);
    windowManagerClose = std::make_unique<voltora::app::WindowManagerClose>(
        this, [this] { CloseFromWindowManager(); });
}

CZANDlg::~CZANDlg()
{
    windowManagerClose.reset();
    qApp->removeEventFilter(this);
    voltora::app::UiPause::Uninstall();
    connection.SetFailureListener({});
    connection.SetStopAtFirstFailure(false);
    // The panel goes first: it stops and joins every function's worker
    // before its function objects go, and the views it feeds outlive it.
    delete panel;
    panel = nullptr;
}

void CZANDlg::BuildClientArea()
{
    BlackLine(client, MainWindowLayout::PanelLine());
    BlackLine(client, MainWindowLayout::UpperBandLine());
    BlackLine(client, MainWindowLayout::LowerBandLine());

    viewList = new QListWidget(client);
    viewList->setGeometry(MainWindowLayout::ListRect());
    viewList->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    for (const char* name : kViewNames) {
        viewList->addItem(QString::fromLatin1(name));
    }
    viewList->setCurrentRow(0);

    // The front panel object exists before the views, which take it as
    // their host; its window is shown after them.
    panel = new CFrontPanel(connection, client);
    panel->hide();
    CreateViews();
    panel->SetSensorDialogOpener([this] { OpenSensorDialog(); });
    voltora::panel::InstallPanelShortcuts(panel);
    panel->move(0, 0);
    panel->show();
    panel->setFocus();

    connect(viewList, &QListWidget::currentTextChanged, this, &CZANDlg::SelectView);
}

void CZANDlg::CreateViews()
{
    const QRect rect = MainWindowLayout::ViewRect();
    const auto place = [&](QWidget* view, const char* name) {
        viewRegistry[QString::fromLatin1(name)] = view;
        view->hide();
        view->setGeometry(rect);
    };
    mathView = new CDlgZANMath(panel, client);
    place(mathView, "Math");
    mathView->show();
    currentView = mathView;
    barMeterView = new CDlgBarMeter(panel, client);
    place(barMeterView, "BarMeter");
    barMeterView->SetUnit("V");
    trendChartView = new CDlgTrendChart(panel, client);
    place(trendChartView, "TrendChart");
    histogramView = new CDlgHistogram(panel, client);
    place(histogramView, "Histogram");
    panel->SetViews(mathView, barMeterView, trendChartView, histogramView);

    // Both charts export their picture and data (context menu and keys).
    voltora::views::InstallChartExport(trendChartView, trendChartView->Chart(),
                                       QStringLiteral("trend-chart"), [this] {
                                           return voltora::views::TrendChartCsv(
                                               trendChartView->Chart()->Model());
                                       });
    voltora::views::InstallChartExport(histogramView, histogramView->Chart(),
                                       QStringLiteral("histogram"), [this] {
                                           return voltora::views::HistogramChartCsv(
                                               histogramView->Chart()->Model());
                                       });
}

void CZANDlg::ConnectMenu()
{
    using namespace voltora::app;
    const std::pair<int, void (CZANDlg::*)()> handlers[] = {
        {kConnectCommand, &CZANDlg::OnConnect},
        {kDisconnectCommand, &CZANDlg::OnDisconnect},
        {kReconnectCommand, &CZANDlg::OnReconnect},
        {kDelayCommand, &CZANDlg::OnDelay},
        {kSamplesCommand, &CZANDlg::OnSamplesPerTrigger},
        {kSlopePositiveCommand, &CZANDlg::OnSlopePositive},
        {kSlopeNegativeCommand, &CZANDlg::OnSlopeNegative},
        {kSaveCommand, &CZANDlg::OnSaveData},
        {kStartLoggingCommand, &CZANDlg::OnStartLogging},
        {kStopLoggingCommand, &CZANDlg::OnStopLogging},
        {kDocumentationCommand, &CZANDlg::OnDocumentation},
        {kAboutCommand, &CZANDlg::OnAbout},
    };
    for (const auto& [command, handler] : handlers) {
        connect(menu->Action(command), &QAction::triggered, this, handler);
    }
}

void CZANDlg::SetConnectedMenus(bool connected)
{
    menu->Action(voltora::app::kConnectCommand)->setEnabled(!connected);
    menu->Action(voltora::app::kDisconnectCommand)->setEnabled(connected);
    menu->Action(voltora::app::kReconnectCommand)->setEnabled(!connected && !lastResource.empty());
    SetLoggingMenus();
}

void CZANDlg::SetLoggingMenus()
{
    const bool active = logging != nullptr && logging->IsLogging();
    menu->Action(voltora::app::kStartLoggingCommand)
        ->setEnabled(!active && connection.IsConnected());
    menu->Action(voltora::app::kStopLoggingCommand)->setEnabled(active);
}

void CZANDlg::ShowMessage(const QString& text, const QString& caption, MessageIcon icon)
{
    messages->Post(text, caption, icon, this);
}

// ---- Connect and disconnect ------------------------------------------------

void CZANDlg::OnConnect()
{
    CDlgProtocol dialog(&connection, this);
    dialog.PrefillLastResource(lastResource);
    if (hooks.runDialog(dialog) != QDialog::Accepted) {
        return;
    }
    ConnectTo(dialog.ResourceString());
}

bool CZANDlg::ConnectTo(const std::string& resource)
{
    // A connect dialog that was still open when the window was closed ends
    // here: the session has ended for good.
    if (closed) {
        return false;
    }
    if (!connection.Open(resource.c_str())) {
        // After the connection's own message, if it showed one.
        ShowMessage(QStringLiteral("Failed to connect"), QStringLiteral("Error"), MessageIcon::Error);
        return false;
    }
    connectedResource = resource;
    lastResource = resource;
    voltora::app::SaveLastResource(resource);
    SetConnectedMenus(true);
    SetLinkState(CFrontPanel::LinkState::Connected);
    panel->PostMessage(WM_PANEL_SYNC);
    return true;
}

void CZANDlg::OnReconnect()
{
    if (lastResource.empty() || connection.IsConnected()) {
        return;
    }
    ConnectTo(lastResource);
}

void CZANDlg::OnLinkFailure()
{
    if (closed || linkState != CFrontPanel::LinkState::Connected || !connection.IsConnected()) {
        return;
    }
    // One message for the episode (a failed write shows none by itself),
    // then the session is closed: nothing sent to a meter that is gone.
    connection.ReportFailureOnce();
    SetLinkState(CFrontPanel::LinkState::LinkLost);
    connection.Close();
    SetConnectedMenus(false);
}

void CZANDlg::SetLinkState(CFrontPanel::LinkState state)
{
    linkState = state;
    panel->SetLinkState(state);
    setWindowTitle(TitleFor(state, lastResource));
}

QString CZANDlg::TitleFor(CFrontPanel::LinkState state, const std::string& resource)
{
    QString title = QStringLiteral("Voltora");
    if (state == CFrontPanel::LinkState::Disconnected || resource.empty()) {
        return title;
    }
    title += QStringLiteral(" - ") + QString::fromStdString(resource);
    if (state == CFrontPanel::LinkState::LinkLost) {
        title += QStringLiteral(" (link lost)");
    }
    return title;
}

void CZANDlg::ConnectWhenShown(const std::string& resource)
{
    QMetaObject::invokeMethod(this, [this, resource] { ConnectTo(resource); }, Qt::QueuedConnection);
}

void CZANDlg::OnDisconnect()
{
    // A log in progress ends first, with its reason, while the worker still
    // runs: every reading it got is in the file.
    logging->Stop("disconnected");
    // Handled before it returns: the worker is suspended and "REFresh" sent
    // before the connection goes.
    panel->SendMessage(WM_PANEL_STOP);
    connection.Close();
    SetConnectedMenus(false);
    SetLinkState(CFrontPanel::LinkState::Disconnected);
}

// ---- Acquisition settings --------------------------------------------------

void CZANDlg::OnDelay()
{
    CDlgDelay dialog(connection, this);
    hooks.runDialog(dialog);
}

void CZANDlg::OnSamplesPerTrigger()
{
    CDlgSamplesTrigger dialog(connection, this);
    if (hooks.runDialog(dialog) == QDialog::Accepted) {
        panel->ApplySampleCount(dialog.SampleCountText());
    }
}

void CZANDlg::OnSlopePositive()
{
    menu->Action(voltora::app::kSlopeNegativeCommand)->setChecked(false);
    menu->Action(voltora::app::kSlopePositiveCommand)->setChecked(true);
    SetTriggerSlope("POS");
}

void CZANDlg::OnSlopeNegative()
{
    menu->Action(voltora::app::kSlopeNegativeCommand)->setChecked(true);
    menu->Action(voltora::app::kSlopePositiveCommand)->setChecked(false);
    SetTriggerSlope("NEG");
}

// ---- Saving ----------------------------------------------------------------

void CZANDlg::OnSaveData()
{
    using voltora::app::SaveOutcome;
    using voltora::app::SaveResult;
    const QString caption = QStringLiteral("Save data");
    // Without a meter there is nothing to save: say so instead of writing a
    // file that holds one empty line.
    if (!connection.IsConnected()) {
        ShowMessage(voltora::app::SaveOutcomeMessage({SaveResult::NotConnected, {}}, QString()),
                    caption, MessageIcon::Warning);
        return;
    }
    const QString path = hooks.chooseSaveFile();
    if (path.isEmpty()) {
        return;
    }
    const SaveOutcome outcome = voltora::app::SaveMeterReadings(connection, *panel->CurrentFunction(), path);
    // A meter that stopped answering has been reported once for the whole
    // episode (the file is left as it was); a second box would say the same.
    const bool linkReported = outcome.result == SaveResult::NoReply && connection.HasFailed();
    if (outcome.result != SaveResult::Saved && !linkReported) {
        ShowMessage(voltora::app::SaveOutcomeMessage(outcome, path), caption, MessageIcon::Error);
    }
}

// ---- Continuous logging ----------------------------------------------------

void CZANDlg::OnStartLogging()
{
    const QString caption = QStringLiteral("Start logging");
    if (!connection.IsConnected()) {
        ShowMessage(QStringLiteral("Connect to a meter first: only its readings can be logged."),
                    caption, MessageIcon::Warning);
        return;
    }
    const QString path = hooks.chooseLogFile ? hooks.chooseLogFile() : hooks.chooseSaveFile();
    if (path.isEmpty()) {
        return;
    }
    // The identity for the header, asked with the worker held between
    // cycles, as every command of the user-interface thread is.
    std::string identity;
    if (CZANFunction* function = panel->CurrentFunction()) {
        CZANFunction::PauseGuard paused(*function);
        identity = voltora::scpi::QueryReply(CConectWithNI::kIdentityProbe, 256);
    }
    QString error;
    if (!logging->Start(path, identity, connectedResource, error)) {
        ShowMessage(QStringLiteral("Cannot create %1: %2").arg(path, error), caption,
                    MessageIcon::Error);
    }
}

void CZANDlg::OnStopLogging()
{
    logging->Stop("logging stopped");
}

// ---- Help ------------------------------------------------------------------

void CZANDlg::OnDocumentation()
{
    // A missing document, or a desktop without a handler for it, gives no
    // message: nothing visible happens.
    if (QFileInfo::exists(helpDocumentPath)) {
        hooks.openDocument(QUrl::fromLocalFile(helpDocumentPath));
    }
}

void CZANDlg::OnAbout()
{
    CAboutDlg dialog(this);
    hooks.runDialog(dialog);
}

// ---- Views and sensor dialog -----------------------------------------------

void CZANDlg::SelectView(const QString& name)
{
    const auto found = viewRegistry.find(name);
    if (found == viewRegistry.end()) {
        return;
    }
    if (found->second != currentView) {
        currentView->hide();
        currentView = found->second;
        currentView->show();
    }
}

QWidget* CZANDlg::View(const QString& name) const
{
    const auto found = viewRegistry.find(name);
    return found == viewRegistry.end() ? nullptr : found->second;
}

void CZANDlg::OpenSensorDialog()
{
    if (sensorDialog == nullptr) {
        sensorDialog = new CDlgTempSensor(connection, this);
        sensorDialog->SetTarget([this](int definition, int type, const std::wstring& name) {
            panel->SendSensorChoice(definition, type, name);
        });
    }
    sensorDialog->show();
    if (const QScreen* screen = sensorDialog->screen()) {
        QRect frame = sensorDialog->frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        sensorDialog->move(frame.topLeft());
    }
    sensorDialog->raise();
    sensorDialog->activateWindow();
}

// ---- Closing ---------------------------------------------------------------

void CZANDlg::CloseSession()
{
    if (closed) {
        return;
    }
    closed = true;
    // Before the close sequence cuts the link: the log ends with its own
    // reason, not as a lost link.
    if (logging != nullptr) {
        logging->Stop("program closed");
    }
    // No message box opens once the window is closing: a box would keep
    // the program running with the main window gone.
    messages->Stop();
    // Connected: the current worker ends after its cycle, "REFresh" is sent
    // and the connection closed (a command the worker is inside then fails
    // as a broken transfer does).
    panel->CloseSession();
}

void CZANDlg::done(int result)
{
    CloseSession();
    QDialog::done(result);
}

void CZANDlg::CloseFromWindowManager()
{
    CloseSession();
    // Each popup and modal dialog above this window ends as if cancelled,
    // the top one first, so that every modal run returns to its caller and
    // the window's own run can end. A widget that stays shown after its
    // reject is hidden; the bound only guards against one that reappears.
    constexpr int kMostWindowsToEnd = 32;
    for (int left = kMostWindowsToEnd; left > 0; --left) {
        QWidget* top = QApplication::activePopupWidget();
        if (top == nullptr) {
            top = QApplication::activeModalWidget();
        }
        if (top == nullptr || top == this) {
            break;
        }
        if (auto* dialog = qobject_cast<QDialog*>(top)) {
            dialog->reject();
        } else {
            top->close();
        }
        if (top->isVisible()) {
            top->hide();
        }
    }
    done(QDialog::Rejected);
}

bool CZANDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Escape || key == Qt::Key_Return || key == Qt::Key_Enter) {
            const auto* widget = qobject_cast<QWidget*>(watched);
            if (widget != nullptr && widget->window() == this) {
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}
