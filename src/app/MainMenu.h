#pragma once

#include <map>

class QAction;
class QMenuBar;
class QObject;

namespace voltora::app {

// The commands of the main window's menu bar.
enum MenuCommand : int {
    kConnectCommand = 32773,
    kDisconnectCommand = 32774,
    kDelayCommand = 32779,
    kSamplesCommand = 32780,
    kSlopePositiveCommand = 32782,
    kSlopeNegativeCommand = 32783,
    kSaveCommand = 32785,
    kAboutCommand = 32788,
    kDocumentationCommand = 32789,
    kStartLoggingCommand = 32790,
    kStopLoggingCommand = 32791,
    kReconnectCommand = 32792,
};

// The menu bar: "Control" (Connect, Disconnect, Reconnect), "Acquire" (Delay,
// Samples/Trigger, "VMC Out" with Pos and Neg, both checkable, then "Start
// logging..." and "Stop logging"), "Save"
// (Save data) and "Help" (Documentation, About Voltora). Each action carries
// its command number as data.
class MainMenu {
public:
    explicit MainMenu(QMenuBar* bar);

    // The action of `command`, or null.
    QAction* Action(int command) const;
    const std::map<int, QAction*>& Actions() const { return actions_; }

private:
    std::map<int, QAction*> actions_;
};

}  // namespace voltora::app
