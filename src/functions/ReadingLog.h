#pragma once

#include "functions/ReadingLogFormat.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace voltora::functions {

// A continuous log of readings in a file (ReadingLogFormat). The thread that
// receives readings only queues them (Submit never blocks and never touches
// the file); a writer thread of the log's own writes the rows queued so far
// with one write() as soon as it has them (no line waits in a buffer of the
// process, so a killed program loses nothing written), and syncs the file to
// the disk at least once a second, so a power cut loses at most the last second.
//
// The queue is bounded: a reading that finds it full is dropped and counted;
// the count is written into the file at the gap and in the end line.
// A write that fails (disk full, drive removed) ends the log: the file keeps
// every whole line written before it (a line cut off part-way is taken back
// where the file allows), and the failure is reported once, through the
// end callback.
class ReadingLog {
public:
    struct Options {
        std::size_t queueCapacity = 8192;
        std::chrono::milliseconds syncInterval{1000};
    };

    // How the log ended, handed to the end callback on the writer thread.
    struct Ending {
        bool failed = false;       // a write failed
        std::string reason;        // the end reason, or the failure's text
        std::uint64_t rows = 0;
        std::uint64_t dropped = 0;
    };
    using EndCallback = std::function<void(const Ending&)>;

    // Writes `header` and starts the writer. `fd` is written to and, when
    // `ownsFd`, closed at the end.
    ReadingLog(int fd, bool ownsFd, std::string header, Options options, EndCallback onEnd = {});
    ReadingLog(int file, bool ownsFile, std::string headerText, EndCallback endCallback = {})
        : ReadingLog(file, ownsFile, std::move(headerText), Options(), std::move(endCallback))
    {
    }
    // Ends the log ("logging stopped") if nobody did, and joins the writer.
    ~ReadingLog();
    ReadingLog(const ReadingLog&) = delete;
    ReadingLog& operator=(const ReadingLog&) = delete;

    // Creates (or truncates) the file at `path` for a log; null with `error`
    // set when it cannot be opened.
    static std::unique_ptr<ReadingLog> Create(const std::string& path, std::string header,
                                              Options options, EndCallback onEnd,
                                              std::string& error);

    // Any thread: queues one reading; the time stamps are taken here. False
    // when it was dropped (queue full) or the log has ended.
    bool Submit(const std::string& function, const std::string& reading, const std::string& unit,
                const std::string& range);

    // Any thread, never blocks: asks the writer to write what is queued, then
    // the end line with `reason`, sync and close. Later calls do nothing.
    void Finish(const std::string& reason);
    // Finish, then wait until the writer is done (not from the writer's callback).
    void Stop(const std::string& reason);

    // Figures, readable from any thread at any time.
    std::uint64_t RowsWritten() const { return rows_.load(); }
    std::uint64_t Dropped() const { return dropped_.load(); }
    bool Ended() const { return ended_.load(); }
    bool Failed() const { return failed_.load(); }

private:
    void Run();
    // Writes all of `text` (whole lines); false (with `error`) on failure,
    // after which the file ends on the last whole line written, whose count
    // is in `wholeLines`.
    bool WriteLines(const std::string& text, std::uint64_t& wholeLines, std::string& error);
    bool WriteLine(const std::string& text, std::string& error);
    void SyncIfDue(bool force);

    int fd_;
    bool ownsFd_;
    Options options_;
    EndCallback onEnd_;
    std::string header_;
    std::chrono::steady_clock::time_point start_;

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<LogReading> queue_;
    bool finishRequested_ = false;
    bool writerWaiting_ = false;
    std::string finishReason_;

    std::atomic<std::uint64_t> rows_{0};
    std::atomic<std::uint64_t> dropped_{0};
    std::atomic<bool> ended_{false};
    std::atomic<bool> failed_{false};
    std::uint64_t droppedWritten_ = 0;  // writer thread only
    std::uint64_t fileSize_ = 0;        // writer thread only: bytes of whole lines written
    bool unsynced_ = false;             // writer thread only
    std::chrono::steady_clock::time_point lastSync_;
    std::thread writer_;
};

// The log the workers hand their readings to: at most one in the process.
// Set and cleared on the user-interface thread (or by a tool's main thread);
// read by the workers, under a short lock of its own.
void SetActiveReadingLog(std::shared_ptr<ReadingLog> log);
std::shared_ptr<ReadingLog> ActiveReadingLog();

// Worker side: queues a reading in the active log, if there is one.
void LogReadingIfActive(const std::string& function, const std::string& reading,
                        const std::string& unit, const std::string& range);
// Worker side: the worker ended because the meter stopped answering; the
// active log, if any, ends with the line "# end: link lost ...".
void EndActiveReadingLog(const std::string& reason);

inline constexpr const char* kLinkLostReason = "link lost (the meter stopped answering)";

}  // namespace voltora::functions
