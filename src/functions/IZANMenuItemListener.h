#pragma once

// Told when a soft-key menu item is pressed.
class IZANMenuItemListener {
public:
    virtual void OnMenuItem(int id) = 0;

protected:
    ~IZANMenuItemListener() = default;
};
