#pragma once

#include "functions/ViewData.h"

#include <QWidget>

#include <string>

class CStaticTrendChart;
class IViewHost;
class QButtonGroup;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace voltora::views {
class BoundEditor;
}

// The trend chart view: the meter's trend of the last minute ("Recent",
// mode "REC") or of the whole acquisition ("All", mode "ALL") with a
// Default, Auto or Manual vertical scale. The mode follows the meter: a
// click on "Recent" or "All" only asks the function to change it, and the
// radio, the time labels and the layout change when a snapshot shows it.
class CDlgTrendChart : public QWidget {
    Q_OBJECT

public:
    explicit CDlgTrendChart(IViewHost* host, QWidget* parent = nullptr);
    ~CDlgTrendChart() override;

    // After each reading; nothing while the view is hidden.
    void UpdateTrend(const TrendSnapshot& snapshot);
    void SetUnit(const std::string& unit);

    bool IsShown() const { return shown; }
    const std::string& ModeText() const { return modeText; }
    CStaticTrendChart* Chart() const { return chart; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void BuildControls();
    void SetShown(bool state);
    void SetMode(const std::string& mode);
    void ShowModeRadio();

    IViewHost* host;
    bool shown = false;
    std::string modeText;
    std::string unitText;

    CStaticTrendChart* chart = nullptr;
    QButtonGroup* modeGroup = nullptr;
    QRadioButton* recentRadio = nullptr;
    QRadioButton* allRadio = nullptr;
    QButtonGroup* scaleGroup = nullptr;
    QRadioButton* defaultRadio = nullptr;
    QRadioButton* autoRadio = nullptr;
    QRadioButton* manualRadio = nullptr;
    voltora::views::BoundEditor* boundEditor = nullptr;
    QPushButton* clearButton = nullptr;
    QLineEdit* countEdit = nullptr;
};
