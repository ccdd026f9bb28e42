#include "functions/ThresholdEntry.h"

#include "platform/CNumbers.h"

#include <cctype>
#include <utility>

namespace voltora::functions {

namespace {

constexpr int kDigitCount = 4;
constexpr std::size_t kDigitLength = 4;

// 10 to the power (4 - cursor): the step of the digit under the cursor.
int StepAt(int cursor)
{
    int step = 1;
    for (int i = cursor; i < kDigitCount; ++i) {
        step *= 10;
    }
    return step;
}

}  // namespace

ThresholdEntry::ThresholdEntry(std::string unitText, int highestValue)
    : unit_(std::move(unitText)), upperLimit_(highestValue)
{
}

std::string ThresholdEntry::Text(int value) const
{
    return voltora::platform::CFormat("+%04d %s", value, unit_.c_str());
}

int ThresholdEntry::Digits(const std::string& threshold)
{
    if (threshold.empty()) {
        return 0;
    }
    // Only the digits right after the sign count, at most four of them.
    std::string digits;
    for (std::size_t i = 1; i < threshold.size() && digits.size() < kDigitLength; ++i) {
        if (!std::isdigit(static_cast<unsigned char>(threshold[i]))) {
            break;
        }
        digits += threshold[i];
    }
    return voltora::platform::CAtoi(digits);
}

bool ThresholdEntry::HasDigits(const std::string& threshold)
{
    if (threshold.size() < 1 + kDigitLength || (threshold[0] != '+' && threshold[0] != '-')) {
        return false;
    }
    for (std::size_t i = 1; i <= kDigitLength; ++i) {
        if (!std::isdigit(static_cast<unsigned char>(threshold[i]))) {
            return false;
        }
    }
    return true;
}

bool ThresholdEntry::PressArrow(int key, std::string& threshold)
{
    switch (key) {
    case kLeftKey:
        if (cursor_ > 1) {
            --cursor_;
        }
        return false;
    case kRightKey:
        if (cursor_ < kDigitCount) {
            ++cursor_;
        }
        return false;
    case kUpKey:
    case kDownKey: {
        const int value = Digits(threshold);
        const int stepped = key == kUpKey ? value + StepAt(cursor_) : value - StepAt(cursor_);
        if (stepped >= 0 && stepped <= upperLimit_) {
            threshold = Text(stepped);
        }
        return true;
    }
    default:
        return false;
    }
}

}  // namespace voltora::functions
