#include "app/UiPause.h"

#include "platform/Clock.h"

#include <QEventLoop>
#include <QTimer>

namespace voltora::app {
namespace {

int depth = 0;  // user-interface thread only

}  // namespace

void UiPause::Install()
{
    platform::SetPauseForThisThread(&UiPause::Run);
}

void UiPause::Uninstall()
{
    platform::SetPauseForThisThread({});
}

void UiPause::Run(unsigned milliseconds)
{
    ++depth;
    QEventLoop loop;
    QTimer::singleShot(static_cast<int>(milliseconds), Qt::PreciseTimer, &loop, &QEventLoop::quit);
    // User input is held back, not dropped: a click during the pause takes
    // effect after the sequence that paused, never in the middle of it.
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    --depth;
}

bool UiPause::Active()
{
    return depth > 0;
}

}  // namespace voltora::app
