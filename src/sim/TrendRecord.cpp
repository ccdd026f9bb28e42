#include "sim/TrendRecord.h"

#include "sim/NumberText.h"

namespace voltora::sim {
namespace {

void AppendValues(std::string& out, const std::vector<double>& values)
{
    out.reserve(out.size() + values.size() * 16);
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (i != 0) {
            out += ',';
        }
        AppendScientific(out, values[i], kReadingPrecision);
    }
}

}  // namespace

void TrendRecord::Bucket::Add(double value)
{
    ++count;
    if (value >= kOverloadValue) {
        ++positiveOverloads;
    } else if (value <= -kOverloadValue) {
        ++negativeOverloads;
    } else {
        sum += value;
    }
}

void TrendRecord::Bucket::Merge(const Bucket& other)
{
    sum += other.sum;
    count += other.count;
    positiveOverloads += other.positiveOverloads;
    negativeOverloads += other.negativeOverloads;
}

double TrendRecord::Bucket::Value() const
{
    if (positiveOverloads > 0) {
        return kOverloadValue;
    }
    if (negativeOverloads > 0) {
        return -kOverloadValue;
    }
    return count > 0 ? sum / static_cast<double>(count) : 0.0;
}

TrendRecord::TrendRecord()
{
    buckets_.reserve(kBucketCapacity);
}

void TrendRecord::Clear()
{
    recent_.clear();
    buckets_.clear();
    bucketSize_ = 1;
}

void TrendRecord::Add(std::int64_t timeNs, double value)
{
    recent_.push_back({timeNs, value});
    while (recent_.front().timeNs <= timeNs - kRecentWindowNs) {
        recent_.pop_front();
    }

    if (buckets_.empty() || buckets_.back().count >= bucketSize_) {
        if (buckets_.size() == kBucketCapacity) {
            Compact();
        }
        buckets_.emplace_back();
    }
    buckets_.back().Add(value);
}

void TrendRecord::Compact()
{
    // Every bucket is full here: merging neighbours halves their number and
    // doubles the readings each one stands for.
    for (std::size_t i = 0; i < buckets_.size() / 2; ++i) {
        Bucket merged = buckets_[2 * i];
        merged.Merge(buckets_[2 * i + 1]);
        buckets_[i] = merged;
    }
    buckets_.resize(buckets_.size() / 2);
    bucketSize_ *= 2;
}

std::vector<double> TrendRecord::RecentPoints() const
{
    std::vector<double> points;
    if (recent_.empty()) {
        return points;
    }
    const std::int64_t newest = recent_.back().timeNs;
    std::array<Bucket, kPoints> slots{};
    std::size_t oldestSlot = 0;
    for (auto it = recent_.rbegin(); it != recent_.rend(); ++it) {
        const auto slot = static_cast<std::size_t>((newest - it->timeNs) / kSlotNs);
        if (slot >= kPoints) {
            break;
        }
        slots[slot].Add(it->value);
        oldestSlot = slot;
    }
    points.resize(oldestSlot + 1);
    double held = 0.0;
    for (std::size_t k = oldestSlot + 1; k-- > 0;) {
        if (slots[k].count > 0) {
            held = slots[k].Value();
        }
        points[k] = held;
    }
    return points;
}

std::vector<double> TrendRecord::AllPoints() const
{
    std::vector<double> points;
    const std::size_t n = buckets_.size();
    if (n <= kPoints) {
        points.reserve(n);
        for (const Bucket& bucket : buckets_) {
            points.push_back(bucket.Value());
        }
        return points;
    }
    points.reserve(kPoints);
    for (std::size_t p = 0; p < kPoints; ++p) {
        Bucket merged;
        for (std::size_t i = p * n / kPoints; i < (p + 1) * n / kPoints; ++i) {
            merged.Merge(buckets_[i]);
        }
        points.push_back(merged.Value());
    }
    return points;
}

void TrendRecord::AppendRecent(std::string& out) const
{
    AppendValues(out, RecentPoints());
}

void TrendRecord::AppendAll(std::string& out) const
{
    AppendValues(out, AllPoints());
}

}  // namespace voltora::sim
