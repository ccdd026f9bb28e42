// The panel from the keyboard: every shortcut gives the click of its key,
// a key press sends the same commands as a click, disabled and inactive
// keys stay inactive with a tooltip saying so, and the menus have mnemonics.
#include "AppWindowFixture.h"
#include "app/MainMenu.h"
#include "panel/PanelShortcuts.h"
#include "panel/skin/SkinButton.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QListWidget>
#include <QTest>

#include <set>

using namespace voltora::app;
using namespace voltora::app::testing;
using voltora::panel::PanelShortcuts;

namespace {

class KeyboardTest : public AppWindowFixture {
protected:
    void ShowActive()
    {
        Window().show();
        Window().activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&Window()));
        Panel().setFocus();
    }

    voltora::panel::SkinButton* Button(const char* name)
    {
        return Panel().FindButton(QString::fromLatin1(name));
    }

    static void Press(QWidget* target, const char* keys)
    {
        const QKeySequence sequence(QString::fromLatin1(keys));
        QTest::keySequence(target, sequence);
    }

    // The commands sent (queries left out: the worker's polling interleaves
    // them at its own pace) while `act` runs and the panel settles.
    std::vector<std::string> CommandsOf(const std::function<void()>& act, bool running = true)
    {
        meter->ClearTranscript();
        act();
        ProcessPendingEvents();
        if (running) {
            // Settings a key marks are sent by the worker at the end of its
            // cycle: let a few whole cycles pass.
            const int polls = CountOf(Transcript(), "DATA:LAST?");
            EXPECT_TRUE(WaitUntil([&] { return Reading() && CountOf(Transcript(), "DATA:LAST?") >= polls + 3; }));
        } else {
            EXPECT_TRUE(WaitUntil([this] { return !Panel().IsRunning(); }));
        }
        std::vector<std::string> commands;
        for (const std::string& line : Transcript()) {
            if (line.find('?') == std::string::npos) {
                commands.push_back(line);
            }
        }
        return commands;
    }
};

TEST_F(KeyboardTest, EveryShortcutClicksItsKey)
{
    ShowActive();
    QSignalSpy clicks(&Panel(), &voltora::panel::SkinWindow::Clicked);
    for (const auto& shortcut : PanelShortcuts()) {
        auto* button = Button(shortcut.control);
        ASSERT_NE(button, nullptr) << shortcut.control;
        Panel().setFocus();
        clicks.clear();
        // A key may open a window of its own (Temperature's "Load" opens the
        // sensor dialog): close it, so that the main window has the keys again.
        if (QApplication::activeWindow() != &Window()) {
            if (QWidget* other = QApplication::activeWindow()) {
                other->close();
            }
            ShowActive();
        }
        Press(&Panel(), shortcut.keys);
        ProcessPendingEvents();
        // Exactly what a mouse could do: a hidden or disabled key gives no click.
        const bool clickable = button->isEnabled() && button->isVisible();
        ASSERT_EQ(clicks.size(), clickable ? 1 : 0) << shortcut.control;
        if (!clicks.isEmpty()) {
            EXPECT_EQ(clicks.at(0).at(0).toString(), shortcut.control);
        }
        // The button names its key.
        if (std::string(shortcut.control) != "btnOK") {
            EXPECT_TRUE(button->toolTip().contains(QKeySequence(QString::fromLatin1(shortcut.keys))
                                                       .toString(QKeySequence::NativeText)))
                << shortcut.control << " " << button->toolTip().toStdString();
        }
    }
}

