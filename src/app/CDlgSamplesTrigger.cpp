#include "app/CDlgSamplesTrigger.h"

#include "app/AcquisitionTexts.h"
#include "link/IConnection.h"
#include "scpi/Commands.h"
#include "views/TemplateBuilder.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace voltora::scpi;

CDlgSamplesTrigger::CDlgSamplesTrigger(IConnection& connection, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Samples/Trigger"));
    voltora::views::TemplateBuilder build(this);
    build.DialogSize(208, 94);
    okButton = build.Button(kOkButton, QStringLiteral("OK"), 52, 65, 50, 14);
    okButton->setDefault(true);
    auto* cancelButton = build.Button(kCancelButton, QStringLiteral("Cancel"), 106, 65, 50, 14);
    build.Text(0, QStringLiteral("Samples per trigger:"), 60, 18, 92, 9);
    countEdit = build.Edit(kCountEdit, 60, 30, 92, 14);
    // A refused count is explained here, under the box, until it is corrected.
    messageText = build.Text(kMessageText, QString(), 14, 47, 180, 9);
    messageText->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    messageText->setStyleSheet(QStringLiteral("color: #b00000;"));
    setFixedSize(size());
    connect(okButton, &QPushButton::clicked, this, &CDlgSamplesTrigger::accept);
    connect(cancelButton, &QPushButton::clicked, this, &CDlgSamplesTrigger::reject);

    if (connection.IsConnected()) {
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
    const auto count = voltora::app::SampleCountArgument(countEdit->text().toStdString());
    if (!count) {
        // Sent anyway, the meter would keep its count without a word.
        messageText->setText(QString::fromLatin1(voltora::app::kSampleCountMessage));
        countEdit->setFocus();
        countEdit->selectAll();
        return;
    }
    sampleCount = *count;
    QDialog::accept();
}
