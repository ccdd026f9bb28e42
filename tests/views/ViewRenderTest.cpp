// Each view drawn offscreen for known data. The renders are saved under the
// build tree (test-artifacts/views) for inspection; a few pixels are checked
// where a wrong geometry would show: the bar's right end, a histogram bar's
// top, the trend line on the high row.

#include "FakeViewHost.h"

#include "functions/ViewFlags.h"
#include "views/CDlgBarMeter.h"
#include "views/CDlgHistogram.h"
#include "views/CDlgTrendChart.h"
#include "views/CDlgZANMath.h"
#include "views/CStaticBarMeter.h"
#include "views/CStaticHistogramChart.h"
#include "views/CStaticTrendChart.h"
#include "views/DialogUnits.h"
#include "views/TemplateBuilder.h"

#include <QCheckBox>
#include <QDir>
#include <QImage>
#include <QPixmap>

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

using namespace voltora::views::testing;
using namespace voltora::functions;

namespace {

const QRgb kWhite = qRgb(0xFF, 0xFF, 0xFF);
const QRgb kBlack = qRgb(0x00, 0x00, 0x00);
const QRgb kYellow = qRgb(0xFF, 0xFF, 0x00);
const QRgb kGrey = qRgb(0x80, 0x80, 0x80);
const QRgb kRed = qRgb(0xFF, 0x00, 0x00);
const QRgb kGreen = qRgb(0x00, 0x80, 0x00);
const QRgb kBackgroundGreen = qRgb(0x5C, 0xAA, 0x51);

void Save(const QImage& image, const std::string& name)
{
    const QString directory = QStringLiteral(VOLTORA_VIEWS_ARTIFACT_DIR);
    ASSERT_TRUE(QDir().mkpath(directory));
    EXPECT_TRUE(image.save(directory + "/" + QString::fromStdString(name) + ".png"));
}

::testing::AssertionResult PixelIs(const QImage& image, int x, int y, QRgb expected)
{
    const QRgb actual = image.pixel(x, y) & 0xFFFFFF;
    if (actual == (expected & 0xFFFFFF)) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "pixel (" << x << ", " << y << ") is " << std::hex << actual
                                         << ", expected " << (expected & 0xFFFFFF);
}

// Pixels of text drawn in black or white (smoothed edges included).
int CountDark(const QImage& image, const QRect& area)
{
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            count += qGray(image.pixel(x, y)) < 80 ? 1 : 0;
        }
    }
    return count;
}

int CountLight(const QImage& image, const QRect& area)
{
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            count += qGray(image.pixel(x, y)) > 200 ? 1 : 0;
        }
    }
    return count;
}

// The right end of the bar on `row`: the last yellow or grey pixel of the
// run that starts at x = 5.
int BarEnd(const QImage& image, int row)
{
    int x = 5;
    while (x + 1 < image.width()) {
        const QRgb next = image.pixel(x + 1, row) & 0xFFFFFF;
        if (next != (kYellow & 0xFFFFFF) && next != (kGrey & 0xFFFFFF)) {
            break;
        }
        ++x;
    }
    return x;
}

int CountColour(const QImage& image, const QRect& area, QRgb colour)
{
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            count += (image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF) ? 1 : 0;
        }
    }
    return count;
}

// ---- Bar meter -----------------------------------------------------------------------------------

TEST(ViewRender, BarMeterOn200mVWithAReadingOfPointOne)
{
    FakeViewHost host;
    host.functionName = "DC Voltage";
    host.rangeText = "200mV";
    CDlgBarMeter view(&host);
    view.SetUnit("V");
    view.UpdateBar("+1.00000000E-01");
    const QImage image = view.Chart()->Render();
    Save(image, "bar_meter_200mV");

    const auto& model = view.Chart()->Model();
    ASSERT_EQ(image.size(), QSize(453, 85));
    const int barRow = 57;  // inside the bar: 5 h / 8 = 53.1 to 5 h / 8 + h / 8 - 2 = 61.8
    // A reading of 0.1 ends halfway between the middle and high marks, 18 u.
    const double expectedEnd = 18.0 * 453.0 / 26.0;
    EXPECT_NEAR(model.BarRightEnd(), expectedEnd, 1e-3);
    const int end = BarEnd(image, barRow);
    EXPECT_NEAR(end, expectedEnd, 1.0);
    EXPECT_TRUE(PixelIs(image, end, barRow, kGrey));
    EXPECT_TRUE(PixelIs(image, end - 2, barRow, kYellow));
    EXPECT_TRUE(PixelIs(image, end + 4, barRow, kWhite));
    EXPECT_TRUE(PixelIs(image, 8, barRow, kYellow));
    // The origin block, and the middle mark above the base line.
    EXPECT_TRUE(PixelIs(image, 2, 55, kYellow));
    EXPECT_TRUE(PixelIs(image, 226, 30, kBlack));
    EXPECT_TRUE(PixelIs(image, 236, 30, kWhite));
    // The labels sit above h / 4.
    EXPECT_GT(CountDark(image, QRect(180, 2, 90, 19)), 10);
    EXPECT_EQ(CountColour(image, QRect(0, 0, 453, 2), kBlack), 0);

    view.UpdateBar("Overload");
    const QImage overload = view.Chart()->Render();
    Save(overload, "bar_meter_overload");
    EXPECT_NEAR(BarEnd(overload, barRow), 453.0, 1.0);

    view.resize(voltora::views::DialogUnitSize(478, 132));
    view.show();
    Save(view.grab().toImage(), "bar_meter_view");
}

