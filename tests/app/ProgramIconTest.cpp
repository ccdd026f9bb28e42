// The program icon: the installed icon files are painted into images by the
// same drawing the window icon's pixmaps come from, so the two must agree
// pixel for pixel; the drawing fills the middle and leaves the corners clear
// at every size it is installed at.
#include "app/ProgramIcon.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

using voltora::app::PaintProgramIcon;
using voltora::app::ProgramIconPixmap;

namespace {

QImage PaintedImage(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    PaintProgramIcon(painter, size);
    return image;
}

class ProgramIconTest : public ::testing::TestWithParam<int> {};

TEST_P(ProgramIconTest, PaintedImageMatchesTheWindowIconPixmap)
{
    const int size = GetParam();
    const QImage pixmap = ProgramIconPixmap(size).toImage().convertToFormat(
        QImage::Format_ARGB32_Premultiplied);
    const QImage painted = PaintedImage(size);
    ASSERT_EQ(pixmap.size(), QSize(size, size));
    EXPECT_EQ(painted, pixmap);
}

TEST_P(ProgramIconTest, DrawsTheMeterAndLeavesTheCornersClear)
{
    const int size = GetParam();
    const QImage image = PaintedImage(size);
    const int last = size - 1;
    for (const QPoint corner : {QPoint(0, 0), QPoint(last, 0), QPoint(0, last), QPoint(last, last)}) {
        EXPECT_EQ(qAlpha(image.pixel(corner)), 0) << "corner " << corner.x() << "," << corner.y();
    }
    int opaque = 0;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            opaque += qAlpha(image.pixel(x, y)) == 255 ? 1 : 0;
        }
    }
    // The meter's case covers most of the square (29 x 24 of 32 x 32 units).
    EXPECT_GT(opaque, size * size / 2);
    EXPECT_EQ(qAlpha(image.pixel(size / 2, size / 2)), 255);
}

INSTANTIATE_TEST_SUITE_P(InstalledSizes, ProgramIconTest, ::testing::Values(16, 22, 48, 256, 512));

}  // namespace
