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
    indicator_ = new QLabel(indicatorParent);
    indicator_->setObjectName(QStringLiteral("LabelLogging"));
    indicator_->setGeometry(kIndicatorLeft, kIndicatorTop, kIndicatorWidth, kIndicatorHeight);
    indicator_->setAlignment(Qt::AlignCenter);
    indicator_->setStyleSheet(
        QStringLiteral("QLabel { color: #ffffff; background: #b01818; border-radius: 4px;"
                       " font-weight: bold; font-size: 11px; }"));
    indicator_->setToolTip(
        QStringLiteral("Readings are being logged (Acquire > Stop logging ends it)"));
    indicator_->hide();
    refresh_ = new QTimer(this);
    refresh_->setInterval(250);
    connect(refresh_, &QTimer::timeout, this, &ReadingLogControl::Refresh);
}

ReadingLogControl::~ReadingLogControl()
{
    if (log_) {
        voltora::functions::SetActiveReadingLog(nullptr);
        log_->Stop("logging stopped");
    }
}

bool ReadingLogControl::Start(const QString& file, const std::string& identity,
                              const std::string& resource, QString& error)
{
    Stop("logging stopped");
    const std::uint64_t mine = ++serial_;
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
    log_ = std::move(created);
    path_ = file;
    voltora::functions::SetActiveReadingLog(log_);
    Refresh();
    indicator_->show();
    indicator_->raise();
    refresh_->start();
    emit LoggingChanged(true);
    return true;
}

void ReadingLogControl::Stop(const std::string& reason)
{
    if (!log_) {
        return;
    }
    voltora::functions::SetActiveReadingLog(nullptr);
    log_->Stop(reason);
    log_.reset();
    ++serial_;  // the queued ending of this log changes nothing any more
    refresh_->stop();
    indicator_->hide();
    emit LoggingChanged(false);
}

void ReadingLogControl::Ended(std::uint64_t which, bool failed, const QString& reason,
                              std::uint64_t rows)
{
    if (which != serial_ || !log_) {
        return;
    }
    voltora::functions::SetActiveReadingLog(nullptr);
    log_->Stop(reason.toStdString());  // joins the writer, which has finished
    log_.reset();
    refresh_->stop();
    indicator_->hide();
    emit LoggingChanged(false);
    if (failed && showError) {
        showError(QStringLiteral("Logging stopped: writing to %1 failed (%2). The file keeps the "
                                 "%3 rows written before.")
                      .arg(path_, reason)
                      .arg(rows));
    }
}

bool ReadingLogControl::IsLogging() const
{
    return log_ != nullptr;
}

std::uint64_t ReadingLogControl::RowsWritten() const
{
    return log_ ? log_->RowsWritten() : 0;
}

QString ReadingLogControl::IndicatorText() const
{
    if (!log_) {
        return QString();
    }
    QString text = QStringLiteral("LOG %1").arg(log_->RowsWritten());
    if (log_->Dropped() > 0) {
        text += QStringLiteral(" (-%1)").arg(log_->Dropped());
    }
    return text;
}

void ReadingLogControl::Refresh()
{
    indicator_->setText(IndicatorText());
    if (log_ && log_->Dropped() > 0) {
        indicator_->setToolTip(
            QStringLiteral("%1 readings could not be queued and are missing from "
                           "the log (marked in the file)")
                .arg(log_->Dropped()));
    }
}

}  // namespace voltora::app
