#pragma once

#include "functions/CZANFunction.h"

// The AC current function ("CURR:AC", "AC Current"): ranges 20 mA to 10 A,
// speed and relative value. No filter, no dB/dBm scaling.
class CZANFunctionACI : public CZANFunction {
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

    voltora::functions::SharedText rangeMode;
    voltora::functions::SharedText rangeText;
    std::string unit;
    voltora::functions::SharedText unitPrefix;
    voltora::functions::SharedText speed;
};
