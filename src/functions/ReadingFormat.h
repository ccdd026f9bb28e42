#pragma once

#include <string>

namespace voltora::functions {

// One formatting of a reading for the display: the caller fills the inputs,
// FormatReading fills the outputs.
struct ReadingFormat {
    std::string valueText = "0.00000";  // in: the reading, such as +1.23456789E+00
    std::string rangeText;              // in: range label ("200mV", "2k$OHM$"); empty: scale automatically
    std::string signedText = "+0.00000";  // out: the value with its sign
    int digits = 8;                     // in: length of signedText, sign included
    int intDigits = 1;                  // out: leading decimal digits of rangeText
    std::string prefix = " ";           // out: engineering prefix of signedText (" " for none)
};

// Fills signedText, intDigits and prefix from valueText, rangeText and digits.
// Numbers are written in the C locale whatever the process locale is.
void FormatReading(ReadingFormat& format);

}  // namespace voltora::functions
