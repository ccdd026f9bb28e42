#pragma once

#include "functions/CZANRangedFunction.h"

// The capacitance function ("CAP", "Capacitance"): ranges 2 nF to 10000 uF
// over two range pages and relative value. No speed, no dB/dBm scaling.
class CZANFunctionCap : public CZANRangedFunction {
public:
    // Soft-key item ids.
    enum ItemId : int {
        kRangeItem = 64,
        kRelItem = 65,
        kRangeAuto = 66,
        kRange2nF = 67,
        kRange20nF = 68,
        kRange200nF = 69,
        kRange2uF = 70,
        kRangeOther = 71,     // "other->": the second range page
        kRange20uF = 72,
        kRange200uF = 73,
        kRange10000uF = 74,
        kRangeBack = 75,      // "<-other": back to the first range page
    };

    explicit CZANFunctionCap(IFrontPanel* panel);
    ~CZANFunctionCap() override;

    void OnMenuItem(int id) override;
    void StartWorker() override;

private:
    void ShowRootPage() override;
    void ShowFirstRangePage();
    // Capacitance readings always show six characters, sign included.
    int ReadingDigits() override;
};
