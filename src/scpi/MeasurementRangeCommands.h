#pragma once

#include <string>

// Range settings of the measurement functions, exchanged as labels such as
// "Auto", "200mV", "2V", "20mA", "2k$OHM$", "10M$OHM$", "2nF", "200uF".
//
// Set...Range turns a label into one range command ("Auto" selects automatic
// range). Query...Range stores the label built from the meter's reply in
// `label` and returns the number of characters of its number part (3 for
// "200mV", 1 for "2V"); an empty reply gives an empty label and 0.
// Query...RangeAuto returns "Manual" when the reply contains a 0, else "Auto".

namespace voltora::scpi {

void SetVoltDcRange(const std::string& label);
int QueryVoltDcRange(std::string& label);
std::string QueryVoltDcRangeAuto();

void SetCurrDcRange(const std::string& label);
int QueryCurrDcRange(std::string& label);
std::string QueryCurrDcRangeAuto();

void SetVoltAcRange(const std::string& label);
int QueryVoltAcRange(std::string& label);
std::string QueryVoltAcRangeAuto();

void SetCurrAcRange(const std::string& label);
int QueryCurrAcRange(std::string& label);
std::string QueryCurrAcRangeAuto();

void SetResRange(const std::string& label);
int QueryResRange(std::string& label);
std::string QueryResRangeAuto();

void SetFresRange(const std::string& label);
int QueryFresRange(std::string& label);
std::string QueryFresRangeAuto();

void SetCapRange(const std::string& label);
int QueryCapRange(std::string& label);
std::string QueryCapRangeAuto();

// Frequency/period: the range is the input voltage range ("FREQ:VOLT:RANGE").
void SetFreqRange(const std::string& label);
int QueryFreqRange(std::string& label);
std::string QueryFreqRangeAuto();

}  // namespace voltora::scpi
