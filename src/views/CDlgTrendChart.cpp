#include "views/CDlgTrendChart.h"

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

using voltora::views::DisplayText;
using voltora::views::NarrowText;

namespace {

constexpr double kTrendPoints = 400.0;

}  // namespace

CDlgTrendChart::CDlgTrendChart(IViewHost* host, QWidget* parent) : QWidget(parent), host(host)
{
    BuildControls();
    recentRadio->setChecked(true);
    for (const char* prefix : voltora::views::kPrefixTexts) {
        lowPrefixList->addItem(QString::fromLatin1(prefix));
        highPrefixList->addItem(QString::fromLatin1(prefix));
    }
    lowPrefixList->setCurrentIndex(voltora::views::kNoPrefixIndex);
    highPrefixList->setCurrentIndex(voltora::views::kNoPrefixIndex);
    chart->SetXRange(kTrendPoints);
    SetMode("REC");
    defaultRadio->setChecked(true);
    EnableManualControls(false);

    connect(recentRadio, &QRadioButton::clicked, this, [this] { this->host->ApplyTrendMode("REC"); });
    connect(allRadio, &QRadioButton::clicked, this, [this] { this->host->ApplyTrendMode("ALL"); });
    connect(defaultRadio, &QRadioButton::clicked, this, [this] { EnableManualControls(false); });
    connect(autoRadio, &QRadioButton::clicked, this, [this] { EnableManualControls(false); });
    connect(manualRadio, &QRadioButton::clicked, this, [this] { EnableManualControls(true); });
    connect(highSet, &QPushButton::clicked, this, [this] { OnSetBound(true); });
    connect(lowSet, &QPushButton::clicked, this, [this] { OnSetBound(false); });
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
    t.Text(0, QStringLiteral("High"), 43, 125, 15, 8);
    highEdit = t.Edit(1015, 71, 121, 40, 14);
    highPrefixList = t.DropDown(1072, 113, 122, 28, 121);
    highUnitText = t.Text(1025, QStringLiteral("V"), 148, 123, 15, 8);
    highSet = t.Button(1022, QStringLiteral("Set"), 168, 121, 38, 14);
    t.Text(0, QStringLiteral("Low"), 43, 142, 14, 8);
    lowEdit = t.Edit(1014, 71, 139, 40, 14);
    lowPrefixList = t.DropDown(1073, 113, 140, 28, 140);
    lowUnitText = t.Text(1026, QStringLiteral("V"), 148, 141, 16, 8);
    lowSet = t.Button(1023, QStringLiteral("Set"), 168, 139, 38, 14);
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
    highUnitText->setText(DisplayText(unit));
    lowUnitText->setText(DisplayText(unit));
}

// ---- Handlers --------------------------------------------------------------------------------

void CDlgTrendChart::EnableManualControls(bool enable)
{
    for (QWidget* control : {static_cast<QWidget*>(highEdit), static_cast<QWidget*>(highPrefixList),
                             static_cast<QWidget*>(highSet), static_cast<QWidget*>(lowEdit),
                             static_cast<QWidget*>(lowPrefixList), static_cast<QWidget*>(lowSet)}) {
        control->setEnabled(enable);
    }
}

void CDlgTrendChart::OnSetBound(bool high)
{
    QLineEdit* edit = high ? highEdit : lowEdit;
    QComboBox* prefixes = high ? highPrefixList : lowPrefixList;
    const auto x = voltora::views::TypedScaleBound(edit->text(), prefixes->currentIndex());
    if (!x) {
        voltora::views::RefuseTypedNumber(this);
        return;
    }
    if (high) {
        chart->SetHigh(*x);
    } else {
        chart->SetLow(*x);
    }
}
