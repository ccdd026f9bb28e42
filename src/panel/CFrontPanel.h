#pragma once

#include "functions/IFrontPanel.h"
#include "panel/FunctionTable.h"
#include "panel/IZANMenuListener.h"
#include "panel/PanelDisplay.h"
#include "panel/PanelMessagePump.h"
#include "panel/PanelSession.h"
#include "panel/PanelViews.h"
#include "panel/skin/SkinWindow.h"
#include "views/IViewHost.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>

class CZANFunction;
class IConnection;

// The on-screen front panel of the meter and the hub of the program: it owns
// the measurement function objects and keeps one current, turns key clicks
// into function changes and soft-key presses, handles the workers' messages
// and feeds the four analysis views. Each job has a member of its own: the
// function table, the session controller (PanelSession), the painting
// (PanelDisplay), the message pump (PanelMessagePump) and the views feeder
// (PanelViews); the panel itself is the window and routes between them.
//
// Threads: everything runs on the thread that owns the panel (the
// user-interface thread) except PostMessage and PostRelValue, which workers
// call to queue work for it.
//
// Window messages are Qt events (panel/PanelEvent.h): PostMessage queues one
// (WM_PANEL_READING, WM_PANEL_SOFTKEYS, WM_PANEL_DISPLAY, WM_PANEL_SYNC) and
// returns at once; SendMessage handles one before it returns (WM_PANEL_STOP,
// WM_PANEL_SENSOR).
class CFrontPanel : public voltora::panel::SkinWindow,
                    public IFrontPanel,
                    public IViewHost,
                    public voltora::panel::IZANMenuListener,
                    private voltora::panel::PanelSession::Listener {
    Q_OBJECT
public:
    // Loads the skin, creates the function objects, makes DC voltage current
    // and draws it. Nothing is sent to the meter. `connection` is the session
    // the panel and its functions work on; it outlives the panel.
    explicit CFrontPanel(IConnection& connection, QWidget* parent = nullptr);
    // Ends every worker before the function objects go.
    ~CFrontPanel() override;

    // ---- Messages ------------------------------------------------------------
    // Any thread: queues window message `message` and returns.
    void PostMessage(int message) override;
    // Panel thread: handles window message `message` before returning and
    // gives the handler's answer. WM_PANEL_SENSOR takes the two list
    // selections in the low and high 16 bits of `wParam` and a pointer to the
    // sensor name (const std::wstring*) as `lParam`.
    long SendMessage(int message, std::uintptr_t wParam = 0, std::intptr_t lParam = 0);
    // WM_PANEL_SENSOR, sent: the sensor dialog's choice.
    void SendSensorChoice(int definitionIndex, int typeIndex, const std::wstring& sensorName);
    // Messages queued with PostMessage and not yet handled.
    int PendingMessageCount() const { return pump.PendingCount(); }

    // ---- What the function objects ask (IFrontPanel) -------------------------
    void ShowRelValue(const std::string& state, const std::string& value) override;
    void PostRelValue(const std::string& state, const std::string& value) override;
    void SetViewsUnit(const std::string& unit) override;
    // Calls the opener installed with SetSensorDialogOpener (the main window's
    // sensor dialog: created on first use, then shown and centred).
    void OpenSensorDialog() override;
    IConnection& Connection() override { return connection; }
    void SetSensorDialogOpener(std::function<void()> opener) { sensorDialogOpener = std::move(opener); }

    // ---- What the views ask (IViewHost) ----------------------------------------
    std::string CurrentFunctionName() override;
    std::string CurrentRangeText() override;
    std::string CurrentValueText() override { return valueText; }
    std::string CurrentUnitText() override { return unitText; }
    void ApplyMathMode(int state) override;
    void ApplyMathUnit(const std::string& text) override;
    void ApplyRelValue(const std::string& text) override;
    void SetLimitLow(double value) override;
    void SetLimitHigh(double value) override;
    void ApplyTrendMode(const std::string& text) override;
    CZANFunction* CurrentFunction() override { return session->Current(); }
    void RestartElapsedTime() override;

    // ---- Views (not owned; null is allowed) -----------------------------------
    void SetViews(CDlgZANMath* math, CDlgBarMeter* barMeter, CDlgTrendChart* trendChart,
                  CDlgHistogram* histogram);
    voltora::panel::PanelViews& Views() { return views; }

    // ---- The main window ---------------------------------------------------------
    // Samples per trigger (the acquisition settings dialog).
    void ApplySampleCount(const std::string& text);
    // Whether the panel considers acquisition running ("Stopped" hidden).
    bool IsRunning() const { return session->IsRunning(); }
    bool IsShiftEngaged() const { return shift; }
    // Closing: clears the current function's running flag so that its worker
    // ends after the cycle in progress (the worker is joined when the panel
    // is destroyed).
    void ClearCurrentRunningFlag();
    // The close sequence of the main window: when connected, clears the
    // current function's running flag, sends "REFresh" and closes the
    // connection; otherwise does nothing.
    void CloseSession();

    // ---- The link as the user sees it -------------------------------------------------
    // Connected, lost (a failed exchange ended the session: the display says
    // "No link" where "Stopped" stands), or disconnected by the user.
    using LinkState = voltora::panel::LinkState;
    void SetLinkState(LinkState state);
    LinkState GetLinkState() const { return session->GetLinkState(); }
    // Whether the current function shows a reading the meter sent in this
    // connection since the function became current. Otherwise the display
    // shows the start marker (kNoReadingText) instead of any stored value.
    bool HasLiveReading() const;
    static constexpr const char* kNoLinkText = voltora::panel::PanelDisplay::kNoLinkText;
    static constexpr const char* kStoppedText = voltora::panel::PanelDisplay::kStoppedText;
    static constexpr const char* kNoReadingText = voltora::panel::PanelDisplay::kNoReadingText;
    // While a function change runs (its pauses let the window paint), key
    // clicks are queued and handled in order once it has finished.
    bool IsBusy() const { return session->IsBusy(); }
    std::size_t QueuedKeyCount() const { return queuedKeys.size(); }

    // ---- Operations ------------------------------------------------------------------
    // A click notification of the control named `controlName` (the skin's
    // Clicked signal arrives here).
    void Notify(const QString& controlName);
    // Makes the function of `keyWord` current; when connected also selects it
    // on the meter, reloads its settings and resumes its worker.
    void SwitchFunction(const std::string& keyWord);
    void RefreshDisplay();
    void RefreshSoftKeys();
    void RefreshEntryPopup();
    // Writes `text` to the meter, then pauses 100 ms.
    void SendPanelCommand(const std::string& text);
    // The object under `keyWord` in the function table, or null.
    CZANFunction* FunctionOf(const std::string& keyWord) const { return functions.Find(keyWord); }
    const voltora::panel::FunctionTable& Functions() const { return functions; }

    void OnMenu(int item) override;

signals:
    // The current function's worker ended on a failed fetch while the
    // connection was open (the main window then treats the link as lost).
    void WorkerEnded();

private:
    long HandleMessage(int message, std::uintptr_t wParam, std::intptr_t lParam);
    void OnNewReading();
    void Resynchronise();
    void Stop();
    void ChooseSensor(std::uintptr_t wParam, std::intptr_t lParam);
    void PressFunctionKey(const std::string* keyWord);
    void ToggleShift(const std::string& marker);
    void RunStop();
    void ShowStopped();
    void OnWorkerEnded();
    void HandleKey(const QString& controlName);
    void HandleQueuedKeys();
    void ScheduleQueuedKeys();
    CZANFunction& Current() const { return *session->Current(); }

    // PanelSession::Listener
    void RunStateChanged() override;
    void BusyChanged(bool busy) override;

    IConnection& connection;
    bool shift = false;
    voltora::panel::FunctionTable functions;
    std::function<void()> sensorDialogOpener;
    voltora::panel::PanelViews views;
    std::string valueText;
    std::string unitText;
    std::deque<QString> queuedKeys;

    voltora::panel::PanelMessagePump pump;
    std::unique_ptr<voltora::panel::PanelDisplay> display;  // once the skin is loaded
    std::unique_ptr<voltora::panel::PanelSession> session;  // once the functions exist
};
