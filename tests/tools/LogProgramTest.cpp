// voltora-log as a program against voltora-sim (raw socket) and the built-in
// simulated meter: count, duration, a clean stop on SIGINT, and a meter
// that dies part-way.

#include "support/SimServerProcess.h"

#include "functions/ReadingLogFormat.h"

#include "support/TempFiles.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace voltora::functions;

extern char** environ;

using voltora::testing::ReadFile;
using voltora::testing::SimServerProcess;
using voltora::testing::TempPath;

namespace {

// voltora-log started with standard output and error going to files.
class LogProcess {
public:
    explicit LogProcess(std::vector<std::string> arguments)
        : outPath(TempPath("log-out-" + std::to_string(++serial))), errPath(outPath + ".err")
    {
        arguments.insert(arguments.begin(), VOLTORA_LOG_PATH);
        std::vector<char*> argv;
        for (auto& a : arguments) {
            argv.push_back(a.data());
        }
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (posix_spawn(&pid, VOLTORA_LOG_PATH, &actions, nullptr, argv.data(), environ) != 0) {
            pid = -1;
        }
        posix_spawn_file_actions_destroy(&actions);
    }
    ~LogProcess()
    {
        if (pid > 0 && !exited) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
        std::remove(outPath.c_str());
        std::remove(errPath.c_str());
    }

