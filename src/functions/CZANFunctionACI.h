#pragma once

#include "functions/CZANRangedFunction.h"

// The AC current function ("CURR:AC", "AC Current"): ranges 20 mA to 10 A,
// speed and relative value. No filter, no dB/dBm scaling.
class CZANFunctionACI : public CZANRangedFunction {
public:
    // Soft-key item ids.
    enum ItemId : int {
        kRangeItem = 113,
        kSpeedItem = 114,
        kRelItem = 115,
        kRangeAuto = 116,
        kRange20mA = 117,
        kRange200mA = 118,
        kRange2A = 119,
        kRange10A = 120,
        kSpeedSlow = 121,
        kSpeedMiddle = 122,
        kSpeedFast = 123,
    };

    explicit CZANFunctionACI(IFrontPanel* panel);
    ~CZANFunctionACI() override;

    void OnMenuItem(int id) override;

private:
    void ShowRootPage() override;
};
