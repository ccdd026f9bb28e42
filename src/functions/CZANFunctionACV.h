#pragma once

#include "functions/CZANScaledFunction.h"

// The AC voltage function ("VOLT:AC", "AC Voltage"): ranges 200 mV to 750 V,
// speed, relative value and dB/dBm scaling.
class CZANFunctionACV : public CZANScaledFunction {
public:
    // Soft-key item ids.
    enum ItemId : int {
        kRangeItem = 101,
        kSpeedItem = 102,
        kRelItem = 103,
        kRangeAuto = 104,
        kRange200mV = 105,
        kRange2V = 106,
        kRange20V = 107,
        kRange200V = 108,
        kRange750V = 109,
        kSpeedSlow = 110,
        kSpeedMiddle = 111,
        kSpeedFast = 112,
    };

    explicit CZANFunctionACV(IFrontPanel* panel);
    ~CZANFunctionACV() override;

    void OnMenuItem(int id) override;

private:
    void ShowRootPage() override;
};
