#include "tools/LogOptions.h"

#include <charconv>
#include <cmath>

namespace voltora::tools {

namespace {

bool EqualFolded(const std::string& a, const char* b)
{
    std::size_t i = 0;
    for (; i < a.size() && b[i] != '\0'; ++i) {
        const auto fold = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; };
        if (fold(a[i]) != fold(b[i])) {
            return false;
        }
    }
    return i == a.size() && b[i] == '\0';
}

bool ReadSeconds(const std::string& text, double& value)
{
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    return result.ec == std::errc() && result.ptr == end && std::isfinite(value) && value >= 0;
}

bool ReadCount(const std::string& text, std::uint64_t& value)
{
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    return result.ec == std::errc() && result.ptr == end && value > 0;
}

}  // namespace

const std::vector<LogFunction>& LogFunctions()
{
    static const std::vector<LogFunction> functions = {
        {"DCV", "VOLT", "DC Voltage", "V"},
        {"DCI", "CURR", "DC Current", "A"},
        {"ACV", "VOLT:AC", "AC Voltage", "V"},
        {"ACI", "CURR:AC", "AC Current", "A"},
        {"RES", "RES", "2 Wire Resistance", "$OHM$"},
        {"FRES", "FRES", "4 Wire Resistance", "$OHM$"},
        {"CAP", "CAP", "Capacitance", "F"},
        {"FREQ", "FREQ", "Frequency", "Hz"},
        {"PER", "PER", "Period", "S"},
        {"CONT", "CONT", "Continuity", "$OHM$"},
        {"DIOD", "DIOD", "Diode", "V"},
        {"TEMP", "TEMP", "Temperature", "$T_C$"},
    };
    return functions;
}

const LogFunction* FindLogFunction(const std::string& name)
{
    for (const LogFunction& function : LogFunctions()) {
        if (EqualFolded(name, function.shortName) || EqualFolded(name, function.keyWord)) {
            return &function;
        }
    }
    return nullptr;
}

bool ParseLogOptions(const std::vector<std::string>& arguments, LogOptions& options,
                     std::string& error)
{
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& name = arguments[i];
        if (name == "--help" || name == "-h") {
            options.help = true;
            continue;
        }
        if (name.rfind("--", 0) != 0) {
            error = "unexpected argument " + name;
            return false;
        }
        if (i + 1 >= arguments.size()) {
            error = "option " + name + " needs a value";
            return false;
        }
        const std::string& value = arguments[++i];
        if (name == "--resource") {
            options.resource = value;
        } else if (name == "--function") {
            if (FindLogFunction(value) == nullptr) {
                error = "unknown function " + value;
                return false;
            }
            options.function = FindLogFunction(value)->shortName;
        } else if (name == "--interval") {
            if (!ReadSeconds(value, options.intervalSeconds)) {
                error = "--interval needs a number of seconds, not " + value;
                return false;
            }
        } else if (name == "--count") {
            if (!ReadCount(value, options.count)) {
                error = "--count needs a whole number above 0, not " + value;
                return false;
            }
        } else if (name == "--duration") {
            if (!ReadSeconds(value, options.durationSeconds) || options.durationSeconds <= 0) {
                error = "--duration needs a number of seconds above 0, not " + value;
                return false;
            }
        } else if (name == "--output") {
            options.output = value;
        } else {
            error = "unknown option " + name;
            return false;
        }
    }
    if (options.help) {
        return true;
    }
    if (options.resource.empty()) {
        error = "--resource is required";
        return false;
    }
    if (options.count > 0 && options.durationSeconds > 0) {
        error = "--count and --duration cannot be used together";
        return false;
    }
    return true;
}

std::string LogUsage()
{
    std::string text =
        "Usage: voltora-log --resource R [--function F] [--interval S]\n"
        "                   [--count N | --duration S] [--output FILE]\n"
        "\n"
        "Logs the readings of a ZAN meter as CSV, one line per reading: local time\n"
        "(ISO 8601 with milliseconds and UTC offset), seconds since the start,\n"
        "function, value in base units, unit and range. Comment lines starting with\n"
        "\"#\" name the instrument and the resource at the top and say why logging\n"
        "ended at the bottom. Every line is written as soon as it is read and the\n"
        "file is synced to the disk at least once a second.\n"
        "\n"
        "  --resource R   VISA resource string of the meter (SIM0::ZAN::INSTR for the\n"
        "                 built-in simulated meter)\n"
        "  --function F   select this function first; without it the meter's current\n"
        "                 function is logged. F is one of:\n"
        "                ";
    for (const LogFunction& function : LogFunctions()) {
        text += " ";
        text += function.shortName;
    }
    text +=
        "\n"
        "  --interval S   seconds from one reading to the next (default 0: as fast\n"
        "                 as the meter answers)\n"
        "  --count N      stop after N readings\n"
        "  --duration S   stop after S seconds\n"
        "  --output FILE  write to FILE (replaced) instead of standard output\n"
        "  --help         show this text\n"
        "\n"
        "SIGINT (Ctrl+C) or SIGTERM ends logging cleanly: every reading taken is\n"
        "written, followed by the end line.\n"
        "\n"
        "Exit status: 0 when logging ended as asked (count, duration or signal);\n"
        "1 when the meter could not be opened or stopped answering, or the output\n"
        "could not be written (the rows written before stay valid); 2 for wrong\n"
        "arguments.\n";
    return text;
}

}  // namespace voltora::tools
