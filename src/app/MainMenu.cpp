#include "app/MainMenu.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace voltora::app {

MainMenu::MainMenu(QMenuBar* bar)
{
    // "&" marks each entry's mnemonic (Alt+C opens "Control", then C picks
    // "Connect"); the texts shown are the names without it.
    const auto add = [this](QMenu* menu, const char* text, int command) {
        QAction* action = menu->addAction(QString::fromLatin1(text));
        action->setData(command);
        actions_[command] = action;
        return action;
    };
    QMenu* control = bar->addMenu(QStringLiteral("&Control"));
    add(control, "&Connect", kConnectCommand);
    add(control, "&Disconnect", kDisconnectCommand);
    add(control, "&Reconnect", kReconnectCommand);

    QMenu* acquire = bar->addMenu(QStringLiteral("&Acquire"));
    add(acquire, "&Delay", kDelayCommand);
    add(acquire, "&Samples/Trigger", kSamplesCommand);
    QMenu* output = acquire->addMenu(QStringLiteral("&VMC Out"));
    add(output, "&Pos", kSlopePositiveCommand)->setCheckable(true);
    add(output, "&Neg", kSlopeNegativeCommand)->setCheckable(true);
    acquire->addSeparator();
    add(acquire, "Start &logging...", kStartLoggingCommand);
    add(acquire, "S&top logging", kStopLoggingCommand);

    QMenu* save = bar->addMenu(QStringLiteral("&Save"));
    add(save, "&Save data", kSaveCommand);

    QMenu* help = bar->addMenu(QStringLiteral("&Help"));
    add(help, "&Documentation", kDocumentationCommand);
    add(help, "&About Voltora", kAboutCommand);
}

QAction* MainMenu::Action(int command) const
{
    const auto found = actions_.find(command);
    return found == actions_.end() ? nullptr : found->second;
}

}  // namespace voltora::app
