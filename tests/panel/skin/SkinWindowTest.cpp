// Driving a skin window: finding controls, texts, colours, rectangles,
// visibility, enabled state, and clicks reported by name.
#include "panel/skin/QtTestApplication.h"
#include "panel/skin/SkinButton.h"
#include "panel/skin/SkinControl.h"
#include "panel/skin/SkinWindow.h"

#include <QFontMetricsF>
#include <QImage>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdlib>

namespace voltora::panel {
namespace {

class SkinWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(test::QtApplicationReady());
        ASSERT_TRUE(window_.LoadSkin()) << window_.LastError().toStdString();
    }

    SkinControl& Control(const char* name)
    {
        SkinControl* control = window_.FindControl(name);
        EXPECT_NE(control, nullptr) << name;
        return control != nullptr ? *control : *window_.FindControl("LabelValue");
    }

    QImage Grab() { return window_.grab().toImage().convertToFormat(QImage::Format_RGB32); }

    SkinWindow window_;
};

// True when each colour channel of `a` is within `tolerance` of `b`'s.
bool Near(QRgb a, QRgb b, int tolerance)
{
    return std::abs(qRed(a) - qRed(b)) <= tolerance && std::abs(qGreen(a) - qGreen(b)) <= tolerance
           && std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

// Pixels of the colour `rgb` inside `area` of `image`. Small antialiased
// text rarely reaches its exact colour, hence the tolerance.
int CountColor(const QImage& image, const QRect& area, QRgb rgb, int tolerance = 0)
{
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (Near(image.pixel(x, y), rgb, tolerance)) {
                ++count;
            }
        }
    }
    return count;
}

// Bounding box of the pixels of the colour `rgb` inside `area`.
QRect ColorBounds(const QImage& image, const QRect& area, QRgb rgb, int tolerance = 0)
{
    QRect bounds;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (Near(image.pixel(x, y), rgb, tolerance)) {
                bounds = bounds.united(QRect(x, y, 1, 1));
            }
        }
    }
    return bounds;
}

TEST_F(SkinWindowTest, FindsControlsByNameOnly)
{
    EXPECT_EQ(window_.FindControl("LabelValue")->Name(), "LabelValue");
    EXPECT_EQ(window_.FindControl("labelvalue"), nullptr) << "names are case-sensitive";
    EXPECT_EQ(window_.FindControl(""), nullptr);
    EXPECT_EQ(window_.FindButton("LabelValue"), nullptr) << "a label is not a button";
    EXPECT_NE(window_.FindButton("btnOK"), nullptr);
}

TEST_F(SkinWindowTest, TextColourWithAlphaZeroIsDrawnInFull)
{
    SkinControl& value = Control("LabelValue");
    value.SetText("8888");
    EXPECT_EQ(value.Text(), "8888");
    const QImage image = Grab();
    EXPECT_GT(CountColor(image, value.Rect(), 0xFEE101), 100) << "yellow digits on the display";

    Control("ContainerTempMeasVal").SetVisible(false);  // it covers the range row
    SkinControl& range = Control("LabelRange");
    range.SetTextColor(0x00E1FE01);
    const QImage recoloured = Grab();
    EXPECT_GT(CountColor(recoloured, range.Rect(), 0xE1FE01, 48), 10);
}

TEST_F(SkinWindowTest, BackgroundAlphaZeroIsTransparent)
{
    Control("ContainerTempMeasVal").SetVisible(false);  // it lies over the entry popup
    SkinControl& cell = Control("labelPop5");
    cell.SetText("");
    const QPoint inside = cell.Rect().center();

    cell.SetBackgroundColor(0xFFC0C0C0);
    EXPECT_EQ(Grab().pixel(inside) & 0xFFFFFF, 0xC0C0C0u) << "the cursor cell is grey";

    cell.SetBackgroundColor(0x00000000);
    EXPECT_EQ(cell.BackgroundColor(), 0u);
    EXPECT_EQ(Grab().pixel(inside) & 0xFFFFFF, 0x2D7A98u) << "the popup's blue shows through";
}

TEST_F(SkinWindowTest, DisabledControlsUseTheDisabledTextColour)
{
    SkinControl& title = Control("LabelTitle");
    title.SetEnabled(false);
    QImage image = Grab();
    EXPECT_GT(CountColor(image, title.Rect(), 0xA7A6AA), 20);
    EXPECT_EQ(CountColor(image, title.Rect(), 0xFEE101), 0);

    title.SetEnabled(true);
    image = Grab();
    EXPECT_EQ(CountColor(image, title.Rect(), 0xA7A6AA), 0);
    EXPECT_GT(CountColor(image, title.Rect(), 0xFEE101), 20);

    // LabelStop declares no disabled colour: it stays red.
    SkinControl& stop = Control("LabelStop");
    stop.SetVisible(true);
    stop.SetEnabled(false);
    image = Grab();
    EXPECT_GT(CountColor(image, stop.Rect(), 0xFF0000), 20);
}

