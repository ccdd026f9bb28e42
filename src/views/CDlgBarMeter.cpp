#include "views/CDlgBarMeter.h"

#include "views/CStaticBarMeter.h"
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

using voltora::views::DisplayText;
using voltora::views::NarrowText;

CDlgBarMeter::CDlgBarMeter(IViewHost* host, QWidget* parent) : QWidget(parent), host(host)
{
    BuildControls();
    for (const char* prefix : voltora::views::kPrefixTexts) {
        lowPrefixList->addItem(QString::fromLatin1(prefix));
        highPrefixList->addItem(QString::fromLatin1(prefix));
    }
    lowPrefixList->setCurrentIndex(voltora::views::kNoPrefixIndex);
    highPrefixList->setCurrentIndex(voltora::views::kNoPrefixIndex);
    defaultRadio->setChecked(true);
    EnableManualControls(false);

    connect(defaultRadio, &QRadioButton::clicked, this, [this] { EnableManualControls(false); });
    connect(manualRadio, &QRadioButton::clicked, this, [this] {
        rangeText.clear();
        EnableManualControls(true);
    });
    connect(lowSet, &QPushButton::clicked, this, [this] { OnSetBound(false); });
    connect(highSet, &QPushButton::clicked, this, [this] { OnSetBound(true); });
    hide();
}

void CDlgBarMeter::BuildControls()
{
    voltora::views::TemplateBuilder t(this);
    t.DialogSize(478, 132);
    chart = new CStaticBarMeter(this);
    t.Place(chart, 1016, 47, 2, 302, 52);
    chart->setFont(font());
    t.Group(0, QStringLiteral("Horizontal Scale"), 47, 62, 302, 60);
    defaultRadio = t.Radio(1060, QStringLiteral("Default"), 72, 81, 39, 10);
    manualRadio = t.Radio(1061, QStringLiteral("Manual"), 72, 102, 39, 10);
    scaleGroup = new QButtonGroup(this);
    scaleGroup->addButton(defaultRadio);
    scaleGroup->addButton(manualRadio);
    t.Text(0, QStringLiteral("High"), 137, 81, 15, 8);
    highEdit = t.Edit(1015, 154, 79, 56, 14);
    highPrefixList = t.DropDown(1006, 214, 79, 29, 76);
    highUnitText = t.Text(1018, QStringLiteral("V"), 250, 81, 15, 8);
    highSet = t.Button(1013, QStringLiteral("Set"), 265, 78, 50, 14);
    t.Text(0, QStringLiteral("Low"), 137, 103, 14, 8);
    lowEdit = t.Edit(1014, 154, 100, 56, 14);
    lowPrefixList = t.DropDown(1004, 214, 100, 29, 81);
    lowUnitText = t.Text(1017, QStringLiteral("V"), 250, 102, 14, 8);
    lowSet = t.Button(1012, QStringLiteral("Set"), 265, 100, 50, 14);
}

bool CDlgBarMeter::IsDefaultScale() const
{
    return defaultRadio->isChecked();
}

void CDlgBarMeter::UpdateBar(const std::string& text)
{
    ApplyDefaultScale();
    chart->SetReading(text);
}

void CDlgBarMeter::ApplyDefaultScale()
{
    if (!defaultRadio->isChecked()) {
        return;
    }
    rangeText = host->CurrentRangeText();
    const auto bounds = voltora::views::BarMeterDefaultScale(host->CurrentFunctionName(), unitText, rangeText);
    if (bounds) {
        chart->SetBounds(bounds->high, bounds->low);
    }
}

void CDlgBarMeter::SetUnit(const std::string& unit)
{
    unitText = unit;
    lowUnitText->setText(DisplayText(unit));
    highUnitText->setText(DisplayText(unit));
}

void CDlgBarMeter::EnableManualControls(bool enable)
{
    for (QWidget* control : {static_cast<QWidget*>(highEdit), static_cast<QWidget*>(highPrefixList),
                             static_cast<QWidget*>(highSet), static_cast<QWidget*>(lowEdit),
                             static_cast<QWidget*>(lowPrefixList), static_cast<QWidget*>(lowSet)}) {
        control->setEnabled(enable);
    }
}

void CDlgBarMeter::OnSetBound(bool high)
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
