// The reading log's writer: rows as submitted, the bounded queue, write
// failures, a killed program, and the worker feeding it (readings, lost link).

#include "FakeFrontPanel.h"
#include "MeterFixture.h"

#include "functions/CZANFunctionDCV.h"
#include "functions/ReadingLog.h"
#include "functions/ViewFlags.h"
#include "platform/CNumbers.h"

#include "support/TempFiles.h"

#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace voltora::functions;
using namespace voltora::functions::testing;
using voltora::testing::ReadFile;
using voltora::testing::TempPath;

namespace {

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start) + "<no line end>");
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

struct ParsedLog {
    std::vector<std::string> comments;
    std::vector<std::vector<std::string>> rows;  // fields of each row
    bool columnsLine = false;
    std::vector<std::string> bad;  // lines that are neither
};

// Rows have six fields, a time stamp and a seconds number; values are
// numbers or words. Every line must end in "\n".
ParsedLog Parse(const std::string& text)
{
    ParsedLog log;
    for (const std::string& line : Lines(text)) {
        if (line.rfind("# ", 0) == 0) {
            log.comments.push_back(line);
            continue;
        }
        if (line == kLogColumns) {
            log.columnsLine = true;
            continue;
        }
        std::vector<std::string> fields;
        std::stringstream in(line);
        std::string field;
        while (std::getline(in, field, ',')) {
            fields.push_back(field);
        }
        if (!line.empty() && line.back() == ',') {
            fields.emplace_back();
        }
        const bool timeOk = fields.size() == 6 && fields[0].size() == 29 && fields[0][10] == 'T' &&
                            fields[0][23] != ',';
        char* end = nullptr;
        const bool secondsOk = fields.size() == 6 && !fields[1].empty() &&
                               (std::strtod(fields[1].c_str(), &end), *end == '\0');
        if (timeOk && secondsOk) {
            log.rows.push_back(fields);
        } else {
            log.bad.push_back(line);
        }
    }
    return log;
}

}  // namespace

TEST(ReadingLogTest, EverySubmittedReadingIsOneRowInOrderThenTheEndLine)
{
    const std::string path = TempPath("rows.csv");
    std::string error;
    auto log = ReadingLog::Create(path, LogHeader("ZAN,TEST", "SIM0::ZAN::INSTR"), {}, {}, error);
    ASSERT_TRUE(log) << error;
    for (int i = 0; i < 500; ++i) {
        ASSERT_TRUE(log->Submit("DC Voltage", voltora::platform::CFormat("%d.5E-03", i), "V", "2V"));
    }
    log->Stop("logging stopped");
    EXPECT_EQ(log->RowsWritten(), 500u);
    EXPECT_FALSE(log->Submit("DC Voltage", "1", "V", "2V"));  // ended: refused

    const std::string text = ReadFile(path);
    const ParsedLog parsed = Parse(text);
    EXPECT_TRUE(parsed.bad.empty()) << parsed.bad.front();
    EXPECT_TRUE(parsed.columnsLine);
    ASSERT_EQ(parsed.rows.size(), 500u);
    double previousSeconds = -1;
    for (int i = 0; i < 500; ++i) {
        EXPECT_EQ(voltora::platform::CAtof(parsed.rows[i][3]),
                  voltora::platform::CAtof(voltora::platform::CFormat("%d.5E-03", i)))
            << i;
        const double seconds = voltora::platform::CAtof(parsed.rows[i][1]);
        EXPECT_GE(seconds, previousSeconds);
        previousSeconds = seconds;
    }
    ASSERT_EQ(parsed.comments.size(), 4u);
    EXPECT_EQ(parsed.comments[1], "# instrument: ZAN,TEST");
    EXPECT_EQ(parsed.comments.back(), "# end: logging stopped; 500 rows");
    std::remove(path.c_str());
}

