// The panel's rules computed without widgets: which key does what, the entry
// popup's cells, the soft-key name sets and looks, and the display layout of
// the functions (the temperature display modes, the entry popup).

#include "panel/DisplayLayout.h"
#include "panel/PanelEvent.h"
#include "panel/PanelKeys.h"
#include "panel/SoftKeyLayout.h"

#include "functions/CZANFunctionCont.h"
#include "functions/CZANFunctionDCI.h"
#include "functions/CZANFunctionDCV.h"
#include "functions/CZANFunctionDiode.h"
#include "functions/CZANFunctionTemperature.h"
#include "functions/IFrontPanel.h"

#include <gtest/gtest.h>

#include <set>

using namespace voltora::functions;

namespace voltora::panel {
namespace {

struct KeyCase {
    const char* control;
    bool shift;
    KeyRole role;
    const char* keyWord;
    int keyIndex;
};

TEST(PanelKeysTest, EachKeyHasItsRoleWithAndWithoutShift)
{
    const KeyCase cases[] = {
        {"btnDCV", false, KeyRole::kFunctionKey, "VOLT", -1},
        {"btnDCV", true, KeyRole::kFunctionKey, "CURR", -1},
        {"btnACV", false, KeyRole::kFunctionKey, "VOLT:AC", -1},
        {"btnACV", true, KeyRole::kFunctionKey, "CURR:AC", -1},
        {"btn2W", false, KeyRole::kFunctionKey, "RES", -1},
        {"btn2W", true, KeyRole::kFunctionKey, "FRES", -1},
        {"btn-11-", false, KeyRole::kFunctionKey, "CAP", -1},
        {"btn-11-", true, KeyRole::kFunctionKey, "FREQ", -1},
        {"btnCont", false, KeyRole::kFunctionKey, "CONT", -1},
        {"btnCont", true, KeyRole::kFunctionKey, "DIOD", -1},
        {"btnTemp", false, KeyRole::kFunctionKey, "TEMP", -1},
        {"btnTemp", true, KeyRole::kReactivate, "", -1},
        {"btnRun", false, KeyRole::kRunStop, "", -1},
        {"btnRun", true, KeyRole::kRunStop, "", -1},
        {"btnF1", false, KeyRole::kSoftKey, "", 0},
        {"btnF6", true, KeyRole::kSoftKey, "", 5},
        {"btnLeft", false, KeyRole::kArrowKey, "", 6},
        {"btnRight", false, KeyRole::kArrowKey, "", 7},
        {"btnFront", true, KeyRole::kArrowKey, "", 8},
        {"btnBack", false, KeyRole::kArrowKey, "", 9},
        {"btnOK", false, KeyRole::kNone, "", -1},
        {"btnIncrease", false, KeyRole::kNone, "", -1},
        {"btnRange", false, KeyRole::kNone, "", -1},
        {"btnDecrease", true, KeyRole::kNone, "", -1},
        {"btnAcquire", false, KeyRole::kNone, "", -1},
        {"btnMath", false, KeyRole::kNone, "", -1},
        {"btnSingle", false, KeyRole::kNone, "", -1},
        {"btnF7", false, KeyRole::kNone, "", -1},
        {"btndcv", false, KeyRole::kNone, "", -1},
    };
    for (const KeyCase& c : cases) {
        const KeyAction action = ResolveKey(c.control, c.shift);
        EXPECT_EQ(action.role, c.role) << c.control << " shift " << c.shift;
        EXPECT_EQ(action.keyWord, c.keyWord) << c.control << " shift " << c.shift;
        EXPECT_EQ(action.keyIndex, c.keyIndex) << c.control << " shift " << c.shift;
    }
    EXPECT_EQ(ResolveKey("btnShift", false).marker, "LabelShift");
    EXPECT_EQ(ResolveKey("btnShift", true).role, KeyRole::kShiftToggle);
    EXPECT_EQ(ResolveKey("btn2nd", false).marker, "Label2nd");
}

TEST(PanelEventTest, EveryMessageHasItsOwnEventTypeAndBack)
{
    const int messages[] = {WM_PANEL_READING, WM_PANEL_SYNC,     WM_PANEL_STOP,
                            WM_PANEL_SENSOR,  WM_PANEL_SOFTKEYS, WM_PANEL_DISPLAY};
    std::set<int> types;
    for (int message : messages) {
        const QEvent::Type type = PanelEventType(message);
        ASSERT_NE(type, QEvent::None) << message;
        EXPECT_GE(static_cast<int>(type), static_cast<int>(QEvent::User));
        EXPECT_EQ(PanelMessageOf(type), message);
        types.insert(type);
    }
    EXPECT_EQ(types.size(), std::size(messages));
    EXPECT_EQ(types.count(RelValueEventType()), 0u);
    EXPECT_EQ(PanelEventType(2028), QEvent::None);
    EXPECT_FALSE(PanelMessageOf(QEvent::MouseButtonPress).has_value());
    EXPECT_EQ(LowWord(MakeWParam(1, 0)), 1);
    EXPECT_EQ(HighWord(MakeWParam(0, 1)), 1);
    EXPECT_EQ(MakeWParam(3, 2), 0x00020003u);
}

// ---- Entry popup --------------------------------------------------------------------------

std::string CellTexts(const std::array<EntryCell, kEntryCellCount>& cells)
{
    std::string texts;
    for (const EntryCell& cell : cells) {
        texts += cell.text.empty() ? "_" : cell.text == "$OHM$" ? "O" : cell.text;
    }
    return texts;
}

int CursorCell(const std::array<EntryCell, kEntryCellCount>& cells)
{
    int found = -1;
    for (int i = 0; i < kEntryCellCount; ++i) {
        if (cells[static_cast<std::size_t>(i)].cursor) {
            EXPECT_EQ(found, -1) << "two cursor cells";
            found = i;
        }
    }
    return found;
}

TEST(EntryCellsTest, TextsAreCentredInTheFifteenCells)
{
    struct Case {
        const char* text;
        int cursor;
        const char* cells;
        int cursorCell;
    };
    const Case cases[] = {
        {"001.000 V", 2, "___001.000 V___", 5},    // nine characters: cells 3 to 11
        {"10.00$OHM$", 0, "____10.00O_____", 4},   // ten bytes with the ohm sign: cells 4 to 9
        {"+0050 $OHM$", 2, "____+0050 O____", 6},  // the continuity threshold
        {"+0800 mV", 4, "___+0800 mV____", 7},      // the diode threshold
        {"", 0, "_______________", 7},
        {"123456789012345", 14, "123456789012345", 14},
    };
    for (const Case& c : cases) {
        const auto cells = LayoutEntryCells(c.text, c.cursor);
        EXPECT_EQ(CellTexts(cells), c.cells) << c.text;
        EXPECT_EQ(CursorCell(cells), c.cursorCell) << c.text;
    }
}

TEST(EntryCellsTest, LongerTextsAreCutAtTheCellsEdges)
{
    // Seventeen characters: one falls off each side; nothing is written outside.
    const auto cells = LayoutEntryCells("ABCDEFGHIJKLMNOPQ", 0);
    EXPECT_EQ(CellTexts(cells), "BCDEFGHIJKLMNOP");
    EXPECT_EQ(CursorCell(cells), -1) << "the cursor's character is not shown";
    const auto last = LayoutEntryCells("ABCDEFGHIJKLMNOPQ", 15);
    EXPECT_EQ(CursorCell(last), 14);
    EXPECT_EQ(CursorCell(LayoutEntryCells("ABC", 40)), -1);
    EXPECT_EQ(CursorCell(LayoutEntryCells("ABC", -10)), -1);
}

// ---- Soft keys -----------------------------------------------------------------------------

TEST(SoftKeyLayoutTest, NameSetsFollowTheKeyNumbers)
{
    const auto sets = BuildSoftKeyNameSets();
    ASSERT_EQ(sets.size(), 6u);
    EXPECT_EQ(sets[0].container, "ContainerF1");
    EXPECT_EQ(sets[0].name, "LabelF1Name");
    EXPECT_EQ(sets[0].value, "LabelF1Value");
    EXPECT_EQ(sets[0].leftValue, "LabelF1Value1");
    EXPECT_EQ(sets[5].rightValue, "LabelF6Value2");
}

class FunctionFixture : public ::testing::Test {
protected:
    template <typename Function>
    static std::unique_ptr<Function> Make()
    {
        auto function = std::make_unique<Function>(nullptr);
        function->Initialise();
        function->Activate();
        return function;
    }
};

using SoftKeyLookTest = FunctionFixture;

TEST_F(SoftKeyLookTest, LooksFollowTheItemsOnTheKeys)
{
    auto dcv = Make<CZANFunctionDCV>();  // manual 200mV at start
    const SoftKeyLook range = LookOfSoftKey(*dcv, 0);
    EXPECT_EQ(range.name, "Range");
    EXPECT_EQ(range.value, "200mV");
    EXPECT_EQ(range.caption, "");
    EXPECT_EQ(range.background, kSoftKeyPlainBackground);
    EXPECT_EQ(range.nameColour, kPlainColour);
    EXPECT_EQ(range.valueColour, kMarkedColour);

    const SoftKeyLook filter = LookOfSoftKey(*dcv, 2);
    EXPECT_EQ(filter.leftValue, "On");
    EXPECT_EQ(filter.rightValue, "Off");
    EXPECT_EQ(filter.leftColour, kPlainColour);
    EXPECT_EQ(filter.rightColour, kMarkedColour);
    const SoftKeyLook none = LookOfSoftKey(*dcv, 5);  // five items on the root page
    EXPECT_EQ(none.name, "");
    EXPECT_EQ(none.background, kSoftKeyPlainBackground);
    EXPECT_EQ(none.nameColour, 0u);
    EXPECT_EQ(none.rightColour, 0u);

    dcv->PressKey(0);  // the range options, "200mV" highlighted
    EXPECT_EQ(LookOfSoftKey(*dcv, 0).caption, "Auto");
    EXPECT_EQ(LookOfSoftKey(*dcv, 0).background, kSoftKeyPlainBackground);
    EXPECT_EQ(LookOfSoftKey(*dcv, 1).background, kSoftKeyHighlightBackground);
    dcv->PressKey(0);  // "Auto", back to the root page
    dcv->PressKey(0);
    EXPECT_EQ(LookOfSoftKey(*dcv, 0).background, kSoftKeyHighlightBackground);
    EXPECT_EQ(LookOfSoftKey(*dcv, 1).background, kSoftKeyPlainBackground);
}

// ---- Display layout ---------------------------------------------------------------------------

using DisplayLayoutTest = FunctionFixture;

TEST_F(DisplayLayoutTest, TitleBoxGrowsWithTheName)
{
    EXPECT_EQ(TitleRight(0), 92);
    EXPECT_EQ(TitleRight(71), 163);
}

TEST_F(DisplayLayoutTest, RangedFunctionShowsRangeModeAndRange)
{
    auto dcv = Make<CZANFunctionDCV>();
    const DisplayLayout layout = ComputeDisplayLayout(*dcv, true);
    EXPECT_EQ(layout.title, "DC Voltage");
    EXPECT_EQ(layout.value, "$INIT$");
    EXPECT_EQ(layout.range, "Manual 200mV");
    EXPECT_EQ(layout.unit, "VDC");
    EXPECT_TRUE(layout.shiftVisible);
    EXPECT_FALSE(layout.entryVisible);
    EXPECT_FALSE(layout.entryRect.has_value());
    EXPECT_FALSE(layout.measuredStripVisible);
    EXPECT_EQ(layout.displayBox.bottom, 226);
    EXPECT_EQ(layout.valueRow, 26);
    EXPECT_EQ(layout.rangeRow, 101);
}

TEST_F(DisplayLayoutTest, EntryFunctionShrinksTheDisplayAndPlacesThePopup)
{
    auto cont = Make<CZANFunctionCont>();
    const DisplayLayout layout = ComputeDisplayLayout(*cont, false);
    EXPECT_TRUE(layout.entryVisible);
    EXPECT_FALSE(layout.shiftVisible);
    EXPECT_EQ(layout.displayBox.bottom, 205);
    ASSERT_TRUE(layout.entryRect.has_value());
    EXPECT_EQ(layout.entryRect->left, 108);
    EXPECT_EQ(layout.entryRect->top, 207);
    EXPECT_EQ(layout.entryRect->right, 216);
    EXPECT_EQ(layout.entryRect->bottom, 225);
    // The range and unit rows fit the shortened box, under the value.
    const int boxHeight = layout.displayBox.bottom - layout.displayBox.top;
    for (const int row : {layout.rangeRow, layout.unitRow}) {
        EXPECT_LE(row + kTextRowHeight, boxHeight);
        EXPECT_GE(row, layout.valueRow + 50);  // LabelValue is 50 high
    }
}

TEST_F(DisplayLayoutTest, DiodeEntryPopupSitsWhereContinuitysDoes)
{
    auto diode = Make<CZANFunctionDiode>();
    const DisplayLayout layout = ComputeDisplayLayout(*diode, false);
    EXPECT_TRUE(layout.entryVisible);
    ASSERT_TRUE(layout.entryRect.has_value());
    EXPECT_EQ(layout.entryRect->left, 108);
    EXPECT_EQ(layout.entryRect->top, 207);
    EXPECT_EQ(layout.entryRect->right, 216);
    EXPECT_EQ(layout.entryRect->bottom, 225);
}

TEST_F(DisplayLayoutTest, TemperatureDisplayModesChooseValuesAndLayout)
{
    auto temperature = Make<CZANFunctionTemperature>();
    temperature->SetReadingText("+2.31000000E+01");
    temperature->SetMeasuredValueText("0.000923000000");

    // "All" (the start value): temperature above, raw value in the strip.
    DisplayLayout all = ComputeDisplayLayout(*temperature, false);
    EXPECT_EQ(all.range, "");
    EXPECT_EQ(all.value, temperature->GetValueText());
    EXPECT_EQ(all.unit, temperature->GetUnitText());
    EXPECT_TRUE(all.measuredStripVisible);
    EXPECT_EQ(all.measuredValue, temperature->GetMeasuredValueText());
    EXPECT_EQ(all.measuredUnit, temperature->GetMeasuredUnitText());
    EXPECT_EQ(all.displayBox.bottom, 191);
    EXPECT_EQ(all.valueRow, 11);
    EXPECT_EQ(all.rangeRow, 66);
    EXPECT_EQ(all.unitRow, 66);
    EXPECT_NE(all.value, all.measuredValue.value());

    temperature->OnMenuItem(CZANFunctionTemperature::kDisplayMeasured);
    const DisplayLayout measured = ComputeDisplayLayout(*temperature, false);
    EXPECT_EQ(measured.value, temperature->GetMeasuredValueText());
    EXPECT_EQ(measured.unit, temperature->GetMeasuredUnitText());
    EXPECT_FALSE(measured.measuredStripVisible);
    EXPECT_EQ(measured.displayBox.bottom, 226);
    EXPECT_EQ(measured.valueRow, 26);

    temperature->OnMenuItem(CZANFunctionTemperature::kDisplayTemperature);
    const DisplayLayout tempOnly = ComputeDisplayLayout(*temperature, false);
    EXPECT_EQ(tempOnly.value, temperature->GetValueText());
    EXPECT_FALSE(tempOnly.measuredStripVisible);
    EXPECT_FALSE(tempOnly.measuredValue.has_value());
}

TEST_F(DisplayLayoutTest, ReadingTextsFollowTheFunctionAndRangeMode)
{
    auto dcv = Make<CZANFunctionDCV>();
    dcv->SetReadingText("+1.23456700E+00");
    EXPECT_FALSE(ComputeReadingTexts(*dcv).range.has_value()) << "manual range";
    dcv->PressKey(0);
    dcv->PressKey(0);  // "Auto"
    ReadingTexts texts = ComputeReadingTexts(*dcv);
    EXPECT_EQ(texts.value, dcv->GetValueText());
    EXPECT_EQ(texts.unit, dcv->GetUnitText());
    ASSERT_TRUE(texts.range.has_value()) << "auto ranging: the range may change with any reading";
    EXPECT_EQ(*texts.range, "Auto " + dcv->GetRangeText());

    auto dci = Make<CZANFunctionDCI>();
    dci->PressKey(0);
    dci->PressKey(2);  // "2mA": manual
    EXPECT_FALSE(ComputeReadingTexts(*dci).range.has_value());

    auto temperature = Make<CZANFunctionTemperature>();
    temperature->SetReadingText("+2.31000000E+01");
    temperature->SetMeasuredValueText("0.000923000000");
    texts = ComputeReadingTexts(*temperature);
    EXPECT_FALSE(texts.range.has_value());
    EXPECT_EQ(texts.measuredValue, temperature->GetMeasuredValueText());
    temperature->OnMenuItem(CZANFunctionTemperature::kDisplayMeasured);
    texts = ComputeReadingTexts(*temperature);
    EXPECT_EQ(texts.value, temperature->GetMeasuredValueText());
    EXPECT_EQ(texts.unit, temperature->GetMeasuredUnitText());
    EXPECT_FALSE(texts.measuredValue.has_value());
}

}  // namespace
}  // namespace voltora::panel
