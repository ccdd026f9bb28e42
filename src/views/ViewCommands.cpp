#include "views/ViewCommands.h"

#include "functions/CZANFunction.h"
#include "functions/ViewFlags.h"
#include "platform/Clock.h"
#include "scpi/MathCommands.h"
#include "views/IViewHost.h"
#include "views/ViewText.h"

#include <QMessageBox>

using namespace voltora::scpi;
using namespace voltora::functions;

namespace voltora::views {
namespace {

constexpr unsigned kCommandPauseMs = 100;

}  // namespace

void SendLocked(IViewHost& host, const std::function<void()>& command)
{
    CZANFunction* function = host.CurrentFunction();
    if (function == nullptr) {
        return;
    }
    CZANFunction::PauseGuard paused(*function);
    command();
    platform::SleepMs(kCommandPauseMs);
}

void ClearReadings(IViewHost& host)
{
    SendLocked(host, [&host] {
        ClearStatistics();
        trendRestartPending = true;
        host.RestartElapsedTime();
    });
}

void RefuseTypedNumber(QWidget* parent)
{
    QMessageBox box(QMessageBox::NoIcon, QString::fromLatin1(kTypedNumberCaption),
                    QString::fromLatin1(kTypedNumberMessage), QMessageBox::Ok, parent);
    box.exec();
}

}  // namespace voltora::views
