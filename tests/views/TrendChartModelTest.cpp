// The trend chart's scale, polyline, labels and grid, computed without a widget.

#include "views/TrendChartModel.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

using namespace voltora::views;

namespace {

// The control as the trend chart's template places it: 360 x 82 dialog units.
const QRect kClient(0, 0, 540, 133);

class TrendChartModelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        model.SetClientRect(kClient);
        model.SetXRange(400.0);
    }

    TrendChartModel model;
};

TEST_F(TrendChartModelTest, LayoutComesFromTheClientRectangle)
{
    const TrendLayout& l = model.Layout();
    EXPECT_EQ(l.axisX, 60);
    EXPECT_EQ(l.frameTop, 1);
    EXPECT_EQ(l.frameRight, 539);
    EXPECT_EQ(l.frameBottom, 113);
    EXPECT_EQ(l.plotTop, 3);
    EXPECT_EQ(l.plotHeight, 108);
    EXPECT_EQ(l.plotLeft, 62);
    EXPECT_EQ(l.plotWidth, 475);
    EXPECT_EQ(l.centreX, 299);
    EXPECT_EQ(l.rightTickX, 537);
    EXPECT_FLOAT_EQ(l.rowStep, 4.5f);
    EXPECT_EQ(l.highRow, 12);
    EXPECT_EQ(l.middleRow, 57);
    EXPECT_EQ(l.lowRow, 102);
    EXPECT_EQ(l.TickY(7), 3 + 31);
    EXPECT_DOUBLE_EQ(model.PixelsPerPoint(), 475.0 / 400.0);
}

TEST_F(TrendChartModelTest, DcVoltageOn2VLabelsAndDisplayRange)
{
    model.SetBounds(2.0, -2.0);
    const auto texts = model.ScaleLabelTexts();
    EXPECT_EQ(texts[0], "-2.000 ");
    EXPECT_EQ(texts[1], "0.000 ");
    EXPECT_EQ(texts[2], "2.000 ");
    // Around 1.503 V the labels need a fourth decimal to differ.
    model.SetBounds(1.5031, 1.5029);
    EXPECT_EQ(model.ScaleLabelTexts(), (std::array<std::string, 3>{"1.5029 ", "1.5030 ", "1.5031 "}));
    model.SetBounds(2.0, -2.0);
    const auto rows = model.ScaleLabelRows();
    EXPECT_EQ(rows[0], 102);
    EXPECT_EQ(rows[1], 57);
    EXPECT_EQ(rows[2], 12);
    EXPECT_NEAR(model.Scale().DisplayLow(), -2.4, 1e-12);
    EXPECT_NEAR(model.Scale().DisplayHigh(), 2.4, 1e-12);
}

TEST_F(TrendChartModelTest, HighAndLowLandOnTheirRowsAndOthersClampToThePlot)
{
    model.SetBounds(2.0, -2.0);
    EXPECT_NEAR(model.MapY(2.0), 12.0, 1e-9);
    EXPECT_NEAR(model.MapY(-2.0), 102.0, 1e-9);
    EXPECT_NEAR(model.MapY(0.0), 57.0, 1e-9);
    EXPECT_DOUBLE_EQ(model.MapY(1e37), 3.0);     // plot top
    EXPECT_DOUBLE_EQ(model.MapY(-9.9e37), 111.0); // plot top + H
}

TEST_F(TrendChartModelTest, PolylineHoldsAtMostXRangePlusOnePoints)
{
    model.SetBounds(2.0, -2.0);
    std::vector<double> values(1000);
    for (std::size_t i = 0; i < values.size(); ++i) {
        values[i] = std::sin(static_cast<double>(i) / 30.0);
    }
    model.SetData(static_cast<int>(values.size()), values.data());
    EXPECT_EQ(model.Count(), 1000);
    const auto& points = model.Polyline();
    ASSERT_EQ(points.size(), 401u);
    EXPECT_FLOAT_EQ(static_cast<float>(points[0].x()), 62.0f);
    EXPECT_FLOAT_EQ(static_cast<float>(points[400].x()), 62.0f + 475.0f);
    EXPECT_FLOAT_EQ(static_cast<float>(points[10].y()), static_cast<float>(model.MapY(values[10])));
}

TEST_F(TrendChartModelTest, DataLongerThanThePointBuffersIsCut)
{
    std::vector<double> values(TrendChartModel::kPointCapacity + 1000, 1.0);
    model.SetData(static_cast<int>(values.size()), values.data());
    EXPECT_EQ(model.Count(), TrendChartModel::kPointCapacity);
    EXPECT_EQ(model.Polyline().size(), 401u);
    model.SetData(-5, values.data());
    EXPECT_EQ(model.Count(), 0);
    EXPECT_TRUE(model.Polyline().empty());
}

