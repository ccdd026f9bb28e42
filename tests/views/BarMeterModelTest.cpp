// The bar meter's scale, bar and labels, computed without a widget.

#include "views/BarMeterModel.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace voltora::views;

namespace {

// The control as the bar meter's template places it: 302 x 52 dialog units.
constexpr int kWidth = 453;
constexpr int kHeight = 85;

class BarMeterModelTest : public ::testing::Test {
protected:
    void SetUp() override { model.SetClientSize(kWidth, kHeight); }

    float U() const { return model.Layout().u; }

    BarMeterModel model;
};

TEST_F(BarMeterModelTest, LayoutComesFromTheClientSize)
{
    const BarMeterLayout& l = model.Layout();
    EXPECT_FLOAT_EQ(l.u, 453.0f / 26.0f);
    EXPECT_FLOAT_EQ(l.labelY, 85.0f / 4.0f);
    EXPECT_FLOAT_EQ(l.MarkX(3), 3.0f * l.u);
    EXPECT_FLOAT_EQ(l.MarkX(23), 23.0f * l.u);
}

TEST_F(BarMeterModelTest, StartsOnTheScaleOfMinusToPlusHundred)
{
    EXPECT_EQ(model.Scale().Low(), -100.0);
    EXPECT_EQ(model.Scale().High(), 100.0);
    EXPECT_EQ(model.Scale().Middle(), 0.0);
    EXPECT_EQ(model.Scale().DisplayLow(), -120.0);
    EXPECT_EQ(model.Scale().DisplayHigh(), 120.0);
}

TEST_F(BarMeterModelTest, DcVoltageOn200mVLabelsAndBar)
{
    model.SetBounds(0.2, -0.2);
    const auto labels = model.LabelTexts();
    EXPECT_EQ(labels[0], "-200.000m");
    EXPECT_EQ(labels[1], "0.000 ");
    EXPECT_EQ(labels[2], "200.000m");
    EXPECT_NEAR(model.Scale().DisplayLow(), -0.24, 1e-12);
    EXPECT_NEAR(model.Scale().DisplayHigh(), 0.24, 1e-12);

    // A reading of 0.1 ends halfway between the middle and the high marks.
    model.SetReading("+1.00000000E-01");
    EXPECT_NEAR(model.BarRightEnd(), 18.0f * U(), 1e-3);
    // The bounds and the middle land on their marks.
    model.SetReading("-0.2");
    EXPECT_NEAR(model.BarRightEnd(), model.Layout().MarkX(3), 1e-3);
    model.SetReading("0");
    EXPECT_NEAR(model.BarRightEnd(), model.Layout().MarkX(13), 1e-3);
    model.SetReading("0.2");
    EXPECT_NEAR(model.BarRightEnd(), model.Layout().MarkX(23), 1e-3);
}

TEST_F(BarMeterModelTest, AcVoltageReadingZeroEndsOnTheLowMark)
{
    model.SetBounds(2.0, 0.0);
    model.SetReading("0");
    EXPECT_NEAR(model.BarRightEnd(), 3.0f * U(), 1e-3);
}

TEST_F(BarMeterModelTest, OverloadAndOpenDrawAFullBarAndKeepTheValue)
{
    model.SetBounds(0.2, -0.2);
    model.SetReading("0.1");
    for (const char* text : {"Overload", "open"}) {
        SCOPED_TRACE(text);
        model.SetReading(text);
        EXPECT_TRUE(model.Overload());
        EXPECT_EQ(model.Value(), 0.1);
        EXPECT_FLOAT_EQ(model.BarRightEnd(), 26.0f * U());
    }
    model.SetReading("0.1");
    EXPECT_FALSE(model.Overload());
}

TEST_F(BarMeterModelTest, ValuesOutsideTheDisplayRangeClampAtTheEnds)
{
    model.SetBounds(0.2, -0.2);
    model.SetReading("10");
    EXPECT_FLOAT_EQ(model.BarRightEnd(), 25.0f * U());
    model.SetReading("-10");
    EXPECT_FLOAT_EQ(model.BarRightEnd(), U());
    // A text that is not a number reads as 0.
    model.SetReading("abc");
    EXPECT_NEAR(model.BarRightEnd(), 13.0f * U(), 1e-3);
}

TEST_F(BarMeterModelTest, BoundsAreClampedToEachOther)
{
    model.SetLow(150.0);  // above the high of 100
    EXPECT_EQ(model.Scale().Low(), 100.0);
    model.SetHigh(50.0);  // below the low, now 100
    EXPECT_EQ(model.Scale().High(), 100.0);
    // A scale without span: its value in the middle, the others at the ends.
    model.SetReading("100");
    EXPECT_NEAR(model.BarRightEnd(), 13.0f * U(), 1e-3);
    model.SetReading("101");
    EXPECT_FLOAT_EQ(model.BarRightEnd(), 25.0f * U());
    model.SetReading("99");
    EXPECT_FLOAT_EQ(model.BarRightEnd(), U());
}

TEST_F(BarMeterModelTest, NonFiniteBoundsAreIgnored)
{
    model.SetLow(std::numeric_limits<double>::quiet_NaN());
    model.SetHigh(std::numeric_limits<double>::infinity());
    EXPECT_EQ(model.Scale().Low(), -100.0);
    EXPECT_EQ(model.Scale().High(), 100.0);
    // No magnitude guard otherwise.
    model.SetHigh(1e30);
    EXPECT_EQ(model.Scale().High(), 1e30);
}

TEST_F(BarMeterModelTest, ANewScaleBelowTheOldOneIsTakenWhole)
{
    // Continuity's scale, then DC voltage on 200 mV: the new high (0.2) lies
    // below the old low (1) and must not be clamped to it.
    model.SetBounds(2000.0, 1.0);
    model.SetBounds(0.2, -0.2);
    EXPECT_EQ(model.Scale().High(), 0.2);
    EXPECT_EQ(model.Scale().Low(), -0.2);
    model.SetBounds(10000.0, 1.0);
    EXPECT_EQ(model.Scale().High(), 10000.0);
    EXPECT_EQ(model.Scale().Low(), 1.0);
}

TEST_F(BarMeterModelTest, ReportsWhetherTheBarChanged)
{
    EXPECT_TRUE(model.SetReading("0.5"));
    EXPECT_FALSE(model.SetReading("0.5"));
    EXPECT_TRUE(model.SetReading("Overload"));
    EXPECT_FALSE(model.SetReading("open"));
    EXPECT_FALSE(model.SetBounds(100.0, -100.0));
    EXPECT_TRUE(model.SetBounds(2.0, -2.0));
}

TEST_F(BarMeterModelTest, ScaleLinesAndBlocks)
{
    const auto lines = model.ScaleLines();
    ASSERT_EQ(lines.size(), 31u);
    const float h = 85.0f;
    // Small ticks from h / 2 to 3 h / 4 at k u.
    EXPECT_FLOAT_EQ(lines[0].line.x1(), U());
    EXPECT_FLOAT_EQ(lines[0].line.y1(), h / 2.0f);
    EXPECT_FLOAT_EQ(lines[0].line.y2(), 3.0f * h / 4.0f);
    EXPECT_EQ(lines[0].penWidth, 1);
    // Quarter marks at 8 u and 18 u from 3 h / 8, 3 pixels.
    EXPECT_FLOAT_EQ(lines[25].line.x1(), 8.0f * U());
    EXPECT_FLOAT_EQ(lines[25].line.y1(), 3.0f * h / 8.0f);
    EXPECT_EQ(lines[25].penWidth, 3);
    // Main marks from h / 4, 5 pixels.
    EXPECT_FLOAT_EQ(lines[29].line.x1(), 23.0f * U());
    EXPECT_FLOAT_EQ(lines[29].line.y1(), h / 4.0f);
    EXPECT_EQ(lines[29].penWidth, 5);
    // The base line, 2 pixels, one unit in from either side.
    EXPECT_EQ(lines[30].line, QLineF(17, 63, 436, 63));
    EXPECT_EQ(lines[30].penWidth, 2);

    EXPECT_EQ(model.OriginBlockRect(), QRectF(0.0, 5.0 * 85.0 / 8.0 - 4.0, 5.0, 85.0 / 8.0 + 6.0));
    const QRectF bar = model.BarRect();
    EXPECT_FLOAT_EQ(bar.x(), 5.0f);
    EXPECT_FLOAT_EQ(bar.y(), 5.0f * h / 8.0f);
    EXPECT_FLOAT_EQ(bar.height(), h / 8.0f - 2.0f);
    EXPECT_FLOAT_EQ(bar.right(), model.BarRightEnd());
}

}  // namespace
