#include "panel/skin/QtTestApplication.h"
#include "panel/skin/SkinFonts.h"

#include <QFontInfo>
#include <QFontMetrics>

#include <gtest/gtest.h>

namespace voltora::panel {
namespace {

SkinFonts PanelFonts()
{
    return SkinFonts(SkinFontDefinition{"Arial", 12, false},
                     {{"Arial", 10, true}, {"Arial", 43, true}, {"Arial", 12, false}});
}

TEST(SkinFonts, SizesArePixelHeightsNotPoints)
{
    ASSERT_TRUE(test::QtApplicationReady());
    const SkinFonts fonts = PanelFonts();
    ASSERT_EQ(fonts.Count(), 3);
    const int expected[] = {10, 43, 12};
    for (int i = 0; i < 3; ++i) {
        const QFont font = fonts.Font(i);
        EXPECT_EQ(font.pixelSize(), expected[i]);
        EXPECT_EQ(font.pointSize(), -1) << "no point size: independent of the screen's dpi";
        EXPECT_EQ(QFontInfo(font).pixelSize(), expected[i]);
    }
    EXPECT_TRUE(fonts.Font(0).bold());
    EXPECT_FALSE(fonts.Font(2).bold());
}

TEST(SkinFonts, OutOfTableIndicesGiveTheDefaultFont)
{
    ASSERT_TRUE(test::QtApplicationReady());
    const SkinFonts fonts = PanelFonts();
    for (int index : {-1, 3, 99}) {
        EXPECT_EQ(fonts.Font(index).pixelSize(), 12) << index;
        EXPECT_FALSE(fonts.Font(index).bold()) << index;
    }
}

TEST(SkinFonts, ArialResolvesToArialOrItsMetricTwin)
{
    ASSERT_TRUE(test::QtApplicationReady());
    const SkinFonts fonts = PanelFonts();
    for (int index : {0, 1, 2}) {
        const QString family = QFontInfo(fonts.Font(index)).family();
        EXPECT_TRUE(family == "Arial" || family == "Liberation Sans")
            << "resolved to " << family.toStdString()
            << "; install fonts-liberation (scripts/setup.sh does)";
    }
}

TEST(SkinFonts, DisplaySymbolsHaveGlyphs)
{
    ASSERT_TRUE(test::QtApplicationReady());
    const SkinFonts fonts = PanelFonts();
    // Ohm sign, degree sign, the black circle of the start pattern.
    for (char32_t symbol : {U'\u2126', U'\u00B0', U'\u25CF', U'.'}) {
        for (int index : {0, 1, 2}) {
            EXPECT_TRUE(QFontMetrics(fonts.Font(index)).inFontUcs4(symbol))
                << std::hex << static_cast<unsigned>(symbol) << " in font " << index;
        }
    }
}

TEST(SkinFonts, MeasuresWidthRoundedUp)
{
    ASSERT_TRUE(test::QtApplicationReady());
    const SkinFonts fonts = PanelFonts();
    const int one = fonts.MeasureTextWidth("W", 1);
    const int three = fonts.MeasureTextWidth("WWW", 1);
    EXPECT_GT(one, 20) << "a 43-pixel W is wide";
    EXPECT_GE(three, 3 * one - 3);
    EXPECT_LE(three, 3 * one);
    EXPECT_GT(fonts.MeasureTextWidth("WWW", 1), fonts.MeasureTextWidth("WWW", 0));
}

}  // namespace
}  // namespace voltora::panel
