#pragma once

#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class QLabel;
class QTimer;
class QWidget;

namespace voltora::functions {
class ReadingLog;
}

namespace voltora::app {

// The main window's continuous logging: starts a reading log that the
// workers feed, ends it, and keeps the display's logging indicator
// ("LOG" and the number of rows written) up to date.
//
// A log can also end by itself: the meter stopped answering (its end line
// says so) or a write failed. The log's writer thread reports that ending;
// it reaches this object as a queued call on the user-interface thread,
// which hides the indicator and, for a write failure, shows one message.
class ReadingLogControl : public QObject {
    Q_OBJECT

public:
    // `indicatorParent` is the front panel: the indicator sits on its display.
    // `showError` shows one message (text) to the user.
    ReadingLogControl(QWidget* indicatorParent, std::function<void(const QString&)> showError,
                      QObject* parent = nullptr);
    // Ends a log in progress ("logging stopped") before the object goes.
    ~ReadingLogControl() override;

    // Starts logging into `path`; false with `error` set when the file cannot
    // be created. A log in progress is ended first.
    bool Start(const QString& path, const std::string& identity, const std::string& resource,
               QString& error);
    // Ends the log in progress with `reason` in its end line; waits until
    // the file is written and closed. Nothing happens when none runs.
    void Stop(const std::string& reason);

    bool IsLogging() const;
    std::uint64_t RowsWritten() const;
    QString Path() const { return path_; }
    // The indicator's text now ("LOG 1234"), empty while not logging.
    QString IndicatorText() const;
    QLabel* Indicator() const { return indicator_; }

    // The indicator's place on the panel: above the display's top right
    // corner, beside the function's title.
    static constexpr int kIndicatorLeft = 330;
    static constexpr int kIndicatorTop = 60;
    static constexpr int kIndicatorWidth = 104;
    static constexpr int kIndicatorHeight = 22;

signals:
    // Logging started or ended (for the menu's enabled states).
    void LoggingChanged(bool logging);

private:
    void Ended(std::uint64_t serial, bool failed, const QString& reason, std::uint64_t rows);
    void Refresh();

    std::function<void(const QString&)> showError;
    std::shared_ptr<voltora::functions::ReadingLog> log_;
    std::uint64_t serial_ = 0;  // which log an ending belongs to
    QString path_;
    QLabel* indicator_ = nullptr;
    QTimer* refresh_ = nullptr;
};

}  // namespace voltora::app
