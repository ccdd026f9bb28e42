#pragma once

#include <string>

// Trend record and histogram kept by the meter.
//
// The two list replies go to process-wide buffers owned here. Each is filled
// by its one query and read afterwards by the same caller; they have no lock,
// so no two threads may use the same buffer at once.

namespace voltora::scpi {

inline constexpr unsigned kTrendBufferCapacity = 1048576;
inline constexpr unsigned kHistogramBufferCapacity = 102400;

// The trend buffer (kTrendBufferCapacity bytes), filled by QueryTrendChartData.
const char* TrendBuffer();
// The histogram buffer (kHistogramBufferCapacity bytes), filled by
// QueryHistogramAll.
const char* HistogramBuffer();

// "CALCulate:TRENd:CHARt:MODe <mode>" ("ALL" or "REC").
void SetTrendChartMode(const std::string& mode);
// "CALCulate:TRENd:CHARt:MODe?": "ALL" when the reply contains "ALL",
// otherwise (an empty reply included) "REC".
std::string QueryTrendChartMode();
// "CALCulate:TRENd:CHARt:DATA?" into the trend buffer. In: `size` is the
// capacity to use (at most kTrendBufferCapacity; larger values are reduced to
// it); those bytes are zeroed first. Out: the number of bytes read.
void QueryTrendChartData(unsigned& size);

// "CALCulate:TRANsform:HISTogram:CLEar".
void ClearHistogram();
// "CALCulate:TRANsform:HISTogram:RANGe:AUTO 1" or "... AUTO 0".
void SetHistogramRangeAuto(bool automatic);
// "CALCulate:TRANsform:HISTogram:POINts %d".
bool SetHistogramPoints(int points);
// "CALCulate:TRANsform:HISTogram:RANGe:LOWer %.3f".
bool SetHistogramLower(double lower);
// "CALCulate:TRANsform:HISTogram:RANGe:UPPer %.3f".
bool SetHistogramUpper(double upper);
// "CALCulate:TRANsform:HISTogram:ALL?" into the histogram buffer; `size` as
// for QueryTrendChartData, limited to kHistogramBufferCapacity.
void QueryHistogramAll(unsigned& size);
// "CALCulate:TRANsform:HISTogram:RANGe:AUTO?" read as an integer (1: automatic).
int QueryHistogramRangeAuto();

}  // namespace voltora::scpi
