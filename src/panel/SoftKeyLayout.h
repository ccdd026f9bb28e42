#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

class CZANFunction;

// What the six soft-key areas and the entry popup show, computed from the
// current function's menu state without any widget.
namespace voltora::panel {

inline constexpr int kSoftKeyCount = 6;
inline constexpr int kEntryCellCount = 15;

inline constexpr std::uint32_t kSoftKeyPlainBackground = 0xFF808080;
inline constexpr std::uint32_t kSoftKeyHighlightBackground = 0xFF1737D5;
inline constexpr std::uint32_t kEntryCellBackground = 0x00000000;  // transparent
inline constexpr std::uint32_t kEntryCursorBackground = 0xFFC0C0C0;

// The five control names of one soft-key area.
struct SoftKeyNameSet {
    std::string container;  // ContainerFn: its own text is the one-line caption
    std::string name;       // LabelFnName
    std::string value;      // LabelFnValue
    std::string leftValue;  // LabelFnValue1
    std::string rightValue; // LabelFnValue2
};

// The name sets of F1 ... F6, in this order.
std::vector<SoftKeyNameSet> BuildSoftKeyNameSets();

// What soft-key area `key` shows: narrow texts (tokens not yet replaced) and
// colours. Without an item on the key: empty texts, colour 0, grey background.
struct SoftKeyLook {
    std::string caption;
    std::string name;
    std::string value;
    std::string leftValue;
    std::string rightValue;
    std::uint32_t background = kSoftKeyPlainBackground;
    std::uint32_t nameColour = 0;
    std::uint32_t valueColour = 0;
    std::uint32_t leftColour = 0;
    std::uint32_t rightColour = 0;
};

SoftKeyLook LookOfSoftKey(CZANFunction& function, int key);

// One cell of the entry popup: its text (one character, or the ohm token)
// and whether the cursor stands on it.
struct EntryCell {
    std::string text;
    bool cursor = false;
};

// The fifteen cells for entry text `text` with the cursor on its character
// `cursor`. The text is centred; an ohm token at its end takes one cell.
// Characters that would fall outside the fifteen cells are left out.
std::array<EntryCell, kEntryCellCount> LayoutEntryCells(const std::string& text, int cursor);

}  // namespace voltora::panel
