#pragma once

#include <QCursor>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QObject>
#include <QTimer>

#include <algorithm>

namespace voltora::app::testing {

// The longest time the user-interface thread's event loop went without
// running a 1 ms timer: the longest stall of the window while it runs.
class StallMeter {
public:
    StallMeter()
    {
        timer.setInterval(1);
        timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer, &QTimer::timeout, [this] { Tick(); });
        clock.start();
        timer.start();
    }
    qint64 LongestMs() const { return longest; }
    bool SawBusyCursor() const { return sawBusyCursor; }

private:
    void Tick()
    {
        const qint64 now = clock.elapsed();
        longest = std::max(longest, now - last);
        last = now;
        const QCursor* cursor = QGuiApplication::overrideCursor();
        sawBusyCursor = sawBusyCursor || (cursor != nullptr && cursor->shape() == Qt::BusyCursor);
    }

    QTimer timer;
    QElapsedTimer clock;
    qint64 last = 0;
    qint64 longest = 0;
    bool sawBusyCursor = false;
};

}  // namespace voltora::app::testing
