#pragma once

#include "functions/CZANFunctionResistance.h"

// The 4-wire resistance function ("FRES", "4 Wire Resistance"): ranges
// 200 ohm to 100 Mohm over two range pages, speed and relative value.
class CZANFunctionFRES : public CZANFunctionResistance {
public:
    // Soft-key item ids, in the order of CZANFunctionResistance::ItemOffset.
    enum ItemId : int {
        kRangeItem = 48,
        kSpeedItem = 49,
        kRelItem = 50,
        kRangeAuto = 51,
        kRange200Ohm = 52,
        kRange2kOhm = 53,
        kRange20kOhm = 54,
        kRange200kOhm = 55,
        kRangeOther = 56,     // "other->": the second range page
        kRange2MOhm = 57,
        kRange10MOhm = 58,
        kRange100MOhm = 59,
        kRangeBack = 60,      // "<-other": back to the first range page
        kSpeedSlow = 61,
        kSpeedMiddle = 62,
        kSpeedFast = 63,
    };

    explicit CZANFunctionFRES(IFrontPanel* panel);
    ~CZANFunctionFRES() override;
};
