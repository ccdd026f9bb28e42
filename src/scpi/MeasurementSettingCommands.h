#pragma once

#include <string>

// Speed, filter, input impedance, thresholds and beeper, exchanged as labels.
//
// Speed: "Slow" sends "<prefix>:NPLC 10", "Middle" "<prefix>:NPLC 1", any
// other label "<prefix>:NPLC 0.3". The query gives "Fast" for a value up to
// 0.5, "Middle" up to 1 and "Slow" above.
// Filter: "On" sends ON, any other label OFF; the query gives "Off" when the
// reply contains a 0, else "On".
// Impedance: "10M" sends 10M, any other label 10G; the query gives "10M" when
// the reply contains "10M", else "10G".
// Every query gives an empty label for an empty reply.

namespace voltora::scpi {

void SetVoltDcSpeed(const std::string& label);
std::string QueryVoltDcSpeed();
void SetCurrDcSpeed(const std::string& label);
std::string QueryCurrDcSpeed();
void SetVoltAcSpeed(const std::string& label);
std::string QueryVoltAcSpeed();
void SetCurrAcSpeed(const std::string& label);
std::string QueryCurrAcSpeed();
void SetResSpeed(const std::string& label);
std::string QueryResSpeed();
void SetFresSpeed(const std::string& label);
std::string QueryFresSpeed();

void SetVoltDcFilter(const std::string& label);
std::string QueryVoltDcFilter();
void SetCurrDcFilter(const std::string& label);
std::string QueryCurrDcFilter();

void SetVoltDcImpedance(const std::string& label);
std::string QueryVoltDcImpedance();

// "CONT:THR:VALUE <value>".
void SetContinuityThreshold(const std::string& value);
// "CONT:THR:VALUE?" as a signed, zero-padded whole number: 50 gives "+0050".
std::string QueryContinuityThreshold();
// "DIODE:THR:VALUE <value>".
void SetDiodeThreshold(const std::string& value);
// "DIODE:THR:VALUE?" in millivolts, signed and zero-padded: 2 gives "+2000".
std::string QueryDiodeThreshold();

// "SYST:BEEP:STAT ON" for "On", "SYST:BEEP:STAT OFF" otherwise.
void SetBeeper(const std::string& label);
// "SYST:BEEP:STATE?": "On" when the reply contains a 1, else "Off".
std::string QueryBeeper();

}  // namespace voltora::scpi
