#include "scpi/TemperatureCommands.h"

#include "platform/CNumbers.h"
#include "scpi/AcquisitionCommands.h"
#include "scpi/InstrumentExchange.h"

using voltora::platform::CAtof;
using voltora::platform::CFormat;

namespace voltora::scpi {

namespace {

// The command prefix of a transducer definition and type; empty for a pair
// the meter does not know.
std::string TransducerPrefix(const std::string& definition, const std::string& type)
{
    if (definition == "MANU DEFINE") {
        if (type == "THER") {
            return "TEMP:MDEF:THER:TRAN ";
        }
        if (type == "RTD") {
            return "TEMP:MDEF:RTD:TRAN ";
        }
    } else if (definition == "USER DEFINE") {
        if (type == "THER") {
            return "TEMP:UDEF:THER:TRAN ";
        }
        if (type == "RTD") {
            return "TEMP:UDEF:RTD:TRAN ";
        }
    }
    return std::string();
}

bool QueryPoints(const char* prefix, const std::string& name, char* buffer, unsigned size)
{
    QueryIntoBuffer(prefix + name, buffer, size);
    return true;
}

}  // namespace

void SetTemperatureTransducer(const std::string& definition, const std::string& type,
                              const std::string& name)
{
    SendCommand(TransducerPrefix(definition, type) + name);
}

void SetTemperatureDisplay(const std::string& label)
{
    // "All" has no type command of its own.
    if (Contains(label, "All")) {
        return;
    }
    if (Contains(label, "Temp")) {
        SendCommand("TYPE:TEMP TEM");
    } else if (Contains(label, "Meas")) {
        SendCommand("TYPE:TEMP MEA");
    }
}

void SetTemperatureUnit(const std::string& label)
{
    if (Contains(label, "$T_C$")) {
        SendCommand("UNIT:TEMP C");
    } else if (Contains(label, "$T_F$")) {
        SendCommand("UNIT:TEMP F");
    } else {
        SendCommand("UNIT:TEMP K");
    }
}

void SetTempNull(const std::string& label)
{
    if (label == "On") {
        SendCommand("TEMP:NULL ON");
        SendCommand("TEMP:NULL:VALUE:AUTO ON");
    } else {
        SendCommand("TEMP:NULL OFF");
    }
}

void SetTempNullValue(const std::string& value)
{
    SendCommand("TEMP:NULL:VALUE " + value);
}

std::string QuerySensorValue()
{
    const std::string reply = QueryReply("TEMP:CAD?", voltora::scpi::kSensorValueReplySize);
    if (reply.empty()) {
        return reply;
    }
    // The measured value stands between the first "|" and the last ",".
    const std::string_view text = WithoutLastChar(reply);
    const std::size_t bar = text.find('|');
    const std::size_t begin = bar == std::string_view::npos ? 0 : bar + 1;
    const std::size_t comma = text.rfind(',');
    const std::size_t end = comma == std::string_view::npos ? text.size() : comma;
    const std::string_view value = end > begin ? text.substr(begin, end - begin) : std::string_view();
    if (IsOverload(value)) {
        return "Overload";
    }
    return CFormat("%.12f", CAtof(value));
}

std::string QueryTemperatureTransducer()
{
    return std::string(WithoutLastChar(QueryReply("TEMP:TRAN?", kReplyBufferSize)));
}

std::string QueryTemperatureDisplay()
{
    return std::string(WithoutLastChar(QueryReply("TYPE:TEMP?", kReplyBufferSize)));
}

std::string QueryTemperatureUnit()
{
    const std::string reply = QueryReply("UNIT:TEMP?", kReplyBufferSize);
    if (reply.empty()) {
        return reply;
    }
    if (Contains(reply, "C")) {
        return "$T_C$";
    }
    if (Contains(reply, "F")) {
        return "$T_F$";
    }
    return "K";
}

std::string QueryTempNull()
{
    const std::string reply = QueryReply("TEMP:NULL?", kReplyBufferSize);
    if (reply.empty()) {
        return reply;
    }
    return Contains(reply, "0") ? "Off" : "On";
}

std::string QueryTempNullValue()
{
    return QueryReply("TEMP:NULL:VALUE?", kReplyBufferSize);
}

bool QueryMdefTherPoints(const std::string& name, char* buffer, unsigned size)
{
    return QueryPoints("TEMP:MDEF:THER:TRAN:POIN? ", name, buffer, size);
}

bool QueryMdefRtdPoints(const std::string& name, char* buffer, unsigned size)
{
    return QueryPoints("TEMP:MDEF:RTD:TRAN:POIN? ", name, buffer, size);
}

bool QueryUdefTherPoints(const std::string& name, char* buffer, unsigned size)
{
    return QueryPoints("TEMP:UDEF:THER:TRAN:POIN? ", name, buffer, size);
}

bool QueryUdefRtdPoints(const std::string& name, char* buffer, unsigned size)
{
    return QueryPoints("TEMP:UDEF:RTD:TRAN:POIN? ", name, buffer, size);
}

bool QueryTransducerList(const std::string& queryText, std::vector<std::string>& names)
{
    const std::string reply = QueryReply(queryText, voltora::scpi::kTransducerListReplySize);
    if (reply.empty()) {
        return false;
    }
    const std::string_view list = WithoutLastChar(reply);
    if (list == "NONE") {
        return true;
    }
    // "1 K,2 J" lists numbered names; the name follows the first blank.
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = list.find(',', start);
        std::string_view piece = list.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start);
        const std::size_t blank = piece.find(' ');
        if (blank != std::string_view::npos) {
            piece.remove_prefix(blank + 1);
        }
        names.emplace_back(piece);
        if (comma == std::string_view::npos) {
            break;
        }
        start = comma + 1;
    }
    return true;
}

}  // namespace voltora::scpi
