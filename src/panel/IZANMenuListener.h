#pragma once

// Listener of menu changes of the front panel. The panel implements it with
// an empty body: menu changes reach it through WM_PANEL_SOFTKEYS and
// WM_PANEL_DISPLAY instead.
namespace voltora::panel {

class IZANMenuListener {
public:
    virtual ~IZANMenuListener() = default;
    virtual void OnMenu(int item) = 0;
};

}  // namespace voltora::panel
