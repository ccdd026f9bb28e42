#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

class CZANDlg;
class QTimer;

namespace voltora::testing {

// A walk through the program for its picture test: once the meter is
// connected and reading, it presses each function key in turn, waits for the
// function's readings, saves a picture of the main window as a PNG in
// `folder`, then shows each view, and finally closes the window. Run by
// voltora-screenshot-tour.
class ScreenshotTour : public QObject {
    Q_OBJECT

public:
    // The main window's result (and the exit code) when a step went wrong.
    static constexpr int kFailedResult = 3;

    ScreenshotTour(CZANDlg& window, QString folder);

    void Start();
    // Pictures written so far, and the steps that went wrong.
    const QStringList& Pictures() const { return pictures_; }
    const QStringList& Failures() const { return failures_; }

    // "DC Voltage" -> "dc-voltage".
    static QString FileStem(const QString& title);

private:
    struct Step {
        QString name;                    // file name stem; empty: no picture
        std::function<void()> action;    // what the step does first
        std::function<bool()> ready;     // when the picture may be taken
    };

    void BuildSteps();
    void AddFunctionStep(const QStringList& keys, const QString& expectedTitle);
    void AddViewStep(const QString& view);
    void Tick();
    void Finish();
    bool HasFreshReading() const;

    CZANDlg& window_;
    QString folder_;
    std::vector<Step> steps_;
    std::size_t index_ = 0;
    bool actionDone_ = false;
    QElapsedTimer stepClock_;
    QTimer* timer_ = nullptr;
    QStringList pictures_;
    QStringList failures_;
    int picturesTaken_ = 0;
};

}  // namespace voltora::testing
