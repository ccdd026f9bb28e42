// The connection dialog's "Find" for LAN meters, with the search replaced by
// a list the test chooses (the broadcast itself is tested in the VISA layer).

#include "app/CDlgProtocol.h"
#include "views/TemplateBuilder.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>

using voltora::views::ControlName;
using voltora::visa::FoundInstrument;

namespace {

class ConnectionFindTest : public ::testing::Test {
protected:
    void TearDown() override { CDlgProtocol::SetLanFinder({}); }

    template <typename T>
    static T* Control(QDialog& dialog, int id)
    {
        return dialog.findChild<T*>(ControlName(id));
    }

    // Clicks "Find" and waits for the list to show; its entries.
    static QList<QAction*> FindAndWait(QDialog& dialog)
    {
        Control<QPushButton>(dialog, CDlgProtocol::kFindButton)->click();
        auto* menu = dialog.findChild<QMenu*>(QStringLiteral("foundInstruments"));
        if (menu == nullptr || !QTest::qWaitFor([menu] { return menu->isVisible(); }, 5000)) {
            return {};
        }
        return menu->actions();
    }
};

TEST_F(ConnectionFindTest, PickingAFoundMeterFillsInItsAddress)
{
    std::atomic<int> searches{0};
    CDlgProtocol::SetLanFinder([&searches] {
        ++searches;
        return std::vector<FoundInstrument>{
            {"192.168.7.20", 1024, "ZAN,DM900,0001,1.0"},
            {"192.168.7.31", 1025, ""},
        };
    });
    CDlgProtocol dialog(nullptr);
    dialog.show();
    auto* find = Control<QPushButton>(dialog, CDlgProtocol::kFindButton);
    ASSERT_NE(find, nullptr);
    EXPECT_EQ(find->text(), "Find");
    EXPECT_FALSE(find->isEnabled());  // only for a LAN meter
    Control<QRadioButton>(dialog, CDlgProtocol::kVxi11Radio)->click();
    EXPECT_TRUE(find->isEnabled());

    const QList<QAction*> rows = FindAndWait(dialog);
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(searches.load(), 1);
    EXPECT_EQ(rows[0]->text(), "192.168.7.20  ZAN,DM900,0001,1.0");
    EXPECT_EQ(rows[1]->text(), "192.168.7.31  (no identity)");
    EXPECT_TRUE(find->isEnabled());  // ready for another search

    rows[1]->trigger();
    EXPECT_EQ(Control<QLineEdit>(dialog, CDlgProtocol::kAddressEdit)->text(), "192.168.7.31");
    Control<QPushButton>(dialog, CDlgProtocol::kOkButton)->click();
    EXPECT_EQ(dialog.ResourceString(), "TCPIP0::192.168.7.31::inst0::INSTR");
}

TEST_F(ConnectionFindTest, NothingFoundSaysSo)
{
    CDlgProtocol::SetLanFinder([] { return std::vector<FoundInstrument>{}; });
    CDlgProtocol dialog(nullptr);
    dialog.show();
    Control<QRadioButton>(dialog, CDlgProtocol::kVxi11Radio)->click();
    const QList<QAction*> rows = FindAndWait(dialog);
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0]->text(), "No LAN instruments found");
    EXPECT_FALSE(rows[0]->isEnabled());
}

TEST_F(ConnectionFindTest, ClosingTheDialogDuringASearchWaitsForItSafely)
{
    std::atomic<bool> finished{false};
    CDlgProtocol::SetLanFinder([&finished] {
        QThread::msleep(300);
        finished = true;
        return std::vector<FoundInstrument>{{"10.0.0.5", 1024, "ZAN"}};
    });
    {
        CDlgProtocol dialog(nullptr);
        Control<QRadioButton>(dialog, CDlgProtocol::kVxi11Radio)->click();
        Control<QPushButton>(dialog, CDlgProtocol::kFindButton)->click();
        EXPECT_FALSE(Control<QPushButton>(dialog, CDlgProtocol::kFindButton)->isEnabled());
    }
    EXPECT_TRUE(finished.load());
    // The result posted to the gone dialog is dropped, not delivered.
    QCoreApplication::processEvents();
}

}  // namespace
