#pragma once

#include <cstdint>
#include <string>

namespace voltora::functions {

// The statistics the math view shows, as the meter reports them ("Overload"
// in place of an overload value).
struct StatisticsBlock {
    std::string minimum;
    std::string average;
    std::string maximum;
    std::string span;
    std::string standardDeviation;
    std::int32_t samples = 0;
};

}  // namespace voltora::functions
