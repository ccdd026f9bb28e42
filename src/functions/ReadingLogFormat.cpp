#include "functions/ReadingLogFormat.h"

#include "platform/CNumbers.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <ctime>

namespace voltora::functions {

namespace {

bool IsNumberText(std::string_view text)
{
    // The meter's number texts: optional sign, digits, optional point and
    // digits, optional exponent. Anything else is a word.
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        ++i;
    }
    bool digits = false;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        ++i;
        digits = true;
    }
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
            ++i;
            digits = true;
        }
    }
    if (!digits) {
        return false;
    }
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
            ++i;
        }
        bool exponentDigits = false;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
            ++i;
            exponentDigits = true;
        }
        if (!exponentDigits) {
            return false;
        }
    }
    return i == text.size();
}

std::string_view Trimmed(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r' ||
                             text.back() == '\n')) {
        text.remove_suffix(1);
    }
    return text;
}

void ReplaceAll(std::string& text, std::string_view token, std::string_view by)
{
    for (std::size_t at = text.find(token); at != std::string::npos;
         at = text.find(token, at + by.size())) {
        text.replace(at, token.size(), by);
    }
}

}  // namespace

std::string LogHeader(std::string_view identity, std::string_view resource)
{
    std::string header = "# Voltora reading log\n";
    header += "# instrument: " + OneLine(Trimmed(identity)) + "\n";
    header += "# resource: " + OneLine(resource) + "\n";
    header += kLogColumns;
    header += "\n";
    return header;
}

std::string LogRow(const LogReading& reading)
{
    std::string row = LocalIsoTime(reading.wallTime);
    row += ',';
    row += voltora::platform::CFormat("%.3f", reading.seconds);
    row += ',';
    row += CsvField(reading.function);
    row += ',';
    row += CsvField(PlainValue(reading.reading));
    row += ',';
    row += CsvField(LogUnitText(reading.unit));
    row += ',';
    row += CsvField(LogUnitText(reading.range));
    row += '\n';
    return row;
}

std::string LogEndLine(std::string_view reason, std::uint64_t rows, std::uint64_t dropped)
{
    std::string line = "# end: " + OneLine(reason) + "; " +
                       voltora::platform::CFormat("%llu rows", static_cast<unsigned long long>(rows));
    if (dropped > 0) {
        line += voltora::platform::CFormat("; %llu readings dropped (queue full)",
                                           static_cast<unsigned long long>(dropped));
    }
    line += '\n';
    return line;
}

std::string LogGapLine(std::uint64_t dropped)
{
    return voltora::platform::CFormat("# gap: %llu readings dropped here (queue full)\n",
                                      static_cast<unsigned long long>(dropped));
}

std::string LocalIsoTime(std::chrono::system_clock::time_point time)
{
    using namespace std::chrono;
    const auto sinceEpoch = time.time_since_epoch();
    auto whole = duration_cast<seconds>(sinceEpoch);
    auto millis = duration_cast<milliseconds>(sinceEpoch - whole).count();
    if (millis < 0) {  // before 1970: floor, not truncate
        millis += 1000;
        whole -= seconds(1);
    }
    const std::time_t seconds = static_cast<std::time_t>(whole.count());
    std::tm local{};
    localtime_r(&seconds, &local);
    const long offset = local.tm_gmtoff;
    const long offsetMinutes = (offset < 0 ? -offset : offset) / 60;
    return voltora::platform::CFormat("%04d-%02d-%02dT%02d:%02d:%02d.%03d%c%02ld:%02ld",
                                      local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                                      local.tm_hour, local.tm_min, local.tm_sec,
                                      static_cast<int>(millis), offset < 0 ? '-' : '+',
                                      offsetMinutes / 60, offsetMinutes % 60);
}

std::string PlainValue(std::string_view reading)
{
    const std::string_view text = Trimmed(reading);
    if (!IsNumberText(text)) {
        return std::string(text);
    }
    const double value = voltora::platform::CAtof(text);
    if (!std::isfinite(value)) {
        return std::string(text);
    }
    // Fixed notation, shortest text that reads back to the same double;
    // std::to_chars never looks at the locale.
    char buffer[400];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value == 0.0 ? 0.0 : value,
                                      std::chars_format::fixed);
    if (result.ec != std::errc()) {
        return std::string(text);
    }
    return std::string(buffer, result.ptr);
}

std::string LogUnitText(std::string_view text)
{
    std::string unit(text);
    ReplaceAll(unit, "$T_C$", "\xC2\xB0" "C");
    ReplaceAll(unit, "$T_F$", "\xC2\xB0" "F");
    ReplaceAll(unit, "$OHM$", "\xCE\xA9");
    return unit;
}

std::string CsvField(std::string_view text)
{
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) {
        return std::string(text);
    }
    std::string field = "\"";
    for (const char c : text) {
        if (c == '"') {
            field += '"';
        }
        field += c;
    }
    field += '"';
    return field;
}

std::string OneLine(std::string_view text)
{
    std::string line(text);
    for (char& c : line) {
        if (c == '\r' || c == '\n') {
            c = ' ';
        }
    }
    return line;
}

std::size_t LinePieceLength(std::string_view text, std::size_t from, std::uint64_t offset)
{
    const std::size_t room = kLogFileBlock - static_cast<std::size_t>(offset % kLogFileBlock);
    const std::size_t limit = std::min(text.size(), from + room);
    const std::size_t lastEnd = text.rfind('\n', limit - 1);
    if (lastEnd != std::string_view::npos && lastEnd >= from) {
        return lastEnd + 1 - from;
    }
    const std::size_t nextEnd = text.find('\n', from);
    return nextEnd == std::string_view::npos ? text.size() - from : nextEnd + 1 - from;
}

}  // namespace voltora::functions
