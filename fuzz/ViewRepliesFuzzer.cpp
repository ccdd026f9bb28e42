// The trend, histogram and statistics reply parsers on any reply text.
#include "FuzzCheck.h"
#include "FuzzInput.h"
#include "functions/StatisticsReply.h"
#include "functions/ViewData.h"

#include <cstdlib>

using namespace voltora::functions;

using voltora::fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size)
{
    voltora::fuzz::FuzzInput input(bytes, size);
    const std::uint8_t flags = input.Byte();
    const std::string_view reply = input.Rest();

    TrendSnapshot trend;
    voltora::functions::ParseTrendReply(reply, (flags & 1) != 0, (flags & 2) != 0, trend);
    Check(trend.count >= 0);
    Check(static_cast<std::size_t>(trend.count) == trend.values.size());

    HistogramSnapshot histogram;
    if (voltora::functions::ParseHistogramReply(reply, flags >> 2 & 1, histogram)) {
        Check(histogram.binCount >= 0);
        Check(static_cast<std::size_t>(histogram.binCount) == histogram.bins.size());
    }

    StatisticsBlock statistics;
    if (!voltora::functions::ParseStatisticsReply(reply, statistics)) {
        Check(statistics.average.empty() && statistics.minimum.empty());
    } else {
        Check(statistics.average.size() <= reply.size());
        Check(statistics.minimum.size() <= reply.size());
    }
    return 0;
}
