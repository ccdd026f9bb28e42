// The members a function is built of, each alone: the pending settings, the
// menu model and the acquisition worker.

#include "FakeFrontPanel.h"

#include "functions/AcquisitionWorker.h"
#include "functions/MenuModel.h"
#include "functions/MenuRows.h"
#include "functions/PendingSettings.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

using namespace voltora::functions;
using voltora::functions::testing::WaitUntil;

namespace {

// ---- Pending settings ----------------------------------------------------------------

TEST(PendingSettingsAloneTest, EachMarkIsAppliedInItsOwnPassInByteWiseKeyOrder)
{
    PendingSettings settings;
    std::vector<std::string> applied;
    for (const char* key : {"speed", "Speed", "Range", "Rel"}) {
        settings.Register(key, [&applied, key] { applied.push_back(key); });
    }
    settings.Mark("speed");
    settings.Mark("Rel");
    settings.Mark("Range");
    settings.Mark("Rel");
    settings.Mark("Filter");  // not registered: nothing could apply it

    EXPECT_EQ(settings.Count("Rel"), 2);
    EXPECT_EQ(settings.Count("Filter"), 0);

    settings.ApplyMarked();
    EXPECT_EQ(applied, (std::vector<std::string>{"Range", "Rel", "speed"}));
    applied.clear();
    settings.ApplyMarked();
    EXPECT_EQ(applied, (std::vector<std::string>{"Rel"}));
    applied.clear();
    settings.ApplyMarked();
    EXPECT_TRUE(applied.empty());
}

TEST(PendingSettingsAloneTest, AMarkMadeWhileItsKeyIsAppliedIsKeptForTheNextPass)
{
    // The user may change a setting again while the worker sends it: that
    // change must be sent too, not wiped out with the mark just served.
    PendingSettings settings;
    int runs = 0;
    settings.Register("Range", [&] {
        if (++runs == 1) {
            settings.Mark("Range");
        }
    });
    settings.Mark("Range");
    settings.ApplyMarked();
    EXPECT_EQ(settings.Count("Range"), 1);
    settings.ApplyMarked();
    EXPECT_EQ(runs, 2);
    EXPECT_EQ(settings.Count("Range"), 0);
}

TEST(PendingSettingsAloneTest, ClearAndRegisteringAgainDropTheMarks)
{
    PendingSettings settings;
    int runs = 0;
    settings.Register("Rel", [&] { ++runs; });
    settings.Register("Speed", [&] { ++runs; });
    settings.Mark("Rel");
    settings.Mark("Speed");
    settings.Clear();
    settings.Mark("Speed");
    settings.Register("Speed", [&] { runs += 10; });
    settings.ApplyMarked();
    EXPECT_EQ(runs, 0);
    settings.Mark("Speed");
    settings.ApplyMarked();
    EXPECT_EQ(runs, 10);  // the new handler only
}

// ---- Menu model ------------------------------------------------------------------------

class PressRecorder : public IZANMenuItemListener {
public:
    void OnMenuItem(int id) override { pressed.push_back(id); }
    std::vector<int> pressed;
};

TEST(MenuModelAloneTest, TableIdsCountFromTheFirstIdAndPagesPutItemsOnTheirKeys)
{
    using namespace menu_rows;
    constexpr auto kTable = Join(std::array{Setting(0, 0, "Range", "Auto"), Rel(1)},
                                 SpeedOptions(2));
    PressRecorder owner;
    MenuModel menu(&owner);
    menu.Build(kTable, 40);
    EXPECT_EQ(menu.ItemIds(), (std::vector<int>{40, 41, 42, 43, 44}));

    const struct {
        std::vector<int> page;
        std::vector<std::string> names;  // name, else caption, keys 0 to 5
    } cases[] = {
        {{40, 41}, {"Range", "", "", "", "Rel", ""}},
        {{42, 43, 44}, {"Slow", "Middle", "Fast", "", "", ""}},
        {{40, 42, 99}, {"Slow", "", "", "", "", ""}},  // 42 shares key 0 and comes later; 99 is no item
        {{}, {"", "", "", "", "", ""}},
    };
    for (const auto& c : cases) {
        menu.ShowPage(c.page);
        std::vector<std::string> names;
        for (int key = 0; key < 6; ++key) {
            const std::string name = menu.SoftKeyName(key);
            names.push_back(name.empty() ? menu.SoftKeyCaption(key) : name);
        }
        EXPECT_EQ(names, c.names);
    }
}

TEST(MenuModelAloneTest, PressingAKeyFlipsATwoWayItemAndTellsTheOwnerOnlyForAnItem)
{
    using namespace menu_rows;
    const MenuItemSpec rows[] = {Rel(5), Option(6, 1, "2V")};
    PressRecorder owner;
    MenuModel menu(&owner);
    menu.Build(rows);
    const int page[] = {5, 6};
    menu.ShowPage(page);
    ASSERT_NE(menu.SoftKeyItem(4), nullptr);
    const std::string before = menu.SoftKeyItem(4)->ChosenLeftRight();

    menu.PressSoftKey(4);
    menu.PressSoftKey(2);  // empty key
    menu.PressSoftKey(1);

    EXPECT_EQ(owner.pressed, (std::vector<int>{5, 6}));
    EXPECT_NE(menu.SoftKeyItem(4)->ChosenLeftRight(), before);
    EXPECT_EQ(menu.SoftKeyLeftValue(4), "On");
    EXPECT_EQ(menu.SoftKeyRightValue(4), "Off");
}

// ---- Acquisition worker -------------------------------------------------------------------

class AcquisitionWorkerAloneTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        worker.SetPollFloor(1);
        worker.Arm();
    }
    void TearDown() override { worker.Stop(); }

    void StartCounting()
    {
        worker.Start([this] {
            onWorker = worker.IsCurrentThread();
            ++cycles;
            return cycles.load() < cycleLimit.load();
        });
    }

    std::atomic<int> cycles{0};
    std::atomic<int> cycleLimit{1 << 30};
    std::atomic<int> announcements{0};
    std::atomic<bool> onWorker{false};
    AcquisitionWorker worker{[this] { ++announcements; }};
};

