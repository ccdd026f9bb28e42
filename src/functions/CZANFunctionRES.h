#pragma once

#include "functions/CZANFunctionResistance.h"

// The 2-wire resistance function ("RES", "2 Wire Resistance"): ranges
// 200 ohm to 100 Mohm over two range pages, speed and relative value.
class CZANFunctionRES : public CZANFunctionResistance {
public:
    // Soft-key item ids, in the order of CZANFunctionResistance::ItemOffset.
    enum ItemId : int {
        kRangeItem = 32,
        kSpeedItem = 33,
        kRelItem = 34,
        kRangeAuto = 35,
        kRange200Ohm = 36,
        kRange2kOhm = 37,
        kRange20kOhm = 38,
        kRange200kOhm = 39,
        kRangeOther = 40,     // "other->": the second range page
        kRange2MOhm = 41,
        kRange10MOhm = 42,
        kRange100MOhm = 43,
        kRangeBack = 44,      // "<-other": back to the first range page
        kSpeedSlow = 45,
        kSpeedMiddle = 46,
        kSpeedFast = 47,
    };

    explicit CZANFunctionRES(IFrontPanel* panel);
    ~CZANFunctionRES() override;
};
