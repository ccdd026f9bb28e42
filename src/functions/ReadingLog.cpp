#include "functions/ReadingLog.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace voltora::functions {

ReadingLog::ReadingLog(int file, bool ownsFile, std::string headerText, Options logOptions,
                       EndCallback endCallback)
    : fd(file), ownsFd(ownsFile), options(logOptions), onEnd(std::move(endCallback)), header(std::move(headerText)),
      start(std::chrono::steady_clock::now()), lastSync(start)
{
    writer = std::thread([this] { Run(); });
}

ReadingLog::~ReadingLog()
{
    Stop("logging stopped");
}

std::unique_ptr<ReadingLog> ReadingLog::Create(const std::string& path, std::string header,
                                               Options options, EndCallback onEnd,
                                               std::string& error)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        error = std::strerror(errno);
        return nullptr;
    }
    return std::make_unique<ReadingLog>(fd, true, std::move(header), options, std::move(onEnd));
}

bool ReadingLog::Submit(const std::string& function, const std::string& reading,
                        const std::string& unit, const std::string& range)
{
    const auto now = std::chrono::steady_clock::now();
    LogReading entry;
    entry.wallTime = std::chrono::system_clock::now();
    entry.seconds = std::chrono::duration<double>(now - start).count();
    entry.function = function;
    entry.reading = reading;
    entry.unit = unit;
    entry.range = range;
    {
        std::lock_guard<std::mutex> guard(mutex);
        if (finishRequested) {
            return false;
        }
        if (queue.size() >= options.queueCapacity) {
            dropped.fetch_add(1);
            return false;
        }
        queue.push_back(std::move(entry));
        if (!writerWaiting) {
            // The writer is busy and takes everything queued when it is done:
            // no wake-up call needed, which keeps Submit cheap.
            return true;
        }
    }
    wake.notify_one();
    return true;
}

void ReadingLog::Finish(const std::string& reason)
{
    {
        std::lock_guard<std::mutex> guard(mutex);
        if (finishRequested) {
            return;
        }
        finishRequested = true;
        finishReason = reason;
    }
    wake.notify_one();
}

void ReadingLog::Stop(const std::string& reason)
{
    Finish(reason);
    if (writer.joinable() && writer.get_id() != std::this_thread::get_id()) {
        writer.join();
    }
}

bool ReadingLog::WriteLine(const std::string& text, std::string& error)
{
    std::uint64_t whole = 0;
    return WriteLines(text, whole, error);
}

bool ReadingLog::WriteLines(const std::string& text, std::uint64_t& wholeLines, std::string& error)
{
    // The lines go to the kernel's cache as soon as they are formatted; none
    // waits in a buffer of this process. A process killed while write()
    // copies across blocks of the file can be cut off at a block boundary,
    // so the text goes in pieces that end on a line end and stay inside one
    // block; only a piece holding the one line that straddles a boundary
    // crosses it, which leaves a window of one line's copy.
    wholeLines = 0;
    std::size_t done = 0;
    std::size_t pieceEnd = 0;
    while (done < text.size()) {
        if (done == pieceEnd) {
            pieceEnd = done + LinePieceLength(text, done, fileSize + done);
        }
        const ssize_t n = ::write(fd, text.data() + done, pieceEnd - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            error = n < 0 ? std::strerror(errno) : "nothing could be written";
            // Keep the whole lines written; take back a line cut off part-way
            // (not possible on a pipe; harmless there).
            const std::size_t lastEnd = done == 0 ? std::string::npos : text.rfind('\n', done - 1);
            const std::size_t keep = lastEnd == std::string::npos ? 0 : lastEnd + 1;
            for (std::size_t i = 0; i < keep; ++i) {
                wholeLines += text[i] == '\n' ? 1 : 0;
            }
            if (keep < done && ::ftruncate(fd, static_cast<off_t>(fileSize + keep)) == 0) {
                ::lseek(fd, static_cast<off_t>(fileSize + keep), SEEK_SET);
            }
            fileSize += keep;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    for (const char c : text) {
        wholeLines += c == '\n' ? 1 : 0;
    }
    fileSize += text.size();
    unsynced = true;
    return true;
}

void ReadingLog::SyncIfDue(bool force)
{
    const auto now = std::chrono::steady_clock::now();
    if (unsynced && (force || now - lastSync >= options.syncInterval)) {
        // On a pipe or terminal fdatasync fails with EINVAL: nothing to sync.
        ::fdatasync(fd);
        unsynced = false;
        lastSync = now;
    }
}

void ReadingLog::Run()
{
    std::deque<LogReading> batch;
    std::string error;
    // The header goes first, before any row; a failure here ends the log at
    // once, reported like any later write failure.
    bool writeFailed = !WriteLine(header, error);
    std::string reason;
    while (!writeFailed) {
        bool finishing = false;
        {
            std::unique_lock<std::mutex> guard(mutex);
            const auto ready = [&] { return !queue.empty() || finishRequested; };
            writerWaiting = true;
            if (unsynced) {
                wake.wait_until(guard, lastSync + options.syncInterval, ready);
            } else {
                wake.wait(guard, ready);
            }
            writerWaiting = false;
            batch.swap(queue);
            finishing = finishRequested;
            reason = finishReason;
        }
        if (!batch.empty()) {
            std::string chunk;
            std::uint64_t gapLines = 0;
            const std::uint64_t droppedNow = dropped.load();
            if (droppedNow > droppedWritten) {
                chunk += LogGapLine(droppedNow - droppedWritten);
                droppedWritten = droppedNow;
                gapLines = 1;
            }
            for (const LogReading& entry : batch) {
                chunk += LogRow(entry);
            }
            std::uint64_t whole = 0;
            writeFailed = !WriteLines(chunk, whole, error);
            rows.fetch_add(whole > gapLines ? whole - gapLines : 0);
        }
        batch.clear();
        if (writeFailed) {
            break;
        }
        SyncIfDue(false);
        if (finishing) {
            break;
        }
    }

    Ending ending;
    if (writeFailed) {
        failed = true;
        ending.failed = true;
        ending.reason = error;
        {
            // Nothing more is taken: Submit refuses from now on.
            std::lock_guard<std::mutex> guard(mutex);
            finishRequested = true;
            queue.clear();
        }
    } else {
        ending.reason = reason;
        std::string endError;
        if (WriteLine(LogEndLine(reason, rows.load(), dropped.load()), endError)) {
            SyncIfDue(true);
        }
    }
    SyncIfDue(true);
    if (ownsFd) {
        ::close(fd);
    }
    ending.rows = rows.load();
    ending.dropped = dropped.load();
    ended = true;
    if (onEnd) {
        onEnd(ending);
    }
}

// ---- The process's active log --------------------------------------------

namespace {

std::mutex activeMutex;
std::shared_ptr<ReadingLog> active;

}  // namespace

void SetActiveReadingLog(std::shared_ptr<ReadingLog> log)
{
    std::lock_guard<std::mutex> guard(activeMutex);
    active = std::move(log);
}

std::shared_ptr<ReadingLog> ActiveReadingLog()
{
    std::lock_guard<std::mutex> guard(activeMutex);
    return active;
}

void LogReadingIfActive(const std::string& function, const std::string& reading,
                        const std::string& unit, const std::string& range)
{
    if (const auto log = ActiveReadingLog()) {
        log->Submit(function, reading, unit, range);
    }
}

void EndActiveReadingLog(const std::string& reason)
{
    if (const auto log = ActiveReadingLog()) {
        log->Finish(reason);
    }
}

}  // namespace voltora::functions
