#pragma once

#include "panel/CFrontPanel.h"
#include "panel/skin/QtTestApplication.h"
#include "panel/skin/SkinControl.h"

#include "functions/DisplayText.h"

#include <QCoreApplication>
#include <QString>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace voltora::panel::test {

// Runs the panel thread's events until `condition` holds or `timeout` passes.
inline bool PumpUntil(const std::function<bool()>& condition,
                      std::chrono::milliseconds timeout = std::chrono::seconds(20))
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        if (condition()) {
            return true;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

// How a narrow label text is drawn.
inline QString Shown(const std::string& narrow)
{
    return QString::fromStdWString(voltora::functions::ToDisplayText(narrow));
}

// The control `name` of `panel`; fails the test when the skin lacks it.
inline SkinControl& ControlOf(CFrontPanel& panel, const QString& name)
{
    SkinControl* control = panel.FindControl(name);
    EXPECT_NE(control, nullptr) << name.toStdString();
    static SkinControl* fallback = nullptr;
    if (control == nullptr) {
        fallback = panel.FindControl(QStringLiteral("LabelValue"));
        return *fallback;
    }
    return *control;
}

inline QString TextOf(CFrontPanel& panel, const QString& name)
{
    return ControlOf(panel, name).Text();
}

// The six soft-key texts of one kind ("Name", "Value", "Value1", "Value2"),
// or the captions of the six areas for an empty kind.
inline std::vector<std::string> SoftKeyTexts(CFrontPanel& panel, const std::string& kind)
{
    std::vector<std::string> texts;
    for (int n = 1; n <= 6; ++n) {
        const QString digit = QString::number(n);
        const QString name = kind.empty() ? QStringLiteral("ContainerF") + digit
                                          : QStringLiteral("LabelF") + digit + QString::fromStdString(kind);
        texts.push_back(TextOf(panel, name).toStdString());
    }
    return texts;
}

// The messages of a transcript that a running worker does not send by
// itself: everything but its polling of readings and ranges.
inline std::vector<std::string> WithoutPolling(const std::vector<std::string>& transcript)
{
    std::vector<std::string> rest;
    std::copy_if(transcript.begin(), transcript.end(), std::back_inserter(rest), [](const std::string& m) {
        return m != "DATA:LAST?" && m.find(":RANGE?") == std::string::npos
               && m.find(":RANG?") == std::string::npos;
    });
    return rest;
}

}  // namespace voltora::panel::test
