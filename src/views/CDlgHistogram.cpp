#include "views/CDlgHistogram.h"

#include "functions/ViewFlags.h"
#include "platform/CNumbers.h"
#include "scpi/TrendHistogramCommands.h"
#include "views/CStaticHistogramChart.h"
#include "views/IViewHost.h"
#include "views/TemplateBuilder.h"
#include "views/ViewCommands.h"
#include "views/ViewText.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>
#include <array>

using namespace voltora::functions;

using voltora::views::DisplayText;
using voltora::views::NarrowText;
using namespace voltora::scpi;

namespace {

// The bound prefixes: "u" to "P" of the scale prefixes, " " for none.
constexpr std::array<const char*, 8> kBoundPrefixes = {"u", "m", " ", "k", "M", "G", "T", "P"};
constexpr int kBoundNoPrefix = 2;

}  // namespace

CDlgHistogram::CDlgHistogram(IViewHost* viewHost, QWidget* parent) : QWidget(parent), host(viewHost)
{
    BuildControls();
    autoRadio->setChecked(true);
    EnableManualControls(false);
    if (chart->width() < kMinimumChartWidth) {
        chart->resize(kMinimumChartWidth, chart->height());
    }
    chart->SetCumulativeShown(false);
    for (const char* prefix : kBoundPrefixes) {
        highPrefixList->addItem(QString::fromLatin1(prefix));
        lowPrefixList->addItem(QString::fromLatin1(prefix));
    }
    highPrefixList->setCurrentIndex(kBoundNoPrefix);
    lowPrefixList->setCurrentIndex(kBoundNoPrefix);
    ConnectHandlers();
    hide();
}

CDlgHistogram::~CDlgHistogram()
{
    if (shown) {
        SetShown(false);
    }
}

void CDlgHistogram::BuildControls()
{
    voltora::views::TemplateBuilder t(this);
    t.DialogSize(439, 170);
    chart = new CStaticHistogramChart(this);
    t.Place(chart, 1036, 29, 7, 385, 87);
    chart->setFont(font());
    maximumText = t.Text(1045, QStringLiteral("Static"), 0, 13, 28, 8);
    totalText = t.Text(1043, QStringLiteral("Static"), 0, 40, 27, 8);
    binCountText = t.Text(1041, QStringLiteral("#Bin"), 0, 65, 21, 8);
    for (QWidget* hidden : {static_cast<QWidget*>(maximumText), static_cast<QWidget*>(totalText),
                            static_cast<QWidget*>(binCountText)}) {
        hidden->setVisible(false);
    }
    t.Group(0, QStringLiteral("Binning"), 29, 98, 227, 66);
    autoRadio = t.Radio(1038, QStringLiteral("Auto"), 42, 116, 31, 10);
    manualRadio = t.Radio(1039, QStringLiteral("Manual"), 42, 133, 39, 10);
    binningGroup = new QButtonGroup(this);
    binningGroup->addButton(autoRadio);
    binningGroup->addButton(manualRadio);
    t.Text(0, QStringLiteral("Num.Bins"), 86, 116, 30, 8);
    binsList = t.DropDown(1004, 123, 112, 40, 30);
    for (const char* bins : {"10", "20", "40", "100", "200", "400"}) {
        binsList->addItem(QString::fromLatin1(bins));
    }
    binsSet = t.Button(1040, QStringLiteral("Num.Bins"), 199, 111, 50, 13);
    t.Text(0, QStringLiteral("High"), 86, 133, 15, 8);
    highEdit = t.Edit(1015, 123, 128, 40, 14);
    highPrefixList = t.DropDown(1005, 166, 128, 31, 129);
    highUnitText = t.Text(1025, QStringLiteral("V"), 200, 130, 16, 8);
    highSet = t.Button(1042, QStringLiteral("Set"), 221, 127, 28, 14);
    t.Text(0, QStringLiteral("Low"), 86, 148, 14, 8);
    lowEdit = t.Edit(1014, 123, 145, 40, 14);
    lowPrefixList = t.DropDown(1006, 166, 145, 31, 124);
    lowUnitText = t.Text(1026, QStringLiteral("V"), 200, 148, 17, 8);
    lowSet = t.Button(1044, QStringLiteral("Set"), 221, 144, 28, 14);
    cumulativeCheck = t.Check(1047, QStringLiteral("Cumulative"), 259, 112, 51, 10);
    outerBinsCheck = t.Check(1048, QStringLiteral("Outer Bins"), 260, 129, 49, 10);
    clearButton = t.Button(1046, QStringLiteral("Clear Readings"), 259, 145, 61, 14);
}

