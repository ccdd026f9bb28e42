#include "app/MainWindowLayout.h"

#include "views/DialogUnits.h"

using voltora::views::DialogUnitRect;
using voltora::views::DialogUnitsToPixelsY;

namespace voltora::app {
namespace {

// Template of the main window, in dialog units.
constexpr int kTemplateHeight = 382;
constexpr int kListTop = 211;
constexpr int kListHeight = 129;

}  // namespace

QSize MainWindowLayout::ClientSize()
{
    return QSize(kWindowWidth, DialogUnitsToPixelsY(kTemplateHeight));
}

QRect MainWindowLayout::PanelLine()
{
    return DialogUnitRect(0, 205, 536, 0).adjusted(0, 0, 0, 1);
}

QRect MainWindowLayout::UpperBandLine()
{
    return DialogUnitRect(4, 211, 407, 0).adjusted(0, 0, 0, 1);
}

QRect MainWindowLayout::LowerBandLine()
{
    return DialogUnitRect(4, 378, 407, 0).adjusted(0, 0, 0, 1);
}

QRect MainWindowLayout::ViewRect()
{
    const QRect upper = DialogUnitRect(4, 211, 407, 0);
    const QRect lower = DialogUnitRect(4, 378, 407, 0);
    return QRect(upper.left(), upper.top(), kViewWidth, lower.top() - upper.top());
}

QRect MainWindowLayout::ListRect()
{
    const QRect list = DialogUnitRect(424, kListTop, 62, kListHeight);
    return QRect(kListLeft, list.top(), kListWidth, list.height());
}

}  // namespace voltora::app
