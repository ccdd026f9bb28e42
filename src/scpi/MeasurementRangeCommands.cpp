#include "scpi/MeasurementRangeCommands.h"

#include <string_view>

#include "platform/CNumbers.h"
#include "scpi/AcquisitionCommands.h"
#include "scpi/InstrumentExchange.h"

using voltora::platform::CAtof;
using voltora::platform::CFormat;

namespace voltora::scpi {

namespace {

// The meter's lowest voltage range and lowest current range, as the
// single-precision constants the range commands have always been built from.
constexpr float kMillivoltRange = 0.2f;
constexpr float kMicroampRange = 0.0002f;
// Below this (single precision, so exactly 0.001 still counts) a current range
// is shown in microamperes.
constexpr float kMicroampLimit = 0.001f;

// The label without its last `count` characters (empty when it is shorter).
std::string WithoutLast(const std::string& label, std::size_t count)
{
    return label.size() > count ? label.substr(0, label.size() - count) : std::string();
}

// The number in front of `unit` in the label.
double NumberBefore(const std::string& label, std::string_view unit)
{
    return CAtof(std::string_view(label).substr(0, label.find(unit)));
}

std::string QueryRangeAuto(const std::string& prefix)
{
    const std::string reply = QueryReply(prefix + ":RANGE:AUTO?", kReplyBufferSize);
    if (reply.empty()) {
        return reply;
    }
    return Contains(reply, "0") ? "Manual" : "Auto";
}

// Which rule turns a range value into a label.
enum class RangeKind { Voltage, Current, Resistance, Capacitance };

// Reads "<prefix>:RANGE?" and builds the label. The voltage, current and
// capacitance replies carry a sign in front of the number, which is dropped.
int QueryRange(const std::string& prefix, RangeKind kind, bool dropFirstChar,
               std::string& label)
{
    label.clear();
    const std::string reply = QueryReply(prefix + ":RANGE?", kReplyBufferSize);
    if (reply.empty()) {
        return 0;
    }
    std::string_view text = WithoutLastChar(reply);
    if (dropFirstChar) {
        if (text.empty()) {
            // Nothing but the terminator: no sign to drop and no value, so it
            // is treated as no reply.
            return 0;
        }
        text.remove_prefix(1);
    }
    const double x = CAtof(text);

    std::string number;
    const char* unit = "";
    switch (kind) {
    case RangeKind::Voltage:
        if (x < 1) {
            number = "200";
            unit = "mV";
        } else {
            number = CFormat("%d", TruncateToInt(x));
            unit = "V";
        }
        break;
    case RangeKind::Current:
        if (x < static_cast<double>(kMicroampLimit)) {
            number = CFormat("%d", TruncateToInt(x * 1000000));
            unit = "uA";
        } else if (x < 1) {
            number = CFormat("%d", TruncateToInt(x * 1000));
            unit = "mA";
        } else {
            number = CFormat("%d", TruncateToInt(x));
            unit = "A";
        }
        break;
    case RangeKind::Resistance:
        if (x < 1000) {
            number = CFormat("%d", TruncateToInt(x));
            unit = "$OHM$";
        } else if (x < 1000000) {
            number = CFormat("%d", TruncateToInt(x / 1000));
            unit = "k$OHM$";
        } else {
            number = CFormat("%d", TruncateToInt(x / 1000000));
            unit = "M$OHM$";
        }
        break;
    case RangeKind::Capacitance:
        if (x < 0.000001) {
            number = CFormat("%.f", x * 1000000000);
            unit = "nF";
        } else {
            number = CFormat("%.f", x * 1000000);
            unit = "uF";
        }
        break;
    }
    label = number + unit;
    return static_cast<int>(number.size());
}

// Resistance ranges are the same for the two-wire and four-wire prefixes.
void SetResistanceRange(const std::string& prefix, const std::string& label)
{
    if (Contains(label, "Auto")) {
        SendCommand(prefix + ":RANGE:AUTO ON");
    } else if (Contains(label, "M$OHM$")) {
        SendCommand(CFormat("%s:RANGE %.1f", prefix.c_str(), NumberBefore(label, "M$OHM$") * 1000000));
    } else if (Contains(label, "k$OHM$")) {
        SendCommand(CFormat("%s:RANGE %.1f", prefix.c_str(), NumberBefore(label, "k$OHM$") * 1000));
    } else {
        SendCommand(prefix + ":RANGE " + WithoutLast(label, 5));
    }
}

// Voltage ranges of the AC and frequency functions: "mV" selects the 200 mV
// range written with six decimals.
void SetAcVoltageRange(const std::string& prefix, const std::string& label)
{
    if (Contains(label, "Auto")) {
        SendCommand(prefix + ":RANGE:AUTO ON");
    } else if (Contains(label, "mV")) {
        SendCommand(CFormat("%s:RANGE %.6f", prefix.c_str(), static_cast<double>(kMillivoltRange)));
    } else {
        SendCommand(prefix + ":RANGE " + WithoutLast(label, 1));
    }
}

}  // namespace

void SetVoltDcRange(const std::string& label)
{
    // Only DC voltage needs the exact label "Auto".
    if (label == "Auto") {
        SendCommand("VOLT:DC:RANGE:AUTO ON");
    } else if (Contains(label, "mV")) {
        SendCommand(CFormat("VOLT:DC:RANGE %.3f", static_cast<double>(kMillivoltRange)));
    } else {
        SendCommand("VOLT:DC:RANGE " + WithoutLast(label, 1));
    }
}

int QueryVoltDcRange(std::string& label)
{
    return QueryRange("VOLT:DC", RangeKind::Voltage, true, label);
}

std::string QueryVoltDcRangeAuto()
{
    return QueryRangeAuto("VOLT:DC");
}

void SetCurrDcRange(const std::string& label)
{
    if (Contains(label, "Auto")) {
        SendCommand("CURR:DC:RANGE:AUTO ON");
    } else if (Contains(label, "uA")) {
        SendCommand(CFormat("CURR:DC:RANGE %.6f", static_cast<double>(kMicroampRange)));
    } else if (Contains(label, "mA")) {
        SendCommand(CFormat("CURR:DC:RANGE %.3f", CAtof(WithoutLast(label, 2)) / 1000));
    } else {
        SendCommand("CURR:DC:RANGE " + WithoutLast(label, 1));
    }
}

int QueryCurrDcRange(std::string& label)
{
    return QueryRange("CURR:DC", RangeKind::Current, true, label);
}

std::string QueryCurrDcRangeAuto()
{
    return QueryRangeAuto("CURR:DC");
}

void SetVoltAcRange(const std::string& label)
{
    SetAcVoltageRange("VOLT:AC", label);
}

int QueryVoltAcRange(std::string& label)
{
    return QueryRange("VOLT:AC", RangeKind::Voltage, true, label);
}

std::string QueryVoltAcRangeAuto()
{
    return QueryRangeAuto("VOLT:AC");
}

void SetCurrAcRange(const std::string& label)
{
    if (Contains(label, "Auto")) {
        SendCommand("CURR:AC:RANGE:AUTO ON");
    } else if (Contains(label, "mA")) {
        SendCommand(CFormat("CURR:AC:RANGE %.3f", CAtof(WithoutLast(label, 2)) / 1000));
    } else {
        SendCommand("CURR:AC:RANGE " + WithoutLast(label, 1));
    }
}

int QueryCurrAcRange(std::string& label)
{
    return QueryRange("CURR:AC", RangeKind::Current, true, label);
}

std::string QueryCurrAcRangeAuto()
{
    return QueryRangeAuto("CURR:AC");
}

void SetResRange(const std::string& label)
{
    SetResistanceRange("RES", label);
}

int QueryResRange(std::string& label)
{
    return QueryRange("RES", RangeKind::Resistance, false, label);
}

std::string QueryResRangeAuto()
{
    return QueryRangeAuto("RES");
}

void SetFresRange(const std::string& label)
{
    SetResistanceRange("FRES", label);
}

int QueryFresRange(std::string& label)
{
    return QueryRange("FRES", RangeKind::Resistance, false, label);
}

std::string QueryFresRangeAuto()
{
    return QueryRangeAuto("FRES");
}

void SetCapRange(const std::string& label)
{
    if (Contains(label, "Auto")) {
        SendCommand("CAP:RANGE:AUTO ON");
    } else if (Contains(label, "nF")) {
        SendCommand(CFormat("CAP:RANGE %.10f", NumberBefore(label, "nF") / 1000000000));
    } else if (Contains(label, "uF")) {
        SendCommand(CFormat("CAP:RANGE %.10f", NumberBefore(label, "uF") / 1000000));
    } else {
        // No capacitance range without a unit: an empty command text.
        SendCommand(std::string());
    }
}

int QueryCapRange(std::string& label)
{
    return QueryRange("CAP", RangeKind::Capacitance, true, label);
}

std::string QueryCapRangeAuto()
{
    return QueryRangeAuto("CAP");
}

void SetFreqRange(const std::string& label)
{
    SetAcVoltageRange("FREQ:VOLT", label);
}

int QueryFreqRange(std::string& label)
{
    return QueryRange("FREQ:VOLT", RangeKind::Voltage, false, label);
}

std::string QueryFreqRangeAuto()
{
    return QueryRangeAuto("FREQ:VOLT");
}

}  // namespace voltora::scpi
