// The message boxes: shown on the user-interface thread, in posting order,
// one at a time; a worker that reports never waits; nothing is shown for a
// queue that has gone.
#include "AppTestSupport.h"
#include "app/MessageQueue.h"
#include "link/ConnectionMessages.h"

#include <gtest/gtest.h>

#include <QThread>

#include <atomic>
#include <thread>

using namespace voltora::app;
using namespace voltora::app::testing;

namespace {

struct Shown {
    QString text;
    QString caption;
    bool onUiThread;
};

TEST(MessageQueueTest, WorkerMessagesAreShownLaterOnTheUiThreadInOrder)
{
    std::vector<Shown> shown;
    MessageQueue queue([&shown](QWidget*, const QString& text, const QString& caption, MessageIcon) {
        shown.push_back({text, caption, QThread::currentThread() == qApp->thread()});
    });
    queue.InstallAsConnectionSink();
    std::thread worker([] {
        voltora::link::ShowMessage("first", "Error");
        voltora::link::ShowMessage("second", "Error");
    });
    worker.join();  // the worker finished without any box being shown
    EXPECT_TRUE(shown.empty());
    EXPECT_EQ(queue.PendingCount(), 2u);
    queue.Post("third", "Error", MessageIcon::Error);
    ProcessPendingEvents();
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[0].text, "first");
    EXPECT_EQ(shown[1].text, "second");
    EXPECT_EQ(shown[2].text, "third");
    for (const Shown& s : shown) {
        EXPECT_EQ(s.caption, "Error");
        EXPECT_TRUE(s.onUiThread);
    }
    EXPECT_EQ(queue.PendingCount(), 0u);
}

TEST(MessageQueueTest, MessagesPostedWhileABoxIsOpenFollowIt)
{
    std::vector<QString> opened;
    int depth = 0;
    int deepest = 0;
    MessageQueue* queuePointer = nullptr;
    MessageQueue queue([&](QWidget*, const QString& text, const QString&, MessageIcon) {
        ++depth;
        deepest = std::max(deepest, depth);
        opened.push_back(text);
        if (text == "A") {
            // While "A" is open its loop runs and another message arrives.
            queuePointer->Post("B", "Error");
            ProcessPendingEvents();
        }
        --depth;
    });
    queuePointer = &queue;
    queue.Post("A", "Error");
    ProcessPendingEvents();
    EXPECT_EQ(opened, (std::vector<QString>{"A", "B"}));
    EXPECT_EQ(deepest, 1);  // never two boxes at once
}

TEST(MessageQueueTest, StopDropsWaitingAndLaterMessagesButNotTheOpenBox)
{
    std::vector<QString> opened;
    MessageQueue* queuePointer = nullptr;
    MessageQueue queue([&](QWidget*, const QString& text, const QString&, MessageIcon) {
        opened.push_back(text);
        if (text == "open") {
            // The program closes while this box is open, with one more waiting.
            queuePointer->Post("waiting", "Error");
            queuePointer->Stop();
            queuePointer->Post("later", "Error");
            ProcessPendingEvents();
        }
    });
    queuePointer = &queue;
    queue.Post("open", "Error");
    ProcessPendingEvents();
    queue.Post("after", "Error");
    ProcessPendingEvents();
    EXPECT_EQ(opened, (std::vector<QString>{"open"}));
    EXPECT_EQ(queue.PendingCount(), 0u);
}

TEST(MessageQueueTest, ReportsAfterTheQueueHasGoneAreDropped)
{
    std::atomic<int> shownCount{0};
    {
        MessageQueue queue([&shownCount](QWidget*, const QString&, const QString&, MessageIcon) { ++shownCount; });
        queue.InstallAsConnectionSink();
        voltora::link::ShowMessage("queued but never shown", "Error");
    }
    // The default sink is back; this goes to standard error, not to a box.
    voltora::link::ShowMessage("after the queue", "Error");
    ProcessPendingEvents();
    EXPECT_EQ(shownCount.load(), 0);
}

TEST(MessageQueueTest, OwnerIsKeptOnlyFromTheUiThread)
{
    QWidget owner;
    std::vector<bool> hadOwner;
    MessageQueue queue([&hadOwner](QWidget* o, const QString&, const QString&, MessageIcon) {
        hadOwner.push_back(o != nullptr);
    });
    queue.Post("ui", "Error", MessageIcon::None, &owner);
    std::thread worker([&] { queue.Post("worker", "Error", MessageIcon::None, &owner); });
    worker.join();
    ProcessPendingEvents();
    EXPECT_EQ(hadOwner, (std::vector<bool>{true, false}));
}

}  // namespace
