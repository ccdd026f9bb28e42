// The panel's session controller and message pump, each on its own: the
// session against a fake connection and a function table with a fake
// panel, the pump with plain handlers.

#include "panel/FunctionTable.h"
#include "panel/PanelEvent.h"
#include "panel/PanelMessagePump.h"
#include "panel/PanelSession.h"

#include "functions/CZANFunction.h"
#include "functions/FakeFrontPanel.h"
#include "functions/IFrontPanel.h"
#include "link/IConnection.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

using namespace voltora::functions;

namespace {

using voltora::functions::testing::FakeFrontPanel;
using voltora::panel::FunctionTable;
using voltora::panel::LinkState;
using voltora::panel::PanelMessagePump;
using voltora::panel::PanelSession;

// Records what is written; answers nothing.
class FakeConnection : public IConnection {
public:
    explicit FakeConnection(bool open) : connected(open) {}

    bool Open(const char*) override { return connected = true; }
    bool Close() override
    {
        ++closes;
        connected = false;
        return true;
    }
    bool IsConnected() override { return connected; }
    bool HasFailed() const override { return false; }
    bool Write(const char* command) override
    {
        writes.emplace_back(command);
        return connected;
    }
    bool Read(char*, unsigned, unsigned* count) override
    {
        *count = 0;
        return false;
    }
    bool Query(const char* command, char* buffer, unsigned size, unsigned* count) override
    {
        return Write(command) && Read(buffer, size, count);
    }
    void FindUsbResources(std::vector<std::string>&, std::vector<std::string>&) override {}

    bool connected;
    int closes = 0;
    std::vector<std::string> writes;
};

class RecordingListener : public PanelSession::Listener {
public:
    void RunStateChanged() override { events.emplace_back("run"); }
    void BusyChanged(bool busy) override { events.emplace_back(busy ? "busy" : "idle"); }

    std::vector<std::string> events;
};

class PanelSessionTest : public ::testing::Test {
protected:
    static FunctionTable& Built(FunctionTable& table, IFrontPanel* panel)
    {
        table.Build(panel);
        return table;
    }

    FakeFrontPanel panel;
    FakeConnection connection{true};
    RecordingListener listener;
    FunctionTable functions;
    PanelSession session{connection, Built(functions, &panel), listener};
};

TEST_F(PanelSessionTest, StartsInDcVoltageStoppedAndDisconnected)
{
    EXPECT_EQ(session.Current(), functions.Find("VOLT"));
    EXPECT_FALSE(session.IsRunning());
    EXPECT_EQ(session.GetLinkState(), LinkState::Disconnected);
}

TEST_F(PanelSessionTest, CloseSendsRefreshOnItsOwnConnectionAndClosesIt)
{
    session.CloseSession();
    EXPECT_EQ(connection.writes, std::vector<std::string>{"REFresh"});
    EXPECT_EQ(connection.closes, 1);
    EXPECT_FALSE(session.Current()->IsWorkerRunRequested());

    // Closed already: nothing more is sent.
    session.CloseSession();
    EXPECT_EQ(connection.writes.size(), 1u);
    EXPECT_EQ(connection.closes, 1);
}

TEST_F(PanelSessionTest, RunStopChangesNothingWithoutAMeter)
{
    connection.connected = false;
    EXPECT_FALSE(session.RunStop());
    EXPECT_FALSE(session.IsRunning());
    EXPECT_TRUE(connection.writes.empty());
}

TEST_F(PanelSessionTest, StoppingSendsRefreshAndThePanelCodeOnItsConnection)
{
    // Started by a function change, which shows the run state once and holds
    // keys for its whole length.
    session.SwitchFunction("RES");
    EXPECT_EQ(session.Current(), functions.Find("RES"));
    EXPECT_TRUE(session.IsRunning());
    EXPECT_FALSE(session.IsBusy());
    EXPECT_EQ(listener.events, (std::vector<std::string>{"busy", "run", "idle"}));

    connection.writes.clear();
    ASSERT_TRUE(session.RunStop());
    EXPECT_FALSE(session.IsRunning());
    EXPECT_EQ(connection.writes, (std::vector<std::string>{"REFresh", "$$SY_FP 21,0"}));

    connection.writes.clear();
    session.Stop();
    EXPECT_EQ(connection.writes, std::vector<std::string>{"REFresh"});
}

TEST_F(PanelSessionTest, SwitchingWithoutAMeterOnlyChangesTheCurrentFunction)
{
    connection.connected = false;
    session.SwitchFunction("CURR:AC");
    EXPECT_EQ(session.Current(), functions.Find("CURR:AC"));
    session.SwitchFunction("NO-SUCH");
    EXPECT_EQ(session.Current(), functions.Find("CURR:AC"));
    EXPECT_FALSE(session.IsRunning());
    EXPECT_TRUE(listener.events.empty());
    EXPECT_TRUE(connection.writes.empty());
}

TEST_F(PanelSessionTest, LinkStateTellsWhenTheRunMarkerChangesAndStopsAcquisition)
{
    session.SwitchFunction("VOLT:AC");
    ASSERT_TRUE(session.IsRunning());
    EXPECT_FALSE(session.SetLinkState(LinkState::Connected));
    EXPECT_TRUE(session.IsRunning());

    // "No link" appears, then gives way at the next state; a plain
    // disconnect leaves the marker alone.
    EXPECT_TRUE(session.SetLinkState(LinkState::LinkLost));
    EXPECT_FALSE(session.IsRunning());
    EXPECT_TRUE(session.SetLinkState(LinkState::Connected));
    EXPECT_FALSE(session.SetLinkState(LinkState::Disconnected));
    EXPECT_FALSE(session.IsRunning());
}

TEST_F(PanelSessionTest, OnlyTheCurrentWorkerEndingOnAnOpenLinkMeansTheLinkIsLost)
{
    struct Row {
        bool connected;
        LinkState state;
        bool workerEnded;
        bool linkLost;
    };
    const Row rows[] = {
        {true, LinkState::Connected, true, true},
        {true, LinkState::Connected, false, false},
        {false, LinkState::Connected, true, false},  // a closed session's worker ends quietly
        {true, LinkState::LinkLost, true, false},    // already reported
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::Message() << row.connected << ' ' << static_cast<int>(row.state) << ' '
                                          << row.workerEnded);
        session.Current()->ResumeWorker();
        connection.connected = row.connected;
        session.SetLinkState(row.state);
        if (row.workerEnded) {
            session.Current()->StopWorker();
        }
        EXPECT_EQ(session.WorkerEndedOnLink(), row.linkLost);
    }
}

