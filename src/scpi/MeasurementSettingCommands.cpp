#include "scpi/MeasurementSettingCommands.h"

#include "platform/CNumbers.h"
#include "scpi/AcquisitionCommands.h"
#include "scpi/InstrumentExchange.h"

using voltora::platform::CAtof;
using voltora::platform::CFormat;

namespace voltora::scpi {

namespace {

void SetSpeed(const std::string& prefix, const std::string& label)
{
    if (label == "Slow") {
        SendCommand(prefix + ":NPLC 10");
    } else if (label == "Middle") {
        SendCommand(prefix + ":NPLC 1");
    } else {
        SendCommand(prefix + ":NPLC 0.3");
    }
}

std::string QuerySpeed(const std::string& prefix)
{
    const std::string reply = QueryReply(prefix + ":NPLC?", kReplyBufferSize);
    if (reply.empty()) {
        return reply;
    }
    const double nplc = CAtof(reply);
    if (nplc <= 0.5) {
        return "Fast";
    }
    if (nplc <= 1) {
        return "Middle";
    }
    return "Slow";
}

void SetFilter(const std::string& prefix, const std::string& label)
{
    SendCommand(prefix + (label == "On" ? ":FILTER ON" : ":FILTER OFF"));
}

std::string QueryFilter(const std::string& prefix)
{
    const std::string reply = QueryReply(prefix + ":FILTER?", kReplyBufferSize);
    if (reply.empty()) {
        return reply;
    }
    return Contains(reply, "0") ? "Off" : "On";
}

// Threshold replies are shown as a signed whole number of at least four
// digits ("+0050"); the value is held in single precision.
std::string ThresholdLabel(float value)
{
    const std::string label = CFormat("%04.0f", static_cast<double>(value));
    if (!Contains(label, "+") && !Contains(label, "-")) {
        return "+" + label;
    }
    return label;
}

}  // namespace

void SetVoltDcSpeed(const std::string& label) { SetSpeed("VOLT:DC", label); }
std::string QueryVoltDcSpeed() { return QuerySpeed("VOLT:DC"); }
void SetCurrDcSpeed(const std::string& label) { SetSpeed("CURR:DC", label); }
std::string QueryCurrDcSpeed() { return QuerySpeed("CURR:DC"); }
void SetVoltAcSpeed(const std::string& label) { SetSpeed("VOLT:AC", label); }
std::string QueryVoltAcSpeed() { return QuerySpeed("VOLT:AC"); }
void SetCurrAcSpeed(const std::string& label) { SetSpeed("CURR:AC", label); }
std::string QueryCurrAcSpeed() { return QuerySpeed("CURR:AC"); }
void SetResSpeed(const std::string& label) { SetSpeed("RES", label); }
std::string QueryResSpeed() { return QuerySpeed("RES"); }
void SetFresSpeed(const std::string& label) { SetSpeed("FRES", label); }
std::string QueryFresSpeed() { return QuerySpeed("FRES"); }

void SetVoltDcFilter(const std::string& label) { SetFilter("VOLT:DC", label); }
std::string QueryVoltDcFilter() { return QueryFilter("VOLT:DC"); }
void SetCurrDcFilter(const std::string& label) { SetFilter("CURR:DC", label); }
std::string QueryCurrDcFilter() { return QueryFilter("CURR:DC"); }

void SetVoltDcImpedance(const std::string& label)
{
    SendCommand(label == "10M" ? "VOLT:DC:IMP 10M" : "VOLT:DC:IMP 10G");
}

std::string QueryVoltDcImpedance()
{
    const std::string reply = QueryReply("VOLT:DC:IMP?", kReplyBufferSize);
    if (reply.empty()) {
        return reply;
    }
    return Contains(reply, "10M") ? "10M" : "10G";
}

void SetContinuityThreshold(const std::string& value)
{
    SendCommand("CONT:THR:VALUE " + value);
}

std::string QueryContinuityThreshold()
{
    const std::string reply = QueryReply("CONT:THR:VALUE?", kReplyBufferSize);
    if (reply.empty()) {
        return reply;
    }
    return ThresholdLabel(static_cast<float>(CAtof(WithoutLastChar(reply))));
}

void SetDiodeThreshold(const std::string& value)
{
    SendCommand("DIODE:THR:VALUE " + value);
}

std::string QueryDiodeThreshold()
{
    const std::string reply = QueryReply("DIODE:THR:VALUE?", kReplyBufferSize);
    if (reply.empty()) {
        return reply;
    }
    // The meter answers in volts; the label is in millivolts.
    const float volts = static_cast<float>(CAtof(WithoutLastChar(reply)));
    return ThresholdLabel(volts * 1000.0f);
}

void SetBeeper(const std::string& label)
{
    SendCommand(label == "On" ? "SYST:BEEP:STAT ON" : "SYST:BEEP:STAT OFF");
}

std::string QueryBeeper()
{
    const std::string reply = QueryReply("SYST:BEEP:STATE?", kReplyBufferSize);
    if (reply.empty()) {
        return reply;
    }
    return Contains(reply, "1") ? "On" : "Off";
}

}  // namespace voltora::scpi
