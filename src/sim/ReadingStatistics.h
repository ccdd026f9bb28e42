#pragma once

#include <cstdint>
#include <string>

namespace voltora::sim {

// The meter's running statistics of the readings since they were last
// cleared: count, average, standard deviation, maximum, minimum and
// peak-to-peak. Overloaded readings are counted; they make the maximum (or
// minimum) an overload and the average, deviation and span overloads too,
// as a meter cannot average an overloaded input.
class ReadingStatistics {
public:
    void Clear();
    void Add(double value);

    std::int64_t Count() const { return count_; }
    double Average() const;
    // Sample standard deviation (n - 1); 0 for fewer than two readings.
    double StandardDeviation() const;
    double Maximum() const;
    double Minimum() const;
    double PeakToPeak() const;

    // "CALC:AVER:ALL?": average, standard deviation, maximum, minimum.
    void AppendAll(std::string& out) const;

private:
    bool HasOverload() const { return positiveOverloads_ + negativeOverloads_ > 0; }

    std::int64_t count_ = 0;
    // Welford's running mean and sum of squared deviations of the readings
    // that were not overloads.
    std::int64_t inRange_ = 0;
    double mean_ = 0.0;
    double m2_ = 0.0;
    double maximum_ = 0.0;
    double minimum_ = 0.0;
    std::int64_t positiveOverloads_ = 0;
    std::int64_t negativeOverloads_ = 0;
};

// True for the values a meter reports for an overloaded input.
bool IsOverloadValue(double value);

}  // namespace voltora::sim