// ---- Message pump --------------------------------------------------------------------------

TEST(PanelMessagePumpTest, PostedMessagesAreHandledInOrderAndCounted)
{
    std::vector<int> handled;
    std::vector<std::pair<std::string, std::string>> relValues;
    PanelMessagePump pump([&](int message, std::uintptr_t, std::intptr_t) {
        handled.push_back(message);
        return 0L;
    },
                          [&](const std::string& state, const std::string& value) {
                              relValues.emplace_back(state, value);
                          });

    std::thread worker([&] {
        pump.Post(WM_PANEL_READING);
        pump.Post(12345);  // no window message: dropped
        pump.Post(WM_PANEL_SOFTKEYS);
        pump.PostRelValue("ON", "1.5");
        pump.Post(WM_PANEL_DISPLAY);
    });
    worker.join();
    EXPECT_EQ(pump.PendingCount(), 3);
    EXPECT_TRUE(handled.empty());

    QCoreApplication::sendPostedEvents(&pump);
    EXPECT_EQ(handled, (std::vector<int>{WM_PANEL_READING, WM_PANEL_SOFTKEYS, WM_PANEL_DISPLAY}));
    EXPECT_EQ(relValues, (std::vector<std::pair<std::string, std::string>>{{"ON", "1.5"}}));
    EXPECT_EQ(pump.PendingCount(), 0);
}

TEST(PanelMessagePumpTest, SentMessagesAreAnsweredAtOnceAndNotCounted)
{
    std::vector<std::tuple<int, std::uintptr_t, std::intptr_t>> handled;
    PanelMessagePump pump(
        [&](int message, std::uintptr_t wParam, std::intptr_t lParam) {
            handled.emplace_back(message, wParam, lParam);
            return 42L;
        },
        [](const std::string&, const std::string&) {});

    pump.Post(WM_PANEL_READING);
    EXPECT_EQ(pump.Send(WM_PANEL_SENSOR, 0x00010000u, 7), 42);
    EXPECT_EQ(pump.Send(12345), 0);
    ASSERT_EQ(handled.size(), 1u);
    EXPECT_EQ(handled[0], std::make_tuple(WM_PANEL_SENSOR, std::uintptr_t{0x00010000u}, std::intptr_t{7}));
    EXPECT_EQ(pump.PendingCount(), 1);

    QCoreApplication::sendPostedEvents(&pump);
    EXPECT_EQ(pump.PendingCount(), 0);
    EXPECT_EQ(handled.size(), 2u);
}

}  // namespace
