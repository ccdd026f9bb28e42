#pragma once

#include "app/ShellHooks.h"

#include "support/WaitUntil.h"

#include <QCoreApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QString>
#include <QThread>
#include <QUrl>

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace voltora::app::testing {

// Processes the user-interface thread's events until `condition` holds or
// `limitMs` has passed; the condition's last value.
inline bool WaitUntil(const std::function<bool()>& condition, int limitMs = 10000)
{
    return voltora::testing::WaitUntil(
        condition, std::chrono::milliseconds(limitMs), std::chrono::milliseconds(2),
        [] { QCoreApplication::processEvents(QEventLoop::AllEvents, 5); });
}

// Lets queued events run (message boxes posted to the UI thread).
inline void ProcessPendingEvents()
{
    for (int i = 0; i < 5; ++i) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
}

// The desktop services as a test sees them: message boxes are recorded, each
// modal dialog is handed to the next queued driver (which sets its controls
// and gives its result), the save-file chooser answers from a queue and the
// documents opened are recorded.
class RecordedShell {
public:
    struct Message {
        QString text;
        QString caption;
        MessageIcon icon;
        bool hadOwner;
    };
    using DialogDriver = std::function<int(QDialog&)>;

    ShellHooks Hooks()
    {
        ShellHooks hooks;
        hooks.showMessage = [this](QWidget* owner, const QString& text, const QString& caption,
                                   MessageIcon icon) {
            messages.push_back({text, caption, icon, owner != nullptr});
        };
        hooks.runDialog = [this](QDialog& dialog) {
            dialogTitles.push_back(dialog.windowTitle());
            if (drivers.empty()) {
                return static_cast<int>(QDialog::Rejected);
            }
            DialogDriver driver = std::move(drivers.front());
            drivers.pop_front();
            return driver(dialog);
        };
        hooks.chooseSaveFile = [this] {
            ++saveFileRequests;
            if (saveFiles.empty()) {
                return QString();
            }
            const QString path = saveFiles.front();
            saveFiles.pop_front();
            return path;
        };
        hooks.openDocument = [this](const QUrl& document) {
            openedDocuments.push_back(document);
            return true;
        };
        return hooks;
    }

    std::vector<QString> Texts() const
    {
        std::vector<QString> texts;
        for (const auto& m : messages) {
            texts.push_back(m.text);
        }
        return texts;
    }

    std::vector<Message> messages;
    std::deque<DialogDriver> drivers;
    std::vector<QString> dialogTitles;
    std::deque<QString> saveFiles;
    int saveFileRequests = 0;
    std::vector<QUrl> openedDocuments;
};

// The number of `message` in `transcript`.
inline int CountOf(const std::vector<std::string>& transcript, const std::string& message)
{
    int count = 0;
    for (const auto& m : transcript) {
        count += m == message ? 1 : 0;
    }
    return count;
}

}  // namespace voltora::app::testing
