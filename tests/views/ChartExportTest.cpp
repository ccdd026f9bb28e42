// Exporting the trend chart and the histogram: the CSV of what is drawn, the
// PNG's size and pixels, the clipboard, and the keys doing what the context
// menu does.

#include "views/CStaticHistogramChart.h"
#include "views/CStaticTrendChart.h"
#include "views/ChartExport.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <clocale>
#include <sstream>

using namespace voltora::views;

namespace {

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::stringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        lines.push_back(line);
    }
    return lines;
}

// A view holding one chart, shown and active, with the export installed;
// files chosen are taken from `paths`, in order.
class ChartExportTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetChartFileChooser([this](QWidget*, const QString& caption, const QString&,
                                   const QString& suggested) {
            captions.push_back(caption);
            suggestions.push_back(suggested);
            return paths.empty() ? QString() : paths.takeFirst();
        });
    }
    void TearDown() override { SetChartFileChooser(nullptr); }

    template <typename Chart>
    Chart* Place(QWidget& view, const QSize& size)
    {
        auto* chart = new Chart(&view);
        chart->setGeometry(QRect(QPoint(10, 10), size));
        view.resize(size + QSize(20, 20));
        return chart;
    }

    static void ShowActive(QWidget& view)
    {
        view.show();
        view.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&view));
    }

    QTemporaryDir dir;
    QStringList paths;
    QStringList captions;
    QStringList suggestions;
};

}  // namespace

TEST_F(ChartExportTest, TrendCsvHoldsThePointsDrawnInTheCLocale)
{
    QWidget view;
    auto* chart = Place<CStaticTrendChart>(view, QSize(400, 200));
    chart->SetXRange(4);
    const double values[] = {1.5, -0.0025, 9.9e37, 1234567.0, 2.0, 3.0, 4.0};
    chart->SetData(7, values);

    const std::string previous = std::setlocale(LC_ALL, nullptr);
    std::setlocale(LC_ALL, "de_DE.UTF-8");  // when missing, C stays: the check still holds
    const std::string csv = TrendChartCsv(chart->Model());
    std::setlocale(LC_ALL, previous.c_str());
    // An x-range of 4 draws points 0 to 4.
    EXPECT_EQ(csv, "point,value\n0,1.5\n1,-0.0025\n2,Overload\n3,1234567\n4,2\n");

    chart->SetXRange(590);
    EXPECT_EQ(Lines(TrendChartCsv(chart->Model())).size(), 8u);
    chart->SetData(0, values);
    EXPECT_EQ(TrendChartCsv(chart->Model()), "point,value\n");
}

TEST_F(ChartExportTest, HistogramCsvHoldsTheBinsWithTheirBounds)
{
    QWidget view;
    auto* chart = Place<CStaticHistogramChart>(view, QSize(400, 200));
    const double counts[] = {1, 4, 9, 4};
    chart->SetBins(4, counts);
    chart->SetXRange(4);
    chart->SetBounds(-1.0, 1.0);
    chart->SetOuterCounts(2, 3);
    EXPECT_EQ(HistogramChartCsv(chart->Model()),
              "bin,lower,upper,count\n"
              "0,-1,-0.5,1\n"
              "1,-0.5,0,4\n"
              "2,0,0.5,9\n"
              "3,0.5,1,4\n"
              "# below -1: 2\n"
              "# above 1: 3\n");
}

