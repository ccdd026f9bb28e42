#include "scpi/MathCommands.h"

#include <cstring>

#include "platform/CNumbers.h"
#include "scpi/AcquisitionCommands.h"
#include "scpi/InstrumentExchange.h"

using voltora::platform::CAtof;
using voltora::platform::CAtoi;
using voltora::platform::CFormat;

namespace voltora::scpi {

namespace {

// Longest command texts the meter is sent for these settings.
constexpr std::size_t kStateCommandLimit = 31;
constexpr std::size_t kLimitCommandLimit = 63;
constexpr std::size_t kScaleCommandLimit = 63;

// Sends a formatted command unless it is longer than `limit`; a number cut to
// fit would be a different setting.
bool SendWithinLimit(const std::string& command, std::size_t limit)
{
    if (command.size() > limit) {
        return false;
    }
    return SendCommand(command);
}

}  // namespace

void ClearStatistics()
{
    SendCommand("CALCulate:AVERage:CLEar");
}

void QueryStatisticsAll(char* buffer, unsigned& size)
{
    std::memset(buffer, 0, size);
    size = QueryIntoBuffer("CALCulate:AVERage:ALL?", buffer, size);
}

std::string QueryPeakToPeak()
{
    return QueryReply("CALCulate:AVERage:PTPeak?", kReplyBufferSize);
}

double QueryStatisticsCount()
{
    return CAtof(QueryReply("CALCulate:AVERage:COUNt?", kReplyBufferSize));
}

bool SetLimitState(int state)
{
    return SendWithinLimit(CFormat("CALCulate:LIMit:STATe %d", state), kStateCommandLimit);
}

bool SetLimitLower(double value)
{
    return SendWithinLimit(CFormat("CALCulate:LIMit:LOWer %.12f", value), kLimitCommandLimit);
}

bool SetLimitUpper(double value)
{
    return SendWithinLimit(CFormat("CALCulate:LIMit:UPPer %.12f", value), kLimitCommandLimit);
}

int QueryLimitState()
{
    return CAtoi(QueryReply("CALCulate:LIMit:STATe?", kReplyBufferSize));
}

double QueryLimitLower()
{
    return CAtof(QueryReply("CALCulate:LIMit:LOWer?", kReplyBufferSize));
}

double QueryLimitUpper()
{
    return CAtof(QueryReply("CALCulate:LIMit:UPPer?", kReplyBufferSize));
}

bool SetScaleState(int state)
{
    return SendWithinLimit(CFormat("CALCulate:SCALe:STATe %d", state), kStateCommandLimit);
}

bool SetScaleFunction(const std::string& function)
{
    return SendWithinLimit(CFormat("CALCulate:SCALe:FUNCtion %s", function.c_str()),
                           kScaleCommandLimit);
}

bool SetDbReference(int reference)
{
    return SendWithinLimit(CFormat("CALCulate:SCALe:DB:REFerence %d", reference), kScaleCommandLimit);
}

bool SetDbmReference(int reference)
{
    return SendWithinLimit(CFormat("CALCulate:SCALe:DBM:REFerence %d", reference), kScaleCommandLimit);
}

bool SetScaleReferenceAuto(int state)
{
    return SendWithinLimit(CFormat("CALCulate:SCALe:REFerence:AUTO %d", state), kScaleCommandLimit);
}

int QueryScaleState()
{
    return CAtoi(QueryReply("CALCulate:SCALe:STATe?", kReplyBufferSize));
}

std::string QueryScaleFunction()
{
    const std::string reply = QueryReply("CALCulate:SCALe:FUNCtion?", kReplyBufferSize);
    if (reply.empty()) {
        // No reply, no scaling label.
        return reply;
    }
    std::string_view function = reply;
    function = function.substr(0, function.find(';'));
    return WithoutLastChar(function) == "DB" ? "dB" : "dBm";
}

int QueryDbReference()
{
    return TruncateToInt(CAtof(QueryReply("CALCulate:SCALe:DB:REFerence?", kReplyBufferSize)));
}

int QueryDbmReference()
{
    return TruncateToInt(CAtof(QueryReply("CALCulate:SCALe:DBM:REFerence?", kReplyBufferSize)));
}

int QueryScaleReferenceAuto()
{
    return TruncateToInt(CAtof(QueryReply("CALCulate:SCALe:REFerence:AUTO?",
                                          voltora::scpi::kScaleReferenceAutoReplySize)));
}

}  // namespace voltora::scpi
