#pragma once

#include <string>

namespace voltora::functions {

// The numeric entry of the continuity and diode thresholds: a text of a sign,
// four digits, a blank and a unit ("+0050 $OHM$", "+2000 mV"), edited digit
// by digit with the panel's arrow keys. The cursor counts the four digits
// from the left (1 = thousands, 4 = units); up and down add or take away one
// at the cursor's digit, within 0 and the upper limit.
//
// User-interface thread only.
class ThresholdEntry {
public:
    // Arrow keys of the panel (PressKey indexes).
    static constexpr int kLeftKey = 6;
    static constexpr int kRightKey = 7;
    static constexpr int kUpKey = 8;
    static constexpr int kDownKey = 9;

    ThresholdEntry(std::string unit, int upperLimit);

    // The threshold text of `value`: "+%04d" followed by a blank and the unit.
    std::string Text(int value) const;
    // The number the four digits after the sign of `threshold` stand for
    // (0 when they are not digits, as after a failed read-back).
    static int Digits(const std::string& threshold);
    // Whether `threshold` starts with a sign and four digits. A read-back
    // that failed leaves a text without them, which is not sent.
    static bool HasDigits(const std::string& threshold);

    int Cursor() const { return cursor_; }

    // Left and right move the cursor within the four digits. Up and down
    // step `threshold` at the cursor's digit, keeping it when the step would
    // leave 0 ... upper limit. Returns true for up and down (the threshold
    // is to be sent, also when the limit kept it), false for other keys.
    bool PressArrow(int key, std::string& threshold);

private:
    std::string unit_;
    int upperLimit_;
    int cursor_ = 1;
};

}  // namespace voltora::functions