TEST_F(ChartExportTest, ImageIsTheChartAtTheDevicePixelRatio)
{
    QWidget view;
    auto* chart = Place<CStaticTrendChart>(view, QSize(400, 200));
    std::vector<double> values(100);
    for (std::size_t i = 0; i < values.size(); ++i) {
        values[i] = 0.0;
    }
    chart->SetBounds(1.0, -1.0);
    chart->SetXRange(99);
    chart->SetData(static_cast<int>(values.size()), values.data());
    ShowActive(view);

    for (const qreal ratio : {1.0, 2.0}) {
        const QImage image = ChartImage(chart, ratio);
        EXPECT_EQ(image.size(), QSize(400, 200) * ratio);
        const QImage onScreen = chart->Render();
        // The same picture as drawn: compare a few points, scaled.
        const auto& layout = chart->Model().Layout();
        const QPoint plot(layout.plotLeft + layout.plotWidth * 37 / 100,
                          layout.TickY(2) + static_cast<int>(layout.rowStep / 2));
        EXPECT_EQ(image.pixelColor(plot * ratio), onScreen.pixelColor(plot)) << ratio;
        EXPECT_EQ(onScreen.pixelColor(plot), QColor(0, 0, 0));
        // The trace of zeros runs along the middle row in red.
        const QPointF trace = chart->Model().Polyline()[50];
        const QColor traced = image.pixelColor((trace * ratio).toPoint());
        EXPECT_GT(traced.red(), 200) << ratio;
        EXPECT_LT(traced.green(), 80) << ratio;
        // The background outside the plot.
        EXPECT_EQ(image.pixelColor(QPoint(1, 1)), onScreen.pixelColor(QPoint(1, 1)));
    }
}

TEST_F(ChartExportTest, MenuAndKeysSaveTheSameFiles)
{
    QWidget view;
    auto* chart = Place<CStaticHistogramChart>(view, QSize(300, 150));
    const double counts[] = {3, 5, 2};
    chart->SetBins(3, counts);
    chart->SetXRange(3);
    chart->SetBounds(0.0, 3.0);
    const ChartExportActions actions = InstallChartExport(
        &view, chart, QStringLiteral("histogram"), [chart] { return HistogramChartCsv(chart->Model()); });
    ShowActive(view);

    // The context menu holds the three commands, in order.
    EXPECT_EQ(chart->contextMenuPolicy(), Qt::ActionsContextMenu);
    ASSERT_EQ(chart->actions().size(), 3);
    EXPECT_EQ(chart->actions()[0]->text(), "Save image...");
    EXPECT_EQ(chart->actions()[1]->text(), "Save data...");
    EXPECT_EQ(chart->actions()[2]->text(), "Copy");

    const QString byMenuPng = dir.filePath("menu.png");
    const QString byKeyPng = dir.filePath("key.png");
    const QString byMenuCsv = dir.filePath("menu.csv");
    const QString byKeyCsv = dir.filePath("key.csv");
    paths = {byMenuPng, byKeyPng, byMenuCsv, byKeyCsv};
    actions.saveImage->trigger();
    QTest::keyClick(&view, Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
    actions.saveData->trigger();
    QTest::keyClick(&view, Qt::Key_D, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(captions, QStringList({"Save image", "Save image", "Save data", "Save data"}));
    EXPECT_EQ(suggestions[0], "histogram.png");
    EXPECT_EQ(suggestions[2], "histogram.csv");

    QImage menuImage(byMenuPng);
    QImage keyImage(byKeyPng);
    ASSERT_FALSE(menuImage.isNull());
    EXPECT_EQ(menuImage.size(), QSize(300, 150) * view.devicePixelRatioF());
    EXPECT_EQ(menuImage.convertToFormat(QImage::Format_RGB32), keyImage.convertToFormat(QImage::Format_RGB32));

    QFile menuCsv(byMenuCsv);
    QFile keyCsv(byKeyCsv);
    ASSERT_TRUE(menuCsv.open(QIODevice::ReadOnly));
    ASSERT_TRUE(keyCsv.open(QIODevice::ReadOnly));
    const QByteArray csv = menuCsv.readAll();
    EXPECT_EQ(csv.toStdString(), HistogramChartCsv(chart->Model()));
    EXPECT_EQ(keyCsv.readAll(), csv);
    EXPECT_TRUE(csv.startsWith("bin,lower,upper,count\n0,0,1,3\n1,1,2,5\n2,2,3,2\n"));

    // Copy by key puts the picture on the clipboard.
    QApplication::clipboard()->clear();
    QTest::keyClick(&view, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    const QImage copied = QApplication::clipboard()->image();
    EXPECT_EQ(copied.size(), QSize(300, 150) * view.devicePixelRatioF());

    // Cancelled: nothing written, no message.
    paths.clear();
    EXPECT_FALSE(SaveChartData(chart, QStringLiteral("histogram"), "x"));
}
