// voltora-scpi: sends SCPI commands to a meter through the same connection
// the desktop program uses, and prints the replies.

#include "link/CConectWithNI.h"
#include "visa/SimulatedMeterBackend.h"
#include "visa/Vxi11Discovery.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr unsigned kReplyBufferSize = 1u << 20;

void PrintUsage(std::FILE* out)
{
    std::fprintf(out,
                 "Usage: voltora-scpi [--resource R] [--list [--lan]] [--trace] COMMAND...\n"
                 "\n"
                 "Opens R (default: the simulated meter %s), sends each COMMAND in order\n"
                 "(a query when it ends with \"?\") and prints each reply.\n"
                 "\n"
                 "  --resource R  VISA resource string of the meter\n"
                 "  --list        list the USB instruments found, with their model names\n"
                 "  --lan         with --list: list the VXI-11 instruments on the local\n"
                 "                networks instead (address, identity, resource string)\n"
                 "  --trace       print every command the meter received (simulated meter)\n"
                 "                or every command sent (other meters) on standard error\n"
                 "  --help        show this text\n",
                 voltora::visa::SimulatedMeterBackend::kResource);
}

bool IsQuery(std::string_view command)
{
    return !command.empty() && command.back() == '?';
}

void PrintReply(const char* buffer, unsigned count)
{
    std::string_view reply(buffer, strnlen(buffer, count));
    while (!reply.empty() && (reply.back() == '\n' || reply.back() == '\r')) {
        reply.remove_suffix(1);
    }
    std::fwrite(reply.data(), 1, reply.size(), stdout);
    std::fputc('\n', stdout);
}

int ListUsbInstruments()
{
    std::vector<std::string> resources;
    std::vector<std::string> models;
    CConectWithNI::Instance()->FindUsbResources(resources, models);
    if (resources.empty()) {
        std::printf("No USB instruments found.\n");
    }
    for (std::size_t i = 0; i < resources.size(); ++i) {
        std::printf("%s\t%s\n", resources[i].c_str(),
                    models[i].empty() ? "(model unknown)" : models[i].c_str());
    }
    return 0;
}

int ListLanInstruments()
{
    const auto found = voltora::visa::FindVxi11Instruments();
    if (found.empty()) {
        std::printf("No LAN instruments found.\n");
    }
    for (const auto& instrument : found) {
        std::printf("%s\t%s\t%s\n", instrument.address.c_str(),
                    instrument.identity.empty() ? "(no identity)" : instrument.identity.c_str(),
                    instrument.resource().c_str());
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    std::string resource = voltora::visa::SimulatedMeterBackend::kResource;
    bool list = false;
    bool lan = false;
    bool trace = false;
    std::vector<std::string> commands;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            PrintUsage(stdout);
            return 0;
        } else if (arg == "--resource" && i + 1 < argc) {
            resource = argv[++i];
        } else if (arg == "--list") {
            list = true;
        } else if (arg == "--lan") {
            lan = true;
        } else if (arg == "--trace") {
            trace = true;
        } else if (arg.size() > 2 && arg.substr(0, 2) == "--") {
            std::fprintf(stderr, "voltora-scpi: unknown option %s\n", argv[i]);
            PrintUsage(stderr);
            return 2;
        } else {
            commands.emplace_back(arg);
        }
    }

    if (lan && !list) {
        std::fprintf(stderr, "voltora-scpi: --lan goes with --list\n");
        return 2;
    }
    if (list) {
        const int status = lan ? ListLanInstruments() : ListUsbInstruments();
        if (commands.empty()) {
            return status;
        }
    }
    if (commands.empty()) {
        PrintUsage(stderr);
        return 2;
    }

    auto* connection = CConectWithNI::Instance();
    const bool simulated = resource.rfind("SIM", 0) == 0;
    if (simulated) {
        voltora::visa::SimulatedMeterBackend::Instance()->Meter()->ClearTranscript();
    }
    if (!connection->Open(resource.c_str())) {
        std::fprintf(stderr, "voltora-scpi: could not open %s or it is not a ZAN meter\n",
                     resource.c_str());
        return 1;
    }

    std::vector<char> buffer(kReplyBufferSize);
    int status = 0;
    for (const auto& command : commands) {
        if (trace && !simulated) {
            std::fprintf(stderr, "> %s\n", command.c_str());
        }
        if (IsQuery(command)) {
            std::fill(buffer.begin(), buffer.end(), '\0');
            unsigned count = 0;
            if (!connection->Query(command.c_str(), buffer.data(), kReplyBufferSize, &count)) {
                std::fprintf(stderr, "voltora-scpi: no reply to %s\n", command.c_str());
                status = 1;
                break;
            }
            PrintReply(buffer.data(), count);
        } else if (!connection->Write(command.c_str())) {
            std::fprintf(stderr, "voltora-scpi: could not send %s\n", command.c_str());
            status = 1;
            break;
        }
    }
    connection->Close();

    if (trace && simulated) {
        for (const auto& line :
             voltora::visa::SimulatedMeterBackend::Instance()->Meter()->Transcript()) {
            std::fprintf(stderr, "> %s\n", line.c_str());
        }
    }
    return status;
}
