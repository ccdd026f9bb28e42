#pragma once

// Told when a soft-key menu item is pressed.
class IZANMenuItemListener {
public:
    virtual ~IZANMenuItemListener() = default;
    virtual void OnMenuItem(int id) = 0;
};
