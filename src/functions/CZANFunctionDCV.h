#pragma once

#include "functions/CZANScaledFunction.h"

// The DC voltage function ("VOLT", "DC Voltage"): ranges 200 mV to 1000 V,
// speed, filter, input impedance, relative value and dB/dBm scaling.
class CZANFunctionDCV : public CZANScaledFunction {
public:
    // Soft-key item ids (6 is not used).
    enum ItemId : int {
        kRangeItem = 1,
        kSpeedItem = 2,
        kFilterItem = 3,
        kInputZItem = 4,
        kRelItem = 5,
        kRangeAuto = 7,
        kRange200mV = 8,
        kRange2V = 9,
        kRange20V = 10,
        kRange200V = 11,
        kRange1000V = 12,
        kSpeedSlow = 13,
        kSpeedMiddle = 14,
        kSpeedFast = 15,
    };

    explicit CZANFunctionDCV(IFrontPanel* panel);
    ~CZANFunctionDCV() override;

    void OnMenuItem(int id) override;

    std::string GetFilter() const { return filter.Get(); }
    std::string GetInputZ() const { return inputZ.Get(); }

private:
    void RegisterOwnSettings() override;
    void LoadOwnSettings() override;
    void ShowOwnSettings() override;
    void ApplyFilter();
    void ApplyInputZ();
    // The root page: five keys on the two lowest manual ranges, else four.
    void ShowRootPage() override;
    void ShowPageAfterRangeChoice(int id) override;

    voltora::functions::SharedText filter;
    voltora::functions::SharedText inputZ;
};
