#pragma once

#include "app/MainMenu.h"
#include "app/ShellHooks.h"
#include "panel/CFrontPanel.h"

#include <QDialog>
#include <QString>

#include <map>
#include <memory>
#include <string>

class CConectWithNI;
class CDlgBarMeter;
class CDlgHistogram;
class CDlgTempSensor;
class CDlgTrendChart;
class CDlgZANMath;
class CFrontPanel;
class QAction;
class QListWidget;
class QMenuBar;

namespace voltora::app {
class MessageQueue;
class WindowManagerClose;
class ReadingLogControl;
}

// The main window: the front panel across the top, one of the four analysis
// views below it, chosen in the view list at the right, and the menu bar
// with connect and disconnect, the acquisition settings, saving, help and
// About. It runs modally; the program ends when it ends.
//
// It owns the front panel and the views. Closing it while connected sends
// "REFresh" and closes the connection; every worker has ended before the
// function objects and the panel are destroyed.
class CZANDlg : public QDialog {
    Q_OBJECT

public:
    // The views' names, in list order.
    static constexpr const char* kViewNames[4] = {"Math", "BarMeter", "TrendChart", "Histogram"};
    static constexpr const char* kHelpDocumentName = "Voltora.html";

    // `connection` is the program's session with the meter; the window hands
    // it to the panel and the dialogs and runs its failure episodes.
    // `messages` shows the program's message boxes. Both outlive the window.
    CZANDlg(CConectWithNI& connection, voltora::app::ShellHooks hooks, voltora::app::MessageQueue* messages,
            QWidget* parent = nullptr);
    ~CZANDlg() override;

    // ---- Menu commands ----------------------------------------------------
    void OnConnect();
    void OnDisconnect();
    // Opens the resource used last again, exactly as Connect does.
    void OnReconnect();
    void OnDelay();
    void OnSamplesPerTrigger();
    void OnSlopePositive();
    void OnSlopeNegative();
    void OnSaveData();
    // Asks for a file and logs every reading from now on into it.
    void OnStartLogging();
    void OnStopLogging();
    void OnDocumentation();
    void OnAbout();

    // Opens `resource` as Connect does after its dialog: on success the menus
    // swap and the panel resynchronises; on failure "Failed to connect".
    bool ConnectTo(const std::string& resource);
    // The same, once the window's event loop runs (command line).
    void ConnectWhenShown(const std::string& resource);

    // The link as the title and the display show it.
    CFrontPanel::LinkState LinkState() const { return linkState; }
    // The resource of the last successful connect (kept between runs).
    const std::string& LastResource() const { return lastResource; }
    // The window title: "Voltora", or "Voltora - " and the resource, with
    // " (link lost)" after it while the link is lost.
    static QString TitleFor(CFrontPanel::LinkState state, const std::string& resource);

    // Shows the view registered under `name`; an unknown name changes nothing.
    void SelectView(const QString& name);
    // The view shown now.
    QWidget* CurrentView() const { return currentView; }
    QWidget* View(const QString& name) const;

    // The temperature function's "Load": creates the sensor dialog on first
    // use, then shows it centred on the screen.
    void OpenSensorDialog();
    CDlgTempSensor* SensorDialog() const { return sensorDialog; }

    CFrontPanel* Panel() const { return panel; }
    voltora::app::ReadingLogControl* Logging() const { return logging; }
    QListWidget* ViewList() const { return viewList; }
    QAction* Action(int command) const { return menu->Action(command); }
    QMenuBar* MenuBar() const { return menuBar; }

    // The help document opened by "Documentation" (beside the program).
    void SetHelpDocumentPath(const QString& path) { helpDocumentPath = path; }
    const QString& HelpDocumentPath() const { return helpDocumentPath; }

    // Ends the window; with a connection open, first the close sequence.
    void done(int result) override;
    // The window manager's close request while a modal dialog runs above
    // this window (Qt itself drops such a request): the close sequence runs
    // at once, every open popup and modal dialog ends as if cancelled, and
    // the window ends.
    void CloseFromWindowManager();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildClientArea();
    void CreateViews();
    void ConnectMenu();
    void SetConnectedMenus(bool connected);
    void SetLoggingMenus();
    void ShowMessage(const QString& text, const QString& caption, voltora::app::MessageIcon icon);
    void CloseSession();
    // A failed exchange or a worker that ended on a failed fetch: the
    // connection is closed, the menus swap back and the panel shows "No link".
    void OnLinkFailure();
    void SetLinkState(CFrontPanel::LinkState state);

    CConectWithNI& connection;
    voltora::app::ShellHooks hooks;
    voltora::app::MessageQueue* messages;
    QMenuBar* menuBar = nullptr;
    std::unique_ptr<voltora::app::MainMenu> menu;
    QWidget* client = nullptr;
    QListWidget* viewList = nullptr;
    CFrontPanel* panel = nullptr;
    CDlgZANMath* mathView = nullptr;
    CDlgBarMeter* barMeterView = nullptr;
    CDlgTrendChart* trendChartView = nullptr;
    CDlgHistogram* histogramView = nullptr;
    QWidget* currentView = nullptr;
    std::map<QString, QWidget*> viewRegistry;
    CDlgTempSensor* sensorDialog = nullptr;
    std::unique_ptr<voltora::app::WindowManagerClose> windowManagerClose;
    QString helpDocumentPath;
    voltora::app::ReadingLogControl* logging = nullptr;
    std::string connectedResource;
    bool closed = false;
    CFrontPanel::LinkState linkState = CFrontPanel::LinkState::Disconnected;
    std::string lastResource;
};
