#pragma once

#include <string>

// Statistics, limit test and dB/dBm scaling, kept by the meter itself.
//
// The operations that format a number into their command return the result
// of the write. A formatted command longer than its limit (31 characters for
// the STATe commands, 63 for the LIMit and SCALe commands) is not sent at all
// and the operation returns false: a cut number would set a wrong value.

namespace voltora::scpi {
// Reply buffer of "CALCulate:SCALe:REFerence:AUTO?".
inline constexpr unsigned kScaleReferenceAutoReplySize = 8;
// Buffer the statistics refresh passes to QueryStatisticsAll.
inline constexpr unsigned kStatisticsReplySize = 256;

// "CALCulate:AVERage:CLEar".
void ClearStatistics();
// "CALCulate:AVERage:ALL?" into the caller's buffer: the first `size` bytes
// are zeroed, the reply is read into them and `size` becomes the number of
// bytes read. The text is "average,deviation,maximum,minimum\n".
void QueryStatisticsAll(char* buffer, unsigned& size);
// "CALCulate:AVERage:PTPeak?": the raw reply.
std::string QueryPeakToPeak();
// "CALCulate:AVERage:COUNt?" read as a number.
double QueryStatisticsCount();

// "CALCulate:LIMit:STATe %d".
bool SetLimitState(int state);
// "CALCulate:LIMit:LOWer %.12f".
bool SetLimitLower(double value);
// "CALCulate:LIMit:UPPer %.12f".
bool SetLimitUpper(double value);
// "CALCulate:LIMit:STATe?" read as an integer.
int QueryLimitState();
// "CALCulate:LIMit:LOWer?" read as a number.
double QueryLimitLower();
// "CALCulate:LIMit:UPPer?" read as a number.
double QueryLimitUpper();

// "CALCulate:SCALe:STATe %d".
bool SetScaleState(int state);
// "CALCulate:SCALe:FUNCtion %s" with "DB" or "DBM".
bool SetScaleFunction(const std::string& function);
// "CALCulate:SCALe:DB:REFerence %d".
bool SetDbReference(int reference);
// "CALCulate:SCALe:DBM:REFerence %d".
bool SetDbmReference(int reference);
// "CALCulate:SCALe:REFerence:AUTO %d".
bool SetScaleReferenceAuto(int state);
// "CALCulate:SCALe:STATe?" read as an integer.
int QueryScaleState();
// "CALCulate:SCALe:FUNCtion?": "dB" when the reply (before any ";", without
// its "\n") is "DB", otherwise "dBm". An empty reply gives an empty label.
std::string QueryScaleFunction();
// "CALCulate:SCALe:DB:REFerence?" read as a number and cut to an integer.
int QueryDbReference();
// "CALCulate:SCALe:DBM:REFerence?" read as a number and cut to an integer.
int QueryDbmReference();
// "CALCulate:SCALe:REFerence:AUTO?" (8-byte reply) read as a number and cut
// to an integer.
int QueryScaleReferenceAuto();

}  // namespace voltora::scpi
