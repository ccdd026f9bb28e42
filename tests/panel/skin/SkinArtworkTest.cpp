#include "panel/skin/QtTestApplication.h"
#include "panel/skin/SkinArtwork.h"
#include "panel/skin/SkinWindow.h"

#include <QFile>

#include <gtest/gtest.h>

namespace voltora::panel {
namespace {

SkinDocument PanelSkin()
{
    QFile file(SkinWindow::DefaultSkinPath());
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    SkinParseResult result = ParseSkinDocument(file.readAll());
    EXPECT_TRUE(result.document) << result.error.toStdString();
    return result.document.value_or(SkinDocument{});
}

double MeanLuminance(const QImage& image)
{
    double sum = 0;
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            if (qAlpha(pixel) == 255) {
                sum += qGray(pixel);
                ++count;
            }
        }
    }
    return count > 0 ? sum / count : 0;
}

int CountPixels(const QImage& image, const QRect& area, const std::function<bool(QRgb)>& match)
{
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            count += match(image.pixel(x, y)) ? 1 : 0;
        }
    }
    return count;
}

TEST(SkinArtwork, DrawsEveryImageTheSkinListsAtItsSize)
{
    ASSERT_TRUE(test::QtApplicationReady());
    const SkinDocument skin = PanelSkin();
    ASSERT_EQ(skin.images.size(), 46u);
    for (const SkinImageDefinition& image : skin.images) {
        SCOPED_TRACE(image.file.toStdString());
        EXPECT_EQ(SkinArtwork::ImageSize(image.file), image.size);
        const QImage drawn = SkinArtwork::Draw(image.file);
        ASSERT_FALSE(drawn.isNull());
        EXPECT_EQ(drawn.size(), image.size);
        EXPECT_GT(CountPixels(drawn, drawn.rect(), [](QRgb p) { return qAlpha(p) == 255; }), 0);
    }
    EXPECT_EQ(SkinArtwork::ImageNames().size(), 46);
}

TEST(SkinArtwork, EveryReferencedImageIsListedAndKeyImagesFitTheirKeys)
{
    ASSERT_TRUE(test::QtApplicationReady());
    const SkinDocument skin = PanelSkin();
    for (const QString& file : skin.ReferencedImages()) {
        const auto listed = std::find_if(skin.images.begin(), skin.images.end(),
                                         [&](const SkinImageDefinition& i) { return i.file == file; });
        ASSERT_NE(listed, skin.images.end()) << file.toStdString();
        EXPECT_TRUE(listed->used) << file.toStdString();
    }
    for (const SkinControlDefinition& control : skin.controls) {
        if (control.kind != SkinControlKind::Button || control.name.startsWith("btnF")) {
            continue;
        }
        EXPECT_EQ(SkinArtwork::ImageSize(control.normalImage), control.size)
            << control.name.toStdString();
        EXPECT_EQ(SkinArtwork::ImageSize(control.pushedImage), control.size)
            << control.name.toStdString();
    }
    const struct {
        const char* file;
        QSize size;
    } fixed[] = {{"ZAN_front_ID_.png", {800, 328}}, {"button_nor.png", {60, 25}},
                 {"button_down.png", {60, 25}},     {"button_nor2.png", {60, 25}},
                 {"button_down2.png", {60, 25}},    {"logo_UI.png", {365, 209}}};
    for (const auto& image : fixed) {
        EXPECT_EQ(SkinArtwork::ImageSize(image.file), image.size) << image.file;
    }
}

TEST(SkinArtwork, PushedKeysAreDarkerAndDifferent)
{
    ASSERT_TRUE(test::QtApplicationReady());
    for (const char* stem : {"Dcv", "Shift", "front", "OK", "Range"}) {
        SCOPED_TRACE(stem);
        const QImage normal = SkinArtwork::Draw(QString(stem) + "_button_01.png");
        const QImage pushed = SkinArtwork::Draw(QString(stem) + "_button_02.png");
        EXPECT_NE(normal, pushed);
        EXPECT_LT(MeanLuminance(pushed), MeanLuminance(normal) - 5);
        EXPECT_EQ(qAlpha(normal.pixel(0, 0)), 0) << "rounded corners";
        EXPECT_EQ(qAlpha(normal.pixel(normal.width() / 2, 3)), 255);
    }
}

