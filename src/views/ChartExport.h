#pragma once

#include <QImage>
#include <QString>

#include <functional>
#include <string>

class QAction;
class QWidget;

namespace voltora::views {

class HistogramChartModel;
class TrendChartModel;

// Exporting what a chart shows: a picture (PNG, at the screen's device
// pixel ratio), the data (CSV) and a copy of the picture to the clipboard.

// The trend points the chart draws (the first min(count, x-range + 1)
// values), one row each: "point,value", values in base units as plain
// C-locale numbers, overload values as "Overload" / "-Overload".
std::string TrendChartCsv(const TrendChartModel& model);

// The bins the chart draws (the first min(bin count, x-range + 1)), one row
// each: "bin,lower,upper,count" with the bin's bounds in base units; the
// counts below and above the range follow as comment lines.
std::string HistogramChartCsv(const HistogramChartModel& model);

// The chart's picture as shown, at `devicePixelRatio` (the size in pixels is
// the widget's size times the ratio).
QImage ChartImage(QWidget* chart, qreal devicePixelRatio);

// Asks for a file to save to: (parent, caption, filter, suggested name) ->
// path, empty when cancelled. The default is the desktop's file dialog;
// tests replace it.
using ChartFileChooser =
    std::function<QString(QWidget*, const QString&, const QString&, const QString&)>;
void SetChartFileChooser(ChartFileChooser chooser);

// The three export commands of one chart, as actions: in the chart's
// context menu and, with their shortcuts, on `view` (active while the view
// is shown): "Save image..." (Ctrl+Shift+S), "Save data..." (Ctrl+Shift+D),
// "Copy" (Ctrl+Shift+C). `data` gives the CSV text of what is shown.
struct ChartExportActions {
    QAction* saveImage = nullptr;
    QAction* saveData = nullptr;
    QAction* copy = nullptr;
};
ChartExportActions InstallChartExport(QWidget* view, QWidget* chart, const QString& name,
                                      std::function<std::string()> data);

// The commands themselves; false when the file could not be written
// (a message box has said why) or the chooser was cancelled.
bool SaveChartImage(QWidget* chart, const QString& name);
bool SaveChartData(QWidget* chart, const QString& name, const std::string& csv);
void CopyChartImage(QWidget* chart);

}  // namespace voltora::views
