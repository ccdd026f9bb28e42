// voltora-scpi against virtual USB-TMC meters: the listing, a query, the
// permission message and an unplug while a reply is awaited, each in a
// process of its own started by voltora-virtual-usb.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace {

constexpr const char* kFirst = "USB0::0x5A4E::0x0105::ZU00000001::INSTR";
constexpr const char* kSecond = "USB0::0x5A4E::0x0105::ZU00000002::INSTR";

struct ToolRun {
    std::string output;  // standard output and error
    int exitStatus = -1; // -1: killed by a signal
    std::chrono::milliseconds took{};
};

// voltora-scpi ARGUMENTS with virtual meters plugged in as OPTIONS say.
ToolRun Scpi(const std::string& options, const std::string& arguments)
{
    const std::string command = std::string(VOLTORA_VIRTUAL_USB_PATH) + " " + options + " -- " +
                                VOLTORA_SCPI_PATH + " " + arguments + " 2>&1";
    ToolRun run;
    const auto start = std::chrono::steady_clock::now();
    FILE* pipe = popen(command.c_str(), "r");
    char buffer[512];
    while (pipe != nullptr && std::fgets(buffer, sizeof(buffer), pipe) != nullptr) {
        const std::string line = buffer;
        // The bus's own notes are not the tool's output.
        if (line.rfind("voltora-virtual-usb:", 0) != 0 && line.rfind("ERROR: uevent", 0) != 0) {
            run.output += line;
        }
    }
    const int raw = pipe != nullptr ? pclose(pipe) : -1;
    run.exitStatus = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.took = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - start);
    return run;
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find('\n', start);
        lines.push_back(text.substr(start, end - start));
        start = end == std::string::npos ? text.size() : end + 1;
    }
    return lines;
}

TEST(VirtualUsbToolTest, ListShowsEachMeterWithItsModelAndNotTheKeyboard)
{
    const ToolRun run = Scpi("--meters 2 --other-device", "--list");
    EXPECT_EQ(run.exitStatus, 0) << run.output;
    std::vector<std::string> lines = Lines(run.output);
    std::sort(lines.begin(), lines.end());
    EXPECT_EQ(lines, (std::vector<std::string>{std::string(kFirst) + "\tZAN Bench DMM",
                                                std::string(kSecond) + "\tZAN Bench DMM"}));
}

TEST(VirtualUsbToolTest, QueriesAMeterAtEitherSpeedAndThroughAKernelDriver)
{
    for (const char* options : {"", "--full-speed", "--kernel-driver"}) {
        const ToolRun run = Scpi(options, std::string("--resource ") + kFirst +
                                          " IDN-ZOBR-PRI? 'FUNC \"RES\"' FUNCTION?");
        EXPECT_EQ(run.exitStatus, 0) << options << "\n" << run.output;
        EXPECT_EQ(run.output, "ZAN,ZDM650-SIM,SIM00000001,1.0.0\n\"RES\"\n") << options;
    }
}

TEST(VirtualUsbToolTest, NodeWithoutPermissionNamesTheUdevRule)
{
    const ToolRun run = Scpi("--no-access", std::string("--resource ") + kFirst + " IDN-ZOBR-PRI?");
    EXPECT_EQ(run.exitStatus, 1) << run.output;
    EXPECT_NE(run.output.find("install the udev rule 60-voltora-usbtmc.rules"),
              std::string::npos)
        << run.output;
}

TEST(VirtualUsbToolTest, UnplugWhileAReplyIsAwaitedEndsInAClearError)
{
    // The meter goes 300 ms after the query arrived, while the tool waits for
    // the reply: it reports the failure and ends, without crash or hang.
    // (That the read ends at the unplug, not at its time-out, is checked
    // in-process, where the timing can be seen.)
    const ToolRun run = Scpi("--unplug-during DATA:LAST?",
                         std::string("--resource ") + kFirst + " DATA:LAST?");
    EXPECT_EQ(run.exitStatus, 1) << run.output;
    EXPECT_NE(run.output.find("Failed to communicate with the device, please check the device "
                              "connection!"),
              std::string::npos)
        << run.output;
    EXPECT_NE(run.output.find("voltora-scpi: no reply to DATA:LAST?"), std::string::npos)
        << run.output;
    EXPECT_LT(run.took, std::chrono::seconds(20));
}

}  // namespace
