#include "scpi/AcquisitionCommands.h"

#include <utility>

#include "platform/CNumbers.h"
#include "scpi/InstrumentExchange.h"

using voltora::platform::CAtof;
using voltora::platform::CAtoi;

namespace voltora::scpi {

namespace {

// Key word and the command that selects its function.
constexpr std::pair<const char*, const char*> kFunctionCommands[] = {
    {"VOLT", "FUNC \"VOLT:DC\""}, {"CURR", "FUNC \"CURR:DC\""},
    {"VOLT:AC", "FUNC \"VOLT:AC\""}, {"CURR:AC", "FUNC \"CURR:AC\""},
    {"RES", "FUNC \"RES\""},       {"FRES", "FUNC \"FRES\""},
    {"CAP", "FUNC \"CAP\""},       {"FREQ", "FUNC \"FREQ\""},
    {"PER", "FUNC \"PER\""},       {"CONT", "FUNC \"CONT\""},
    {"DIOD", "FUNC \"DIOD\""},     {"TEMP", "FUNC \"TEMP\""},
};

}  // namespace

void SetFunction(const std::string& keyWord)
{
    std::string command;
    for (const auto& [word, text] : kFunctionCommands) {
        if (keyWord == word) {
            command = text;
            break;
        }
    }
    SendCommand(command);
}

std::string QueryFunction()
{
    const std::string reply = QueryReply("FUNCTION?", kReplyBufferSize);
    const std::size_t first = reply.find('"');
    if (first == std::string::npos) {
        return reply;
    }
    const std::size_t last = reply.rfind('"');
    if (last == first) {
        // One quote only: nothing stands between two quotes.
        return std::string();
    }
    return reply.substr(first + 1, last - first - 1);
}

void SetTriggerCountInfinite()
{
    SendCommand("TRIG:COUN INF");
}

void Initiate()
{
    SendCommand("INIT");
}

void Abort()
{
    SendCommand("ABORt");
}

void SetTriggerDelay(const std::string& delay)
{
    if (delay == "Auto") {
        SendCommand("TRIG:DEL:AUTO ON");
    } else {
        SendCommand("TRIG:DEL " + delay);
    }
}

bool QueryTriggerDelayAuto()
{
    return QueryReply("TRIG:DEL:AUTO?", kReplyBufferSize) == "1\n";
}

std::string QueryTriggerDelay()
{
    return QueryReply("TRIG:DEL?", kReplyBufferSize);
}

void SetTriggerSlope(const std::string& slope)
{
    SendCommand("OUTP:TRIG:SLOP " + slope);
}

void SetSampleCount(const std::string& count)
{
    SendCommand("SAMP:COUN " + count);
}

std::string QuerySampleCount()
{
    return QueryReply("SAMP:COUN?", kReplyBufferSize);
}

std::string QueryLastReading()
{
    std::string reply = QueryReply("DATA:LAST?", kReplyBufferSize);
    if (reply.empty()) {
        return reply;
    }
    // The value stands before the first blank; the unit after it is dropped.
    const std::size_t blank = reply.find(' ');
    if (blank != std::string::npos) {
        reply.resize(blank);
    }
    if (IsOverload(reply)) {
        return "Overload";
    }
    return reply;
}

std::string QueryMeasurement()
{
    return QueryLastReading();
}

std::string QueryContinuityReading()
{
    std::string reading = QueryLastReading();
    if (reading == "Overload") {
        return "open";
    }
    return reading;
}

int QueryDataPoints()
{
    return CAtoi(QueryReply("DATA:POINts?", kReplyBufferSize));
}

std::string FetchReadings()
{
    return QueryReply("FETCh?", voltora::scpi::kFetchBufferSize);
}

void Refresh()
{
    SendCommand("REFresh");
}

void SendPanelCode()
{
    SendCommand("$$SY_FP 21,0");
}

bool IsOverload(std::string_view text)
{
    const double value = CAtof(text);
    return value >= voltora::scpi::kOverloadLevel || value <= -voltora::scpi::kOverloadLevel;
}

}  // namespace voltora::scpi
