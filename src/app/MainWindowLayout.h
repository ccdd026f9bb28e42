#pragma once

#include <QRect>
#include <QSize>

namespace voltora::app {

// Where the main window's parts go, in pixels of its client area (below the
// menu bar). The template is laid out in dialog units; the window is then
// made 800 pixels wide, the views 640 wide and the view list 135 wide at
// x = 650, whatever the template's units come to.
struct MainWindowLayout {
    static constexpr int kWindowWidth = 800;
    static constexpr int kViewWidth = 640;
    static constexpr int kListLeft = 650;
    static constexpr int kListWidth = 135;

    // The client area: 800 wide, the template's height.
    static QSize ClientSize();
    // The line under the front panel.
    static QRect PanelLine();
    // The two lines that bound the views' band (controls 1008 and 1009).
    static QRect UpperBandLine();
    static QRect LowerBandLine();
    // The view rectangle: at the left and top of the upper line, 640 wide,
    // down to the bottom of the lower line.
    static QRect ViewRect();
    // The view list: at x = 650, 135 wide, with the template's top and height.
    static QRect ListRect();
};

}  // namespace voltora::app
