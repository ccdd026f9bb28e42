#include "app/CAboutDlg.h"

#include "app/CommandLine.h"
#include "app/ProgramIcon.h"
#include "views/DialogUnits.h"
#include "views/TemplateBuilder.h"

#include <QLabel>
#include <QPushButton>

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("About Voltora"));
    voltora::views::TemplateBuilder build(this);
    build.DialogSize(214, 62);
    auto* icon = new QLabel(this);
    icon->setPixmap(voltora::app::ProgramIconPixmap(32));
    build.Place(icon, kIcon, 14, 14, 21, 20);
    build.Text(kVersionText, QString::fromStdString(voltora::app::VersionLine()), 42, 14, 114, 8);
    auto* ok = build.Button(kOkButton, QStringLiteral("OK"), 157, 41, 50, 14);
    ok->setDefault(true);
    setFixedSize(size());
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}
