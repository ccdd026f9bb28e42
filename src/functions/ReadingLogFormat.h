#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// The text of a reading log: a CSV file with one line per reading. Every
// number is written in the C locale, whatever locale the process runs in.
//
//   # Voltora reading log
//   # instrument: ZAN,ZDM1000,SN1,1.0
//   # resource: TCPIP0::127.0.0.1::5025::SOCKET
//   time,seconds,function,value,unit,range
//   2026-12-08T09:15:02.125+01:00,0.000,DC Voltage,1.23456789,V,2V
//   ...
//   # end: logging stopped; 1234 rows
namespace voltora::functions {

// One reading as the worker received it.
struct LogReading {
    std::chrono::system_clock::time_point wallTime;  // when it arrived
    double seconds = 0.0;      // since logging began (monotonic clock)
    std::string function;      // the function's display name ("DC Voltage")
    std::string reading;       // the meter's number text, or a word ("Overload", "open")
    std::string unit;          // base unit, with display tokens ("V", "$OHM$", "$T_C$")
    std::string range;         // range text, with display tokens ("200mV", "2k$OHM$")
};

// The column names, in order.
inline constexpr const char* kLogColumns = "time,seconds,function,value,unit,range";

// The lines before the first row: what the file is, the instrument's identity
// and the resource it was reached through, then the column names.
std::string LogHeader(std::string_view identity, std::string_view resource);

// One row, ending in "\n".
std::string LogRow(const LogReading& reading);

// The closing comment line: why logging ended and how many rows it wrote.
std::string LogEndLine(std::string_view reason, std::uint64_t rows, std::uint64_t dropped);

// The comment line written where readings were dropped because the queue was full.
std::string LogGapLine(std::uint64_t dropped);

// ISO-8601 local time with milliseconds and the UTC offset:
// "2026-12-08T09:15:02.125+01:00".
std::string LocalIsoTime(std::chrono::system_clock::time_point time);

// The value column: a number text of the meter as a plain C-locale number
// in base units, no exponent prefix games ("+1.23456789E+00" -> "1.23456789",
// "-2.5E-03" -> "-0.0025"); anything that is not a number (the display's
// words "Overload", "open") is kept as it is.
std::string PlainValue(std::string_view reading);

// A unit or range text with the display tokens written as UTF-8 symbols
// ("$OHM$" -> "Ω", "$T_C$" -> "°C").
std::string LogUnitText(std::string_view text);

// A CSV field: quoted (with doubled quotes) when it holds a comma, a quote
// or a line break; a line break inside a comment line would end it, so
// comment texts go through OneLine.
std::string CsvField(std::string_view text);
std::string OneLine(std::string_view text);

// Lines go to the file in pieces that stay inside one block of this size.
inline constexpr std::size_t kLogFileBlock = 4096;

// The length of the next piece of `text` to write from `from` when the file
// is at `offset`: the whole lines that fit before the next block boundary,
// or else the one line that straddles it (or what is left, if it has no
// line end).
std::size_t LinePieceLength(std::string_view text, std::size_t from, std::uint64_t offset);

}  // namespace voltora::functions
