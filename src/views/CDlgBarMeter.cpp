#include "views/CDlgBarMeter.h"

#include "views/BoundEditor.h"
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

CDlgBarMeter::CDlgBarMeter(IViewHost* viewHost, QWidget* parent) : QWidget(parent), host(viewHost)
{
    BuildControls();
    defaultRadio->setChecked(true);
    boundEditor->EnableManualControls(false);

    connect(defaultRadio, &QRadioButton::clicked, this, [this] { boundEditor->EnableManualControls(false); });
    connect(manualRadio, &QRadioButton::clicked, this, [this] {
        rangeText.clear();
        boundEditor->EnableManualControls(true);
    });
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
    const voltora::views::BoundRowLayout high{{0, 137, 81, 15, 8},
                                              {1015, 154, 79, 56, 14},
                                              {1006, 214, 79, 29, 76},
                                              {1018, 250, 81, 15, 8},
                                              {1013, 265, 78, 50, 14}};
    const voltora::views::BoundRowLayout low{{0, 137, 103, 14, 8},
                                             {1014, 154, 100, 56, 14},
                                             {1004, 214, 100, 29, 81},
                                             {1017, 250, 102, 14, 8},
                                             {1012, 265, 100, 50, 14}};
    boundEditor = new voltora::views::BoundEditor(this, t, high, low, [this](bool isHigh, double value) {
        if (isHigh) {
            chart->SetHigh(value);
        } else {
            chart->SetLow(value);
        }
    });
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
    boundEditor->SetUnit(unit);
}
