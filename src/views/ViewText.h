#pragma once

#include <QString>

#include <array>
#include <optional>
#include <string>
#include <string_view>

// Texts shared by the views: conversion between the program's narrow label
// texts and the controls' texts, the prefix table of the scale fields and
// the scale label formats.
namespace voltora::views {

// The ten prefix texts of the scale fields, by index; index 4 (a blank) is
// no prefix. A value typed with prefix i is multiplied by 1000^(i - 4).
inline constexpr std::array<const char*, 10> kPrefixTexts = {"p", "n", "u", "m", " ",
                                                             "k", "M", "G", "T", "P"};
inline constexpr int kNoPrefixIndex = 4;

// 1000 to the power (index - 4); 1 for an index outside the table (a list
// without a selection).
double PrefixFactor(int index);

// A narrow label text as a control shows it (tokens such as "$OHM$" drawn
// as their symbols).
QString DisplayText(std::string_view text);
// The narrow text of a control's text (numbers typed into edit fields).
std::string NarrowText(const QString& text);

// A number typed into a view's edit field, read in the C locale as a whole:
// optional sign, digits with an optional point, optional exponent ("1.51",
// "-.5", "2E-3"), blanks around it allowed. Nothing for any other text, so
// that a typo is refused instead of being read as 0 or as its first digits.
std::optional<double> ParseTypedNumber(std::string_view text);

// What a view says when a typed bound is not a number.
inline constexpr const char* kTypedNumberCaption = "Voltora";
inline constexpr const char* kTypedNumberMessage =
    "The value is not a number, please enter one such as 1.51 or -2.5E-3";

// A scale bound typed into an edit field times the factor of the prefix
// chosen beside it (index into kPrefixTexts); nothing when the text is not
// a number.
std::optional<double> TypedScaleBound(const QString& text, int prefixIndex);

// A typed bound or limit with its prefix letter ("15m", "-1k", "2 "), read
// as a range label (ParseRangeValue: the leading digits and the one
// character after them, so "1.5m" reads as 1), after an optional leading
// sign, which a range label never has: "-1 " is -1, not 0.
double ParseTypedValue(std::string_view text);

// A scale label of the bar meter and trend chart: the value scaled into
// 1 ... 1000 with its prefix, "%.3f" followed by the prefix text, so a
// value without prefix ends in a blank ("-200.000m", "0.000 ").
std::string ScaleLabelText(double value);

// A scaled value of the histogram: "%.3f" without prefix, "%.3f" followed
// by the prefix letter otherwise ("40.000", "1.500k").
std::string CompactScaledText(double value);

// The labels of one axis (low, middle, high), as ScaleLabelText or
// CompactScaledText give them but with as many decimals (three at least,
// nine at most) as it takes for neighbouring labels of different values to
// read differently: around 1.503 V, "1.5029", "1.5030", "1.5031" rather
// than "1.503" three times.
std::array<std::string, 3> ScaleLabelTexts(double low, double middle, double high);
std::array<std::string, 3> CompactScaledTexts(double low, double middle, double high);

// A count (of readings, of a bin): a whole number without prefix ("314"),
// CompactScaledText from a thousand on ("1.500k").
std::string CountText(double count);

}  // namespace voltora::views
