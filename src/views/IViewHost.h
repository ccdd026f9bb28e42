#pragma once

#include <string>

class CZANFunction;

// What the analysis views ask of the front panel. The front panel implements
// it; the views never reach the meter or the function objects except through
// these operations. Every operation is called on the user-interface thread.
class IViewHost {
public:
    virtual ~IViewHost() = default;

    // The current function's display name ("DC Voltage", "Continuity", ...).
    virtual std::string CurrentFunctionName() = 0;
    // GetRangeText of the current function ("200mV", "2k$OHM$").
    virtual std::string CurrentRangeText() = 0;
    // The value text and the unit text the panel last put on its display
    // (the reading handler's value and unit texts, e.g. "+0.75645" and "VDC").
    virtual std::string CurrentValueText() = 0;
    virtual std::string CurrentUnitText() = 0;

    // Math view: SetMathMode (state) on the current function, then the views'
    // unit ("dB"/"dBm" of its MathInfo when state is not 0, else "V"), then
    // the display refresh.
    virtual void ApplyMathMode(int state) = 0;
    // Math view: SetMathUnitText (text: "DB" or "DBM"), then the display refresh.
    virtual void ApplyMathUnit(const std::string& text) = 0;
    // Math view: SetRelValue (text, "%.12f" of the typed value).
    virtual void ApplyRelValue(const std::string& text) = 0;
    // Math view: sends the lower / upper limit under the current function's
    // lock and stores the meter's reply in the process-wide limits record.
    virtual void SetLimitLow(double value) = 0;
    virtual void SetLimitHigh(double value) = 0;
    // Trend chart: SetTrendMode (text: "REC" or "ALL") on the current function.
    virtual void ApplyTrendMode(const std::string& text) = 0;

    // The current function object (never null once the panel has built its
    // functions). The views take its lock, with pauseRequested set
    // (CZANFunction::PauseGuard), around the commands they send themselves,
    // and call its SetMathDbReference / SetMathDbmReference /
    // SetMathReferenceAuto.
    virtual CZANFunction* CurrentFunction() = 0;
    // The current function's elapsed-time origin := the process clock (the
    // trend chart's "Elapsed Time" counts from it). Called by "Clear
    // Readings" while the views hold the function's lock: must not wait.
    virtual void RestartElapsedTime() = 0;
};
