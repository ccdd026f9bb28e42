#pragma once

#include "functions/CZANFunction.h"

// The AC voltage function ("VOLT:AC", "AC Voltage"): ranges 200 mV to 750 V,
// speed, relative value and dB/dBm scaling.
class CZANFunctionACV : public CZANFunction {
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
    bool LoadMathInfo() override;
    MathInfo GetMathInfo() override;
    void SetMathMode(int state) override;
    void SetMathUnitText(const std::string& text) override;
    void SetMathDbReference(int reference) override;
    void SetMathDbmReference(int reference) override;
    void SetMathReferenceAuto(int state) override;
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
    MathInfo mathInfo;  // user-interface thread only
};
