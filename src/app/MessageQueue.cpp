#include "app/MessageQueue.h"

#include "app/UiPause.h"
#include "link/ConnectionMessages.h"

#include <QMetaObject>
#include <QThread>
#include <QTimer>

namespace voltora::app {

MessageQueue::MessageQueue(
    std::function<void(QWidget*, const QString&, const QString&, MessageIcon)> showMessage,
    QObject* parent)
    : QObject(parent), show(std::move(showMessage)), state_(std::make_shared<State>())
{
    state_->queue = this;
}

MessageQueue::~MessageQueue()
{
    if (ownsConnectionSink_) {
        link::SetMessageSink({});
    }
    std::lock_guard<std::mutex> guard(state_->mutex);
    state_->queue = nullptr;
    state_->messages.clear();
}

void MessageQueue::Post(const QString& text, const QString& caption, MessageIcon icon, QWidget* owner)
{
    Message message{text, caption, icon, {}};
    if (owner != nullptr && QThread::currentThread() == thread()) {
        message.owner = owner;
    }
    Enqueue(state_, std::move(message));
}

void MessageQueue::InstallAsConnectionSink()
{
    // The sink holds the shared state, not the queue: a worker that reports
    // a failure while the program is closing finds no queue and drops the
    // message instead of touching a destroyed object.
    std::weak_ptr<State> weak = state_;
    link::SetMessageSink([weak](const std::string& text, const std::string& caption) {
        if (const auto shared = weak.lock()) {
            Enqueue(shared, {QString::fromStdString(text), QString::fromStdString(caption),
                             MessageIcon::None, {}});
        }
    });
    ownsConnectionSink_ = true;
}

std::size_t MessageQueue::PendingCount() const
{
    std::lock_guard<std::mutex> guard(state_->mutex);
    return state_->messages.size();
}

void MessageQueue::Stop()
{
    std::lock_guard<std::mutex> guard(state_->mutex);
    state_->stopped = true;
    state_->messages.clear();
}

void MessageQueue::Enqueue(const std::shared_ptr<State>& state, Message message)
{
    std::lock_guard<std::mutex> guard(state->mutex);
    if (state->queue == nullptr || state->stopped) {
        return;
    }
    state->messages.push_back(std::move(message));
    if (!state->deliveryScheduled) {
        state->deliveryScheduled = true;
        // Posting returns at once; the box is shown by the UI thread's loop.
        QMetaObject::invokeMethod(state->queue, [queue = state->queue] { queue->Deliver(); },
                                  Qt::QueuedConnection);
    }
}

void MessageQueue::Deliver()
{
    if (showing_) {
        // A box is open and its own loop delivered this: the loop below
        // shows the new message once the open box is closed.
        return;
    }
    if (UiPause::Active()) {
        // A command sequence pauses with the window painting: a modal box
        // now would hold the sequence until the user closes it.
        QTimer::singleShot(kDeferralMs, this, &MessageQueue::Deliver);
        return;
    }
    showing_ = true;
    for (;;) {
        Message message;
        {
            std::lock_guard<std::mutex> guard(state_->mutex);
            if (state_->messages.empty()) {
                state_->deliveryScheduled = false;
                break;
            }
            message = std::move(state_->messages.front());
            state_->messages.pop_front();
        }
        show(message.owner.data(), message.text, message.caption, message.icon);
    }
    showing_ = false;
}

}  // namespace voltora::app
