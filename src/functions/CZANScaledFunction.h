#pragma once

#include "functions/CZANRangedFunction.h"

// A ranged function with dB/dBm scaling (DC and AC voltage): while scaling
// is on, the display shows the scaled value and the scale's unit.
class CZANScaledFunction : public CZANRangedFunction {
public:
    // The ranged function's start, and the scale information is available.
    void Initialise() override;
    std::string GetValueText() override;
    std::string GetUnitText() override;
    bool LoadMathInfo() override;
    voltora::functions::MathInfo GetMathInfo() override;
    void SetMathMode(int state) override;
    void SetMathUnitText(const std::string& text) override;
    void SetMathDbReference(int reference) override;
    void SetMathDbmReference(int reference) override;
    void SetMathReferenceAuto(int state) override;

protected:
    // `tellViewsUnit`: a new scale unit goes to the views at once (DC
    // voltage); otherwise they keep theirs until the next function or
    // math-mode change.
    CZANScaledFunction(IFrontPanel* panel, const char* name, const Commands& commands,
                       const MenuIds& ids, const Profile& profile, bool tellViewsUnit);

    voltora::functions::MathInfo mathInfo;  // user-interface thread only

private:
    static bool LoadScaleInfo(voltora::functions::MathInfo& info);
    void SendScaleSetting(bool (*command)(int), int value, int& field);
    // Sends the scale function ("DB" or anything else for "DBM"); unitText
    // becomes "dB" or "dBm"; `tellViews` gives it to the views' unit.
    void SendScaleFunction(voltora::functions::MathInfo& info, const std::string& text, bool tellViews);
    // The scaled reading: two decimals, "m" in info.prefix below 1.
    static std::string FormatScaledReading(const std::string& reading, voltora::functions::MathInfo& info);

    bool tellViewsUnit_;
};
