#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class CZANFunction;

// The trend chart's data, as the last trend fetch left it.
struct TrendSnapshot {
    int count = 0;
    double minimum = 0.0;  // least value above -9.9e37 (the first value whatever it is)
    double maximum = 0.0;  // greatest value below 9.9e37 (the first value whatever it is)
    std::string rangeText;  // the range label of the function that fetched
    std::string modeText;   // "ALL" or "REC"
    int elapsedSeconds = 0;  // since the function's elapsed-time origin
    std::vector<double> values;  // count values, oldest first in "ALL", newest first in "REC"
};

// The histogram's data, as the last histogram fetch left it.
struct HistogramSnapshot {
    int binCount = 0;
    int readingCount = 0;
    int autoRange = 0;   // the meter chose the histogram range itself
    int belowCount = 0;
    int aboveCount = 0;
    double lower = 0.0;
    double upper = 0.0;
    std::vector<double> bins;  // binCount counts
};

// Worker operations, run inside a cycle with the function's lock held. Each
// builds a new snapshot and publishes it whole; see the readers below.
void FetchTrendData(CZANFunction& function);
void FetchHistogramData();

namespace voltora::functions {

// Readers (any thread). Each copies the latest published snapshot into `out`
// under a short lock and returns its number; 0 means nothing has been
// published yet (then `out` is left alone). A snapshot's number only grows,
// so a reader can skip a copy when ...SnapshotNumber() has not changed.
std::uint64_t ReadTrendSnapshot(TrendSnapshot& out);
std::uint64_t TrendSnapshotNumber();
std::uint64_t ReadHistogramSnapshot(HistogramSnapshot& out);
std::uint64_t HistogramSnapshotNumber();

// The reply parsers behind the fetches (pure; used by tests and benchmarks).
//
// Trend: `reply` is the reply text; `cutByBuffer` says it filled the reply
// buffer, so that a last value without the reply's line end is incomplete
// and is left out. Fills count, values, minimum and maximum of `out`.
void ParseTrendReply(std::string_view reply, bool cutByBuffer, bool modeAll, TrendSnapshot& out);
// Histogram: fills every field but autoRange's meaning from `reply`; false,
// with `out` unusable, when the reply has fewer fields than it must have
// (then the previous snapshot stays published).
bool ParseHistogramReply(std::string_view reply, int autoRange, HistogramSnapshot& out);

}  // namespace voltora::functions
