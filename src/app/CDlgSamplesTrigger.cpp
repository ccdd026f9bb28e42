#include "app/CDlgSamplesTrigger.h"

#include "app/AcquisitionTexts.h"
#include "link/CConectWithNI.h"
#include "scpi/Commands.h"
#include "views/TemplateBuilder.h"

#include <QLineEdit>
#include <QPushButton>

CDlgSamplesTrigger::CDlgSamplesTrigger(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Samples/Trigger"));
    voltora::views::TemplateBuilder build(this);
    build.DialogSize(208, 94);
    okButton = build.Button(kOkButton, QStringLiteral("OK"), 52, 65, 50, 14);
    okButton->setDefault(true);
    auto* cancelButton = build.Button(kCancelButton, QStringLiteral("Cancel"), 106, 65, 50, 14);
    countEdit = build.Edit(kCountEdit, 60, 30, 92, 14);
    setFixedSize(size());
    connect(okButton, &QPushButton::clicked, this, &CDlgSamplesTrigger::accept);
    connect(cancelButton, &QPushButton::clicked, this, &CDlgSamplesTrigger::reject);

    if (CConectWithNI::Instance()->IsConnected()) {
        countEdit->setText(
            QString::fromStdString(voltora::app::SampleCountShownText(QuerySampleCount())));
    } else {
        okButton->setEnabled(false);
        countEdit->setEnabled(false);
    }
}

void CDlgSamplesTrigger::accept()
{
    if (!okButton->isEnabled()) {
        return;
    }
    sampleCount = countEdit->text().toStdString();
    QDialog::accept();
}