    bool Started() const { return pid > 0; }
    void Signal(int signal) { kill(pid, signal); }
    // The exit status, or -1 when it did not exit within `limit` (or died of a signal).
    int Wait(std::chrono::seconds limit = std::chrono::seconds(60))
    {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        int status = 0;
        while (waitpid(pid, &status, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() > deadline) {
                return -1;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        exited = true;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::string Out() const { return ReadFile(outPath); }
    std::string Err() const { return ReadFile(errPath); }

    const std::string outPath;
    const std::string errPath;

private:
    static inline int serial = 0;
    pid_t pid = -1;
    bool exited = false;
};

struct Log {
    std::vector<std::string> header;
    std::vector<std::vector<std::string>> rows;
    std::string end;
    std::vector<std::string> bad;
};

Log Parse(const std::string& text)
{
    Log log;
    std::stringstream in(text);
    std::string line;
    bool columns = false;
    while (std::getline(in, line)) {
        if (line.rfind("# end: ", 0) == 0) {
            log.end = line;
        } else if (!columns && line.rfind("#", 0) == 0) {
            log.header.push_back(line);
        } else if (line == voltora::functions::kLogColumns) {
            columns = true;
        } else {
            std::vector<std::string> fields;
            std::stringstream row(line);
            std::string field;
            while (std::getline(row, field, ',')) {
                fields.push_back(field);
            }
            char* end = nullptr;
            const bool valueIsNumber =
                fields.size() >= 4 && (std::strtod(fields[3].c_str(), &end), *end == '\0');
            if (columns && fields.size() == 6 && fields[0].size() == 29 && valueIsNumber) {
                log.rows.push_back(fields);
            } else {
                log.bad.push_back(line);
            }
        }
    }
    if (!text.empty() && text.back() != '\n') {
        log.bad.push_back("<last line cut off>");
    }
    return log;
}

bool WaitFor(const std::function<bool()>& condition)
{
    return voltora::testing::WaitUntil(condition, std::chrono::seconds(30),
                                       std::chrono::milliseconds(10));
}

class LogProgramTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(server.Ready()) << server.Error(); }
    SimServerProcess server{{"--no-vxi11", "--no-rpcbind"}};
};

}  // namespace

TEST_F(LogProgramTest, CountWritesExactlyThatManyValidRows)
{
    LogProcess log({"--resource", server.SocketResource(), "--count", "100"});
    ASSERT_TRUE(log.Started());
    ASSERT_EQ(log.Wait(), 0) << log.Err();
    const Log parsed = Parse(log.Out());
    EXPECT_TRUE(parsed.bad.empty()) << parsed.bad.front();
    ASSERT_EQ(parsed.rows.size(), 100u);
    ASSERT_EQ(parsed.header.size(), 3u);
    EXPECT_NE(parsed.header[1].find("ZAN"), std::string::npos) << parsed.header[1];
    EXPECT_EQ(parsed.header[2], "# resource: " + server.SocketResource());
    EXPECT_EQ(parsed.rows[0][2], "DC Voltage");
    EXPECT_EQ(parsed.rows[0][4], "V");
    EXPECT_EQ(parsed.end, "# end: count reached; 100 rows");
    EXPECT_TRUE(log.Err().empty()) << log.Err();
}

TEST_F(LogProgramTest, FunctionIsSelectedAndNamedInEveryRow)
{
    LogProcess log({"--resource", server.SocketResource(), "--function", "RES", "--count", "5",
                    "--output", TempPath("res.csv")});
    ASSERT_EQ(log.Wait(), 0) << log.Err();
    const Log parsed = Parse(ReadFile(TempPath("res.csv")));
    std::remove(TempPath("res.csv").c_str());
    ASSERT_EQ(parsed.rows.size(), 5u);
    for (const auto& row : parsed.rows) {
        EXPECT_EQ(row[2], "2 Wire Resistance");
        EXPECT_EQ(row[4], "\xCE\xA9");
    }
    EXPECT_TRUE(log.Out().empty());
}

TEST_F(LogProgramTest, DurationAndIntervalPaceTheRows)
{
    const auto start = std::chrono::steady_clock::now();
    LogProcess log({"--resource", server.SocketResource(), "--duration", "1", "--interval", "0.1"});
    ASSERT_EQ(log.Wait(), 0) << log.Err();
    const double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const Log parsed = Parse(log.Out());
    EXPECT_TRUE(parsed.bad.empty());
    // Ten readings in one second, one every 0.1 s (a loaded machine may lose one).
    EXPECT_GE(parsed.rows.size(), 8u);
    EXPECT_LE(parsed.rows.size(), 11u);
    EXPECT_GE(took, 1.0);
    EXPECT_EQ(parsed.end, "# end: duration reached; " + std::to_string(parsed.rows.size()) + " rows");
    const double lastSeconds = std::strtod(parsed.rows.back()[1].c_str(), nullptr);
    EXPECT_GE(lastSeconds, 0.7);
    EXPECT_LT(lastSeconds, 1.0);
}

TEST_F(LogProgramTest, SigintStopsCleanlyWithEveryRowWritten)
{
    const std::string path = TempPath("sigint.csv");
    LogProcess log({"--resource", server.SocketResource(), "--output", path});
    ASSERT_TRUE(log.Started());
    ASSERT_TRUE(WaitFor([&] { return Parse(ReadFile(path)).rows.size() >= 50; }));
    log.Signal(SIGINT);
    ASSERT_EQ(log.Wait(), 0) << log.Err();
    const Log parsed = Parse(ReadFile(path));
    std::remove(path.c_str());
    EXPECT_TRUE(parsed.bad.empty()) << parsed.bad.front();
    EXPECT_GE(parsed.rows.size(), 50u);
    EXPECT_EQ(parsed.end,
              "# end: interrupted (SIGINT); " + std::to_string(parsed.rows.size()) + " rows");
}

TEST_F(LogProgramTest, AKilledMeterEndsTheLogAndTheExitStatusSaysSo)
{
    const std::string path = TempPath("killed.csv");
    LogProcess log({"--resource", server.SocketResource(), "--output", path});
    ASSERT_TRUE(WaitFor([&] { return Parse(ReadFile(path)).rows.size() >= 20; }));
    server.Kill();
    EXPECT_EQ(log.Wait(), 1);
    const Log parsed = Parse(ReadFile(path));
    std::remove(path.c_str());
    EXPECT_TRUE(parsed.bad.empty()) << parsed.bad.front();
    EXPECT_GE(parsed.rows.size(), 20u);
    EXPECT_EQ(parsed.end, std::string("# end: link lost (the meter stopped answering); ") +
                              std::to_string(parsed.rows.size()) + " rows");
    EXPECT_NE(log.Err().find("voltora-log: the meter stopped answering"), std::string::npos)
        << log.Err();
}

TEST(LogProgramPlainTest, BuiltInSimulatedMeterAndRefusals)
{
    LogProcess simulated({"--resource", "SIM0::ZAN::INSTR", "--function", "ACV", "--count", "3"});
    ASSERT_EQ(simulated.Wait(), 0) << simulated.Err();
    const Log parsed = Parse(simulated.Out());
    ASSERT_EQ(parsed.rows.size(), 3u);
    EXPECT_EQ(parsed.rows[0][2], "AC Voltage");

    LogProcess unreachable(
        {"--resource", "TCPIP0::127.0.0.1::" +
                           std::to_string(voltora::testing::UnusedLoopbackPort()) + "::SOCKET",
         "--count", "3"});
    EXPECT_EQ(unreachable.Wait(), 1);
    EXPECT_NE(unreachable.Err().find("voltora-log: could not open"), std::string::npos)
        << unreachable.Err();
    EXPECT_TRUE(unreachable.Out().empty());

    LogProcess wrong({"--count", "3"});
    EXPECT_EQ(wrong.Wait(), 2);
    EXPECT_NE(wrong.Err().find("--resource is required"), std::string::npos);

    LogProcess help({"--help"});
    EXPECT_EQ(help.Wait(), 0);
    EXPECT_EQ(help.Out().rfind("Usage: voltora-log --resource R", 0), 0u);
}