TEST_F(SkinWindowTest, TextFollowsTheAlignment)
{
    // Right-bottom: the shift marker hugs the lower right corner.
    SkinControl& shift = Control("LabelShift");
    shift.SetVisible(true);
    shift.SetText("II");
    QImage image = Grab();
    const QRect shiftText = ColorBounds(image, shift.Rect(), 0x57FFFF, 48);
    ASSERT_FALSE(shiftText.isNull());
    EXPECT_GE(shiftText.right(), shift.Rect().right() - 2);
    EXPECT_GE(shiftText.bottom(), shift.Rect().bottom() - 4);
    EXPECT_GT(shiftText.left(), shift.Rect().left() + 10);

    // Centred: the value's ink is centred in its label.
    SkinControl& value = Control("LabelValue");
    value.SetText("0");
    image = Grab();
    const QRect valueText = ColorBounds(image, value.Rect(), 0xFEE101);
    ASSERT_FALSE(valueText.isNull());
    EXPECT_NEAR(valueText.center().x(), value.Rect().center().x(), 3);
    EXPECT_NEAR(valueText.center().y(), value.Rect().center().y(), 6);

    // Right: the unit's ink ends at the right edge of its label.
    Control("ContainerTempMeasVal").SetVisible(false);  // it covers the unit row
    SkinControl& unit = Control("LabelUnit");
    unit.SetText("V");
    image = Grab();
    const QRect unitText = ColorBounds(image, unit.Rect(), 0xFEE101, 48);
    ASSERT_FALSE(unitText.isNull());
    EXPECT_GE(unitText.right(), unit.Rect().right() - 2);
    EXPECT_GT(unitText.left(), unit.Rect().left() + 30);
}

TEST_F(SkinWindowTest, RectanglesAreInWindowCoordinates)
{
    SkinControl& value = Control("LabelValue");  // inside ContainerMain at 72,86
    value.SetRect(82, 106, 182, 156);
    EXPECT_EQ(value.Position(), QPoint(10, 20));
    EXPECT_EQ(value.size(), QSize(100, 50));
    EXPECT_EQ(value.Rect(), QRect(82, 106, 100, 50));

    value.SetPosition(46, 11);
    EXPECT_EQ(value.Rect().topLeft(), QPoint(118, 97));

    SkinControl& box = Control("ContainerMain");
    box.SetRect(80, 90, 444, 195);
    EXPECT_EQ(box.Rect(), QRect(80, 90, 364, 105));
    EXPECT_EQ(value.Position(), QPoint(46, 11));
    EXPECT_EQ(value.Rect().topLeft(), QPoint(126, 101)) << "children move with their container";

    SkinControl& title = Control("LabelTitle");
    const int width = window_.MeasureTextWidth("AC Curren", title.FontIndex());
    title.SetRect(72, 57, 92 + width, 87);
    EXPECT_EQ(title.Rect(), QRect(72, 57, 20 + width, 30));
}

TEST_F(SkinWindowTest, MeasuredWidthCoversTheDrawnText)
{
    SkinControl& name = Control("LabelF1Name");  // font 8, centred
    name.SetTextColor(0xFFFFFFFF);
    name.SetText("Range");
    const int measured = window_.MeasureTextWidth("Range", name.FontIndex());
    const QRect ink = ColorBounds(Grab(), name.Rect(), 0xFFFFFF, 64);
    ASSERT_FALSE(ink.isNull());
    EXPECT_LE(ink.width(), measured);
    EXPECT_GE(ink.width(), measured - 4);
    EXPECT_LT(window_.MeasureTextWidth("AC", 2), window_.MeasureTextWidth("AC Curren", 2));
    EXPECT_EQ(window_.MeasureTextWidth("", 2), 0);
}

TEST_F(SkinWindowTest, VisibilityIsTheControlsOwnFlag)
{
    SkinControl& stop = Control("LabelStop");
    EXPECT_FALSE(stop.IsVisible());
    stop.SetVisible(true);
    EXPECT_TRUE(stop.IsVisible());

    Control("ContainerMain").SetVisible(false);
    EXPECT_FALSE(Control("ContainerMain").IsVisible());
    EXPECT_TRUE(Control("LabelValue").IsVisible());
}

