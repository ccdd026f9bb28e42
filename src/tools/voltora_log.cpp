// voltora-log: logs the readings of a meter as CSV, without a window, for
// scripts and long unattended runs. The file is the same as the desktop
// program's reading log.

#include "functions/ReadingLog.h"
#include "functions/ReadingLogFormat.h"
#include "link/CConectWithNI.h"
#include "scpi/AcquisitionCommands.h"
#include "scpi/InstrumentExchange.h"
#include "scpi/MeasurementRangeCommands.h"
#include "scpi/TemperatureCommands.h"
#include "sim/backend/SimulatedMeterBackend.h"
#include "tools/LogOptions.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <string>
#include <unistd.h>

using namespace voltora::functions;

using voltora::tools::LogFunction;
using voltora::tools::LogOptions;
using namespace voltora::scpi;

namespace {

volatile std::sig_atomic_t stopSignal = 0;

void OnStopSignal(int signal)
{
    stopSignal = signal;
}

void InstallSignalHandlers()
{
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;  // no SA_RESTART: a sleep ends at once
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    // A closed pipe on the output is a write failure, reported as such.
    std::signal(SIGPIPE, SIG_IGN);
}

// Sleeps until `deadline` or a stop signal.
void SleepUntil(std::chrono::steady_clock::time_point deadline)
{
    while (stopSignal == 0) {
        const auto left = deadline - std::chrono::steady_clock::now();
        if (left <= std::chrono::steady_clock::duration::zero()) {
            return;
        }
        const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
        timespec pause{static_cast<time_t>(ns / 1000000000), static_cast<long>(ns % 1000000000)};
        nanosleep(&pause, nullptr);
    }
}

// The range of `keyWord` now, as the panel shows it ("200mV"), and whether
// the meter picks it automatically. Functions without ranges give "".
struct RangeQuery {
    int (*range)(std::string&) = nullptr;
    std::string (*automatic)() = nullptr;
};

RangeQuery RangeQueryOf(const std::string& keyWord)
{
    if (keyWord == "VOLT") return {QueryVoltDcRange, QueryVoltDcRangeAuto};
    if (keyWord == "CURR") return {QueryCurrDcRange, QueryCurrDcRangeAuto};
    if (keyWord == "VOLT:AC") return {QueryVoltAcRange, QueryVoltAcRangeAuto};
    if (keyWord == "CURR:AC") return {QueryCurrAcRange, QueryCurrAcRangeAuto};
    if (keyWord == "RES") return {QueryResRange, QueryResRangeAuto};
    if (keyWord == "FRES") return {QueryFresRange, QueryFresRangeAuto};
    if (keyWord == "CAP") return {QueryCapRange, QueryCapRangeAuto};
    if (keyWord == "FREQ" || keyWord == "PER") return {QueryFreqRange, QueryFreqRangeAuto};
    return {};
}

std::string CurrentRange(const RangeQuery& query)
{
    std::string label;
    if (query.range != nullptr) {
        query.range(label);
    }
    return label;
}

int Fail(const std::string& message)
{
    std::fprintf(stderr, "voltora-log: %s\n", message.c_str());
    return 1;
}

}  // namespace

