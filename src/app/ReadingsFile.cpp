#include "app/ReadingsFile.h"

#include "functions/CZANFunction.h"
#include "link/IConnection.h"
#include "scpi/Commands.h"
#include "scpi/InstrumentExchange.h"

#include <QSaveFile>

#include <boost/algorithm/string/classification.hpp>
#include <boost/algorithm/string/split.hpp>

#include <cstring>
#include <vector>

using namespace voltora::scpi;
using namespace voltora::functions;

namespace voltora::app {

std::string FormatReadingsFile(std::string_view reply)
{
    std::vector<boost::iterator_range<std::string_view::const_iterator>> fields;
    boost::algorithm::split(fields, reply, boost::algorithm::is_any_of(","));
    std::string out;
    out.reserve(reply.size() + 2 * fields.size() + 2);
    for (const auto& field : fields) {
        for (const char ch : field) {
            if (ch == '\n') {
                out += "\r\n";
            } else {
                out += ch;
            }
        }
        out += "\r\n";
    }
    return out;
}

SaveOutcome SaveMeterReadings(IConnection& connection, CZANFunction& function, const QString& path)
{
    if (!connection.IsConnected()) {
        return {SaveResult::NotConnected, {}};
    }
    // The content goes to a temporary file that replaces the named one only
    // when everything was written (or straight into the file where the
    // folder allows no temporary file).
    QSaveFile file(path);
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly)) {
        return {SaveResult::CannotCreate, file.errorString()};
    }

    std::vector<char> buffer(kSaveReplyLimit, '\0');
    unsigned count = 0;
    {
        // No reading query of the worker may fall between abort and restart.
        CZANFunction::PauseGuard paused(function);
        Abort();
        count = scpi::QueryIntoBuffer("FETCh?", buffer.data(), kSaveReplyLimit);
        Initiate();
    }
    if (count >= kSaveReplyLimit) {
        file.cancelWriting();
        return {SaveResult::ReplyTooLong, {}};
    }
    const std::string_view reply(buffer.data(), ::strnlen(buffer.data(), count));
    if (reply.empty()) {
        file.cancelWriting();
        return {SaveResult::NoReply, {}};
    }

    const std::string content = FormatReadingsFile(reply);
    const qint64 written = file.write(content.data(), static_cast<qint64>(content.size()));
    if (written != static_cast<qint64>(content.size())) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return {SaveResult::WriteFailed, reason};
    }
    if (!file.commit()) {
        return {SaveResult::WriteFailed, file.errorString()};
    }
    return {SaveResult::Saved, {}};
}

QString SaveOutcomeMessage(const SaveOutcome& outcome, const QString& path)
{
    switch (outcome.result) {
    case SaveResult::Saved:
        return QString();
    case SaveResult::NotConnected:
        return QStringLiteral("No meter is connected, so there are no readings to save.");
    case SaveResult::CannotCreate:
        return QStringLiteral("The file \"%1\" cannot be created: %2\nNothing was saved.")
            .arg(path, outcome.detail);
    case SaveResult::NoReply:
        return QStringLiteral("The meter sent no readings. The file \"%1\" was not written.")
            .arg(path);
    case SaveResult::ReplyTooLong:
        return QStringLiteral("The meter's reply is longer than %1 bytes. The file \"%2\" was "
                              "not written.")
            .arg(kSaveReplyLimit)
            .arg(path);
    case SaveResult::WriteFailed:
        return QStringLiteral("Writing the file \"%1\" failed: %2\nThe readings are not saved.")
            .arg(path, outcome.detail);
    }
    return QString();
}

}  // namespace voltora::app
