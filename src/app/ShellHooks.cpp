#include "app/ShellHooks.h"

#include <QDesktopServices>
#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QUrl>

namespace voltora::app {
namespace {

QMessageBox::Icon BoxIcon(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Error:
        return QMessageBox::Critical;
    case MessageIcon::Warning:
        return QMessageBox::Warning;
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

void ShowMessageBox(QWidget* owner, const QString& text, const QString& caption, MessageIcon icon)
{
    QMessageBox box(BoxIcon(icon), caption, text, QMessageBox::Ok, owner);
    // Without an owner the box still blocks the whole program, as a
    // task-modal box does.
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

QString ChooseSaveFile()
{
    // No owner, as the file dialog of the save command has none.
    QFileDialog dialog(nullptr, QString(), QString(), QString::fromLatin1(kSaveFileFilter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(QString::fromLatin1(kSaveFileSuffix));
    dialog.selectFile(QString::fromLatin1(kSaveFileInitialName));
    // Overwriting an existing file is confirmed by the dialog itself.
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return QString();
    }
    return dialog.selectedFiles().constFirst();
}

QString ChooseLogFile()
{
    QFileDialog dialog(nullptr, QStringLiteral("Start logging"), QString(),
                       QString::fromLatin1(kSaveFileFilter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(QString::fromLatin1(kSaveFileSuffix));
    dialog.selectFile(QStringLiteral("voltora-log.csv"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return QString();
    }
    return dialog.selectedFiles().constFirst();
}

}  // namespace

ShellHooks DefaultShellHooks()
{
    ShellHooks hooks;
    hooks.showMessage = ShowMessageBox;
    hooks.runDialog = [](QDialog& dialog) { return dialog.exec(); };
    hooks.chooseSaveFile = ChooseSaveFile;
    hooks.chooseLogFile = ChooseLogFile;
    hooks.openDocument = [](const QUrl& document) { return QDesktopServices::openUrl(document); };
    return hooks;
}

}  // namespace voltora::app