int main(int argc, char** argv)
{
    LogOptions options;
    std::string error;
    if (!voltora::tools::ParseLogOptions(std::vector<std::string>(argv + 1, argv + argc), options,
                                         error)) {
        std::fprintf(stderr, "voltora-log: %s\n\n%s", error.c_str(),
                     voltora::tools::LogUsage().c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(voltora::tools::LogUsage().c_str(), stdout);
        return 0;
    }
    InstallSignalHandlers();

    voltora::sim::SimulatedMeterBackend::Register();
    auto* connection = CConectWithNI::Instance();
    if (!connection->Open(options.resource.c_str())) {
        return Fail("could not open " + options.resource + " or it is not a ZAN meter");
    }

    // The function: the one asked for, selected and measuring continuously,
    // or the meter's own.
    const LogFunction* function = nullptr;
    if (!options.function.empty()) {
        function = voltora::tools::FindLogFunction(options.function);
        SetFunction(function->keyWord);
        SetTriggerCountInfinite();
        Initiate();
    } else {
        const std::string current = QueryFunction();
        function = voltora::tools::FindLogFunction(current);
        if (function == nullptr) {
            connection->Close();
            return Fail(current.empty() ? "the meter does not answer"
                                        : "the meter's function " + current + " is not known");
        }
    }
    const std::string identity =
        voltora::scpi::QueryReply(CConectWithNI::kIdentityProbe, 256);
    std::string unit = function->unit;
    if (std::string(function->keyWord) == "TEMP") {
        const std::string meterUnit = QueryTemperatureUnit();
        unit = meterUnit.empty() ? unit : meterUnit;
    }
    const RangeQuery rangeQuery = RangeQueryOf(function->keyWord);
    const bool rangeFollows = rangeQuery.automatic != nullptr && rangeQuery.automatic() == "Auto";
    std::string range = CurrentRange(rangeQuery);

    // The output: standard output, or the file (replaced).
    int fd = STDOUT_FILENO;
    bool ownsFd = false;
    if (!options.output.empty() && options.output != "-") {
        fd = ::open(options.output.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0) {
            const std::string reason = std::strerror(errno);
            connection->Close();
            return Fail("cannot create " + options.output + ": " + reason);
        }
        ownsFd = true;
    }
    std::atomic<bool> writeFailed{false};
    std::string failure;
    voltora::functions::ReadingLog::Options logOptions;
    logOptions.queueCapacity = 1u << 16;
    voltora::functions::ReadingLog log(
        fd, ownsFd, voltora::functions::LogHeader(identity, options.resource), logOptions,
        [&](const voltora::functions::ReadingLog::Ending& ending) {
            if (ending.failed) {
                failure = ending.reason;
                writeFailed = true;
            }
        });

    const bool continuity = std::string(function->keyWord) == "CONT";
    const auto start = std::chrono::steady_clock::now();
    const auto interval = std::chrono::duration_cast<std::chrono::steady_clock::duration>(
        std::chrono::duration<double>(options.intervalSeconds));
    const auto duration = std::chrono::duration_cast<std::chrono::steady_clock::duration>(
        std::chrono::duration<double>(options.durationSeconds));
    auto next = start;
    std::uint64_t taken = 0;
    std::string reason;
    bool linkLost = false;
    for (;;) {
        if (stopSignal != 0) {
            reason = stopSignal == SIGINT ? "interrupted (SIGINT)" : "terminated (SIGTERM)";
            break;
        }
        if (options.count > 0 && taken >= options.count) {
            reason = "count reached";
            break;
        }
        if (options.durationSeconds > 0 && std::chrono::steady_clock::now() - start >= duration) {
            reason = "duration reached";
            break;
        }
        if (writeFailed) {
            break;
        }
        const std::string reading = continuity ? QueryContinuityReading() : QueryMeasurement();
        if (reading.empty()) {
            // A signal during the exchange is a stop, not a lost link.
            if (stopSignal != 0) {
                continue;
            }
            reason = voltora::functions::kLinkLostReason;
            linkLost = true;
            break;
        }
        if (rangeFollows) {
            const std::string now = CurrentRange(rangeQuery);
            range = now.empty() ? range : now;
        }
        log.Submit(function->name, reading, unit, range);
        ++taken;
        if (options.intervalSeconds > 0) {
            next += interval;
            SleepUntil(next);
        }
    }
    log.Stop(reason);
    connection->Close();

    if (writeFailed || log.Failed()) {
        return Fail("writing the log failed (" + failure + "); " +
                    std::to_string(log.RowsWritten()) + " rows were written before");
    }
    if (linkLost) {
        return Fail("the meter stopped answering after " + std::to_string(taken) +
                    " readings; the log ends there");
    }
    return 0;
}
