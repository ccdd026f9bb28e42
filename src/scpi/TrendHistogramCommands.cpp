#include "scpi/TrendHistogramCommands.h"

#include <algorithm>
#include <cstring>

#include "platform/CNumbers.h"
#include "scpi/AcquisitionCommands.h"
#include "scpi/InstrumentExchange.h"

using voltora::platform::CAtoi;
using voltora::platform::CFormat;

namespace voltora::scpi {

namespace {

// Longest histogram command text the meter is sent.
constexpr std::size_t kHistogramCommandLimit = 255;

char trendBuffer[kTrendBufferCapacity];
char histogramBuffer[kHistogramBufferCapacity];

// How far each shared buffer may hold bytes other than 0 (both start zeroed).
// Bytes past it were never written, so zeroing can stop there: a short reply
// in the 1 MiB trend buffer then costs what the reply costs, not a megabyte
// of zeroing.
unsigned trendBufferDirty = 0;
unsigned histogramBufferDirty = 0;

// Zeroes the first `size` bytes of the buffer (at most its capacity), reads
// the reply into them and leaves the number of bytes read in `size`.
void QueryList(const char* query, char* buffer, unsigned capacity, unsigned& dirty,
               unsigned& size)
{
    size = std::min(size, capacity);
    std::memset(buffer, 0, std::min(size, dirty));
    const unsigned dirtyBeyondRequest = dirty > size ? dirty : 0;
    const unsigned requested = size;
    size = QueryIntoBuffer(query, buffer, requested);
    // A failed read may have left part of a reply anywhere in the request.
    dirty = std::max(dirtyBeyondRequest, size == 0 ? requested : size);
}

bool SendHistogramCommand(const std::string& command)
{
    if (command.size() > kHistogramCommandLimit) {
        // Cutting the number to fit would send a different bound.
        return false;
    }
    return SendCommand(command);
}

// A bound with three decimals, and more (down to 1e-9) where the value has
// them: a bound of 15 microvolts is not sent as 0.000.
std::string BoundText(double bound)
{
    std::string text = CFormat("%.9f", bound);
    const std::size_t point = text.find('.');
    while (point != std::string::npos && text.size() > point + 4 && text.back() == '0') {
        text.pop_back();
    }
    return text;
}

}  // namespace

const char* TrendBuffer()
{
    return trendBuffer;
}

const char* HistogramBuffer()
{
    return histogramBuffer;
}

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
    QueryList("CALCulate:TRENd:CHARt:DATA?", trendBuffer, kTrendBufferCapacity, trendBufferDirty,
              size);
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
    return SendHistogramCommand("CALCulate:TRANsform:HISTogram:RANGe:LOWer " + BoundText(lower));
}

bool SetHistogramUpper(double upper)
{
    return SendHistogramCommand("CALCulate:TRANsform:HISTogram:RANGe:UPPer " + BoundText(upper));
}

void QueryHistogramAll(unsigned& size)
{
    QueryList("CALCulate:TRANsform:HISTogram:ALL?", histogramBuffer, kHistogramBufferCapacity,
              histogramBufferDirty, size);
}

int QueryHistogramRangeAuto()
{
    return CAtoi(QueryReply("CALCulate:TRANsform:HISTogram:RANGe:AUTO?", kReplyBufferSize));
}

}  // namespace voltora::scpi
