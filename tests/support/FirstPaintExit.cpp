#include "support/FirstPaintExit.h"

#include "app/CZANDlg.h"
#include "panel/CFrontPanel.h"

#include <QEvent>
#include <QMetaObject>

namespace voltora::testing {

FirstPaintExit::FirstPaintExit(CZANDlg& window) : QObject(&window), window_(window)
{
    window_.Panel()->installEventFilter(this);
}

bool FirstPaintExit::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Paint && !seen_) {
        seen_ = true;
        // After this paint has finished.
        QMetaObject::invokeMethod(&window_, [this] { window_.done(QDialog::Rejected); },
                                  Qt::QueuedConnection);
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace voltora::testing
