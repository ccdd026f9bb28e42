#include "scpi/TrendHistogramCommands.h"

#include <algorithm>
#include <cstring>

#include "platform/CNumbers.h"
#include "scpi/AcquisitionCommands.h"
#include "scpi/InstrumentExchange.h"

using voltora::platform::CAtoi;
using voltora::platform::CFormat;
using voltora::scpi::Contains;
using voltora::scpi::kHistogramBufferCapacity;
using voltora::scpi::kReplyBufferSize;
using voltora::scpi::kTrendBufferCapacity;
using voltora::scpi::QueryIntoBuffer;
using voltora::scpi::QueryReply;
using voltora::scpi::SendCommand;

namespace {

// Longest histogram command text the meter is sent.
constexpr std::size_t kHistogramCommandLimit = 255;

char trendBuffer[kTrendBufferCapacity];
char histogramBuffer[kHistogramBufferCapacity];

// Zeroes the first `size` bytes of the buffer (at most its capacity), reads
// the reply into them and leaves the number of bytes read in `size`.
void QueryList(const char* query, char* buffer, unsigned capacity, unsigned& size)
{
    size = std::min(size, capacity);
    std::memset(buffer, 0, size);
    size = QueryIntoBuffer(query, buffer, size);
}

bool SendHistogramCommand(const std::string& command)
{
    if (command.size() > kHistogramCommandLimit) {
        // Cutting the number to fit would send a different bound.
        return false;
    }
    return SendCommand(command);
}

}  // namespace

namespace voltora::scpi {

char* TrendBuffer()
{
    return trendBuffer;
}

char* HistogramBuffer()
{
    return histogramBuffer;
}

}  // namespace voltora::scpi

void SetTrendChartMode(const std::string& mode)
{
    SendCommand("CALCulate:TRENd:CHARt:MODe " + mode);
}

std::string QueryTrendChartMode()
{
    const std::string reply = QueryReply("CALCulate:TRENd:CHARt:MODe?", kReplyBufferSize);
    return Contains(reply, "ALL") ? "ALL" : "REC";
}

void QueryTrendChartData(unsigned& size)
{
    QueryList("CALCulate:TRENd:CHARt:DATA?", trendBuffer, kTrendBufferCapacity, size);
}

void ClearHistogram()
{
    SendCommand("CALCulate:TRANsform:HISTogram:CLEar");
}

void SetHistogramRangeAuto(bool automatic)
{
    SendCommand(std::string("CALCulate:TRANsform:HISTogram:RANGe:AUTO ") + (automatic ? "1" : "0"));
}

bool SetHistogramPoints(int points)
{
    return SendHistogramCommand(CFormat("CALCulate:TRANsform:HISTogram:POINts %d", points));
}

bool SetHistogramLower(double lower)
{
    return SendHistogramCommand(CFormat("CALCulate:TRANsform:HISTogram:RANGe:LOWer %.3f", lower));
}

bool SetHistogramUpper(double upper)
{
    return SendHistogramCommand(CFormat("CALCulate:TRANsform:HISTogram:RANGe:UPPer %.3f", upper));
}

void QueryHistogramAll(unsigned& size)
{
    QueryList("CALCulate:TRANsform:HISTogram:ALL?", histogramBuffer, kHistogramBufferCapacity, size);
}

int QueryHistogramRangeAuto()
{
    return CAtoi(QueryReply("CALCulate:TRANsform:HISTogram:RANGe:AUTO?", kReplyBufferSize));
}
