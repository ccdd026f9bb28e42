#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace voltora::sim {

// The meter's trend chart record. Its screen holds kPoints points, so both
// views of the record are reduced to at most that many:
// - recent: the last minute before the newest reading, one point per
//   60 s / kPoints time slot (the mean of the readings in the slot; a slot
//   without a reading holds the reading before it), newest first;
// - all: the whole acquisition since the record was cleared, oldest first,
//   each point the mean of an equal share of the readings.
// An overloaded reading makes its point an overload.
class TrendRecord {
public:
    static constexpr std::size_t kPoints = 400;
    static constexpr std::int64_t kRecentWindowNs = 60'000'000'000;

    TrendRecord();

    void Clear();
    void Add(std::int64_t timeNs, double value);

    std::vector<double> RecentPoints() const;
    std::vector<double> AllPoints() const;

    // The points written as a reply body: values separated by commas.
    void AppendRecent(std::string& out) const;
    void AppendAll(std::string& out) const;

private:
    struct Sample {
        std::int64_t timeNs;
        double value;
    };
    // Readings merged into one value; overloads are kept apart so that one
    // overloaded reading is not averaged away.
    struct Bucket {
        double sum = 0.0;
        std::int64_t count = 0;
        std::int64_t positiveOverloads = 0;
        std::int64_t negativeOverloads = 0;

        void Add(double value);
        void Merge(const Bucket& other);
        double Value() const;
    };

    static constexpr std::size_t kBucketCapacity = 2 * kPoints;
    static constexpr std::int64_t kSlotNs = kRecentWindowNs / static_cast<std::int64_t>(kPoints);

    void Compact();

    std::deque<Sample> recent_;
    std::vector<Bucket> buckets_;
    std::int64_t bucketSize_ = 1;
};

}  // namespace voltora::sim
