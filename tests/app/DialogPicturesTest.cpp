// Pictures of every dialog and analysis view, written under the build tree
// (test-artifacts/dialogs-<scale>/) for a person to look at, at the screen
// scale the test runs with (QT_SCALE_FACTOR). Each picture is also checked:
// no control of a dialog overlaps another or leaves the dialog, and every
// text fits the control it is in.

#include "app/CAboutDlg.h"
#include "app/CDlgDelay.h"
#include "app/CDlgProtocol.h"
#include "app/CDlgSamplesTrigger.h"
#include "app/CDlgTempSensor.h"
#include "link/IConnection.h"
#include "views/CDlgBarMeter.h"
#include "views/CDlgHistogram.h"
#include "views/CDlgTrendChart.h"
#include "views/CDlgZANMath.h"
#include "views/FakeViewHost.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QPixmap>
#include <QScreen>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

namespace {

class NoMeter : public IConnection {
public:
    bool Open(const char*) override { return false; }
    bool Close() override { return true; }
    bool IsConnected() override { return false; }
    bool HasFailed() const override { return false; }
    bool Write(const char*) override { return false; }
    bool Read(char*, unsigned, unsigned*) override { return false; }
    bool Query(const char*, char*, unsigned, unsigned*) override { return false; }
    void FindUsbResources(std::vector<std::string>& resources, std::vector<std::string>& models) override
    {
        resources = {"USB0::0x5345::0x1234::ZAN0001::INSTR"};
        models = {"ZDM1000"};
    }
};

QString PictureFolder()
{
    const qreal ratio = qApp->devicePixelRatio();
    return QStringLiteral(VOLTORA_APP_ARTIFACT_DIR) + QStringLiteral("/dialogs-%1").arg(qRound(ratio * 100));
}

// The controls that are shown, their rectangles in the dialog's coordinates.
std::vector<std::pair<QWidget*, QRect>> ShownControls(QWidget& dialog)
{
    std::vector<std::pair<QWidget*, QRect>> controls;
    for (QWidget* child : dialog.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (child->isVisibleTo(&dialog) && !child->inherits("QGroupBox") && !child->inherits("QDialogButtonBox")) {
            controls.emplace_back(child, child->geometry());
        }
    }
    return controls;
}

std::string Describe(QWidget* w)
{
    QString text;
    if (auto* label = qobject_cast<QLabel*>(w)) {
        text = label->text();
    } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        text = button->text();
    }
    return (w->metaObject()->className() + QStringLiteral(" ") + w->objectName() + QStringLiteral(" \"") + text +
            QStringLiteral("\""))
        .toStdString();
}

void CheckAndSave(QWidget& dialog, const QString& name)
{
    SCOPED_TRACE(name.toStdString());
    dialog.show();
    QApplication::processEvents();
    const QRect inside = dialog.rect();
    const auto controls = ShownControls(dialog);
    for (std::size_t i = 0; i < controls.size(); ++i) {
        const auto& [control, rect] = controls[i];
        EXPECT_TRUE(inside.contains(rect)) << Describe(control) << " leaves the dialog";
        if (auto* label = qobject_cast<QLabel*>(control); label != nullptr && !label->text().isEmpty() &&
                                                           !label->wordWrap() && label->pixmap().isNull()) {
            const QRect needed = QFontMetrics(label->font()).boundingRect(label->text().split(QLatin1Char('\n')).first());
            EXPECT_LE(needed.width(), rect.width() + 1) << Describe(control) << " is cut";
        }
        for (std::size_t j = i + 1; j < controls.size(); ++j) {
            const auto& [other, otherRect] = controls[j];
            EXPECT_FALSE(rect.intersects(otherRect)) << Describe(control) << " overlaps " << Describe(other);
        }
    }
    // A group box frames its controls: none straddles its frame.
    for (QGroupBox* group : dialog.findChildren<QGroupBox*>()) {
        if (!group->isVisibleTo(&dialog)) {
            continue;
        }
        const QRect frame = group->geometry();
        for (const auto& [control, rect] : controls) {
            if (control->inherits("QCheckBox") && rect.top() < frame.top() + 8) {
                continue;  // a check box placed on the caption's line on purpose
            }
            const bool touches = frame.intersects(rect);
            EXPECT_TRUE(!touches || frame.adjusted(1, 8, -1, -1).contains(rect))
                << Describe(control) << " straddles the group " << group->title().toStdString();
        }
    }
    QDir().mkpath(PictureFolder());
    const QPixmap picture = dialog.grab();
    EXPECT_DOUBLE_EQ(picture.devicePixelRatio(), qApp->devicePixelRatio());
    EXPECT_TRUE(picture.save(PictureFolder() + QLatin1Char('/') + name + QStringLiteral(".png")));
    dialog.hide();
}

TEST(DialogPictures, EveryDialogIsLaidOutCleanly)
{
    {
        NoMeter meter;
        CDlgProtocol dialog(&meter);
        CheckAndSave(dialog, QStringLiteral("connection"));
    }
    NoMeter noMeter;
    {
        CDlgDelay dialog(noMeter);
        CheckAndSave(dialog, QStringLiteral("delay"));
    }
    {
        CDlgSamplesTrigger dialog(noMeter);
        CheckAndSave(dialog, QStringLiteral("samples-trigger"));
    }
    {
        CDlgTempSensor dialog(noMeter);
        CheckAndSave(dialog, QStringLiteral("temperature-sensor"));
    }
    {
        CAboutDlg dialog;
        CheckAndSave(dialog, QStringLiteral("about"));
    }
}

TEST(DialogPictures, EveryViewIsLaidOutCleanly)
{
    voltora::views::testing::FakeViewHost host;
    {
        CDlgZANMath view(&host);
        CheckAndSave(view, QStringLiteral("view-math"));
    }
    {
        CDlgBarMeter view(&host);
        CheckAndSave(view, QStringLiteral("view-bar-meter"));
    }
    {
        CDlgTrendChart view(&host);
        CheckAndSave(view, QStringLiteral("view-trend-chart"));
    }
    {
        CDlgHistogram view(&host);
        CheckAndSave(view, QStringLiteral("view-histogram"));
    }
}

}  // namespace
