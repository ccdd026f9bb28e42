#pragma once

#include <QString>

#include <string>
#include <string_view>

class CZANFunction;
class IConnection;

namespace voltora::app {

// Largest "FETCh?" reply a save accepts. A full reading memory of the meter
// is about 160 kB; the reply is read whole, so the newest readings are never
// cut off.
inline constexpr unsigned kSaveReplyLimit = 4u << 20;

// The bytes of a readings file for one "FETCh?" reply: every comma-separated
// field (empty fields kept) as the meter sent it, followed by CR LF; a line
// feed inside a field (the reply's own terminator on the last field) is
// written as CR LF too, so a reply ending in "\n" gives an empty last line.
std::string FormatReadingsFile(std::string_view reply);

enum class SaveResult {
    Saved,
    NotConnected,  // nothing sent, no file touched
    CannotCreate,  // the file cannot be created: nothing sent
    NoReply,       // the meter sent nothing: the file is left as it was
    ReplyTooLong,  // the reply filled kSaveReplyLimit: the file is left as it was
    WriteFailed,   // writing or replacing the file failed: it is left as it was
};

struct SaveOutcome {
    SaveResult result = SaveResult::Saved;
    QString detail;  // the file system's reason, for CannotCreate and WriteFailed
};

// Writes the reading memory of the meter on `connection` to `path`. With the function's worker
// held between cycles (pauseRequested and its lock) it sends "ABORt", reads
// the whole "FETCh?" reply and sends "INIT"; then the file is written. The
// file is replaced only when the whole content could be written; a failure
// leaves an existing file as it was.
SaveOutcome SaveMeterReadings(IConnection& connection, CZANFunction& function, const QString& path);

// What to tell the user about `outcome` for the file `path`; empty when saved.
QString SaveOutcomeMessage(const SaveOutcome& outcome, const QString& path);

}  // namespace voltora::app
