#pragma once

#include "functions/CZANFunction.h"
#include "platform/CNumbers.h"
#include "views/IViewHost.h"

#include <string>
#include <vector>

namespace voltora::views::testing {

// A front panel for the views: texts the test sets, the operations the views
// call recorded as "Operation argument" lines. With a function set, the
// Apply operations also reach it as the panel's would, so that the commands
// show up on the meter.
class FakeViewHost : public IViewHost {
public:
    std::string functionName = "DC Voltage";
    std::string rangeText = "2V";
    std::string valueText = "+1.00000";
    std::string unitText = "VDC";
    CZANFunction* function = nullptr;
    std::vector<std::string> calls;
    int elapsedRestarts = 0;

    std::string CurrentFunctionName() override { return functionName; }
    std::string CurrentRangeText() override { return rangeText; }
    std::string CurrentValueText() override { return valueText; }
    std::string CurrentUnitText() override { return unitText; }

    void ApplyMathMode(int state) override
    {
        calls.push_back("ApplyMathMode " + platform::CFormat("%d", state));
        if (function != nullptr) {
            function->SetMathMode(state);
        }
    }
    void ApplyMathUnit(const std::string& text) override
    {
        calls.push_back("ApplyMathUnit " + text);
        if (function != nullptr) {
            function->SetMathUnitText(text);
        }
    }
    void ApplyRelValue(const std::string& text) override
    {
        calls.push_back("ApplyRelValue " + text);
        if (function != nullptr) {
            function->SetRelValue(text);
        }
    }
    void SetLimitLow(double value) override { calls.push_back("SetLimitLow " + Number(value)); }
    void SetLimitHigh(double value) override { calls.push_back("SetLimitHigh " + Number(value)); }
    void ApplyTrendMode(const std::string& text) override
    {
        calls.push_back("ApplyTrendMode " + text);
        if (function != nullptr) {
            function->SetTrendMode(text);
        }
    }

    CZANFunction* CurrentFunction() override { return function; }
    void RestartElapsedTime() override { ++elapsedRestarts; }

private:
    static std::string Number(double value) { return platform::CFormat("%g", value); }
};

}  // namespace voltora::views::testing