TEST_F(SkinWindowTest, ClickIsReportedWithTheButtonsName)
{
    QSignalSpy clicks(&window_, &SkinWindow::Clicked);
    window_.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window_));

    for (const char* name : {"btnDCV", "btn-11-", "btnF3", "btnOK"}) {
        QTest::mouseClick(window_.FindButton(name), Qt::LeftButton);
    }
    ASSERT_EQ(clicks.count(), 4);
    EXPECT_EQ(clicks.at(0).at(0).toString(), "btnDCV");
    EXPECT_EQ(clicks.at(1).at(0).toString(), "btn-11-");
    EXPECT_EQ(clicks.at(2).at(0).toString(), "btnF3");
    EXPECT_EQ(clicks.at(3).at(0).toString(), "btnOK");

    QTest::mouseClick(window_.FindButton("btnRun"), Qt::RightButton);
    EXPECT_EQ(clicks.count(), 4) << "only the left button clicks";
}

TEST_F(SkinWindowTest, DisabledButtonDoesNotClick)
{
    QSignalSpy clicks(&window_, &SkinWindow::Clicked);
    window_.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window_));
    SkinButton* second = window_.FindButton("btn2nd");
    ASSERT_NE(second, nullptr);

    QTest::mouseClick(second, Qt::LeftButton);
    EXPECT_EQ(clicks.count(), 0);

    second->SetEnabled(true);
    QTest::mouseClick(second, Qt::LeftButton);
    ASSERT_EQ(clicks.count(), 1);
    EXPECT_EQ(clicks.at(0).at(0).toString(), "btn2nd");
}

TEST_F(SkinWindowTest, ButtonShowsPushedImageWhileHeldAndCancelsWhenDraggedOff)
{
    QSignalSpy clicks(&window_, &SkinWindow::Clicked);
    window_.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window_));
    SkinButton* key = window_.FindButton("btnShift");
    ASSERT_NE(key, nullptr);
    const QImage normal = key->grab().toImage();

    QTest::mousePress(key, Qt::LeftButton);
    EXPECT_TRUE(key->IsPushed());
    EXPECT_NE(key->grab().toImage(), normal) << "the pushed image is drawn";

    const QPointF outside(-10, -10);
    QMouseEvent move(QEvent::MouseMove, outside, key->mapToGlobal(outside), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(key, &move);
    EXPECT_FALSE(key->IsPushed());

    QTest::mouseRelease(key, Qt::LeftButton, Qt::NoModifier, outside.toPoint());
    EXPECT_FALSE(key->IsPushed());
    EXPECT_EQ(clicks.count(), 0) << "released off the button: no click";
    EXPECT_EQ(key->grab().toImage(), normal);
}

TEST_F(SkinWindowTest, RoundedCornersClipTheWindow)
{
    window_.SetRoundedCorners(15);
    const QRegion mask = window_.mask();
    EXPECT_TRUE(mask.contains(QPoint(400, 164)));
    EXPECT_TRUE(mask.contains(QPoint(10, 0)));
    EXPECT_FALSE(mask.contains(QPoint(0, 0)));
    EXPECT_FALSE(mask.contains(QPoint(799, 327)));
    window_.SetRoundedCorners(0);
    EXPECT_TRUE(window_.mask().isEmpty());
}

TEST(SkinWindowLoading, FailsCleanlyAndReloadsCompletely)
{
    ASSERT_TRUE(test::QtApplicationReady());
    SkinWindow window;
    EXPECT_FALSE(window.LoadSkin("/nonexistent/FrontPanel.xml"));
    EXPECT_TRUE(window.LastError().contains("cannot open"));
    EXPECT_TRUE(window.ControlNames().isEmpty());

    ASSERT_TRUE(window.LoadSkin());
    window.FindControl("LabelValue")->SetText("changed");
    ASSERT_TRUE(window.LoadSkin());
    EXPECT_EQ(window.ControlNames().size(), 84);
    EXPECT_EQ(window.FindControl("LabelValue")->Text(), "+0.756452");
    EXPECT_EQ(window.findChildren<SkinControl*>().size(), 87) << "the old controls are gone";
}

TEST(SkinWindowLoading, DrawsImagesFromTheGivenSource)
{
    ASSERT_TRUE(test::QtApplicationReady());
    QStringList requested;
    SkinWindow window(nullptr, [&requested](const QString& file) {
        requested << file;
        QPixmap pixmap(4, 4);
        pixmap.fill(Qt::magenta);
        return pixmap;
    });
    ASSERT_TRUE(window.LoadSkin());
    const QImage image = window.grab().toImage();
    EXPECT_TRUE(requested.contains("ZAN_front_ID_.png"));
    EXPECT_TRUE(requested.contains("Dcv_button_01.png"));
    EXPECT_FALSE(requested.contains("Dcv_button_02.png")) << "pushed images only while pushed";
    EXPECT_EQ(image.pixel(30, 30) & 0xFFFFFF, 0xFF00FFu) << "the face is stretched over the window";
}

}  // namespace
}  // namespace voltora::panel
