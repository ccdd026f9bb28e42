#pragma once

#include "functions/ViewData.h"

#include <QWidget>

#include <string>

class CStaticHistogramChart;
class IViewHost;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

// The histogram view: the meter's histogram of the readings with automatic
// or manual binning (sent to the meter, which counts), the cumulative curve
// and the outer bins. The binning radio follows the meter's automatic-range
// flag on every update.
class CDlgHistogram : public QWidget {
    Q_OBJECT

public:
    // The chart is at least this wide, whatever the template gives.
    static constexpr int kMinimumChartWidth = 469;

    explicit CDlgHistogram(IViewHost* host, QWidget* parent = nullptr);
    ~CDlgHistogram() override;

    // After each reading; nothing while the view is hidden or when the
    // snapshot has no bins.
    void UpdateHistogram(const HistogramSnapshot& snapshot);
    void SetUnit(const std::string& unit);

    bool IsShown() const { return shown; }
    CStaticHistogramChart* Chart() const { return chart; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void BuildControls();
    void ConnectHandlers();
    void SetShown(bool state);
    void EnableManualControls(bool enable);
    void OnSetBound(bool high);

    IViewHost* host;
    bool shown = false;

    CStaticHistogramChart* chart = nullptr;
    QLabel* maximumText = nullptr;
    QLabel* totalText = nullptr;
    QLabel* binCountText = nullptr;
    QButtonGroup* binningGroup = nullptr;
    QRadioButton* autoRadio = nullptr;
    QRadioButton* manualRadio = nullptr;
    QComboBox* binsList = nullptr;
    QPushButton* binsSet = nullptr;
    QLineEdit* highEdit = nullptr;
    QComboBox* highPrefixList = nullptr;
    QLabel* highUnitText = nullptr;
    QPushButton* highSet = nullptr;
    QLineEdit* lowEdit = nullptr;
    QComboBox* lowPrefixList = nullptr;
    QLabel* lowUnitText = nullptr;
    QPushButton* lowSet = nullptr;
    QCheckBox* cumulativeCheck = nullptr;
    QCheckBox* outerBinsCheck = nullptr;
    QPushButton* clearButton = nullptr;
};
