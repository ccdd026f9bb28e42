#pragma once

#include <QString>

#include <vector>

class QAction;

namespace voltora::panel {

class SkinWindow;

// The panel's keys on the keyboard. A shortcut emits its button's click,
// so it takes exactly the path a mouse click takes (and, like a click, does
// nothing while the button is disabled).
struct PanelShortcut {
    const char* control;  // the button's control name ("btnDCV")
    const char* keys;     // portable key sequence text ("1", "F1", "Left")
    const char* label;    // what the key is, for the help page and tooltips
    bool panelFocusOnly;  // only while the panel has the keyboard focus
};

// Every panel shortcut: function keys 1 to 6, S for Shift, R for Run/Stop,
// F1 to F6 for the soft keys, and, while the panel has the focus, the arrow
// keys and Enter for the entry popup's arrows and OK.
const std::vector<PanelShortcut>& PanelShortcuts();

// The keys of the panel that have no effect in remote operation (the real
// instrument ignores them too) and the tooltip their buttons show.
const std::vector<const char*>& InactivePanelKeys();
inline constexpr const char* kInactiveKeyTip =
    "This key does nothing when the meter is operated remotely";

// Adds the shortcuts (as actions on `panel`), the keys' names to their
// buttons' tooltips, and the inactive keys' tooltip. The panel takes the
// keyboard focus when clicked.
std::vector<QAction*> InstallPanelShortcuts(SkinWindow* panel);

}  // namespace voltora::panel
