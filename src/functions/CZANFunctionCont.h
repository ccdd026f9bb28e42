#pragma once

#include "functions/CZANFunction.h"
#include "functions/ThresholdEntry.h"

// The continuity function ("CONT", "Continuity"): a beeper switch and a
// threshold of 0 to 2000 ohm edited in the panel's entry popup with the
// arrow keys. An open input reads "open".
class CZANFunctionCont : public CZANFunction {
public:
    enum ItemId : int {
        kBeeperItem = 85,
        kThresholdItem = 86,
    };

    explicit CZANFunctionCont(IFrontPanel* panel);
    ~CZANFunctionCont() override;

    void OnMenuItem(int id) override;
    void Initialise() override;
    void LoadSettings() override;
    void Activate() override;
    bool FetchReading() override;
    std::string GetValueText() override;
    std::string GetRangeModeText() override;
    bool UpdateAutoRange() override;
    void SetRangeText(const std::string& text) override;
    std::string GetRangeText() override;
    std::string GetBaseUnit() override;
    std::string GetUnitText() override;
    void SetRelValue(const std::string& text) override;
    // Keys 0 to 5 press the soft keys; 6 to 9 edit the threshold.
    void PressKey(int key) override;
    bool IsEntryActive() override;
    std::string GetEntryText() override;
    int GetEntryCursor() override;
    void GetEntryRect(PanelRect& rect) override;
    void StartWorker() override;

    std::string GetBeeper() const { return beeper.Get(); }
    std::string GetThreshold() const { return threshold.Get(); }

private:
    void ApplyBeeper();
    void ApplyThreshold();

    voltora::functions::SharedText beeper;
    voltora::functions::SharedText threshold;
    std::string unit;
    voltora::functions::ThresholdEntry entry;  // holds the cursor
};
