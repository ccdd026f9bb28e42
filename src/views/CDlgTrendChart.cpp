#include "views/CDlgTrendChart.h"

#include "views/BoundEditor.h"
#include "functions/ViewFlags.h"
#include "platform/CNumbers.h"
#include "views/CStaticTrendChart.h"
#include "views/DefaultScales.h"
#include "views/IViewHost.h"
#include "views/TemplateBuilder.h"
#include "views/ViewCommands.h"
#include "views/ViewText.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>

using namespace voltora::functions;

using voltora::views::DisplayText;
using voltora::views::NarrowText;

namespace {

constexpr double kTrendPoints = 400.0;

}  // namespace

CDlgTrendChart::CDlgTrendChart(IViewHost* viewHost, QWidget* parent) : QWidget(parent), host(viewHost)
{
    BuildControls();
    recentRadio->setChecked(true);
    chart->SetXRange(kTrendPoints);
    SetMode("REC");
    defaultRadio->setChecked(true);
    boundEditor->EnableManualControls(false);

    connect(recentRadio, &QRadioButton::clicked, this, [this] { this->host->ApplyTrendMode("REC"); });
    connect(allRadio, &QRadioButton::clicked, this, [this] { this->host->ApplyTrendMode("ALL"); });
    connect(defaultRadio, &QRadioButton::clicked, this, [this] { boundEditor->EnableManualControls(false); });
    connect(autoRadio, &QRadioButton::clicked, this, [this] { boundEditor->EnableManualControls(false); });
    connect(manualRadio, &QRadioButton::clicked, this, [this] { boundEditor->EnableManualControls(true); });
    connect(clearButton, &QPushButton::clicked, this, [this] { voltora::views::ClearReadings(*this->host); });
    hide();
}

CDlgTrendChart::~CDlgTrendChart()
{
    if (shown) {
        SetShown(false);
    }
}

void CDlgTrendChart::BuildControls()
{
    voltora::views::TemplateBuilder t(this);
    t.DialogSize(440, 180);
    chart = new CStaticTrendChart(this);
    t.Place(chart, 1019, 29, 4, 360, 82);
    chart->setFont(font());
    recentRadio = t.Radio(1020, QStringLiteral("Recent"), 227, 103, 39, 10);
    allRadio = t.Radio(1021, QStringLiteral("All"), 227, 122, 23, 10);
    modeGroup = new QButtonGroup(this);
    modeGroup->addButton(recentRadio);
    modeGroup->addButton(allRadio);
    t.Group(0, QStringLiteral("Vertical Scale"), 30, 91, 186, 68);
    defaultRadio = t.Radio(1033, QStringLiteral("Default"), 43, 103, 39, 10);
    autoRadio = t.Radio(1034, QStringLiteral("Auto"), 94, 103, 31, 10);
    manualRadio = t.Radio(1035, QStringLiteral("Manual"), 137, 103, 39, 10);
    scaleGroup = new QButtonGroup(this);
    scaleGroup->addButton(defaultRadio);
    scaleGroup->addButton(autoRadio);
    scaleGroup->addButton(manualRadio);
    const voltora::views::BoundRowLayout high{{0, 43, 125, 15, 8},
                                              {1015, 71, 121, 40, 14},
                                              {1072, 113, 122, 28, 121},
                                              {1025, 148, 123, 15, 8},
                                              {1022, 168, 121, 38, 14}};
    const voltora::views::BoundRowLayout low{{0, 43, 142, 14, 8},
                                             {1014, 71, 139, 40, 14},
                                             {1073, 113, 140, 28, 140},
                                             {1026, 148, 141, 16, 8},
                                             {1023, 168, 139, 38, 14}};
    boundEditor = new voltora::views::BoundEditor(this, t, high, low, [this](bool isHigh, double value) {
        if (isHigh) {
            chart->SetHigh(value);
        } else {
            chart->SetLow(value);
        }
    });
    clearButton = t.Button(1024, QStringLiteral("Clear Readings"), 227, 143, 67, 14);
    countEdit = t.Edit(1032, 413, 168, 25, 12);
    countEdit->setVisible(false);
}

// ---- Shown or hidden ------------------------------------------------------------------

void CDlgTrendChart::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    SetShown(true);
}

void CDlgTrendChart::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    SetShown(false);
}

void CDlgTrendChart::SetShown(bool state)
{
    shown = state;
    trendViewShown = state;
}

// ---- Mode ----------------------------------------------------------------------------------

void CDlgTrendChart::SetMode(const std::string& mode)
{
    modeText = mode;
    chart->ClearXLabels();
    ShowModeRadio();
    if (mode != "ALL") {
        chart->AddXLabel("-1min", 0.0);
        chart->AddXLabel("-30s", 200.0);
        chart->AddXLabel("0s", 400.0);
    }
}

void CDlgTrendChart::ShowModeRadio()
{
    (modeText == "ALL" ? allRadio : recentRadio)->setChecked(true);
}

// ---- Operations of the panel ------------------------------------------------------------

void CDlgTrendChart::UpdateTrend(const TrendSnapshot& snapshot)
{
    if (!shown) {
        return;
    }
    if (snapshot.modeText != modeText) {
        SetMode(snapshot.modeText);
    } else {
        // A click asked for the other mode and the meter has not taken it:
        // the radio shows the meter's mode again.
        ShowModeRadio();
    }
    if (snapshot.modeText == "ALL") {
        chart->ClearXLabels();
        const int elapsed = snapshot.elapsedSeconds;
        chart->AddXLabel(voltora::platform::CFormat("Elapsed Time:%dm %ds", elapsed / 60, elapsed % 60), 200.0);
    }

    if (autoRadio->isChecked()) {
        chart->SetBounds(snapshot.maximum, snapshot.minimum);
    } else if (defaultRadio->isChecked()) {
        const auto bounds =
            voltora::views::TrendDefaultScale(host->CurrentFunctionName(), unitText, snapshot.rangeText);
        if (bounds) {
            chart->SetBounds(bounds->high, bounds->low);
        }
    }

    const int count = std::clamp(snapshot.count, 0, static_cast<int>(snapshot.values.size()));
    chart->SetData(count, snapshot.values.data());
    countEdit->setText(QString::fromStdString(voltora::platform::CFormat("%d", snapshot.count)));
}

void CDlgTrendChart::SetUnit(const std::string& unit)
{
    unitText = unit;
    boundEditor->SetUnit(unit);
}
