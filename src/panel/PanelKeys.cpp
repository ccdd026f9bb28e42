#include "panel/PanelKeys.h"

#include <array>

namespace voltora::panel {
namespace {

struct FunctionKey {
    const char* control;
    const char* plain;    // key word without shift
    const char* shifted;  // key word with shift; null: no function change
};

constexpr std::array<FunctionKey, 6> kFunctionKeys = {{
    {"btnDCV", "VOLT", "CURR"},
    {"btnACV", "VOLT:AC", "CURR:AC"},
    {"btn2W", "RES", "FRES"},
    {"btn-11-", "CAP", "FREQ"},
    {"btnCont", "CONT", "DIOD"},
    {"btnTemp", "TEMP", nullptr},
}};

constexpr std::array<const char*, 6> kSoftKeys = {"btnF1", "btnF2", "btnF3", "btnF4", "btnF5", "btnF6"};

struct ArrowKey {
    const char* control;
    int keyIndex;
};

constexpr std::array<ArrowKey, 4> kArrowKeys = {{
    {"btnLeft", 6},
    {"btnRight", 7},
    {"btnFront", 8},
    {"btnBack", 9},
}};

}  // namespace

KeyAction ResolveKey(std::string_view controlName, bool shift)
{
    KeyAction action;
    for (const auto& key : kFunctionKeys) {
        if (controlName == key.control) {
            const char* keyWord = shift ? key.shifted : key.plain;
            if (keyWord == nullptr) {
                action.role = KeyRole::kReactivate;
            } else {
                action.role = KeyRole::kFunctionKey;
                action.keyWord = keyWord;
            }
            return action;
        }
    }
    for (std::size_t i = 0; i < kSoftKeys.size(); ++i) {
        if (controlName == kSoftKeys[i]) {
            action.role = KeyRole::kSoftKey;
            action.keyIndex = static_cast<int>(i);
            return action;
        }
    }
    for (const auto& key : kArrowKeys) {
        if (controlName == key.control) {
            action.role = KeyRole::kArrowKey;
            action.keyIndex = key.keyIndex;
            return action;
        }
    }
    if (controlName == "btnShift") {
        action.role = KeyRole::kShiftToggle;
        action.marker = "LabelShift";
    } else if (controlName == "btn2nd") {
        action.role = KeyRole::kShiftToggle;
        action.marker = "Label2nd";
    } else if (controlName == "btnRun") {
        action.role = KeyRole::kRunStop;
    }
    return action;
}

}  // namespace voltora::panel
