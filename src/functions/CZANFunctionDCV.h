#pragma once

#include "functions/CZANFunction.h"

// The DC voltage function ("VOLT", "DC Voltage"): ranges 200 mV to 1000 V,
// speed, filter, input impedance, relative value and dB/dBm scaling.
class CZANFunctionDCV : public CZANFunction {
public:
    // Soft-key item ids (6 is not used).
    enum ItemId : int {
        kRangeItem = 1,
        kSpeedItem = 2,
        kFilterItem = 3,
        kInputZItem = 4,
        kRelItem = 5,
        kRangeAuto = 7,
        kRange200mV = 8,
        kRange2V = 9,
        kRange20V = 10,
        kRange200V = 11,
        kRange1000V = 12,
        kSpeedSlow = 13,
        kSpeedMiddle = 14,
        kSpeedFast = 15,
    };

    explicit CZANFunctionDCV(IFrontPanel* panel);
    ~CZANFunctionDCV() override;

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
    std::string GetFilter() const { return filter.Get(); }
    std::string GetInputZ() const { return inputZ.Get(); }

private:
    void ApplyRange();
    void ApplyFilter();
    void ApplyInputZ();
    void ApplySpeed();
    // The root page: five keys on the two lowest manual ranges, else four.
    void ShowRootPage();

    voltora::functions::SharedText rangeMode;
    voltora::functions::SharedText rangeText;
    std::string unit;
    voltora::functions::SharedText unitPrefix;
    voltora::functions::SharedText speed;
    voltora::functions::SharedText filter;
    voltora::functions::SharedText inputZ;
    MathInfo mathInfo;  // user-interface thread only
};
