// The histogram's bars, curve, labels and grid, computed without a widget.

#include "views/HistogramChartModel.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numeric>
#include <vector>

using namespace voltora::views;

namespace {

// The control as the histogram's template places it: 385 x 87 dialog units.
const QRect kClient(0, 0, 578, 141);

class HistogramChartModelTest : public ::testing::Test {
protected:
    void SetUp() override { model.SetClientRect(kClient); }

    void SetBins(const std::vector<double>& counts)
    {
        model.SetXRange(static_cast<double>(counts.size()));
        model.SetBins(static_cast<int>(counts.size()), counts.data());
    }

    HistogramChartModel model;
};

TEST_F(HistogramChartModelTest, LayoutComesFromTheClientRectangle)
{
    const HistogramLayout& l = model.Layout();
    EXPECT_EQ(l.frameLeft, 60);
    EXPECT_EQ(l.frameTop, 1);
    EXPECT_EQ(l.frameRight, 577);
    EXPECT_EQ(l.frameBottom, 121);
    EXPECT_EQ(l.plotLeft, 64);
    EXPECT_EQ(l.plotWidth, 509);
    EXPECT_EQ(l.plotTop, 3);
    EXPECT_EQ(l.plotBottom, 119);
    EXPECT_EQ(l.middleY, 61);
    EXPECT_EQ(model.ScaleMax(), 5.0);
    EXPECT_EQ(model.XRange(), 500.0);
}

TEST_F(HistogramChartModelTest, BarsStandOnThePlotBottomAsHighAsTheirCount)
{
    SetBins({0, 1, 2, 3, 4, 5, 6, 7, 8, 9});
    ASSERT_TRUE(model.SetScaleMax(9.0));
    const auto bars = model.Bars();
    ASSERT_EQ(bars.size(), 10u);
    EXPECT_DOUBLE_EQ(bars[0].height(), 0.0);
    EXPECT_DOUBLE_EQ(bars[9].height(), 116.0);
    EXPECT_DOUBLE_EQ(bars[9].top(), 3.0);
    EXPECT_DOUBLE_EQ(bars[4].height(), 116.0 * 4.0 / 9.0);
    EXPECT_DOUBLE_EQ(bars[4].bottom(), 119.0);
    EXPECT_DOUBLE_EQ(bars[4].left(), 64.0 + 4 * 50.9);
    EXPECT_DOUBLE_EQ(bars[4].width(), 50.9);
}

TEST_F(HistogramChartModelTest, OnlyXRangePlusOneBarsAreDrawn)
{
    std::vector<double> counts(20, 1.0);
    model.SetBins(20, counts.data());
    model.SetXRange(10.0);
    EXPECT_EQ(model.Bars().size(), 11u);
}

TEST_F(HistogramChartModelTest, AnAllZeroHistogramHasNoBarsNoCurveAndNoNaN)
{
    SetBins(std::vector<double>(10, 0.0));
    ASSERT_TRUE(model.SetScaleMax(0.0));
    model.SetCumulativeShown(true);
    EXPECT_TRUE(model.Bars().empty());
    EXPECT_TRUE(model.CumulativeCurve().empty());
    EXPECT_DOUBLE_EQ(model.BelowBar().height(), 0.0);
    EXPECT_EQ(model.TopLeftLabel(), "0.0%\r\n0");
    EXPECT_EQ(model.MiddleLeftLabel(), "Total\r\n0");
    EXPECT_EQ(model.BottomLeftLabel(), "#Bin\r\n10");
}

TEST_F(HistogramChartModelTest, OuterBinsCountInTheShareWhenShown)
{
    // 20 bins of 5 counts, 3 readings below and 40 above the range.
    SetBins(std::vector<double>(20, 5.0));
    model.SetOuterCounts(3.0, 40.0);
    model.SetOuterBinsShown(true);
    ASSERT_TRUE(model.SetScaleMax(40.0));
    EXPECT_EQ(model.TopLeftLabel(), "28.0%\r\n40");  // 40 of 143: counts are whole
    EXPECT_EQ(model.MiddleLeftLabel(), "Total\r\n143");
    EXPECT_DOUBLE_EQ(model.AboveBar().height(), 116.0);
    EXPECT_EQ(model.AboveBar(), QRectF(573, 3, 2, 116));
    EXPECT_EQ(model.BelowBar(), QRectF(62, 119 - 116.0 * 3.0 / 40.0, 2, 116.0 * 3.0 / 40.0));

    model.SetOuterBinsShown(false);
    EXPECT_EQ(model.MiddleLeftLabel(), "Total\r\n100");
}

TEST_F(HistogramChartModelTest, ACountAboveTheScaleStopsAtThePlotTop)
{
    SetBins({1, 2});
    model.SetScaleMax(2.0);
    model.SetOuterCounts(0.0, 40.0);  // the outer bins ticked before the next update
    EXPECT_DOUBLE_EQ(model.AboveBar().top(), 3.0);
}

TEST_F(HistogramChartModelTest, BoundLabelsCarryTheirSign)
{
    model.SetBounds(-1.0, 1.0);
    EXPECT_EQ(model.LowBoundLabel(), "-1.000");
    EXPECT_EQ(model.MiddleBoundLabel(), "+0.000");
    EXPECT_EQ(model.HighBoundLabel(), "+1.000");
    model.SetBounds(0.001, 0.003);
    EXPECT_EQ(model.LowBoundLabel(), "+1.000m");
    EXPECT_EQ(model.MiddleBoundLabel(), "+2.000m");
    EXPECT_EQ(model.HighBoundLabel(), "+3.000m");
    // Bounds close together get the decimals that tell them apart.
    model.SetBounds(1.5029, 1.5031);
    EXPECT_EQ(model.LowBoundLabel(), "+1.5029");
    EXPECT_EQ(model.MiddleBoundLabel(), "+1.5030");
    EXPECT_EQ(model.HighBoundLabel(), "+1.5031");
}

TEST_F(HistogramChartModelTest, TotalIsScaledWithItsPrefix)
{
    SetBins({500, 700, 300});
    model.SetScaleMax(700.0);
    EXPECT_EQ(model.MiddleLeftLabel(), "Total\r\n1.500k");
    EXPECT_EQ(model.TopLeftLabel(), "46.7%\r\n700");
}

TEST_F(HistogramChartModelTest, CumulativeCurveRisesToTheTopRight)
{
    SetBins({1, 1, 2});
    const auto curve = model.CumulativeCurve();
    ASSERT_EQ(curve.size(), 4u);
    EXPECT_EQ(curve[0], QPointF(64, 119));
    EXPECT_DOUBLE_EQ(curve[1].x(), 64 + 509.0 / 3.0);
    EXPECT_DOUBLE_EQ(curve[1].y(), 119 - 116.0 / 4.0);
    EXPECT_DOUBLE_EQ(curve[2].y(), 119 - 116.0 / 2.0);
    EXPECT_DOUBLE_EQ(curve[3].x(), 64 + 509.0);
    EXPECT_DOUBLE_EQ(curve[3].y(), 3.0);
}

TEST_F(HistogramChartModelTest, ScaleMaximaOutsideTheGuardsAreIgnored)
{
    EXPECT_FALSE(model.SetScaleMax(1e19));
    EXPECT_FALSE(model.SetScaleMax(1e-16));
    EXPECT_FALSE(model.SetScaleMax(std::numeric_limits<double>::quiet_NaN()));
    EXPECT_EQ(model.ScaleMax(), 5.0);
    EXPECT_TRUE(model.SetScaleMax(1e18));
    EXPECT_TRUE(model.SetScaleMax(0.0));
    EXPECT_EQ(model.ScaleMax(), 0.0);
}

TEST_F(HistogramChartModelTest, BinsBeyondTheBuffersAreCut)
{
    std::vector<double> counts(HistogramChartModel::kBinCapacity + 10, 1.0);
    model.SetBins(static_cast<int>(counts.size()), counts.data());
    EXPECT_EQ(model.BinCount(), HistogramChartModel::kBinCapacity);
}

TEST_F(HistogramChartModelTest, GridLines)
{
    const auto lines = model.GridLines();
    ASSERT_EQ(lines.size(), 3u + 33u + 1u);
    EXPECT_EQ(lines[0], QLineF(62, 3, 575, 3));
    EXPECT_EQ(lines[1], QLineF(62, 61, 575, 61));
    EXPECT_EQ(lines[2], QLineF(62, 119, 575, 119));
    // Column k = 1: x = 64 + 509 / 10.
    EXPECT_EQ(lines[6], QLineF(114, 3, 114, 5));
    EXPECT_EQ(lines[7], QLineF(114, 59, 114, 63));
    EXPECT_EQ(lines[8], QLineF(114, 117, 114, 119));
    EXPECT_EQ(lines.back(), QLineF(318, 3, 318, 119));
}

}  // namespace
