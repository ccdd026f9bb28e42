#pragma once

#include <string>
#include <vector>

// Transducer, unit, display type and null of the temperature function, the
// sensor's raw measured value, and the meter's transducer lists and tables.

namespace voltora::scpi {
// Reply buffer of "TEMP:CAD?".
inline constexpr unsigned kSensorValueReplySize = 128;
// Reply buffer of the transducer list queries.
inline constexpr unsigned kTransducerListReplySize = 256;
// Buffer size callers pass to the POIN? queries.
inline constexpr unsigned kTransducerPointsReplySize = 10240;

// Chooses the transducer: definition "MANU DEFINE" or "USER DEFINE", type
// "THER" or "RTD"; sends "TEMP:<MDEF|UDEF>:<THER|RTD>:TRAN <name>". Any other
// pair sends the name alone.
void SetTemperatureTransducer(const std::string& definition, const std::string& type,
                              const std::string& name);
// "TYPE:TEMP TEM" for a label containing "Temp", "TYPE:TEMP MEA" for one
// containing "Meas"; nothing for "All" or anything else.
void SetTemperatureDisplay(const std::string& label);
// "UNIT:TEMP C" for "$T_C$", "UNIT:TEMP F" for "$T_F$", "UNIT:TEMP K" otherwise.
void SetTemperatureUnit(const std::string& label);
// "On": "TEMP:NULL ON" then "TEMP:NULL:VALUE:AUTO ON"; otherwise "TEMP:NULL OFF".
void SetTempNull(const std::string& label);
// "TEMP:NULL:VALUE <value>".
void SetTempNullValue(const std::string& value);

// "TEMP:CAD?": the value between the first "|" and the last "," written with
// "%.12f", or "Overload"; empty for an empty reply.
std::string QuerySensorValue();
// "TEMP:TRAN?" without its "\n"; empty for an empty reply.
std::string QueryTemperatureTransducer();
// "TYPE:TEMP?" without its "\n"; empty for an empty reply.
std::string QueryTemperatureDisplay();
// "UNIT:TEMP?": "$T_C$" if the reply contains C, else "$T_F$" if it contains
// F, else "K"; empty for an empty reply.
std::string QueryTemperatureUnit();
// "TEMP:NULL?": "Off" when the reply contains a 0, else "On"; empty for an
// empty reply.
std::string QueryTempNull();
// "TEMP:NULL:VALUE?": the raw reply.
std::string QueryTempNullValue();

// "TEMP:<MDEF|UDEF>:<THER|RTD>:TRAN:POIN? <name>": the raw reply is read into
// the caller's buffer of `size` bytes (kTransducerPointsReplySize), which the
// caller zeroes beforehand; a failed query leaves it as it was. Always true.
bool QueryMdefTherPoints(const std::string& name, char* buffer, unsigned size);
bool QueryMdefRtdPoints(const std::string& name, char* buffer, unsigned size);
bool QueryUdefTherPoints(const std::string& name, char* buffer, unsigned size);
bool QueryUdefRtdPoints(const std::string& name, char* buffer, unsigned size);

// Sends `queryText` (one of the "TEMP:...:TRAN:LIST?" queries) and appends the
// transducer names of the reply to `names`, in reply order. A reply
// "1 A,2 B\n" adds "A" and "B"; "NONE\n" adds nothing. False (and `names`
// unchanged) for an empty reply.
bool QueryTransducerList(const std::string& queryText, std::vector<std::string>& names);

}  // namespace voltora::scpi
