#pragma once

#include "functions/CZANFunction.h"

#include <optional>
#include <string>

// What the panel's display shows for a function, computed without widgets:
// the layout and texts of a full display refresh, and the texts of one
// reading. Texts are narrow (tokens not yet replaced).
namespace voltora::panel {

inline constexpr const char* kTempValueMode = "Temp Val";
inline constexpr const char* kMeasuredValueMode = "Meas Val";

// A rectangle in panel pixels.
struct PanelRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// The numeric entry popup's place while a function's entry is active.
inline constexpr PanelRect kEntryPopupRect{108, 207, 216, 225};

// The title box: left 72, top 57, bottom 87; its right edge depends on the
// width of the name without its last character.
inline constexpr int kTitleLeft = 72;
inline constexpr int kTitleTop = 57;
inline constexpr int kTitleBottom = 87;
int TitleRight(int widthWithoutLastCharacter);

// LabelRange and LabelUnit are this high, and keep this much room below
// them inside the display box.
inline constexpr int kTextRowHeight = 25;
inline constexpr int kTextRowMargin = 2;

struct DisplayLayout {
    std::string title;
    bool entryVisible = false;    // TinyMenu
    bool shiftVisible = false;    // LabelShift
    bool measuredStripVisible = false;  // ContainerTempMeasVal
    std::string value;
    std::string range;
    std::string unit;
    // Temperature in display mode "All": the measure-value strip's texts.
    std::optional<std::string> measuredValue;
    std::optional<std::string> measuredUnit;
    // Not temperature, entry active: the popup's place.
    std::optional<PanelRect> entryRect;
    PanelRect displayBox{72, 86, 436, 226};  // ContainerMain
    int valueRow = 26;   // LabelValue at (46, valueRow) in ContainerMain
    int rangeRow = 101;  // LabelRange at (113, rangeRow)
    int unitRow = 101;   // LabelUnit at (284, unitRow)
};

// The layout of a display refresh of `function`.
DisplayLayout ComputeDisplayLayout(CZANFunction& function, bool shift);

// The texts of one reading.
struct ReadingTexts {
    std::string value;
    std::string unit;
    // Set while ranging automatically (not temperature): mode + " " + range.
    std::optional<std::string> range;
    // Temperature in display mode "All".
    std::optional<std::string> measuredValue;
    std::optional<std::string> measuredUnit;
};

ReadingTexts ComputeReadingTexts(CZANFunction& function);

}  // namespace voltora::panel
