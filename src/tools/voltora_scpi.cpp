// voltora-scpi: sends SCPI commands to a meter through the same connection
// the desktop program uses, and prints the replies.

#include "link/CConectWithNI.h"
#include "sim/backend/SimulatedMeterBackend.h"
#include "visa/Vxi11Discovery.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace {

// The longest reply the meter sends (a full trend chart) fits.
constexpr unsigned kReplyBufferSize = 1u << 20;

// How a command is sent: a query (sent, then its reply read and printed) or
// a plain command (sent only).
enum class Kind { Automatic, Query, Write };

struct Command {
    std::string text;
    Kind kind = Kind::Automatic;
};

void PrintUsage(std::FILE* out)
{
    std::fprintf(out,
                 "Usage: voltora-scpi [--resource R] [--list [--lan]] [--trace] COMMAND...\n"
                 "\n"
                 "Opens R (default: the simulated meter %s), sends each COMMAND in order\n"
                 "and prints each reply. A COMMAND is a query when its header (the text\n"
                 "before the first blank) contains \"?\", as in \"TEMP:MDEF:THER:TRAN:POIN? KITS90\".\n"
                 "\n"
                 "  --resource R  VISA resource string of the meter\n"
                 "  --query TEXT  send TEXT as a query and print its reply, whatever it looks like\n"
                 "  --write TEXT  send TEXT without reading a reply, whatever it looks like\n"
                 "  --list        list the USB instruments found, with their model names\n"
                 "  --lan         with --list: list the VXI-11 instruments on the local\n"
                 "                networks instead (address, identity, resource string)\n"
                 "  --trace       print every command the meter received (simulated meter)\n"
                 "                or every command sent (other meters) on standard error\n"
                 "  --help        show this text\n",
                 voltora::sim::SimulatedMeterBackend::kResource);
}

// A program message asks for a reply when its header holds "?": the
// arguments after the header ("POIN? KITS90") do not change that, and a "?"
// inside an argument ("DISP:TEXT 'why?'") does not make a query.
bool IsQuery(std::string_view command)
{
    const std::size_t start = command.find_first_not_of(" \t");
    if (start == std::string_view::npos) {
        return false;
    }
    const std::string_view rest = command.substr(start);
    const std::string_view header = rest.substr(0, rest.find_first_of(" \t"));
    return header.find('?') != std::string_view::npos;
}

bool SendsQuery(const Command& command)
{
    return command.kind == Kind::Query || (command.kind == Kind::Automatic && IsQuery(command.text));
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
    voltora::sim::SimulatedMeterBackend::Register();
    std::string resource = voltora::sim::SimulatedMeterBackend::kResource;
    bool list = false;
    bool lan = false;
    bool trace = false;
    std::vector<Command> commands;
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
        } else if ((arg == "--query" || arg == "--write") && i + 1 < argc) {
            commands.push_back(Command{argv[++i], arg == "--query" ? Kind::Query : Kind::Write});
        } else if (arg.size() > 2 && arg.substr(0, 2) == "--") {
            std::fprintf(stderr, "voltora-scpi: unknown option %s\n", argv[i]);
            PrintUsage(stderr);
            return 2;
        } else {
            commands.push_back(Command{std::string(arg), Kind::Automatic});
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
        voltora::sim::SimulatedMeterBackend::Instance()->Meter()->ClearTranscript();
    }
    if (!connection->Open(resource.c_str())) {
        std::fprintf(stderr, "voltora-scpi: could not open %s or it is not a ZAN meter\n",
                     resource.c_str());
        return 1;
    }

    // Allocated once and never cleared: a reply is read up to the count
    // the link reports, so clearing a megabyte before every query (what
    // most of a short query's time would go to) buys nothing.
    const std::unique_ptr<char[]> buffer(new char[kReplyBufferSize]);
    int status = 0;
    for (const auto& command : commands) {
        const char* text = command.text.c_str();
        if (trace && !simulated) {
            std::fprintf(stderr, "> %s\n", text);
        }
        if (SendsQuery(command)) {
            unsigned count = 0;
            if (!connection->Query(text, buffer.get(), kReplyBufferSize, &count)) {
                std::fprintf(stderr, "voltora-scpi: no reply to %s\n", text);
                status = 1;
                break;
            }
            PrintReply(buffer.get(), count);
        } else if (!connection->Write(text)) {
            std::fprintf(stderr, "voltora-scpi: could not send %s\n", text);
            status = 1;
            break;
        }
    }
    connection->Close();

    if (trace && simulated) {
        for (const auto& line :
             voltora::sim::SimulatedMeterBackend::Instance()->Meter()->Transcript()) {
            std::fprintf(stderr, "> %s\n", line.c_str());
        }
    }
    return status;
}