TEST_F(KeyboardTest, KeysSendTheSameCommandsAsClicks)
{
    ASSERT_TRUE(ConnectSimulated());
    ShowActive();
    const struct {
        std::vector<std::pair<const char*, const char*>> steps;  // control, key
        bool runningAfter;
    } cases[] = {
        {{{"btnACV", "2"}}, true},
        {{{"btn2W", "3"}}, true},
        {{{"btnCont", "5"}}, true},
        {{{"btnShift", "S"}, {"btnDCV", "1"}}, true},  // DC current
        {{{"btnF1", "F1"}, {"btnF3", "F3"}}, true},    // Range page, then a range
        {{{"btnRun", "R"}}, false},
    };
    // Each case starts on DC voltage, running.
    const auto reset = [this] {
        if (!Panel().IsRunning()) {
            Panel().Notify(QStringLiteral("btnRun"));
        }
        Panel().Notify(QStringLiteral("btnDCV"));
        ASSERT_TRUE(WaitUntil([this] { return Reading(); }));
    };
    for (const auto& c : cases) {
        const std::string name = c.steps.back().first;
        reset();
        const auto clicked = CommandsOf(
            [&] {
                for (const auto& step : c.steps) {
                    QTest::mouseClick(Button(step.first), Qt::LeftButton);
                }
            },
            c.runningAfter);
        reset();
        Panel().setFocus();
        const auto pressed = CommandsOf(
            [&] {
                for (const auto& step : c.steps) {
                    Press(&Window(), step.second);
                }
            },
            c.runningAfter);
        EXPECT_FALSE(clicked.empty()) << name;
        EXPECT_EQ(pressed, clicked) << name;
    }
}

TEST_F(KeyboardTest, InactiveKeysStayInactiveAndSaySo)
{
    ASSERT_TRUE(ConnectSimulated());
    ShowActive();
    for (const char* name : voltora::panel::InactivePanelKeys()) {
        auto* button = Button(name);
        ASSERT_NE(button, nullptr) << name;
        EXPECT_EQ(button->toolTip(), voltora::panel::kInactiveKeyTip) << name;
    }
    // Enter (OK) while the panel has the focus: a click of OK, which changes nothing.
    const auto before = Panel().CurrentFunctionName();
    const auto commands = CommandsOf([&] {
        Panel().setFocus();
        QTest::keyClick(&Panel(), Qt::Key_Return);
    });
    EXPECT_TRUE(commands.empty());
    EXPECT_EQ(Panel().CurrentFunctionName(), before);
    EXPECT_TRUE(Window().isVisible());  // and the window stays open
}

TEST_F(KeyboardTest, ArrowKeysReachThePanelOnlyWhileItHasTheFocus)
{
    ShowActive();
    QSignalSpy clicks(&Panel(), &voltora::panel::SkinWindow::Clicked);
    Window().ViewList()->setFocus();
    QTest::keyClick(Window().ViewList(), Qt::Key_Down);
    EXPECT_TRUE(clicks.isEmpty());
    EXPECT_EQ(Window().ViewList()->currentRow(), 1);  // the list moved instead
    Panel().setFocus();
    QTest::keyClick(&Panel(), Qt::Key_Down);
    ASSERT_EQ(clicks.size(), Button("btnBack")->isEnabled() ? 1 : 0);
}

TEST_F(KeyboardTest, MenusAndItemsHaveDistinctMnemonics)
{
    const QList<QAction*> menus = Window().MenuBar()->actions();
    std::set<QChar> titles;
    for (QAction* menu : menus) {
        const QString text = menu->text();
        const int amp = text.indexOf(QLatin1Char('&'));
        ASSERT_GE(amp, 0) << text.toStdString();
        EXPECT_TRUE(titles.insert(text.at(amp + 1).toLower()).second) << text.toStdString();
        std::set<QChar> items;
        for (QAction* item : menu->menu()->actions()) {
            if (item->isSeparator()) {
                continue;
            }
            const int at = item->text().indexOf(QLatin1Char('&'));
            ASSERT_GE(at, 0) << item->text().toStdString();
            EXPECT_TRUE(items.insert(item->text().at(at + 1).toLower()).second)
                << item->text().toStdString();
        }
    }
    EXPECT_EQ(titles.size(), 4u);
}

}  // namespace