// ---- Trend chart ------------------------------------------------------------------------------------

TEST(ViewRender, TrendChartOn2VReachesTheHighRow)
{
    FakeViewHost host;
    host.functionName = "DC Voltage";
    CDlgTrendChart view(&host);
    view.SetUnit("V");
    view.resize(voltora::views::DialogUnitSize(440, 180));
    view.show();

    TrendSnapshot snapshot;
    snapshot.modeText = "REC";
    snapshot.rangeText = "2V";
    for (int i = 0; i < 400; ++i) {
        double value = 1.5 * std::sin(i / 25.0) + 0.2 * std::sin(i / 3.0);
        if (i >= 95 && i <= 105) {
            value = 2.0;  // a flat stretch on the high
        }
        if (i >= 300 && i <= 310) {
            value = -2.0;
        }
        snapshot.values.push_back(value);
    }
    snapshot.count = 400;
    snapshot.minimum = -2.0;
    snapshot.maximum = 2.0;
    view.UpdateTrend(snapshot);

    const QImage image = view.Chart()->Render();
    Save(image, "trend_chart_2V_recent");
    ASSERT_EQ(image.size(), QSize(540, 133));
    const auto& layout = view.Chart()->Model().Layout();
    // Point 100 lies at x = 62 + 100 * 475 / 400 = 180.75, on the high row.
    EXPECT_TRUE(PixelIs(image, 181, layout.highRow, kRed));
    EXPECT_TRUE(PixelIs(image, 181, layout.highRow - 3, kBlack));
    // Point 305 lies on the low row.
    EXPECT_TRUE(PixelIs(image, 62 + 305 * 475 / 400, layout.lowRow, kRed));
    // Frame, grid and margin.
    EXPECT_TRUE(PixelIs(image, 30, 50, kBackgroundGreen));
    EXPECT_TRUE(PixelIs(image, layout.plotLeft, 50, kWhite));
    EXPECT_TRUE(PixelIs(image, layout.centreX, 40, kWhite));
    EXPECT_TRUE(PixelIs(image, 400, layout.middleRow, kWhite));
    EXPECT_TRUE(PixelIs(image, 520, 20, kBlack));
    // Scale labels left of the frame (black on green), time labels under it.
    EXPECT_GT(CountDark(image, QRect(10, layout.highRow - 6, 48, 12)), 10);
    EXPECT_GT(CountLight(image, QRect(40, layout.frameBottom + 1, 500, 18)), 20);

    TrendSnapshot all = snapshot;
    all.modeText = "ALL";
    all.elapsedSeconds = 125;
    view.UpdateTrend(all);
    Save(view.Chart()->Render(), "trend_chart_2V_all");
    Save(view.grab().toImage(), "trend_chart_view");
    view.hide();
    trendViewShown = false;
}

TEST(ViewRender, TrendChartWithASinglePointDrawsNoLine)
{
    FakeViewHost host;
    CDlgTrendChart view(&host);
    view.show();
    TrendSnapshot snapshot;
    snapshot.modeText = "REC";
    snapshot.rangeText = "2V";
    snapshot.count = 1;
    snapshot.values = {0.0};
    view.UpdateTrend(snapshot);
    const QImage image = view.Chart()->Render();
    EXPECT_EQ(CountColour(image, image.rect(), kRed), 0);
    view.hide();
    trendViewShown = false;
}

// ---- Histogram ----------------------------------------------------------------------------------------

