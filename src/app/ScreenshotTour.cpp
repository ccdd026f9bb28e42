#include "app/ScreenshotTour.h"

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

namespace voltora::app {
namespace {

// How often the tour looks at the window, how long a step may wait for its
// readings, and how long the readings run before the picture (so that the
// trend and histogram have something to draw).
constexpr int kTickMs = 100;
constexpr qint64 kStepLimitMs = 20000;
constexpr qint64 kSettleMs = 1500;

}  // namespace

ScreenshotTour::ScreenshotTour(CZANDlg& window, QString folder)
    : QObject(&window), window(window), folder(std::move(folder))
{
    timer = new QTimer(this);
    timer->setInterval(kTickMs);
    connect(timer, &QTimer::timeout, this, &ScreenshotTour::Tick);
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
    QDir().mkpath(folder);
    BuildSteps();
    stepClock.start();
    timer->start();
}

bool ScreenshotTour::HasFreshReading() const
{
    CFrontPanel* panel = window.Panel();
    const std::string reading = panel->CurrentFunction()->GetReadingText();
    return CConectWithNI::Instance()->IsConnected() && panel->IsRunning() && !reading.empty() &&
           reading != kInitToken;
}

void ScreenshotTour::BuildSteps()
{
    // Connected and reading DC voltage, as the command line asked.
    steps.push_back({QString(), [] {}, [this] { return HasFreshReading(); }});
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
            window.Panel()->Notify(key);
        }
    };
    step.ready = [this, expectedTitle] {
        const QString title = QString::fromStdString(window.Panel()->CurrentFunctionName());
        if (!expectedTitle.isEmpty() && title != expectedTitle) {
            return false;
        }
        return HasFreshReading();
    };
    steps.push_back(step);
}

void ScreenshotTour::AddViewStep(const QString& view)
{
    Step step;
    step.name = QStringLiteral("view-") + FileStem(view);
    step.action = [this, view] {
        const auto items = window.ViewList()->findItems(view, Qt::MatchExactly);
        if (!items.isEmpty()) {
            window.ViewList()->setCurrentItem(items.constFirst());
        }
    };
    step.ready = [this, view] {
        return window.CurrentView() == window.View(view) && HasFreshReading();
    };
    steps.push_back(step);
}

void ScreenshotTour::Tick()
{
    if (index >= steps.size()) {
        Finish();
        return;
    }
    Step& step = steps[index];
    if (!actionDone) {
        step.action();
        actionDone = true;
        stepClock.restart();
        return;
    }
    const bool ready = step.ready();
    const bool timedOut = stepClock.elapsed() > kStepLimitMs;
    if (!timedOut && (!ready || stepClock.elapsed() < kSettleMs)) {
        return;
    }
    if (!ready) {
        failures << QStringLiteral("%1: no readings within %2 ms").arg(step.name).arg(kStepLimitMs);
    }
    if (!step.name.isEmpty()) {
        const QString path = QDir(folder).filePath(
            QStringLiteral("%1-%2.png").arg(++picturesTaken, 2, 10, QLatin1Char('0')).arg(step.name));
        if (window.grab().save(path)) {
            pictures << path;
            std::printf("screenshot %s\n", qPrintable(path));
        } else {
            failures << QStringLiteral("%1: cannot write %2").arg(step.name, path);
        }
    }
    ++index;
    actionDone = false;
}

void ScreenshotTour::Finish()
{
    timer->stop();
    int expected = 0;
    for (const Step& step : steps) {
        expected += step.name.isEmpty() ? 0 : 1;
    }
    if (pictures.size() != expected) {
        failures << QStringLiteral("%1 of %2 pictures written").arg(pictures.size()).arg(expected);
    }
    for (const QString& failure : failures) {
        std::fprintf(stderr, "screenshot tour: %s\n", qPrintable(failure));
    }
    window.done(failures.isEmpty() ? QDialog::Rejected : kFailedResult);
}

}  // namespace voltora::app
