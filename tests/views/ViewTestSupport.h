#pragma once

#include "functions/CZANFunction.h"
#include "views/TemplateBuilder.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

namespace voltora::views::testing {

// The control with template id `id` of a view.
template <typename Control>
Control* Find(const QWidget& view, int id)
{
    auto* control = view.findChild<Control*>(ControlName(id));
    EXPECT_NE(control, nullptr) << "control " << id;
    return control;
}

// Whether another thread would have to wait for the function's lock.
inline bool LockHeldElsewhere(CZANFunction& function)
{
    bool taken = false;
    std::thread probe([&] {
        taken = function.CycleLock().try_lock();
        if (taken) {
            function.CycleLock().unlock();
        }
    });
    probe.join();
    return !taken;
}

// Answers the next modal message box (while `action` runs) with OK and
// records its caption and text. Polls from the event loop of the box.
struct MessageBoxSeen {
    bool shown = false;
    std::string caption;
    std::string text;
};

template <typename Action>
MessageBoxSeen AnswerMessageBox(Action action)
{
    MessageBoxSeen seen;
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            auto* box = qobject_cast<QMessageBox*>(window);
            if (box == nullptr || !box->isVisible()) {
                continue;
            }
            if (!seen.shown) {
                seen.shown = true;
                seen.caption = box->windowTitle().toStdString();
                seen.text = box->text().toStdString();
            }
            box->accept();
        }
    });
    poll.start();
    action();
    poll.stop();
    return seen;
}

}  // namespace voltora::views::testing