TEST(ReadingLogTest, AFullQueueDropsCountsAndMarksTheGap)
{
    // A pipe that is already full: the writer blocks on the header, so the
    // queue fills and further readings are dropped, deterministically.
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    fcntl(fds[1], F_SETPIPE_SZ, 4096);
    const int capacity = fcntl(fds[1], F_GETPIPE_SZ);
    fcntl(fds[1], F_SETFL, O_NONBLOCK);
    const std::string filler(static_cast<std::size_t>(capacity), 'x');
    ASSERT_EQ(write(fds[1], filler.data(), filler.size()), capacity);
    fcntl(fds[1], F_SETFL, 0);

    ReadingLog::Options options;
    options.queueCapacity = 4;
    std::atomic<int> endings{0};
    ReadingLog::Ending ending;
    auto log = std::make_unique<ReadingLog>(fds[1], true, LogHeader("id", "res"), options,
                                            [&](const ReadingLog::Ending& e) {
                                                ending = e;
                                                ++endings;
                                            });
    int accepted = 0;
    for (int i = 0; i < 10; ++i) {
        accepted += log->Submit("DC Voltage", std::to_string(i), "V", "2V") ? 1 : 0;
    }
    EXPECT_EQ(accepted, 4);
    EXPECT_EQ(log->Dropped(), 6u);

    std::string text;
    std::thread reader([&] {
        char buffer[4096];
        ssize_t n;
        while ((n = read(fds[0], buffer, sizeof buffer)) > 0) {
            text.append(buffer, static_cast<std::size_t>(n));
        }
    });
    log->Stop("logging stopped");
    reader.join();
    close(fds[0]);
    text.erase(0, static_cast<std::size_t>(capacity));

    const ParsedLog parsed = Parse(text);
    ASSERT_EQ(parsed.rows.size(), 4u);
    EXPECT_EQ(parsed.rows[0][3], "0");
    EXPECT_EQ(parsed.rows[3][3], "3");
    EXPECT_NE(text.find("# gap: 6 readings dropped here (queue full)\n"), std::string::npos) << text;
    EXPECT_EQ(parsed.comments.back(), "# end: logging stopped; 4 rows; 6 readings dropped (queue full)");
    EXPECT_EQ(endings.load(), 1);
    EXPECT_EQ(ending.dropped, 6u);
    EXPECT_FALSE(ending.failed);
}

TEST(ReadingLogTest, AWriteFailureEndsTheLogOnceAndKeepsEveryRowBeforeIt)
{
    // The file's descriptor is turned into /dev/full part-way: every later
    // write fails as on a full disk.
    const std::string path = TempPath("full.csv");
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    std::atomic<int> endings{0};
    ReadingLog::Ending ending;
    auto log = std::make_unique<ReadingLog>(fd, true, LogHeader("id", "res"),
                                            [&](const ReadingLog::Ending& e) {
                                                ending = e;
                                                ++endings;
                                            });
    for (int i = 0; i < 5; ++i) {
        log->Submit("DC Voltage", std::to_string(i), "V", "2V");
    }
    ASSERT_TRUE(WaitUntil([&] { return log->RowsWritten() == 5; }));
    const int full = ::open("/dev/full", O_WRONLY);
    ASSERT_GE(full, 0);
    ASSERT_EQ(dup2(full, fd), fd);
    ::close(full);
    for (int i = 5; i < 10; ++i) {
        log->Submit("DC Voltage", std::to_string(i), "V", "2V");
    }
    ASSERT_TRUE(WaitUntil([&] { return log->Ended(); }));
    EXPECT_TRUE(log->Failed());
    EXPECT_FALSE(log->Submit("DC Voltage", "11", "V", "2V"));
    log->Stop("logging stopped");
    log.reset();

    EXPECT_EQ(endings.load(), 1);
    EXPECT_TRUE(ending.failed);
    EXPECT_NE(ending.reason.find("space"), std::string::npos) << ending.reason;
    EXPECT_EQ(ending.rows, 5u);
    const ParsedLog parsed = Parse(ReadFile(path));
    EXPECT_TRUE(parsed.bad.empty());
    ASSERT_EQ(parsed.rows.size(), 5u);
    EXPECT_EQ(parsed.rows[4][3], "4");
    std::remove(path.c_str());
}

TEST(ReadingLogTest, ALineCutOffByAFileSizeLimitIsTakenBack)
{
    // In a child process whose files may not grow past 600 bytes: the write
    // that crosses the limit is cut short; the file must still end on a
    // whole line.
    const std::string path = TempPath("limit.csv");
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{600, 600};
        setrlimit(RLIMIT_FSIZE, &limit);
        std::string error;
        std::atomic<bool> failed{false};
        auto log = ReadingLog::Create(path, LogHeader("id", "res"), {},
                                      [&](const ReadingLog::Ending& e) { failed = e.failed; }, error);
        for (int i = 0; log && i < 100; ++i) {
            log->Submit("DC Voltage", std::to_string(i), "V", "2V");
        }
        if (log) {
            log->Stop("logging stopped");
        }
        _exit(failed ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the log did not fail";
    const std::string text = ReadFile(path);
    EXPECT_LE(text.size(), 600u);
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(text.back(), '\n');
    const ParsedLog parsed = Parse(text);
    EXPECT_TRUE(parsed.bad.empty()) << parsed.bad.front();
    EXPECT_GT(parsed.rows.size(), 3u);
    std::remove(path.c_str());
}

TEST(ReadingLogTest, AKilledProgramLeavesOnlyWholeRows)
{
    const std::string path = TempPath("killed.csv");
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::string error;
        auto log = ReadingLog::Create(path, LogHeader("id", "res"), {}, {}, error);
        for (int i = 0;; ++i) {
            log->Submit("DC Voltage", voltora::platform::CFormat("+%d.123456E-01", i), "V", "2V");
            if (i % 64 == 0) {
                usleep(100);
            }
        }
    }
    ASSERT_TRUE(WaitUntil([&] { return ReadFile(path).size() > 200000; }));
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));

    const std::string text = ReadFile(path);
    const ParsedLog parsed = Parse(text);
    EXPECT_TRUE(parsed.bad.empty()) << parsed.bad.front();
    EXPECT_GT(parsed.rows.size(), 1000u);
    for (std::size_t i = 0; i < parsed.rows.size(); ++i) {
        ASSERT_EQ(parsed.rows[i][3], PlainValue(voltora::platform::CFormat("+%zu.123456E-01", i)))
            << i;
    }
    std::remove(path.c_str());
}

