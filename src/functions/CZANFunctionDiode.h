#pragma once

#include "functions/CZANThresholdFunction.h"

// The diode test ("DIOD", "Diode"): a beeper switch and a threshold of 0 to
// 4000 mV edited in the panel's entry popup with the arrow keys. An open
// input reads "open".
class CZANFunctionDiode : public CZANThresholdFunction {
public:
    enum ItemId : int {
        kBeeperItem = 87,
        kThresholdItem = 880,  // not 88, which is the temperature function's
    };

    explicit CZANFunctionDiode(IFrontPanel* panel);
    ~CZANFunctionDiode() override;

    void OnMenuItem(int id) override;
    void LoadSettings() override;
    std::string GetValueText() override;
    std::string GetBaseUnit() override;
    void StartWorker() override;

private:
    void ApplyThreshold() override;
};
