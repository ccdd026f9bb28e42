#pragma once

#include "functions/CZANFunction.h"
#include "functions/ThresholdEntry.h"

// The common ground of continuity and the diode test: no ranges and no
// relative value, a beeper switch, and a threshold edited in the panel's
// entry popup with the arrow keys (which is always shown). An open input
// reads "open".
class CZANThresholdFunction : public CZANFunction {
public:
    void Initialise() override;
    void Activate() override;
    bool FetchReading() override;
    std::string GetRangeModeText() override;
    bool UpdateAutoRange() override;
    void SetRangeText(const std::string& text) override;
    std::string GetRangeText() override;
    std::string GetUnitText() override;
    void SetRelValue(const std::string& text) override;
    // Keys 0 to 5 press the soft keys; 6 to 9 edit the threshold.
    void PressKey(int key) override;
    bool IsEntryActive() override;
    std::string GetEntryText() override;
    int GetEntryCursor() override;

    std::string GetBeeper() const { return beeper.Get(); }
    std::string GetThreshold() const { return threshold.Get(); }

protected:
    // The threshold runs from 0 to `thresholdLimit` in `thresholdUnit`
    // and starts at `initialThreshold`; the display's unit is
    // `displayUnit`.
    CZANThresholdFunction(IFrontPanel* panel, const char* name, const char* thresholdUnit,
                          int thresholdLimit, int initialThreshold, const char* displayUnit,
                          int beeperItem, int thresholdItem);

    // Apply handlers of "Beeper" and "Threshold" (worker).
    void ApplyBeeper();
    virtual void ApplyThreshold() = 0;

    voltora::functions::SharedText beeper;
    voltora::functions::SharedText threshold;

private:
    int beeperItem;
    voltora::functions::ThresholdEntry entry;  // holds the cursor
    int initialThreshold;
    std::string unit;
    int thresholdItem;
};
