#include "panel/DisplayLayout.h"

namespace voltora::panel {

int TitleRight(int widthWithoutLastCharacter)
{
    return 92 + widthWithoutLastCharacter;
}

DisplayLayout ComputeDisplayLayout(CZANFunction& function, bool shift)
{
    DisplayLayout layout;
    layout.title = function.name.Get();
    const bool entryActive = function.IsEntryActive();
    layout.entryVisible = entryActive;
    layout.shiftVisible = shift;

    // The display of the temperature function depends on its display mode.
    if (functions::ITemperatureDisplay* temperature = function.TemperatureDisplay()) {
        const std::string mode = temperature->GetDisplayMode();
        layout.range.clear();
        if (mode == kMeasuredValueMode) {
            layout.value = temperature->GetMeasuredValueText();
            layout.unit = temperature->GetMeasuredUnitText();
        } else {
            layout.value = function.GetValueText();
            layout.unit = function.GetUnitText();
            if (mode != kTempValueMode) {
                // "All": the raw sensor value in a strip under a smaller display.
                layout.measuredStripVisible = true;
                layout.measuredValue = temperature->GetMeasuredValueText();
                layout.measuredUnit = temperature->GetMeasuredUnitText();
                layout.displayBox.bottom = 191;
                layout.valueRow = 11;
                layout.rangeRow = 66;
                layout.unitRow = 66;
            }
        }
        return layout;
    }

    layout.value = function.GetValueText();
    layout.range = function.GetRangeModeText() + " " + function.GetRangeText();
    layout.unit = function.GetUnitText();
    if (entryActive) {
        layout.displayBox.bottom = 205;
        // The range and unit rows move up with the box's bottom, so that the
        // unit ("VDC", the ohm sign) is not cut off under the popup.
        const int boxHeight = layout.displayBox.bottom - layout.displayBox.top;
        layout.rangeRow = boxHeight - kTextRowHeight - kTextRowMargin;
        layout.unitRow = layout.rangeRow;
        layout.entryRect = kEntryPopupRect;
    }
    return layout;
}

ReadingTexts ComputeReadingTexts(CZANFunction& function)
{
    ReadingTexts texts;
    // The display of the temperature function depends on its display mode.
    if (functions::ITemperatureDisplay* temperature = function.TemperatureDisplay()) {
        const std::string mode = temperature->GetDisplayMode();
        if (mode == kMeasuredValueMode) {
            texts.value = temperature->GetMeasuredValueText();
            texts.unit = temperature->GetMeasuredUnitText();
        } else {
            texts.value = function.GetValueText();
            texts.unit = function.GetUnitText();
            if (mode != kTempValueMode) {
                texts.measuredValue = temperature->GetMeasuredValueText();
                texts.measuredUnit = temperature->GetMeasuredUnitText();
            }
        }
        return texts;
    }
    texts.value = function.GetValueText();
    texts.unit = function.GetUnitText();
    const std::string mode = function.GetRangeModeText();
    if (mode == "Auto") {
        texts.range = mode + " " + function.GetRangeText();
    }
    return texts;
}

}  // namespace voltora::panel
