#pragma once

#include "functions/CZANFunction.h"

// The frequency and period function ("FREQ" and "PER", "Frequency" or
// "Period"): one object for both measurements, switched with its first soft
// key. Settings: the input voltage range and the relative value.
class CZANFunctionFreqPer : public CZANFunction {
public:
    enum ItemId : int {
        kMeasurementItem = 76,  // "Freq" / "Period": the marked text is the measurement
        kRangeItem = 77,
        kRelItem = 78,
        kRangeAuto = 79,
        kRange200mV = 80,
        kRange2V = 81,
        kRange20V = 82,
        kRange200V = 83,
        kRange750V = 84,
    };

    explicit CZANFunctionFreqPer(IFrontPanel* panel);
    ~CZANFunctionFreqPer() override;

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
    // True while the object measures the period.
    bool IsPeriod() const { return !(name == "Frequency"); }

private:
    void ApplyRange();
    void ApplyMeasurement();
    // The unit of the measurement the display name stands for: "Hz" or "S".
    std::string MeasurementUnit() const;

    voltora::functions::SharedText rangeMode;
    voltora::functions::SharedText rangeText;
    std::string unit;  // user-interface thread only
    voltora::functions::SharedText unitPrefix;
};
