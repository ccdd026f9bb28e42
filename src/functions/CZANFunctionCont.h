#pragma once

#include "functions/CZANThresholdFunction.h"

// The continuity function ("CONT", "Continuity"): a beeper switch and a
// threshold of 0 to 2000 ohm edited in the panel's entry popup with the
// arrow keys. An open input reads "open".
class CZANFunctionCont : public CZANThresholdFunction {
public:
    enum ItemId : int {
        kBeeperItem = 85,
        kThresholdItem = 86,
    };

    explicit CZANFunctionCont(IFrontPanel* panel);
    ~CZANFunctionCont() override;

    void OnMenuItem(int id) override;
    void LoadSettings() override;
    std::string GetValueText() override;
    std::string GetBaseUnit() override;
    void StartWorker() override;

private:
    void ApplyThreshold() override;
};
