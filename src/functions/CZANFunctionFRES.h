#pragma once

#include "functions/CZANFunction.h"

// The 4-wire resistance function ("FRES", "4 Wire Resistance"): ranges
// 200 ohm to 100 Mohm over two range pages, speed and relative value.
class CZANFunctionFRES : public CZANFunction {
public:
    // Soft-key item ids.
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
