#pragma once

#include <cstdint>
#include <string>

namespace voltora::functions {

// The dB/dBm scale settings of a function, copied as a whole into the math view.
struct MathInfo {
    std::int32_t available = 0;  // 1 for the functions that offer dB/dBm scaling
    int mode = 0;                // scale state of the meter: 0 off, otherwise on
    std::string unitText;        // "dB" or "dBm"
    std::string prefix;          // "m" or empty, written while formatting a scaled reading
    int dbReference = 0;
    int dbmReference = 0;
    int referenceAuto = 0;       // automatic reference: 0 off, otherwise on
};

// The record of the functions without scaling: every field 0 or empty.
const MathInfo& DefaultMathInfo();

}  // namespace voltora::functions
