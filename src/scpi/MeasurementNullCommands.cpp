#include "scpi/MeasurementNullCommands.h"

#include "scpi/AcquisitionCommands.h"
#include "scpi/InstrumentExchange.h"

namespace voltora::scpi {

namespace {

void SetNull(const std::string& prefix, const std::string& label)
{
    SendCommand(prefix + (label == "On" ? ":NULL ON" : ":NULL OFF"));
    // The automatic null value is switched on whether null is on or off.
    SendCommand(prefix + ":NULL:VALUE:AUTO ON");
}

std::string QueryNull(const std::string& prefix)
{
    const std::string reply = QueryReply(prefix + ":NULL?", kReplyBufferSize);
    if (reply.empty()) {
        return reply;
    }
    return Contains(reply, "0") ? "Off" : "On";
}

void SetNullValue(const std::string& prefix, const std::string& value)
{
    SendCommand(prefix + ":NULL:VALUE " + value);
}

std::string QueryNullValue(const std::string& prefix)
{
    return QueryReply(prefix + ":NULL:VALUE?", kReplyBufferSize);
}

}  // namespace

void SetVoltDcNull(const std::string& label) { SetNull("VOLT:DC", label); }
std::string QueryVoltDcNull() { return QueryNull("VOLT:DC"); }
void SetVoltDcNullValue(const std::string& value) { SetNullValue("VOLT:DC", value); }
std::string QueryVoltDcNullValue() { return QueryNullValue("VOLT:DC"); }

void SetCurrDcNull(const std::string& label) { SetNull("CURR:DC", label); }
std::string QueryCurrDcNull() { return QueryNull("CURR:DC"); }
void SetCurrDcNullValue(const std::string& value) { SetNullValue("CURR:DC", value); }
std::string QueryCurrDcNullValue() { return QueryNullValue("CURR:DC"); }

void SetVoltAcNull(const std::string& label) { SetNull("VOLT:AC", label); }
std::string QueryVoltAcNull() { return QueryNull("VOLT:AC"); }
void SetVoltAcNullValue(const std::string& value) { SetNullValue("VOLT:AC", value); }
std::string QueryVoltAcNullValue() { return QueryNullValue("VOLT:AC"); }

void SetCurrAcNull(const std::string& label) { SetNull("CURR:AC", label); }
std::string QueryCurrAcNull() { return QueryNull("CURR:AC"); }
void SetCurrAcNullValue(const std::string& value) { SetNullValue("CURR:AC", value); }
std::string QueryCurrAcNullValue() { return QueryNullValue("CURR:AC"); }

void SetResNull(const std::string& label) { SetNull("RES", label); }
std::string QueryResNull() { return QueryNull("RES"); }
void SetResNullValue(const std::string& value) { SetNullValue("RES", value); }
std::string QueryResNullValue() { return QueryNullValue("RES"); }

void SetFresNull(const std::string& label) { SetNull("FRES", label); }
std::string QueryFresNull() { return QueryNull("FRES"); }
void SetFresNullValue(const std::string& value) { SetNullValue("FRES", value); }
std::string QueryFresNullValue() { return QueryNullValue("FRES"); }

void SetCapNull(const std::string& label) { SetNull("CAP", label); }
std::string QueryCapNull() { return QueryNull("CAP"); }
void SetCapNullValue(const std::string& value) { SetNullValue("CAP", value); }
std::string QueryCapNullValue() { return QueryNullValue("CAP"); }

void SetFreqNull(const std::string& label) { SetNull("FREQ", label); }
std::string QueryFreqNull() { return QueryNull("FREQ"); }
void SetFreqNullValue(const std::string& value) { SetNullValue("FREQ", value); }
std::string QueryFreqNullValue() { return QueryNullValue("FREQ"); }

}  // namespace voltora::scpi