void CDlgHistogram::ConnectHandlers()
{
    connect(clearButton, &QPushButton::clicked, this,
            [this] { voltora::views::SendLocked(*host, [] { ClearHistogram(); }); });
    connect(autoRadio, &QRadioButton::clicked, this, [this] {
        EnableManualControls(false);
        voltora::views::SendLocked(*host, [] { SetHistogramRangeAuto(true); });
    });
    connect(manualRadio, &QRadioButton::clicked, this, [this] {
        EnableManualControls(true);
        voltora::views::SendLocked(*host, [] { SetHistogramRangeAuto(false); });
    });
    connect(binsSet, &QPushButton::clicked, this, [this] {
        const int points = voltora::platform::CAtoi(NarrowText(binsList->currentText()));
        voltora::views::SendLocked(*host, [points] { SetHistogramPoints(points); });
    });
    connect(highSet, &QPushButton::clicked, this, [this] { OnSetBound(true); });
    connect(lowSet, &QPushButton::clicked, this, [this] { OnSetBound(false); });
    connect(cumulativeCheck, &QCheckBox::clicked, this,
            [this] { chart->SetCumulativeShown(cumulativeCheck->isChecked()); });
    connect(outerBinsCheck, &QCheckBox::clicked, this,
            [this] { chart->SetOuterBinsShown(outerBinsCheck->isChecked()); });
}

// ---- Shown or hidden ------------------------------------------------------------------

void CDlgHistogram::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    SetShown(true);
}

void CDlgHistogram::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    SetShown(false);
}

void CDlgHistogram::SetShown(bool state)
{
    shown = state;
    histogramViewShown = state;
}

// ---- Operations of the panel ------------------------------------------------------------

void CDlgHistogram::UpdateHistogram(const HistogramSnapshot& snapshot)
{
    const int count = std::min(snapshot.binCount, static_cast<int>(snapshot.bins.size()));
    if (!shown || count <= 0) {
        return;
    }
    chart->SetBounds(snapshot.lower, snapshot.upper);
    chart->SetTotal(snapshot.readingCount);

    const auto end = snapshot.bins.begin() + count;
    double maximum = *std::max_element(snapshot.bins.begin(), end);
    chart->SetOuterCounts(snapshot.belowCount, snapshot.aboveCount);
    chart->SetOuterBinsShown(false);
    if (outerBinsCheck->isChecked()) {
        maximum = std::max({maximum, static_cast<double>(snapshot.belowCount),
                            static_cast<double>(snapshot.aboveCount)});
        chart->SetOuterBinsShown(true);
    }
    chart->SetScaleMax(maximum);
    chart->SetXRange(count);
    chart->SetBins(count, snapshot.bins.data());

    const bool automatic = snapshot.autoRange != 0;
    (automatic ? autoRadio : manualRadio)->setChecked(true);
    EnableManualControls(!automatic);
    if (!automatic) {
        // The list shows the number of bins the meter counts in.
        const int listed = binsList->findText(QString::number(count));
        if (listed >= 0) {
            binsList->setCurrentIndex(listed);
        }
    }

    binCountText->setText(QString::fromStdString(voltora::platform::CFormat("%d", count)));
    const double total = snapshot.readingCount;
    totalText->setText(QString::fromStdString(total > 1000.0 ? voltora::platform::CFormat("%.3fk", total / 1000.0)
                                                             : voltora::platform::CFormat("%.0f", total)));
    maximumText->setText(QString::fromStdString(voltora::platform::CFormat("%.0f", maximum)));
}

void CDlgHistogram::SetUnit(const std::string& unit)
{
    highUnitText->setText(DisplayText(unit));
    lowUnitText->setText(DisplayText(unit));
}

// ---- Handlers --------------------------------------------------------------------------------

void CDlgHistogram::EnableManualControls(bool enable)
{
    for (QWidget* control : {static_cast<QWidget*>(binsList), static_cast<QWidget*>(highEdit),
                             static_cast<QWidget*>(lowEdit), static_cast<QWidget*>(binsSet),
                             static_cast<QWidget*>(highSet), static_cast<QWidget*>(lowSet)}) {
        control->setEnabled(enable);
    }
}

void CDlgHistogram::OnSetBound(bool high)
{
    QLineEdit* edit = high ? highEdit : lowEdit;
    QComboBox* prefixes = high ? highPrefixList : lowPrefixList;
    const auto typed = voltora::views::ParseTypedNumber(NarrowText(edit->text()));
    if (!typed) {
        voltora::views::RefuseTypedNumber(this);
        return;
    }
    // The bound prefixes are the scale prefixes from "u" on.
    const int scaleIndex = prefixes->currentIndex() < 0 ? voltora::views::kNoPrefixIndex
                                                         : prefixes->currentIndex() + 2;
    const double x = *typed * voltora::views::PrefixFactor(scaleIndex);
    if (high) {
        voltora::views::SendLocked(*host, [x] { SetHistogramUpper(x); });
    } else {
        voltora::views::SendLocked(*host, [x] { SetHistogramLower(x); });
    }
}
