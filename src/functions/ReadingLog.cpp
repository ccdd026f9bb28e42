#include "functions/ReadingLog.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace voltora::functions {

ReadingLog::ReadingLog(int file, bool ownsFile, std::string headerText, Options logOptions,
                       EndCallback endCallback)
    : fd_(file), ownsFd_(ownsFile), options_(logOptions), onEnd_(std::move(endCallback)),
      header_(std::move(headerText)), start_(std::chrono::steady_clock::now()), lastSync_(start_)
{
    writer_ = std::thread([this] { Run(); });
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
    entry.seconds = std::chrono::duration<double>(now - start_).count();
    entry.function = function;
    entry.reading = reading;
    entry.unit = unit;
    entry.range = range;
    {
        std::lock_guard<std::mutex> guard(mutex_);
        if (finishRequested_) {
            return false;
        }
        if (queue_.size() >= options_.queueCapacity) {
            dropped_.fetch_add(1);
            return false;
        }
        queue_.push_back(std::move(entry));
        if (!writerWaiting_) {
            // The writer is busy and takes everything queued when it is done:
            // no wake-up call needed, which keeps Submit cheap.
            return true;
        }
    }
    wake_.notify_one();
    return true;
}

void ReadingLog::Finish(const std::string& reason)
{
    {
        std::lock_guard<std::mutex> guard(mutex_);
        if (finishRequested_) {
            return;
        }
        finishRequested_ = true;
        finishReason_ = reason;
    }
    wake_.notify_one();
}

void ReadingLog::Stop(const std::string& reason)
{
    Finish(reason);
    if (writer_.joinable() && writer_.get_id() != std::this_thread::get_id()) {
        writer_.join();
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
            pieceEnd = done + LinePieceLength(text, done, fileSize_ + done);
        }
        const ssize_t n = ::write(fd_, text.data() + done, pieceEnd - done);
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
            if (keep < done && ::ftruncate(fd_, static_cast<off_t>(fileSize_ + keep)) == 0) {
                ::lseek(fd_, static_cast<off_t>(fileSize_ + keep), SEEK_SET);
            }
            fileSize_ += keep;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    for (const char c : text) {
        wholeLines += c == '\n' ? 1 : 0;
    }
    fileSize_ += text.size();
    unsynced_ = true;
    return true;
}

void ReadingLog::SyncIfDue(bool force)
{
    const auto now = std::chrono::steady_clock::now();
    if (unsynced_ && (force || now - lastSync_ >= options_.syncInterval)) {
        // On a pipe or terminal fdatasync fails with EINVAL: nothing to sync.
        ::fdatasync(fd_);
        unsynced_ = false;
        lastSync_ = now;
    }
}

void ReadingLog::Run()
{
    std::deque<LogReading> batch;
    std::string error;
    // The header goes first, before any row; a failure here ends the log at
    // once, reported like any later write failure.
    bool writeFailed = !WriteLine(header_, error);
    std::string reason;
    while (!writeFailed) {
        bool finishing = false;
        {
            std::unique_lock<std::mutex> guard(mutex_);
            const auto ready = [&] { return !queue_.empty() || finishRequested_; };
            writerWaiting_ = true;
            if (unsynced_) {
                wake_.wait_until(guard, lastSync_ + options_.syncInterval, ready);
            } else {
                wake_.wait(guard, ready);
            }
            writerWaiting_ = false;
            batch.swap(queue_);
            finishing = finishRequested_;
            reason = finishReason_;
        }
        if (!batch.empty()) {
            std::string chunk;
            std::uint64_t gapLines = 0;
            const std::uint64_t droppedNow = dropped_.load();
            if (droppedNow > droppedWritten_) {
                chunk += LogGapLine(droppedNow - droppedWritten_);
                droppedWritten_ = droppedNow;
                gapLines = 1;
            }
            for (const LogReading& entry : batch) {
                chunk += LogRow(entry);
            }
            std::uint64_t whole = 0;
            writeFailed = !WriteLines(chunk, whole, error);
            rows_.fetch_add(whole > gapLines ? whole - gapLines : 0);
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
        failed_ = true;
        ending.failed = true;
        ending.reason = error;
        {
            // Nothing more is taken: Submit refuses from now on.
            std::lock_guard<std::mutex> guard(mutex_);
            finishRequested_ = true;
            queue_.clear();
        }
    } else {
        ending.reason = reason;
        std::string endError;
        if (WriteLine(LogEndLine(reason, rows_.load(), dropped_.load()), endError)) {
            SyncIfDue(true);
        }
    }
    SyncIfDue(true);
    if (ownsFd_) {
        ::close(fd_);
    }
    ending.rows = rows_.load();
    ending.dropped = dropped_.load();
    ended_ = true;
    if (onEnd_) {
        onEnd_(ending);
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
