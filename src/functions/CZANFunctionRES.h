#pragma once

#include "functions/CZANFunction.h"

// The 2-wire resistance function ("RES", "2 Wire Resistance"): ranges
// 200 ohm to 100 Mohm over two range pages, speed and relative value.
class CZANFunctionRES : public CZANFunction {
public:
    // Soft-key item ids.
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
    void StartWorker() override;
    // Apply handler of "Rel" (worker).
    virtual void ApplyRel();

    void SetRangeMode(const std::string& text);
    std::string GetSpeed() const { return speed.Get(); }

private:
    void ApplyRange();
    void ApplySpeed();
    void ShowRootPage();
    void ShowFirstRangePage();

    voltora::functions::SharedText rangeMode;
    voltora::functions::SharedText rangeText;
    std::string unit;
    voltora::functions::SharedText unitPrefix;
    voltora::functions::SharedText speed;
};
