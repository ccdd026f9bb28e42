#pragma once

#include "panel/DisplayLayout.h"
#include "panel/SoftKeyLayout.h"
#include "panel/skin/SkinControl.h"
#include "panel/skin/SkinWindow.h"

#include <array>
#include <string>
#include <vector>

class CZANFunction;

namespace voltora::panel {

// Connected, lost (a failed exchange ended the session: the display says
// "No link" where "Stopped" stands), or disconnected by the user.
enum class LinkState { Disconnected, Connected, LinkLost };

// The painting of the front panel: the display (title, value, range, unit,
// the temperature strip, the entry popup), the six soft keys and the
// "Stopped"/"No link" marker, each drawn from a function object and the
// panel's state. It owns no state of its own beyond the controls it draws.
class PanelDisplay {
public:
    static constexpr const char* kNoLinkText = "No link";
    static constexpr const char* kStoppedText = "Stopped";
    static constexpr const char* kNoReadingText = "$INIT$";

    // Finds the controls in `window`, whose skin is loaded; a control the
    // skin lacks stays null and is skipped.
    explicit PanelDisplay(SkinWindow& window);

    // The display of `function`; without a `live` reading the value shows
    // the start marker (kNoReadingText).
    void Refresh(CZANFunction& function, bool shift, bool live);
    void RefreshSoftKeys(CZANFunction& function);
    void RefreshEntryPopup(CZANFunction& function);
    // The texts of a new reading (value, unit, range and the temperature
    // strip); without a `live` reading the value shows the start marker.
    // `texts` gets what was shown.
    void ShowReading(ReadingTexts& texts, bool live);
    // "No link" while the link is lost, otherwise "Stopped" unless running.
    void ShowRunState(LinkState state, bool running);

private:
    struct Controls {
        explicit Controls(const SkinWindow& window);

        SkinControl* title;
        SkinControl* main;
        SkinControl* value;
        SkinControl* range;
        SkinControl* unit;
        SkinControl* shift;
        SkinControl* stop;
        SkinControl* entry;
        SkinControl* measuredStrip;
        SkinControl* measuredValue;
        SkinControl* measuredUnit;
        std::array<SkinControl*, kEntryCellCount> cells{};
    };

    static void SetControlText(SkinControl* control, const std::string& text);

    SkinWindow& window_;
    Controls controls_;
    std::vector<SoftKeyNameSet> softKeyNames_;
};

}  // namespace voltora::panel
