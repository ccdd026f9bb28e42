#pragma once

#include "functions/CZANRangedFunction.h"

// The DC current function ("CURR", "DC Current"): ranges 200 uA to 10 A over
// two range pages, speed, filter and relative value. No dB/dBm scaling.
class CZANFunctionDCI : public CZANRangedFunction {
public:
    // Soft-key item ids.
    enum ItemId : int {
        kRangeItem = 16,
        kSpeedItem = 17,
        kFilterItem = 18,
        kRelItem = 19,
        kRangeAuto = 20,
        kRange200uA = 21,
        kRange2mA = 22,
        kRange20mA = 23,
        kRange200mA = 24,
        kRangeOther = 25,     // "other->": the second range page
        kRange2A = 26,
        kRange10A = 27,
        kRangeBack = 28,      // "<-other": back to the first range page
        kSpeedSlow = 29,
        kSpeedMiddle = 30,
        kSpeedFast = 31,
    };

    explicit CZANFunctionDCI(IFrontPanel* panel);
    ~CZANFunctionDCI() override;

    void OnMenuItem(int id) override;

    std::string GetFilter() const { return filter.Get(); }

private:
    void RegisterOwnSettings() override;
    void LoadOwnSettings() override;
    void ShowOwnSettings() override;
    void ApplyFilter();
    void ShowRootPage() override;
    void ShowFirstRangePage();

    voltora::functions::SharedText filter;
};