TEST(SkinArtwork, KeysCarryALegend)
{
    ASSERT_TRUE(test::QtApplicationReady());
    const auto dark = [](QRgb p) { return qAlpha(p) == 255 && qGray(p) < 90; };
    for (const char* file : {"Dcv_button_01.png", "-11-_button_01.png", "Run_button_01.png"}) {
        const QImage key = SkinArtwork::Draw(file);
        const QRect middle(8, 7, key.width() - 16, key.height() - 14);
        EXPECT_GT(CountPixels(key, middle, dark), 10) << file;
    }
    const QImage blank = SkinArtwork::Draw("button_nor.png");
    const QRect middle(10, 7, blank.width() - 20, blank.height() - 14);
    const auto light = [](QRgb p) { return qGray(p) > 200; };
    EXPECT_EQ(CountPixels(blank, middle, light), 0) << "soft keys have no legend";
}

TEST(SkinArtwork, FaceShowsThePlateThroughTheDisplayAndPrintsShiftedFunctions)
{
    ASSERT_TRUE(test::QtApplicationReady());
    const QImage face = SkinArtwork::Draw("ZAN_front_ID_.png");
    ASSERT_EQ(face.size(), QSize(800, 328));
    EXPECT_EQ(qAlpha(face.pixel(66, 150)), 0) << "display window";
    EXPECT_EQ(qAlpha(face.pixel(440, 262)), 0) << "display window";
    EXPECT_EQ(qAlpha(face.pixel(30, 150)), 255) << "body";
    EXPECT_EQ(qAlpha(face.pixel(720, 310)), 255) << "terminal section";

    const auto blue = [](QRgb p) { return qBlue(p) > qRed(p) + 60 && qBlue(p) > 150; };
    // Above DCV, ACV, 2W, the capacitance key and Cont.
    for (const QRect& legend : {QRect(469, 17, 49, 12), QRect(527, 17, 49, 12),
                                QRect(585, 17, 49, 12), QRect(470, 58, 49, 12),
                                QRect(525, 59, 49, 12)}) {
        EXPECT_GT(CountPixels(face, legend, blue), 8) << legend.x() << "," << legend.y();
    }
    EXPECT_EQ(CountPixels(face, QRect(585, 59, 49, 12), blue), 0) << "Temp has no shifted function";
}

TEST(SkinArtwork, UnknownNamesGiveNothingAndPixmapsAreKept)
{
    ASSERT_TRUE(test::QtApplicationReady());
    EXPECT_TRUE(SkinArtwork::Draw("missing.png").isNull());
    EXPECT_FALSE(SkinArtwork::ImageSize("missing.png").isValid());

    SkinArtwork artwork;
    const QPixmap first = artwork.Pixmap("OK_button_01.png");
    ASSERT_FALSE(first.isNull());
    EXPECT_EQ(artwork.Pixmap("OK_button_01.png").cacheKey(), first.cacheKey());
    EXPECT_TRUE(artwork.Pixmap("missing.png").isNull());
}

// On a screen scaled to 200 % the artwork is drawn with twice the pixels,
// not drawn at 1x and enlarged: its edges and legends are finer than the 1x
// image blown up.
TEST(SkinArtwork, ArtworkIsDrawnAtTheDevicePixelRatio)
{
    ASSERT_TRUE(test::QtApplicationReady());
    for (const char* file : {"ZAN_front_ID_.png", "OK_button_01.png", "logo_UI.png"}) {
        SCOPED_TRACE(file);
        const QSize size = SkinArtwork::ImageSize(file);
        const QImage sharp = SkinArtwork::Draw(file, 2.0);
        ASSERT_FALSE(sharp.isNull());
        EXPECT_EQ(sharp.size(), size * 2);
        EXPECT_DOUBLE_EQ(sharp.devicePixelRatio(), 2.0);
        EXPECT_EQ(sharp.deviceIndependentSize().toSize(), size);

        const QImage enlarged = SkinArtwork::Draw(file, 1.0)
                                    .scaled(size * 2, Qt::IgnoreAspectRatio, Qt::FastTransformation)
                                    .convertToFormat(sharp.format());
        long long changed = 0;
        for (int y = 0; y < sharp.height(); ++y) {
            for (int x = 0; x < sharp.width(); ++x) {
                changed += sharp.pixel(x, y) != enlarged.pixel(x, y) ? 1 : 0;
            }
        }
        // Drawn anew, at least a few hundred pixels of every edge differ.
        EXPECT_GT(changed, 300);
    }
}

}  // namespace
}  // namespace voltora::panel