HistogramSnapshot BellSnapshot()
{
    HistogramSnapshot snapshot;
    snapshot.binCount = 40;
    snapshot.readingCount = 1500;
    snapshot.lower = -1.0;
    snapshot.upper = 1.0;
    snapshot.belowCount = 12;
    snapshot.aboveCount = 30;
    for (int i = 0; i < 40; ++i) {
        const double z = (i - 19.5) / 7.0;
        snapshot.bins.push_back(std::round(120.0 * std::exp(-z * z / 2.0)));
    }
    return snapshot;
}

TEST(ViewRender, HistogramBarsCurveAndOuterBins)
{
    FakeViewHost host;
    CDlgHistogram view(&host);
    view.SetUnit("V");
    view.resize(voltora::views::DialogUnitSize(439, 170));
    view.show();
    const HistogramSnapshot snapshot = BellSnapshot();
    view.findChild<QCheckBox*>(voltora::views::ControlName(1047))->click();  // Cumulative
    view.UpdateHistogram(snapshot);

    QImage image = view.Chart()->Render();
    Save(image, "histogram_40_bins_cumulative");
    ASSERT_EQ(image.size(), QSize(578, 141));
    const auto& model = view.Chart()->Model();
    const auto bars = model.Bars();
    ASSERT_EQ(bars.size(), 40u);
    // The tallest bar (bin 19 or 20, count 120) reaches the plot top; bin 10
    // stands lower: red below its top, black above it.
    const QRectF bar = bars[10];
    const int x = static_cast<int>(bar.center().x());
    const int top = static_cast<int>(std::lround(bar.top()));
    EXPECT_TRUE(PixelIs(image, x, top + 2, kRed));
    EXPECT_TRUE(PixelIs(image, x, top - 3, kBlack));
    EXPECT_TRUE(PixelIs(image, static_cast<int>(bars[20].center().x()), 4, kRed));
    // The cumulative curve ends at the plot's top right.
    EXPECT_GT(CountColour(image, QRect(560, 3, 14, 8), kGreen), 0);

    // Outer bins: the above-count is drawn white at the right edge.
    view.findChild<QCheckBox*>(voltora::views::ControlName(1048))->click();  // Outer Bins
    view.UpdateHistogram(snapshot);
    image = view.Chart()->Render();
    Save(image, "histogram_outer_bins");
    const QRectF above = model.AboveBar();
    EXPECT_TRUE(PixelIs(image, static_cast<int>(above.left()), model.Layout().plotBottom - 3, kWhite));
    Save(view.grab().toImage(), "histogram_view");
    view.hide();
    histogramViewShown = false;
}

TEST(ViewRender, AnAllZeroHistogramHasNoBarsOrCurve)
{
    FakeViewHost host;
    CDlgHistogram view(&host);
    view.show();
    view.findChild<QCheckBox*>(voltora::views::ControlName(1047))->click();  // Cumulative
    HistogramSnapshot snapshot = BellSnapshot();
    snapshot.bins.assign(40, 0.0);
    snapshot.belowCount = 0;
    snapshot.aboveCount = 0;
    view.UpdateHistogram(snapshot);
    const QImage image = view.Chart()->Render();
    Save(image, "histogram_all_zero");
    EXPECT_EQ(CountColour(image, image.rect(), kRed), 0);
    EXPECT_EQ(CountColour(image, image.rect(), kGreen), 0);
    view.hide();
    histogramViewShown = false;
}

// ---- Math view ------------------------------------------------------------------------------------------

TEST(ViewRender, MathViewWithStatisticsAndScaling)
{
    FakeViewHost host;
    host.valueText = "+0.75645";
    host.unitText = "VDC";
    CDlgZANMath view(&host);
    view.resize(voltora::views::DialogUnitSize(499, 166));
    view.show();
    MathInfo info;
    info.available = 1;
    info.mode = 1;
    info.unitText = "dB";
    info.dbmReference = 600;
    view.LoadDbSettings(info);
    view.SetUnit("V");
    view.ShowRelValue("On", "0.0015");
    StatisticsBlock block{"7.5645E-01", "7.5702E-01", "7.5790E-01", "1.45E-03", "4.1E-04", 1234};
    view.UpdateStatistics(block);
    const QImage image = view.grab().toImage();
    Save(image, "math_view");
    EXPECT_EQ(image.size(), voltora::views::DialogUnitSize(499, 166));
    view.hide();
    mathViewShown = false;
}

}  // namespace