TEST_F(TrendChartModelTest, ASinglePointMakesNoLine)
{
    const double zero = 0.0;
    model.SetData(1, &zero);
    EXPECT_EQ(model.Polyline().size(), 1u);
}

TEST_F(TrendChartModelTest, ScaleValuesOutsideTheGuardsAreIgnored)
{
    model.SetBounds(2.0, -2.0);
    EXPECT_FALSE(model.SetHigh(1e19));
    EXPECT_FALSE(model.SetLow(-1e19));
    EXPECT_FALSE(model.SetHigh(1e-16));
    EXPECT_FALSE(model.SetLow(std::numeric_limits<double>::quiet_NaN()));
    EXPECT_FALSE(model.SetHigh(std::numeric_limits<double>::infinity()));
    EXPECT_EQ(model.Scale().High(), 2.0);
    EXPECT_EQ(model.Scale().Low(), -2.0);
    EXPECT_TRUE(model.SetHigh(1e18));
    EXPECT_TRUE(model.SetLow(0.0));
    EXPECT_TRUE(model.SetLow(-1e-15));
    EXPECT_EQ(model.Scale().Low(), -1e-15);
}

TEST_F(TrendChartModelTest, BoundsAreClampedToEachOther)
{
    model.SetBounds(2.0, -2.0);
    model.SetLow(5.0);
    EXPECT_EQ(model.Scale().Low(), 2.0);
    model.SetHigh(-5.0);
    EXPECT_EQ(model.Scale().High(), 2.0);
}

TEST_F(TrendChartModelTest, AFlatAutoScaleMapsWithoutNaN)
{
    // Auto scale on constant readings: minimum = maximum.
    model.SetBounds(0.5, 0.5);
    const std::vector<double> values = {0.5, 0.5, 0.7, 0.3};
    model.SetData(4, values.data());
    const auto& points = model.Polyline();
    ASSERT_EQ(points.size(), 4u);
    for (const QPointF& p : points) {
        EXPECT_FALSE(std::isnan(p.y()));
    }
    EXPECT_FLOAT_EQ(static_cast<float>(points[0].y()), 57.0f);
    EXPECT_FLOAT_EQ(static_cast<float>(points[2].y()), 3.0f);
    EXPECT_FLOAT_EQ(static_cast<float>(points[3].y()), 111.0f);
}

TEST_F(TrendChartModelTest, AnAutoScaleBelowTheOldOneIsTakenWhole)
{
    model.SetBounds(200.0, 100.0);
    model.SetBounds(1.0, 0.0);
    EXPECT_EQ(model.Scale().High(), 1.0);
    EXPECT_EQ(model.Scale().Low(), 0.0);
}

TEST_F(TrendChartModelTest, XLabelsSitAtTheirPositionsAlongThePlot)
{
    model.AddXLabel("-1min", 0.0);
    model.AddXLabel("-30s", 200.0);
    model.AddXLabel("0s", 400.0);
    ASSERT_EQ(model.XLabels().size(), 3u);
    EXPECT_DOUBLE_EQ(model.XLabelCentre(0.0), 62.0);
    EXPECT_DOUBLE_EQ(model.XLabelCentre(200.0), 62.0 + 237.5);
    EXPECT_DOUBLE_EQ(model.XLabelCentre(400.0), 62.0 + 475.0);
    model.ClearXLabels();
    EXPECT_TRUE(model.XLabels().empty());
}

TEST_F(TrendChartModelTest, GridLines)
{
    const auto lines = model.GridLines();
    ASSERT_EQ(lines.size(), 3u + 75u + 6u + 3u + 27u);
    EXPECT_EQ(lines[0], QLineF(62, 3, 62, 111));
    EXPECT_EQ(lines[1], QLineF(299, 3, 299, 111));
    EXPECT_EQ(lines[2], QLineF(537, 3, 537, 111));
    // Row 1's ticks (y = 3 + 4): left, centre, right.
    EXPECT_EQ(lines[6], QLineF(62, 7, 64, 7));
    EXPECT_EQ(lines[7], QLineF(297, 7, 301, 7));
    EXPECT_EQ(lines[8], QLineF(537, 7, 535, 7));
    // The long ticks of row 7.
    EXPECT_EQ(lines[78], QLineF(62, 34, 67, 34));
    // The high row across the plot, then the first column tick on it.
    EXPECT_EQ(lines[84], QLineF(62, 12, 537, 12));
    EXPECT_EQ(lines[87], QLineF(62 + 47, 10, 62 + 47, 14));
}

}  // namespace
