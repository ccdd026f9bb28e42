#pragma once

#include <array>
#include <string>
#include <string_view>

// Function selection, acquisition control and reading queries.
//
// Every operation of the command set performs one write or one query through
// the bound connection (BindConnection in InstrumentExchange.h). None of them
// reports an error: a failed transfer leaves an empty reply, which yields an
// empty text, 0, 0.0 or false. Replies keep the meter's trailing "\n" unless
// an operation says it cuts the reply.

namespace voltora::scpi {

// The names under which the program knows the measurement functions, and
// which SetFunction accepts.
inline constexpr std::array<const char*, 12> kFunctionKeyWords = {
    "VOLT", "CURR", "VOLT:AC", "CURR:AC", "RES", "FRES",
    "CAP",  "FREQ", "PER",     "CONT",    "DIOD", "TEMP"};

// Reply buffer of single-value queries.
inline constexpr unsigned kReplyBufferSize = 32;
// Reply buffer of "FETCh?".
inline constexpr unsigned kFetchBufferSize = 160000;
// Readings at or beyond +/- this value are overloads.
inline constexpr double kOverloadLevel = 9.9e37;

// Selects the measurement function: "VOLT" sends FUNC "VOLT:DC", "CURR" sends
// FUNC "CURR:DC", the other key words are sent quoted as they are. A word
// outside the list writes an empty command text.
void SetFunction(const std::string& keyWord);
// "FUNCTION?": the text between the first and the last double quote of the
// reply (the key word); a reply without quotes is returned whole.
std::string QueryFunction();

// "TRIG:COUN INF".
void SetTriggerCountInfinite();
// "INIT".
void Initiate();
// "ABORt".
void Abort();
// "TRIG:DEL:AUTO ON" for exactly "Auto"; otherwise "TRIG:DEL <delay>".
void SetTriggerDelay(const std::string& delay);
// "TRIG:DEL:AUTO?": true exactly when the reply is "1\n".
bool QueryTriggerDelayAuto();
// "TRIG:DEL?": the raw reply.
std::string QueryTriggerDelay();
// "OUTP:TRIG:SLOP <slope>" ("POS" or "NEG").
void SetTriggerSlope(const std::string& slope);
// "SAMP:COUN <count>".
void SetSampleCount(const std::string& count);
// "SAMP:COUN?": the raw reply.
std::string QuerySampleCount();

// "DATA:LAST?": the reply up to its first blank, or "Overload" for an
// overload value; empty for an empty reply.
std::string QueryLastReading();
// The same as QueryLastReading.
std::string QueryMeasurement();
// As QueryLastReading, with "open" in place of "Overload".
std::string QueryContinuityReading();
// "DATA:POINts?" read as an integer.
int QueryDataPoints();
// "FETCh?": the raw reply, at most kFetchBufferSize bytes.
std::string FetchReadings();

// "REFresh".
void Refresh();
// "$$SY_FP 21,0".
void SendPanelCode();

// True when the text read as a number is >= 9.9e37 or <= -9.9e37. No traffic.
bool IsOverload(std::string_view text);

}  // namespace voltora::scpi
