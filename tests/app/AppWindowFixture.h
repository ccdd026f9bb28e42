#pragma once

#include "AppTestSupport.h"
#include "app/CZANDlg.h"
#include "app/MessageQueue.h"
#include "functions/CZANFunction.h"
#include "functions/DisplayText.h"
#include "link/CConectWithNI.h"
#include "panel/CFrontPanel.h"
#include "sim/SimulatedMeter.h"
#include "sim/backend/SimulatedMeterBackend.h"

#include <gtest/gtest.h>

#include <memory>

namespace voltora::app::testing {

// A main window with recorded desktop services, and the simulated meter at
// power-on state (noiseless). The window is created on first use, so that
// a test can prepare the meter or the back-ends first.
class AppWindowFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        CConectWithNI::Instance()->Close();
        sim::SimulatedMeterOptions options;
        options.noiseScale = 0.0;
        options.replyLatency = std::chrono::microseconds(200);
        meter = sim::SimulatedMeterBackend::Instance()->ResetMeter(options);
        messages = std::make_unique<MessageQueue>(shell.Hooks().showMessage);
        messages->InstallAsConnectionSink();
    }

    void TearDown() override
    {
        window.reset();
        CConectWithNI::Instance()->Close();
        messages.reset();
    }

    CZANDlg& Window()
    {
        if (!window) {
            window = std::make_unique<CZANDlg>(*CConectWithNI::Instance(), shell.Hooks(), messages.get());
        }
        return *window;
    }
    CFrontPanel& Panel() { return *Window().Panel(); }

    // Whether the current function's worker runs and has delivered a reading.
    bool Reading()
    {
        const std::string text = Panel().CurrentFunction()->GetReadingText();
        // A reading fetched in this connection, not one stored before it.
        return Panel().IsRunning() && !text.empty() && text != voltora::functions::kInitToken && Panel().HasLiveReading();
    }

    // Connects through the main window to the simulated meter and waits for
    // the first reading.
    bool ConnectSimulated()
    {
        if (!Window().ConnectTo(sim::SimulatedMeterBackend::kResource)) {
            return false;
        }
        return WaitUntil([this] { return Reading(); });
    }

    std::vector<std::string> Transcript() const { return meter->Transcript(); }

    // Messages shown once the queued boxes have been delivered.
    std::vector<QString> ShownTexts()
    {
        ProcessPendingEvents();
        return shell.Texts();
    }

    bool IsEnabled(int command) { return Window().Action(command)->isEnabled(); }

    RecordedShell shell;
    std::shared_ptr<sim::SimulatedMeter> meter;
    std::unique_ptr<MessageQueue> messages;
    std::unique_ptr<CZANDlg> window;
};

}  // namespace voltora::app::testing
