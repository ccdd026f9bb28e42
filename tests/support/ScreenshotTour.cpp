#include "support/ScreenshotTour.h"

#include "app/CZANDlg.h"
#include "functions/CZANFunction.h"
#include "functions/DisplayText.h"
#include "link/CConectWithNI.h"
#include "panel/CFrontPanel.h"

#include <QDir>
#include <QListWidget>
#include <QPixmap>
#include <QTimer>

#include <cstdio>

using namespace voltora::functions;

namespace voltora::testing {
namespace {

// How often the tour looks at the window, how long a step may wait for its
// readings, and how long the readings run before the picture (so that the
// trend and histogram have something to draw).
constexpr int kTickMs = 100;
constexpr qint64 kStepLimitMs = 20000;
constexpr qint64 kSettleMs = 1500;

}  // namespace

ScreenshotTour::ScreenshotTour(CZANDlg& window, QString folder)
    : QObject(&window), window_(window), folder_(std::move(folder))
{
    timer_ = new QTimer(this);
    timer_->setInterval(kTickMs);
    connect(timer_, &QTimer::timeout, this, &ScreenshotTour::Tick);
}

QString ScreenshotTour::FileStem(const QString& title)
{
    QString stem;
    for (const QChar ch : title.toLower()) {
        if (ch.isLetterOrNumber()) {
            stem += ch;
        } else if (!stem.endsWith(QLatin1Char('-'))) {
            stem += QLatin1Char('-');
        }
    }
    while (stem.endsWith(QLatin1Char('-'))) {
        stem.chop(1);
    }
    return stem;
}

void ScreenshotTour::Start()
{
    QDir().mkpath(folder_);
    BuildSteps();
    stepClock_.start();
    timer_->start();
}

bool ScreenshotTour::HasFreshReading() const
{
    CFrontPanel* panel = window_.Panel();
    const std::string reading = panel->CurrentFunction()->GetReadingText();
    return CConectWithNI::Instance()->IsConnected() && panel->IsRunning() && !reading.empty() &&
           reading != kInitToken;
}

void ScreenshotTour::BuildSteps()
{
    // Connected and reading DC voltage, as the command line asked.
    steps_.push_back({QString(), [] {}, [this] { return HasFreshReading(); }});
    AddFunctionStep({QStringLiteral("btnDCV")}, QStringLiteral("DC Voltage"));
    AddFunctionStep({QStringLiteral("btnShift"), QStringLiteral("btnDCV")}, QStringLiteral("DC Current"));
    AddFunctionStep({QStringLiteral("btnACV")}, QStringLiteral("AC Voltage"));
    AddFunctionStep({QStringLiteral("btnShift"), QStringLiteral("btnACV")}, QStringLiteral("AC Current"));
    AddFunctionStep({QStringLiteral("btn2W")}, QStringLiteral("2 Wire Resistance"));
    AddFunctionStep({QStringLiteral("btnShift"), QStringLiteral("btn2W")}, QStringLiteral("4 Wire Resistance"));
    AddFunctionStep({QStringLiteral("btn-11-")}, QStringLiteral("Capacitance"));
    AddFunctionStep({QStringLiteral("btnShift"), QStringLiteral("btn-11-")}, QStringLiteral("Frequency"));
    AddFunctionStep({QStringLiteral("btnCont")}, QStringLiteral("Continuity"));
    AddFunctionStep({QStringLiteral("btnShift"), QStringLiteral("btnCont")}, QStringLiteral("Diode"));
    AddFunctionStep({QStringLiteral("btnTemp")}, QStringLiteral("Temperature"));
    AddFunctionStep({QStringLiteral("btnDCV")}, QString());
    for (const char* view : {"BarMeter", "TrendChart", "Histogram", "Math"}) {
        AddViewStep(QString::fromLatin1(view));
    }
}

void ScreenshotTour::AddFunctionStep(const QStringList& keys, const QString& expectedTitle)
{
    Step step;
    step.name = expectedTitle.isEmpty() ? QString() : FileStem(expectedTitle);
    step.action = [this, keys] {
        for (const QString& key : keys) {
            window_.Panel()->Notify(key);
        }
    };
    step.ready = [this, expectedTitle] {
        const QString title = QString::fromStdString(window_.Panel()->CurrentFunctionName());
        if (!expectedTitle.isEmpty() && title != expectedTitle) {
            return false;
        }
        return HasFreshReading();
    };
    steps_.push_back(step);
}

void ScreenshotTour::AddViewStep(const QString& view)
{
    Step step;
    step.name = QStringLiteral("view-") + FileStem(view);
    step.action = [this, view] {
        const auto items = window_.ViewList()->findItems(view, Qt::MatchExactly);
        if (!items.isEmpty()) {
            window_.ViewList()->setCurrentItem(items.constFirst());
        }
    };
    step.ready = [this, view] {
        return window_.CurrentView() == window_.View(view) && HasFreshReading();
    };
    steps_.push_back(step);
}

void ScreenshotTour::Tick()
{
    if (index_ >= steps_.size()) {
        Finish();
        return;
    }
    Step& step = steps_[index_];
    if (!actionDone_) {
        step.action();
        actionDone_ = true;
        stepClock_.restart();
        return;
    }
    const bool ready = step.ready();
    const bool timedOut = stepClock_.elapsed() > kStepLimitMs;
    if (!timedOut && (!ready || stepClock_.elapsed() < kSettleMs)) {
        return;
    }
    if (!ready) {
        failures_ << QStringLiteral("%1: no readings within %2 ms").arg(step.name).arg(kStepLimitMs);
    }
    if (!step.name.isEmpty()) {
        const QString path = QDir(folder_).filePath(
            QStringLiteral("%1-%2.png").arg(++picturesTaken_, 2, 10, QLatin1Char('0')).arg(step.name));
        if (window_.grab().save(path)) {
            pictures_ << path;
            std::printf("screenshot %s\n", qPrintable(path));
        } else {
            failures_ << QStringLiteral("%1: cannot write %2").arg(step.name, path);
        }
    }
    ++index_;
    actionDone_ = false;
}

void ScreenshotTour::Finish()
{
    timer_->stop();
    int expected = 0;
    for (const Step& step : steps_) {
        expected += step.name.isEmpty() ? 0 : 1;
    }
    if (pictures_.size() != expected) {
        failures_ << QStringLiteral("%1 of %2 pictures_ written").arg(pictures_.size()).arg(expected);
    }
    for (const QString& failure : failures_) {
        std::fprintf(stderr, "screenshot tour: %s\n", qPrintable(failure));
    }
    window_.done(failures_.isEmpty() ? QDialog::Rejected : kFailedResult);
}

}  // namespace voltora::testing
