#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace voltora::sim {

// The meter's histogram of the readings since it was last cleared.
//
// Automatic range: kAutoBins fine bins over bounds that the meter chooses
// and widens as readings arrive (doubling the span and merging neighbouring
// bins, so no count is lost); only overloads fall outside.
// Manual range: the set number of bins between the set lower and upper
// bounds; readings outside count as below or above.
class HistogramRecord {
public:
    static constexpr std::size_t kAutoBins = 400;
    static constexpr int kMaxBins = 400;

    HistogramRecord();

    // Forgets the counts (and, in automatic range, the bounds).
    void Clear();

    // Each change of the binning clears the counts.
    void SetAutoRange(bool on);
    bool AutoRange() const { return autoRange_; }
    // Clamped to 1 ... kMaxBins.
    void SetBinCount(int bins);
    int BinCount() const { return manualBins_; }
    void SetLower(double lower);
    void SetUpper(double upper);
    // The bounds in force (in automatic range, the ones the meter chose).
    double Lower() const { return lower_; }
    double Upper() const { return upper_; }
    double ManualLower() const { return manualLower_; }
    double ManualUpper() const { return manualUpper_; }

    void Add(double value);

    std::int64_t ReadingCount() const { return readingCount_; }
    std::int64_t BelowCount() const { return below_; }
    std::int64_t AboveCount() const { return above_; }
    const std::vector<std::int64_t>& Bins() const { return bins_; }

    // "CALC:TRAN:HIST:ALL?": lower, upper, reading count, below, the bins,
    // above, separated by commas.
    void AppendAll(std::string& out) const;

private:
    void AddAuto(double value);
    void WidenToInclude(double value);
    void AddManual(double value);

    bool autoRange_ = true;
    int manualBins_ = 100;
    double manualLower_ = -1.0;
    double manualUpper_ = 1.0;

    bool hasBounds_ = false;
    double lower_ = 0.0;
    double upper_ = 0.0;
    std::vector<std::int64_t> bins_;
    std::int64_t readingCount_ = 0;
    std::int64_t below_ = 0;
    std::int64_t above_ = 0;
};

}  // namespace voltora::sim
