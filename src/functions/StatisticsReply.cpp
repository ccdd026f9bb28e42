#include "functions/StatisticsReply.h"

#include "scpi/AcquisitionCommands.h"

#include <array>
#include <cstddef>

using namespace voltora::scpi;

namespace voltora::functions {

std::string OverloadOrText(std::string_view field)
{
    return IsOverload(field) ? std::string("Overload") : std::string(field);
}

bool ParseStatisticsReply(std::string_view reply, StatisticsBlock& out)
{
    while (!reply.empty() && (reply.back() == '\n' || reply.back() == '\r')) {
        reply.remove_suffix(1);
    }
    std::array<std::string_view, 4> fields;
    std::size_t found = 0;
    std::size_t start = 0;
    while (found < fields.size()) {
        const std::size_t comma = reply.find(',', start);
        fields[found++] = reply.substr(start, comma == std::string_view::npos ? std::string_view::npos
                                                                               : comma - start);
        if (comma == std::string_view::npos) {
            break;
        }
        start = comma + 1;
    }
    if (found < fields.size()) {
        return false;
    }
    out.average = OverloadOrText(fields[0]);
    out.standardDeviation = OverloadOrText(fields[1]);
    out.maximum = OverloadOrText(fields[2]);
    out.minimum = OverloadOrText(fields[3]);
    return true;
}

}  // namespace voltora::functions
