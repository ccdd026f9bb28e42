#include "panel/PanelShortcuts.h"

#include "panel/skin/SkinButton.h"
#include "panel/skin/SkinWindow.h"

#include <QAction>
#include <QKeySequence>

namespace voltora::panel {

const std::vector<PanelShortcut>& PanelShortcuts()
{
    // Digits follow the function keys' order on the panel (left to right,
    // top to bottom); Shift then a digit selects the key's second function,
    // as on the instrument.
    static const std::vector<PanelShortcut> shortcuts = {
        {"btnDCV", "1", "DC V (Shift: DC I)", false},
        {"btnACV", "2", "AC V (Shift: AC I)", false},
        {"btn2W", "3", "2-wire resistance (Shift: 4-wire)", false},
        {"btn-11-", "4", "Capacitance (Shift: frequency/period)", false},
        {"btnCont", "5", "Continuity (Shift: diode)", false},
        {"btnTemp", "6", "Temperature", false},
        {"btnShift", "S", "Shift", false},
        {"btnRun", "R", "Run/Stop", false},
        {"btnF1", "F1", "Soft key 1", false},
        {"btnF2", "F2", "Soft key 2", false},
        {"btnF3", "F3", "Soft key 3", false},
        {"btnF4", "F4", "Soft key 4", false},
        {"btnF5", "F5", "Soft key 5", false},
        {"btnF6", "F6", "Soft key 6", false},
        {"btnLeft", "Left", "Entry: cursor left", true},
        {"btnRight", "Right", "Entry: cursor right", true},
        {"btnFront", "Up", "Entry: digit up", true},
        {"btnBack", "Down", "Entry: digit down", true},
        {"btnOK", "Return", "OK", true},
    };
    return shortcuts;
}

const std::vector<const char*>& InactivePanelKeys()
{
    static const std::vector<const char*> keys = {"btn2nd",      "btnAcquire", "btnMath",
                                                  "btnSingle",   "btnIncrease", "btnRange",
                                                  "btnDecrease", "btnOK"};
    return keys;
}

std::vector<QAction*> InstallPanelShortcuts(SkinWindow* panel)
{
    std::vector<QAction*> actions;
    panel->setFocusPolicy(Qt::ClickFocus);
    for (const PanelShortcut& shortcut : PanelShortcuts()) {
        const QString name = QString::fromLatin1(shortcut.control);
        auto* action = new QAction(QString::fromLatin1(shortcut.label), panel);
        action->setObjectName(QStringLiteral("key:") + name);
        QList<QKeySequence> keys = {QKeySequence(QString::fromLatin1(shortcut.keys))};
        if (name == QLatin1String("btnOK")) {
            keys.append(QKeySequence(Qt::Key_Enter));
        }
        action->setShortcuts(keys);
        // Keys the rest of the window uses too (arrows in the view list,
        // Enter in dialogs' fields) act on the panel only while it has the focus.
        action->setShortcutContext(shortcut.panelFocusOnly ? Qt::WidgetWithChildrenShortcut
                                                           : Qt::WindowShortcut);
        QObject::connect(action, &QAction::triggered, panel, [panel, name] {
            SkinButton* button = panel->FindButton(name);
            if (button != nullptr && button->isEnabled() && button->isVisible()) {
                emit button->Clicked(name);
            }
        });
        panel->addAction(action);
        actions.push_back(action);
        if (SkinButton* button = panel->FindButton(name)) {
            button->setToolTip(QStringLiteral("%1 (key: %2)")
                                   .arg(QString::fromLatin1(shortcut.label),
                                        keys.constFirst().toString(QKeySequence::NativeText)));
        }
    }
    for (const char* inactive : InactivePanelKeys()) {
        if (SkinButton* button = panel->FindButton(QString::fromLatin1(inactive))) {
            button->setToolTip(QString::fromLatin1(kInactiveKeyTip));
        }
    }
    return actions;
}

}  // namespace voltora::panel
