#pragma once

#include "functions/CZANFunction.h"
#include "functions/ThresholdEntry.h"

// The diode test ("DIOD", "Diode"): a beeper switch and a threshold of 0 to
// 4000 mV edited in the panel's entry popup with the arrow keys. An open
// input reads "open".
class CZANFunctionDiode : public CZANFunction {
public:
    enum ItemId : int {
        kBeeperItem = 87,
        kThresholdItem = 880,  // not 88, which is the temperature function's
    };

    explicit CZANFunctionDiode(IFrontPanel* panel);
    ~CZANFunctionDiode() override;

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
    std::string unit;
    voltora::functions::SharedText threshold;
    voltora::functions::ThresholdEntry entry;  // holds the cursor
};
