#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace voltora::tools {

// What voltora-log is asked to do.
struct LogOptions {
    std::string resource;
    std::string function;        // short name ("DCV"); empty: the meter's current function
    double intervalSeconds = 0;  // between the starts of two readings; 0: as fast as the meter answers
    std::uint64_t count = 0;     // stop after this many rows; 0: no limit
    double durationSeconds = 0;  // stop after this long; 0: no limit
    std::string output;          // empty or "-": standard output
    bool help = false;
};

// A measurement function as voltora-log names it on its command line.
struct LogFunction {
    const char* shortName;  // "DCV"
    const char* keyWord;    // "VOLT" (sent with SetFunction)
    const char* name;       // "DC Voltage" (the log's function column)
    const char* unit;       // base unit with display tokens ("V", "$OHM$")
};

// The functions voltora-log knows, in command-line order.
const std::vector<LogFunction>& LogFunctions();
// By short name or key word, ASCII case folded; null when unknown.
const LogFunction* FindLogFunction(const std::string& name);

// Reads the arguments (without the program name); false with `error` set
// when they do not make sense. Numbers are read in the C locale.
bool ParseLogOptions(const std::vector<std::string>& arguments, LogOptions& options,
                     std::string& error);

// The --help text.
std::string LogUsage();

}  // namespace voltora::tools