// ---- Fed by the worker ---------------------------------------------------------

class WorkerLogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        mathViewShown = trendViewShown = histogramViewShown = false;
        trendRestartPending = false;
        ASSERT_TRUE(meter.Connected());
        function.Initialise();
        function.Activate();
        // Every reading the meter hands out is different and remembered.
        meter.SetReplyFunction("DATA:LAST?", [this](const std::string&) -> std::optional<std::string> {
            std::lock_guard<std::mutex> guard(mutex);
            if (silentAfter >= 0 && static_cast<int>(sent.size()) >= silentAfter) {
                return std::nullopt;
            }
            const std::string value =
                voltora::platform::CFormat("+%d.%06dE-01", static_cast<int>(sent.size()) % 10,
                                           static_cast<int>(sent.size()));
            sent.push_back(value);
            return value + " VDC\n";
        });
    }
    void TearDown() override
    {
        function.StopWorker();
        SetActiveReadingLog(nullptr);
    }

    std::vector<std::string> Sent()
    {
        std::lock_guard<std::mutex> guard(mutex);
        return sent;
    }

    ScriptedMeter meter;
    FakeFrontPanel panel;
    CZANFunctionDCV function{&panel};
    std::mutex mutex;
    std::vector<std::string> sent;
    int silentAfter = -1;
};

TEST_F(WorkerLogTest, RowsAreTheReadingsTheWorkerGot)
{
    const std::string path = TempPath("worker.csv");
    std::string error;
    std::shared_ptr<ReadingLog> log =
        ReadingLog::Create(path, LogHeader("ZAN,ZDM1000,TEST,1.0", ScriptedMeter::kResource), {}, {}, error);
    ASSERT_TRUE(log) << error;
    SetActiveReadingLog(log);
    function.ResumeWorker();
    ASSERT_TRUE(WaitUntil([&] { return log->RowsWritten() >= 200; }));
    function.SuspendWorker();
    SetActiveReadingLog(nullptr);
    log->Stop("logging stopped");

    const auto got = Sent();
    const ParsedLog parsed = Parse(ReadFile(path));
    EXPECT_TRUE(parsed.bad.empty());
    ASSERT_EQ(parsed.rows.size(), got.size());
    for (std::size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(parsed.rows[i][2], "DC Voltage");
        EXPECT_EQ(parsed.rows[i][3], PlainValue(got[i])) << i;
        EXPECT_EQ(voltora::platform::CAtof(parsed.rows[i][3]), voltora::platform::CAtof(got[i]));
        EXPECT_EQ(parsed.rows[i][4], "V");
        EXPECT_EQ(parsed.rows[i][5], function.GetRangeText());
    }
    EXPECT_EQ(function.GetRangeText(), "200mV");
    std::remove(path.c_str());
}

TEST_F(WorkerLogTest, ALostLinkEndsTheLogWithALineSayingSo)
{
    silentAfter = 25;
    const std::string path = TempPath("lost.csv");
    std::string error;
    std::atomic<int> endings{0};
    std::shared_ptr<ReadingLog> log = ReadingLog::Create(
        path, LogHeader("id", "res"), {}, [&](const ReadingLog::Ending&) { ++endings; }, error);
    ASSERT_TRUE(log) << error;
    SetActiveReadingLog(log);
    function.ResumeWorker();
    ASSERT_TRUE(WaitUntil([&] { return log->Ended(); }));
    EXPECT_TRUE(WaitUntil([&] { return !function.IsWorkerRunning(); }));
    SetActiveReadingLog(nullptr);
    log->Stop("logging stopped");  // already ended: changes nothing

    const ParsedLog parsed = Parse(ReadFile(path));
    EXPECT_EQ(parsed.rows.size(), 25u);
    ASSERT_FALSE(parsed.comments.empty());
    EXPECT_EQ(parsed.comments.back(), std::string("# end: ") + kLinkLostReason + "; 25 rows");
    EXPECT_EQ(endings.load(), 1);
    std::remove(path.c_str());
}
