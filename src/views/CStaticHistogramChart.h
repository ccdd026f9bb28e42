#pragma once

#include "views/HistogramChartModel.h"

#include <QImage>
#include <QWidget>

// The histogram's drawing control: red bars over a black plot with a white
// grid, optionally the cumulative curve (green) and the two outer bins
// (white), with count labels on the left and bound labels underneath. It
// paints into an off-screen image of its client size, which is then copied
// to the window.
class CStaticHistogramChart : public QWidget {
    Q_OBJECT

public:
    explicit CStaticHistogramChart(QWidget* parent = nullptr);

    void SetScaleMax(double maximum);
    void SetBins(int count, const double* counts);
    void SetXRange(double range);
    void SetBounds(double low, double high);
    void SetTotal(double readings);
    void SetOuterCounts(double below, double above);
    void SetCumulativeShown(bool state);
    void SetOuterBinsShown(bool state);

    // What the control shows, laid out for its current size.
    const voltora::views::HistogramChartModel& Model() const;
    QImage Render() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // The layout follows the control's size (also while it is hidden,
    // when Qt holds its resize events back).
    void SyncLayout() const;
    void RenderInto(QImage& image) const;

    mutable voltora::views::HistogramChartModel model;
    QImage canvas;
};
