#pragma once

#include <string>
#include <string_view>

// What a click on one of the panel's keys does, by the key's control name and
// the shift flag. Keys without a role (btnOK, btnIncrease, btnRange, ...) and
// unknown names do nothing.
namespace voltora::panel {

enum class KeyRole {
    kNone,
    kFunctionKey,     // change to the function of keyWord, then re-activate
    kReactivate,      // re-activate the current function without a change (Shift + Temp)
    kShiftToggle,     // toggle the shift flag with the marker label `marker`
    kRunStop,
    kSoftKey,         // PressKey(keyIndex) 0 ... 5, then soft keys and display redrawn
    kArrowKey,        // PressKey(keyIndex) 6 ... 9, then the entry popup redrawn
};

struct KeyAction {
    KeyRole role = KeyRole::kNone;
    std::string keyWord;   // kFunctionKey
    int keyIndex = -1;     // kSoftKey, kArrowKey
    std::string marker;    // kShiftToggle: "LabelShift" or "Label2nd"
};

KeyAction ResolveKey(std::string_view controlName, bool shift);

}  // namespace voltora::panel
