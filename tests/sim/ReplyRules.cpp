#include "ReplyRules.h"

#include "platform/CNumbers.h"

namespace voltora::sim::test {

using platform::CAtof;
using platform::CFormat;

std::string Chomp(std::string_view reply)
{
    if (!reply.empty() && reply.back() == '\n') {
        reply.remove_suffix(1);
    }
    return std::string(reply);
}

double Number(std::string_view text)
{
    return CAtof(text);
}

std::vector<std::string> SplitFields(std::string_view text, char separator)
{
    std::vector<std::string> fields;
    std::size_t start = 0;
    while (true) {
        const std::size_t at = text.find(separator, start);
        fields.emplace_back(text.substr(start, at == std::string_view::npos ? std::string_view::npos : at - start));
        if (at == std::string_view::npos) {
            return fields;
        }
        start = at + 1;
    }
}

bool IsOverload(std::string_view text)
{
    const double value = CAtof(text);
    return value >= 9.9e37 || value <= -9.9e37;
}

std::string ReadingText(std::string_view reply)
{
    if (reply.empty()) {
        return {};
    }
    const std::string value(reply.substr(0, reply.find(' ')));
    return IsOverload(value) ? "Overload" : value;
}

std::string FunctionKeyWord(std::string_view reply)
{
    const std::size_t first = reply.find('"');
    const std::size_t last = reply.rfind('"');
    if (first == std::string_view::npos || first == last) {
        return std::string(reply);
    }
    return std::string(reply.substr(first + 1, last - first - 1));
}

std::string RangeLabel(std::string_view prefix, std::string_view reply)
{
    if (reply.size() < 2) {
        return {};
    }
    std::string_view rest = reply.substr(0, reply.size() - 1);
    const bool dropsFirst =
        prefix == "VOLT:DC" || prefix == "VOLT:AC" || prefix == "CURR:DC" || prefix == "CURR:AC" || prefix == "CAP";
    if (dropsFirst) {
        rest.remove_prefix(1);
    }
    const double x = CAtof(rest);
    if (prefix == "VOLT:DC" || prefix == "VOLT:AC" || prefix == "FREQ") {
        return x < 1 ? "200mV" : CFormat("%dV", static_cast<int>(x));
    }
    if (prefix == "CURR:DC" || prefix == "CURR:AC") {
        if (x < static_cast<double>(0.001f)) {
            return CFormat("%duA", static_cast<int>(x * 1000000));
        }
        return x < 1 ? CFormat("%dmA", static_cast<int>(x * 1000)) : CFormat("%dA", static_cast<int>(x));
    }
    if (prefix == "RES" || prefix == "FRES") {
        if (x < 1000) {
            return CFormat("%d$OHM$", static_cast<int>(x));
        }
        return x < 1000000 ? CFormat("%dk$OHM$", static_cast<int>(x / 1000))
                           : CFormat("%dM$OHM$", static_cast<int>(x / 1000000));
    }
    if (prefix == "CAP") {
        return x < 0.000001 ? CFormat("%.fnF", x * 1000000000) : CFormat("%.fuF", x * 1000000);
    }
    return {};
}

std::string RangeCommand(std::string_view prefix, std::string_view label)
{
    const std::string p(prefix);
    const std::string l(label);
    const std::string rangeHeader = (p == "FREQ" ? std::string("FREQ:VOLT") : p) + ":RANGE";
    const bool hasAuto = p == "VOLT:DC" ? l == "Auto" : l.find("Auto") != std::string::npos;
    if (hasAuto) {
        return rangeHeader + ":AUTO ON";
    }
    auto contains = [&](const char* unit) { return l.find(unit) != std::string::npos; };
    auto withoutLast = [&](std::size_t n) { return l.substr(0, l.size() - n); };
    if (p == "VOLT:DC" && contains("mV")) {
        return CFormat("VOLT:DC:RANGE %.3f", static_cast<double>(0.2f));
    }
    if ((p == "VOLT:AC" || p == "FREQ") && contains("mV")) {
        return rangeHeader + CFormat(" %.6f", static_cast<double>(0.2f));
    }
    if (p == "CURR:DC" && contains("uA")) {
        return CFormat("CURR:DC:RANGE %.6f", static_cast<double>(0.0002f));
    }
    if ((p == "CURR:DC" || p == "CURR:AC") && contains("mA")) {
        return rangeHeader + CFormat(" %.3f", CAtof(withoutLast(2)) / 1000);
    }
    if (p == "RES" || p == "FRES") {
        if (contains("M$OHM$")) {
            return rangeHeader + CFormat(" %.1f", CAtof(l) * 1000000);
        }
        if (contains("k$OHM$")) {
            return rangeHeader + CFormat(" %.1f", CAtof(l) * 1000);
        }
        return rangeHeader + " " + withoutLast(5);
    }
    if (p == "CAP") {
        if (contains("nF")) {
            return CFormat("CAP:RANGE %.10f", CAtof(l) / 1000000000);
        }
        return contains("uF") ? CFormat("CAP:RANGE %.10f", CAtof(l) / 1000000) : std::string();
    }
    return rangeHeader + " " + withoutLast(1);
}

std::string SpeedLabel(std::string_view reply)
{
    const double value = CAtof(reply);
    return value <= 0.5 ? "Fast" : (value <= 1 ? "Middle" : "Slow");
}

namespace {

std::string ThresholdLabel(std::string_view reply, float factor)
{
    if (reply.empty()) {
        return {};
    }
    const float value = static_cast<float>(CAtof(Chomp(reply))) * factor;
    std::string text = CFormat("%04.0f", static_cast<double>(value));
    if (text.find_first_of("+-") == std::string::npos) {
        text.insert(0, "+");
    }
    return text;
}

}  // namespace

std::string ContinuityThresholdLabel(std::string_view reply)
{
    return ThresholdLabel(reply, 1.0f);
}

std::string DiodeThresholdLabel(std::string_view reply)
{
    return ThresholdLabel(reply, 1000.0f);
}

std::string SensorValueText(std::string_view reply)
{
    const std::string text = Chomp(reply);
    const std::size_t bar = text.find('|');
    const std::size_t start = bar == std::string::npos ? 0 : bar + 1;
    const std::size_t comma = text.rfind(',');
    const std::size_t end = comma == std::string::npos || comma < start ? text.size() : comma;
    return text.substr(start, end - start);
}

std::vector<std::string> TransducerNames(std::string_view reply)
{
    const std::string text = Chomp(reply);
    std::vector<std::string> names;
    if (text == "NONE") {
        return names;
    }
    for (const std::string& piece : SplitFields(text)) {
        const std::size_t blank = piece.find(' ');
        names.push_back(blank == std::string::npos ? piece : piece.substr(blank + 1));
    }
    return names;
}

Histogram ParseHistogram(std::string_view reply)
{
    Histogram histogram;
    const std::vector<std::string> fields = SplitFields(Chomp(reply));
    if (fields.size() < 5) {
        return histogram;
    }
    histogram.lower = CAtof(fields[0]);
    histogram.upper = CAtof(fields[1]);
    histogram.readingCount = platform::CAtoi(fields[2]);
    histogram.below = platform::CAtoi(fields[3]);
    histogram.above = platform::CAtoi(fields.back());
    for (std::size_t i = 4; i + 1 < fields.size(); ++i) {
        histogram.fineBins.push_back(platform::CAtoi(fields[i]));
    }
    return histogram;
}

std::vector<int> GroupAutoBins(const Histogram& histogram)
{
    const int n = histogram.readingCount;
    const int binCount = n <= 100 ? 10 : (n <= 500 ? 20 : (n <= 1000 ? 40 : 100));
    const int group = 400 / binCount;
    std::vector<int> bins(binCount, 0);
    for (int b = 0; b < binCount; ++b) {
        for (int i = 0; i < group; ++i) {
            const std::size_t field = static_cast<std::size_t>(b * group + i);
            bins[b] += field < histogram.fineBins.size() ? histogram.fineBins[field] : 0;
        }
    }
    return bins;
}

}  // namespace voltora::sim::test
