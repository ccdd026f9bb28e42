#include "app/CommandLine.h"

#include "sim/backend/SimulatedMeterBackend.h"

namespace voltora::app {
namespace {

constexpr const char* kResourceOption = "--resource";
constexpr const char* kResourceOptionWithValue = "--resource=";

}  // namespace

CommandLineOptions ParseCommandLine(const std::vector<std::string>& arguments)
{
    CommandLineOptions options;
    bool simulate = false;
    bool resourceGiven = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--simulate") {
            simulate = true;
        } else if (argument == kResourceOption) {
            if (i + 1 >= arguments.size() || arguments[i + 1].empty()) {
                options.error = "--resource needs a resource string";
                return options;
            }
            options.resource = arguments[++i];
            resourceGiven = true;
        } else if (argument.rfind(kResourceOptionWithValue, 0) == 0) {
            options.resource = argument.substr(std::string(kResourceOptionWithValue).size());
            if (options.resource.empty()) {
                options.error = "--resource needs a resource string";
                return options;
            }
            resourceGiven = true;
        } else if (argument == "--help" || argument == "-h") {
            options.help = true;
        } else if (argument == "--version") {
            options.version = true;
        } else {
            options.error = "unknown argument: " + argument;
            return options;
        }
    }
    if (simulate && resourceGiven) {
        options.error = "--simulate and --resource cannot be combined";
        return options;
    }
    if (simulate) {
        options.resource = sim::SimulatedMeterBackend::kResource;
    }
    return options;
}

std::vector<std::string> WithoutToolkitOptions(const std::vector<std::string>& arguments)
{
    std::vector<std::string> kept;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        const bool toolkitOption = argument.size() > 2 && argument[0] == '-' && argument[1] != '-';
        if (!toolkitOption) {
            kept.push_back(argument);
        } else if (i + 1 < arguments.size() && !arguments[i + 1].empty() && arguments[i + 1][0] != '-') {
            ++i;  // the option's value
        }
    }
    return kept;
}

std::string UsageText()
{
    return "Usage: voltora [--simulate | --resource R] [--help] [--version]\n"
           "\n"
           "Remote-controls a ZAN bench digital multimeter.\n"
           "\n"
           "  --simulate     connect at start to the built-in simulated meter (" +
           std::string(sim::SimulatedMeterBackend::kResource) +
           ")\n"
           "  --resource R   connect at start to the meter at VISA resource R, for example\n"
           "                 USB0::0x5345::0x1234::SN1::INSTR or TCPIP0::192.168.1.20::inst0::INSTR\n"
           "  --help         print this text and exit\n"
           "  --version      print the version and exit\n"
           "\n"
           "Without an option the program starts unconnected; use Control > Connect.\n";
}

std::string VersionText()
{
    return VOLTORA_VERSION;
}

std::string VersionLine()
{
    return "Voltora, Version " + VersionText();
}

}  // namespace voltora::app
