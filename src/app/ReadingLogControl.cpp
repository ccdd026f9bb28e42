#include "app/ReadingLogControl.h"

#include "functions/ReadingLog.h"
#include "functions/ReadingLogFormat.h"

#include <QLabel>
#include <QMetaObject>
#include <QPointer>
#include <QTimer>

using namespace voltora::functions;

namespace voltora::app {

ReadingLogControl::ReadingLogControl(QWidget* indicatorParent,
                                     std::function<void(const QString&)> reportError, QObject* parent)
    : QObject(parent), showError(std::move(reportError))
{
    indicator = new QLabel(indicatorParent);
    indicator->setObjectName(QStringLiteral("LabelLogging"));
    indicator->setGeometry(kIndicatorLeft, kIndicatorTop, kIndicatorWidth, kIndicatorHeight);
    indicator->setAlignment(Qt::AlignCenter);
    indicator->setStyleSheet(QStringLiteral(
        "QLabel { color: #ffffff; background: #b01818; border-radius: 4px;"
        " font-weight: bold; font-size: 11px; }"));
    indicator->setToolTip(QStringLiteral("Readings are being logged (Acquire > Stop logging ends it)"));
    indicator->hide();
    refresh = new QTimer(this);
    refresh->setInterval(250);
    connect(refresh, &QTimer::timeout, this, &ReadingLogControl::Refresh);
}

ReadingLogControl::~ReadingLogControl()
{
    if (log) {
        voltora::functions::SetActiveReadingLog(nullptr);
        log->Stop("logging stopped");
    }
}

bool ReadingLogControl::Start(const QString& file, const std::string& identity,
                              const std::string& resource, QString& error)
{
    Stop("logging stopped");
    const std::uint64_t mine = ++serial;
    // Called on the writer thread once the log has ended by itself or been
    // stopped: handed to this object on the user-interface thread.
    QPointer<ReadingLogControl> self(this);
    auto onEnd = [self, mine](const voltora::functions::ReadingLog::Ending& ending) {
        const QString reason = QString::fromStdString(ending.reason);
        const bool failed = ending.failed;
        const std::uint64_t rows = ending.rows;
        QMetaObject::invokeMethod(
            self.data(),
            [self, mine, failed, reason, rows] {
                if (self) {
                    self->Ended(mine, failed, reason, rows);
                }
            },
            Qt::QueuedConnection);
    };
    std::string openError;
    std::unique_ptr<voltora::functions::ReadingLog> created = voltora::functions::ReadingLog::Create(
        file.toStdString(), voltora::functions::LogHeader(identity, resource), {}, std::move(onEnd),
        openError);
    if (!created) {
        error = QString::fromStdString(openError);
        return false;
    }
    log = std::move(created);
    path = file;
    voltora::functions::SetActiveReadingLog(log);
    Refresh();
    indicator->show();
    indicator->raise();
    refresh->start();
    emit LoggingChanged(true);
    return true;
}

void ReadingLogControl::Stop(const std::string& reason)
{
    if (!log) {
        return;
    }
    voltora::functions::SetActiveReadingLog(nullptr);
    log->Stop(reason);
    log.reset();
    ++serial;  // the queued ending of this log changes nothing any more
    refresh->stop();
    indicator->hide();
    emit LoggingChanged(false);
}

void ReadingLogControl::Ended(std::uint64_t which, bool failed, const QString& reason,
                              std::uint64_t rows)
{
    if (which != serial || !log) {
        return;
    }
    voltora::functions::SetActiveReadingLog(nullptr);
    log->Stop(reason.toStdString());  // joins the writer, which has finished
    log.reset();
    refresh->stop();
    indicator->hide();
    emit LoggingChanged(false);
    if (failed && showError) {
        showError(QStringLiteral("Logging stopped: writing to %1 failed (%2). The file keeps the "
                                 "%3 rows written before.")
                      .arg(path, reason)
                      .arg(rows));
    }
}

bool ReadingLogControl::IsLogging() const
{
    return log != nullptr;
}

std::uint64_t ReadingLogControl::RowsWritten() const
{
    return log ? log->RowsWritten() : 0;
}

QString ReadingLogControl::IndicatorText() const
{
    if (!log) {
        return QString();
    }
    QString text = QStringLiteral("LOG %1").arg(log->RowsWritten());
    if (log->Dropped() > 0) {
        text += QStringLiteral(" (-%1)").arg(log->Dropped());
    }
    return text;
}

void ReadingLogControl::Refresh()
{
    indicator->setText(IndicatorText());
    if (log && log->Dropped() > 0) {
        indicator->setToolTip(QStringLiteral("%1 readings could not be queued and are missing from "
                                             "the log (marked in the file)")
                                  .arg(log->Dropped()));
    }
}

}  // namespace voltora::app