TEST_F(AcquisitionWorkerAloneTest, CyclesRunOnlyBetweenResumeAndSuspend)
{
    StartCounting();
    ASSERT_TRUE(WaitUntil([&] { return worker.IsParked(); }));
    EXPECT_EQ(cycles.load(), 0) << "a new worker starts suspended";

    ASSERT_TRUE(worker.Resume());
    ASSERT_TRUE(WaitUntil([&] { return cycles.load() >= 3; }));
    EXPECT_TRUE(onWorker.load());
    EXPECT_FALSE(worker.IsCurrentThread());

    worker.Suspend();
    const int afterSuspend = cycles.load();
    ASSERT_TRUE(WaitUntil([&] { return worker.IsParked(); }));
    EXPECT_EQ(cycles.load(), afterSuspend);
}

TEST_F(AcquisitionWorkerAloneTest, AnnouncementsWaitForTheAcknowledgement)
{
    StartCounting();
    worker.Resume();
    ASSERT_TRUE(WaitUntil([&] { return cycles.load() >= 5; }));
    EXPECT_EQ(announcements.load(), 1);
    worker.AcknowledgeReading();
    ASSERT_TRUE(WaitUntil([&] { return announcements.load() == 2; }));
    const int cyclesThen = cycles.load();
    ASSERT_TRUE(WaitUntil([&] { return cycles.load() >= cyclesThen + 3; }));
    EXPECT_EQ(announcements.load(), 2);
}

TEST_F(AcquisitionWorkerAloneTest, AFailedCycleEndsTheThreadAndStartReplacesIt)
{
    cycleLimit = 2;
    StartCounting();
    worker.Resume();
    ASSERT_TRUE(WaitUntil([&] { return !worker.IsRunning(); }));
    EXPECT_EQ(cycles.load(), 2);

    cycleLimit = 4;
    StartCounting();
    EXPECT_TRUE(worker.IsRunning());
    ASSERT_TRUE(worker.Resume());
    ASSERT_TRUE(WaitUntil([&] { return !worker.IsRunning(); }));
    EXPECT_EQ(cycles.load(), 4);
}

TEST_F(AcquisitionWorkerAloneTest, TheUserInterfaceThreadHoldsTheCycleLockBetweenCycles)
{
    StartCounting();
    worker.Resume();
    ASSERT_TRUE(WaitUntil([&] { return cycles.load() >= 1; }));
    {
        AcquisitionWorker::PauseGuard paused(worker);
        EXPECT_TRUE(worker.IsPauseRequested());
        const int held = cycles.load();
        // No cycle can start while the guard holds the lock; wait for
        // something observable instead of a fixed time: the worker is either
        // blocked on the lock or between cycles.
        EXPECT_FALSE(WaitUntil([&] { return cycles.load() != held; }, std::chrono::milliseconds(100)));
    }
    EXPECT_FALSE(worker.IsPauseRequested());
    const int released = cycles.load();
    ASSERT_TRUE(WaitUntil([&] { return cycles.load() > released; }));
}

TEST_F(AcquisitionWorkerAloneTest, ARequestedStopEndsTheWorkerAfterItsCycle)
{
    StartCounting();
    worker.Resume();
    ASSERT_TRUE(WaitUntil([&] { return cycles.load() >= 2; }));
    worker.RequestStop();
    EXPECT_FALSE(worker.IsRunRequested());
    ASSERT_TRUE(WaitUntil([&] { return !worker.IsRunning(); }));
    worker.Arm();
    EXPECT_TRUE(worker.IsRunRequested());
}

}  // namespace
