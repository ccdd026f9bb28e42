#pragma once

#include "app/ShellHooks.h"

#include <QObject>
#include <QPointer>
#include <QWidget>

#include <deque>
#include <memory>
#include <mutex>

namespace voltora::app {

// The program's message boxes, shown one after another on the
// user-interface thread. Any thread may post a message; posting only queues
// it and never waits, so no worker thread waits for the user, and no thread
// shows a box while it holds a function's lock. Messages appear in the
// order in which they were posted: the connection's own message before the
// "Failed to connect" of the same attempt.
class MessageQueue : public QObject {
    Q_OBJECT

public:
    // `show` shows one modal box (ShellHooks::showMessage). The queue lives
    // on the thread that creates it, which must be the user-interface thread.
    explicit MessageQueue(std::function<void(QWidget*, const QString&, const QString&, MessageIcon)> show,
                          QObject* parent = nullptr);
    ~MessageQueue() override;

    // Queues a box. `owner` must be null unless the caller is the
    // user-interface thread.
    void Post(const QString& text, const QString& caption, MessageIcon icon = MessageIcon::None,
              QWidget* owner = nullptr);

    // Makes the connection's messages (texts and caption "Error", no icon)
    // go through this queue for the queue's lifetime.
    void InstallAsConnectionSink();

    // Messages posted and not yet shown.
    std::size_t PendingCount() const;

    // Drops the messages not yet shown and every later one: the program is
    // closing. A box already open stays until it is closed; none follows it.
    void Stop();

private:
    static constexpr int kDeferralMs = 50;

    struct Message {
        QString text;
        QString caption;
        MessageIcon icon = MessageIcon::None;
        QPointer<QWidget> owner;
    };
    // Shared with the connection's sink, which may run on any thread after
    // this object has gone.
    struct State {
        std::mutex mutex;
        MessageQueue* queue = nullptr;
        std::deque<Message> messages;
        bool deliveryScheduled = false;
        bool stopped = false;
    };

    static void Enqueue(const std::shared_ptr<State>& state, Message message);
    void Deliver();

    std::function<void(QWidget*, const QString&, const QString&, MessageIcon)> show;
    std::shared_ptr<State> state_;
    bool showing_ = false;
    bool ownsConnectionSink_ = false;
};

}  // namespace voltora::app
