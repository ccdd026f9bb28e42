#pragma once

// How the program's command layer reads the meter's replies: the reading cut
// at its first blank and the overload test, range replies turned into range
// labels, speed and threshold labels, the sensor value between "|" and the
// last ",", and the list replies. The simulator's replies are checked by
// reading them exactly this way.

#include <string>
#include <string_view>
#include <vector>

namespace voltora::sim::test {

// Reply without its trailing "\n" (the reply as given when it has none).
std::string Chomp(std::string_view reply);
double Number(std::string_view text);
std::vector<std::string> SplitFields(std::string_view text, char separator = ',');

// "DATA:LAST?": the text before the first blank, or "Overload".
std::string ReadingText(std::string_view reply);
bool IsOverload(std::string_view text);
// "FUNCTION?": between the first and the last double quote.
std::string FunctionKeyWord(std::string_view reply);

// Range reply to label for a command prefix ("VOLT:DC", "CURR:AC", "RES",
// "FRES", "CAP", "FREQ" ...).
std::string RangeLabel(std::string_view prefix, std::string_view reply);
// Range label to the command text that selects it.
std::string RangeCommand(std::string_view prefix, std::string_view label);

std::string SpeedLabel(std::string_view reply);
std::string ContinuityThresholdLabel(std::string_view reply);
std::string DiodeThresholdLabel(std::string_view reply);

// "TEMP:CAD?": the text after the first "|" and before the last ",".
std::string SensorValueText(std::string_view reply);
// "...:LIST?": the transducer names, or none for "NONE".
std::vector<std::string> TransducerNames(std::string_view reply);

// "CALC:TRAN:HIST:ALL?" read as the histogram view reads it.
struct Histogram {
    double lower = 0.0;
    double upper = 0.0;
    int readingCount = 0;
    int below = 0;
    int above = 0;
    std::vector<int> fineBins;  // the fields between below and above
};
Histogram ParseHistogram(std::string_view reply);
// Grouping of the 400 fine bins of an automatic-range histogram.
std::vector<int> GroupAutoBins(const Histogram& histogram);

}  // namespace voltora::sim::test
