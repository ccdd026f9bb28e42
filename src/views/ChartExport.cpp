#include "views/ChartExport.h"

#include "views/HistogramChartModel.h"
#include "views/TrendChartModel.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QMessageBox>
#include <QPainter>
#include <QSaveFile>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <charconv>
#include <cmath>

namespace voltora::views {

namespace {

constexpr double kOverload = 9.9e37;

std::string Number(double value)
{
    if (value >= kOverload) {
        return "Overload";
    }
    if (value <= -kOverload) {
        return "-Overload";
    }
    if (!std::isfinite(value)) {
        return "";
    }
    // Shortest text that reads back to the same double; never localised.
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value == 0.0 ? 0.0 : value);
    return std::string(buffer, result.ptr);
}

ChartFileChooser& Chooser()
{
    static ChartFileChooser chooser = [](QWidget* parent, const QString& caption,
                                         const QString& filter, const QString& suggested) {
        return QFileDialog::getSaveFileName(parent, caption, suggested, filter);
    };
    return chooser;
}

void Complain(QWidget* chart, const QString& caption, const QString& text)
{
    QMessageBox::warning(chart->window(), caption, text);
}

int Shown(int count, double range)
{
    const double limit = std::floor(range) + 1.0;
    return limit < static_cast<double>(count) ? std::max(0, static_cast<int>(limit)) : count;
}

// The device pixel ratio of the screen the chart is shown on.
qreal ScreenRatio(QWidget* chart)
{
    if (const QWindow* window = chart->window()->windowHandle()) {
        return window->devicePixelRatio();
    }
    return chart->devicePixelRatioF();
}

}  // namespace

std::string TrendChartCsv(const TrendChartModel& model)
{
    const std::vector<double>& values = model.Values();
    const int shown = Shown(static_cast<int>(values.size()), model.XRange());
    std::string csv = "point,value\n";
    for (int i = 0; i < shown; ++i) {
        csv += std::to_string(i) + "," + Number(values[static_cast<std::size_t>(i)]) + "\n";
    }
    return csv;
}

std::string HistogramChartCsv(const HistogramChartModel& model)
{
    const std::vector<double>& bins = model.Bins();
    const int shown = Shown(static_cast<int>(bins.size()), model.XRange());
    const double width = bins.empty() ? 0.0 : (model.High() - model.Low()) / static_cast<double>(bins.size());
    std::string csv = "bin,lower,upper,count\n";
    for (int i = 0; i < shown; ++i) {
        const double lower = model.Low() + width * i;
        const double upper = i + 1 == static_cast<int>(bins.size()) ? model.High() : lower + width;
        csv += std::to_string(i) + "," + Number(lower) + "," + Number(upper) + "," +
               Number(bins[static_cast<std::size_t>(i)]) + "\n";
    }
    csv += "# below " + Number(model.Low()) + ": " + Number(model.BelowCount()) + "\n";
    csv += "# above " + Number(model.High()) + ": " + Number(model.AboveCount()) + "\n";
    return csv;
}

QImage ChartImage(QWidget* chart, qreal devicePixelRatio)
{
    const qreal ratio = devicePixelRatio > 0 ? devicePixelRatio : 1.0;
    QImage image((QSizeF(chart->size()) * ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::white);
    QPainter painter(&image);
    chart->render(&painter, QPoint(), QRegion(), QWidget::DrawChildren);
    painter.end();
    return image;
}

void SetChartFileChooser(ChartFileChooser chooser)
{
    Chooser() = std::move(chooser);
}

bool SaveChartImage(QWidget* chart, const QString& name)
{
    const QString caption = QStringLiteral("Save image");
    const QString path = Chooser()(chart->window(), caption, QStringLiteral("PNG image (*.png)"),
                                   name + QStringLiteral(".png"));
    if (path.isEmpty()) {
        return false;
    }
    const QImage image = ChartImage(chart, ScreenRatio(chart));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !image.save(&file, "PNG") || !file.commit()) {
        Complain(chart, caption, QStringLiteral("Cannot write %1: %2").arg(path, file.errorString()));
        return false;
    }
    return true;
}

bool SaveChartData(QWidget* chart, const QString& name, const std::string& csv)
{
    const QString caption = QStringLiteral("Save data");
    const QString path = Chooser()(chart->window(), caption,
                                   QStringLiteral("Comma separated values (*.csv)"),
                                   name + QStringLiteral(".csv"));
    if (path.isEmpty()) {
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(csv.data(), static_cast<qint64>(csv.size())) != static_cast<qint64>(csv.size()) ||
        !file.commit()) {
        Complain(chart, caption, QStringLiteral("Cannot write %1: %2").arg(path, file.errorString()));
        return false;
    }
    return true;
}

void CopyChartImage(QWidget* chart)
{
    QApplication::clipboard()->setImage(ChartImage(chart, ScreenRatio(chart)));
}

ChartExportActions InstallChartExport(QWidget* view, QWidget* chart, const QString& name,
                                      std::function<std::string()> data)
{
    ChartExportActions actions;
    actions.saveImage = new QAction(QStringLiteral("Save image..."), view);
    actions.saveImage->setShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+S")));
    actions.saveData = new QAction(QStringLiteral("Save data..."), view);
    actions.saveData->setShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+D")));
    actions.copy = new QAction(QStringLiteral("Copy"), view);
    actions.copy->setShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+C")));
    for (QAction* action : {actions.saveImage, actions.saveData, actions.copy}) {
        // Active while the view is visible (one view is shown at a time).
        action->setShortcutContext(Qt::WindowShortcut);
        action->setShortcutVisibleInContextMenu(true);
        view->addAction(action);
        chart->addAction(action);
    }
    chart->setContextMenuPolicy(Qt::ActionsContextMenu);
    QObject::connect(actions.saveImage, &QAction::triggered, chart,
                     [chart, name] { SaveChartImage(chart, name); });
    QObject::connect(actions.saveData, &QAction::triggered, chart,
                     [chart, name, data] { SaveChartData(chart, name, data()); });
    QObject::connect(actions.copy, &QAction::triggered, chart, [chart] { CopyChartImage(chart); });
    return actions;
}

}  // namespace voltora::views
