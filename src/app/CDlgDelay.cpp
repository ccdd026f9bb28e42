#include "app/CDlgDelay.h"

#include "app/AcquisitionTexts.h"
#include "link/IConnection.h"
#include "scpi/Commands.h"
#include "views/TemplateBuilder.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

using voltora::app::DelayArgument;
using voltora::app::DelayShownText;
using voltora::app::kDelayUnits;
using voltora::app::kSecondsUnit;
using namespace voltora::scpi;

CDlgDelay::CDlgDelay(IConnection& connection, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Delay"));
    voltora::views::TemplateBuilder build(this);
    build.DialogSize(217, 89);
    okButton = build.Button(kOkButton, QStringLiteral("OK"), 40, 58, 50, 14);
    okButton->setDefault(true);
    auto* cancelButton = build.Button(kCancelButton, QStringLiteral("Cancel"), 131, 58, 50, 14);
    autoRadio = build.Radio(kAutoRadio, QStringLiteral("Auto"), 39, 16, 31, 10);
    manualRadio = build.Radio(kManualRadio, QStringLiteral("Manual"), 39, 35, 39, 10);
    valueEdit = build.Edit(kValueEdit, 84, 32, 40, 14);
    unitList = build.DropDown(kUnitList, 132, 32, 48, 79);
    auto* group = new QButtonGroup(this);
    group->addButton(autoRadio);
    group->addButton(manualRadio);
    setFixedSize(size());

    connect(okButton, &QPushButton::clicked, this, &CDlgDelay::accept);
    connect(cancelButton, &QPushButton::clicked, this, &CDlgDelay::reject);
    connect(autoRadio, &QRadioButton::clicked, this, [this] { EnableValue(false); });
    connect(manualRadio, &QRadioButton::clicked, this, [this] { EnableValue(true); });

    for (const char* unit : kDelayUnits) {
        unitList->addItem(QString::fromLatin1(unit));
    }
    unitList->setCurrentIndex(kSecondsUnit);
    EnableValue(false);
    LoadFromMeter(connection);
}

void CDlgDelay::LoadFromMeter(IConnection& connection)
{
    if (!connection.IsConnected()) {
        autoRadio->setEnabled(false);
        manualRadio->setEnabled(false);
        okButton->setEnabled(false);
        return;
    }
    valueEdit->setText(QString::fromStdString(DelayShownText(QueryTriggerDelay())));
    if (QueryTriggerDelayAuto()) {
        autoRadio->setChecked(true);
    } else {
        manualRadio->setChecked(true);
        EnableValue(true);
    }
}

void CDlgDelay::EnableValue(bool enable)
{
    valueEdit->setEnabled(enable);
    unitList->setEnabled(enable);
}

void CDlgDelay::accept()
{
    if (!okButton->isEnabled()) {
        return;
    }
    SetTriggerDelay(DelayArgument(autoRadio->isChecked(), valueEdit->text().toStdString(),
                                  unitList->currentIndex()));
    QDialog::accept();
}
