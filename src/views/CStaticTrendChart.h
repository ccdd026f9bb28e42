#pragma once

#include "views/TrendChartModel.h"

#include <QImage>
#include <QWidget>

#include <string>

// The trend chart's drawing control: the trend as a red line over a black
// plot with a white grid, scale labels at the high, middle and low rows and
// time labels under the plot. It paints into an off-screen image of its
// client size, which is then copied to the window.
class CStaticTrendChart : public QWidget {
    Q_OBJECT

public:
    explicit CStaticTrendChart(QWidget* parent = nullptr);

    void SetLow(double x);
    void SetHigh(double x);
    void SetBounds(double high, double low);
    void SetData(int count, const double* values);
    void AddXLabel(const std::string& text, double position);
    void ClearXLabels();
    void SetXRange(double range);

    // What the control shows, laid out for its current size.
    const voltora::views::TrendChartModel& Model() const;
    QImage Render() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // The layout follows the control's size (also while it is hidden,
    // when Qt holds its resize events back).
    void SyncLayout() const;
    void RenderInto(QImage& image) const;

    mutable voltora::views::TrendChartModel model;
    QImage canvas;
};
