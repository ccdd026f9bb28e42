#include "panel/SoftKeyLayout.h"

#include "functions/CZANFunction.h"
#include "functions/DisplayText.h"

#include <cstring>

using namespace voltora::functions;

namespace voltora::panel {

std::vector<SoftKeyNameSet> BuildSoftKeyNameSets()
{
    std::vector<SoftKeyNameSet> sets;
    sets.reserve(kSoftKeyCount);
    for (int n = 1; n <= kSoftKeyCount; ++n) {
        const std::string digit(1, static_cast<char>('0' + n));
        sets.push_back({"ContainerF" + digit, "LabelF" + digit + "Name", "LabelF" + digit + "Value",
                        "LabelF" + digit + "Value1", "LabelF" + digit + "Value2"});
    }
    return sets;
}

SoftKeyLook LookOfSoftKey(CZANFunction& function, int key)
{
    SoftKeyLook look;
    look.caption = function.GetSoftKeyCaption(key);
    look.name = function.GetSoftKeyName(key);
    look.value = function.GetSoftKeyValue(key);
    look.leftValue = function.GetSoftKeyLeftValue(key);
    look.rightValue = function.GetSoftKeyRightValue(key);
    if (const CZANMenuItem* item = function.GetSoftKeyItem(key)) {
        const CZANMenuItem::Colours colours = item->GetColours();
        look.nameColour = colours.nameColour;
        look.valueColour = colours.valueColour;
        look.leftColour = colours.leftColour;
        look.rightColour = colours.rightColour;
        if (item->IsHighlighted()) {
            look.background = kSoftKeyHighlightBackground;
        }
    }
    return look;
}

std::array<EntryCell, kEntryCellCount> LayoutEntryCells(const std::string& text, int cursor)
{
    std::array<EntryCell, kEntryCellCount> cells{};
    const int length = static_cast<int>(text.size());
    const auto put = [&cells](int cell, std::string content) {
        if (cell >= 0 && cell < kEntryCellCount) {
            cells[static_cast<std::size_t>(cell)].text = std::move(content);
        }
    };

    const int ohmLength = static_cast<int>(std::strlen(kOhmToken));
    const bool hasOhm = text.find(kOhmToken) != std::string::npos && length >= ohmLength;
    int first;
    if (hasOhm) {
        // The token stands at the end and takes one cell: length - 4 cells.
        first = (kEntryCellCount + ohmLength - 1 - length) / 2;
        const int characters = length - ohmLength;
        for (int j = 0; j < characters; ++j) {
            put(first + j, std::string(1, text[static_cast<std::size_t>(j)]));
        }
        put(first + characters, kOhmToken);
    } else {
        first = (kEntryCellCount - length) / 2;
        for (int j = 0; j < length; ++j) {
            put(first + j, std::string(1, text[static_cast<std::size_t>(j)]));
        }
    }
    const int cursorCell = first + cursor;
    if (cursorCell >= 0 && cursorCell < kEntryCellCount) {
        cells[static_cast<std::size_t>(cursorCell)].cursor = true;
    }
    return cells;
}

}  // namespace voltora::panel
