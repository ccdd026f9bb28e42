#pragma once

#include <string>

// Null (relative) settings of the measurement functions.
//
// Set...Null sends "<prefix>:NULL ON" for "On" and "<prefix>:NULL OFF" for any
// other label, then always "<prefix>:NULL:VALUE:AUTO ON".
// Query...Null gives "Off" when the reply contains a 0, else "On" (empty for
// an empty reply).
// Set...NullValue sends "<prefix>:NULL:VALUE <value>"; Query...NullValue
// returns the raw reply of "<prefix>:NULL:VALUE?".

namespace voltora::scpi {

void SetVoltDcNull(const std::string& label);
std::string QueryVoltDcNull();
void SetVoltDcNullValue(const std::string& value);
std::string QueryVoltDcNullValue();

void SetCurrDcNull(const std::string& label);
std::string QueryCurrDcNull();
void SetCurrDcNullValue(const std::string& value);
std::string QueryCurrDcNullValue();

void SetVoltAcNull(const std::string& label);
std::string QueryVoltAcNull();
void SetVoltAcNullValue(const std::string& value);
std::string QueryVoltAcNullValue();

void SetCurrAcNull(const std::string& label);
std::string QueryCurrAcNull();
void SetCurrAcNullValue(const std::string& value);
std::string QueryCurrAcNullValue();

void SetResNull(const std::string& label);
std::string QueryResNull();
void SetResNullValue(const std::string& value);
std::string QueryResNullValue();

void SetFresNull(const std::string& label);
std::string QueryFresNull();
void SetFresNullValue(const std::string& value);
std::string QueryFresNullValue();

void SetCapNull(const std::string& label);
std::string QueryCapNull();
void SetCapNullValue(const std::string& value);
std::string QueryCapNullValue();

void SetFreqNull(const std::string& label);
std::string QueryFreqNull();
void SetFreqNullValue(const std::string& value);
std::string QueryFreqNullValue();

}  // namespace voltora::scpi
