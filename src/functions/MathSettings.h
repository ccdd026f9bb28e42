#pragma once

namespace voltora::functions {

// The process-wide limit settings, read from the meter when a function loads
// its settings and when the user edits a limit; shown by the math view.
struct MathSettings {
    int limitState = 0;
    double upperLimit = 0.0;
    double lowerLimit = 0.0;
};

MathSettings GetMathSettings();
void SetMathSettings(const MathSettings& settings);

}  // namespace voltora::functions
