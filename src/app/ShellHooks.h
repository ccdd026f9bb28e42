#pragma once

#include <QString>

#include <functional>

class QDialog;
class QUrl;
class QWidget;

namespace voltora::app {

// The icon of a message box.
enum class MessageIcon { None, Error, Warning, Information };

// The desktop services the program's windows use for modal interaction.
// The program uses the real ones (DefaultShellHooks); tests replace them so
// that a message is recorded instead of blocking, a dialog is driven by the
// test, and no file chooser or document viewer opens.
struct ShellHooks {
    // Shows a modal message box owned by `owner` (may be null) and returns
    // when the user has closed it. UI thread only.
    std::function<void(QWidget* owner, const QString& text, const QString& caption,
                       MessageIcon icon)>
        showMessage;
    // Runs `dialog` modally; its result (QDialog::Accepted or Rejected).
    std::function<int(QDialog& dialog)> runDialog;
    // Asks for the name of a readings file to write; empty when cancelled.
    std::function<QString()> chooseSaveFile;
    // Asks for the name of a reading log to write; empty when cancelled.
    // When not set, chooseSaveFile asks.
    std::function<QString()> chooseLogFile;
    // Opens a local document with the desktop's handler.
    std::function<bool(const QUrl& document)> openDocument;
};

// Message boxes, dialogs, the save-file chooser and the document opener of
// the desktop.
ShellHooks DefaultShellHooks();

// The filter, default suffix and initial name of the save-file chooser.
inline constexpr const char* kSaveFileFilter = "Comma seperated file(*.csv)";
inline constexpr const char* kSaveFileSuffix = "csv";
inline constexpr const char* kSaveFileInitialName = "*.csv";

}  // namespace voltora::app
