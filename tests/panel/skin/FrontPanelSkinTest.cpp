// The embedded front-panel skin against the panel's control tables: every
// named control, its place, size, look, default text, visibility and
// enabled state.
#include "panel/skin/QtTestApplication.h"
#include "panel/skin/SkinButton.h"
#include "panel/skin/SkinControl.h"
#include "panel/skin/SkinWindow.h"

#include <gtest/gtest.h>

#include <optional>

namespace voltora::panel {
namespace {

using H = SkinHorizontalAlign;
using V = SkinVerticalAlign;

class FrontPanelSkin : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(test::QtApplicationReady());
        ASSERT_TRUE(window_.LoadSkin()) << window_.LastError().toStdString();
    }

    const SkinControl* Control(const QString& name) const { return window_.FindControl(name); }

    SkinWindow window_;
};

// Position is inside the parent (the window for top-level controls).
struct Expected {
    const char* name;
    const char* parent;  // "" for controls placed in the window
    int x, y, w, h;
    std::optional<std::uint32_t> background;
    std::uint32_t textColor;
    int font;
    H align;
    V valign;
    const char* text;
    bool visible;
};

const Expected kDisplayControls[] = {
    {"ContainerMain", "", 72, 86, 364, 140, 0xFF2D7A98, 0xFF000000, -1, H::Left, V::Center, "", true},
    {"LabelValue", "ContainerMain", 46, 25, 265, 50, std::nullopt, 0x00FEE101, 6, H::Center, V::Center, "+0.756452", true},
    {"LabelRange", "ContainerMain", 115, 101, 88, 25, std::nullopt, 0x00FFFFFF, 7, H::Center, V::Center, "Manual 1V", true},
    {"LabelUnit", "ContainerMain", 284, 101, 71, 25, std::nullopt, 0x00FEE101, 3, H::Right, V::Center, "VDC", true},
    {"TinyMenu", "", 111, 207, 108, 18, 0xFF2D7A98, 0xFF000000, -1, H::Left, V::Center, "", true},
    {"LabelTitle", "", 72, 57, 131, 30, 0xFF2D7A98, 0x00FEE101, 2, H::Center, V::Center, "DC Voltage", true},
    {"LabelStop", "", 250, 57, 100, 30, std::nullopt, 0xFFFF0000, 1, H::Center, V::Center, "Stopped", false},
    {"Label2nd", "", 404, 67, 29, 20, std::nullopt, 0x0057FFFF, 7, H::Right, V::Bottom, "2nd", false},
    {"LabelShift", "", 376, 67, 29, 20, std::nullopt, 0x0057FFFF, 7, H::Right, V::Bottom, "shift", false},
    {"LabelType2", "", 74, 57, 170, 30, 0xFF2D7A98, 0x00FEE101, 2, H::Center, V::Center, "2 Wire Resistance", false},
    {"ContainerTempMeasVal", "", 72, 193, 364, 33, 0xFFC0C0C0, 0xFF000000, -1, H::Left, V::Center, "", true},
    {"LabelTempMeasVal", "ContainerTempMeasVal", 117, 4, 133, 22, std::nullopt, 0xFF000000, 3, H::Center, V::Center, "-0.00050", true},
    {"LabelTempMeasValUnit", "ContainerTempMeasVal", 265, 7, 60, 21, std::nullopt, 0xFF000000, 1, H::Center, V::Center, "VDC", true},
};

QString ParentName(const SkinControl& control, const SkinWindow& window)
{
    const QWidget* parent = control.parentWidget();
    // Top-level controls sit in the unnamed face container that covers the window.
    if (parent != nullptr && parent->objectName().isEmpty() && parent->parentWidget() == &window) {
        return QString();
    }
    return parent != nullptr ? parent->objectName() : QStringLiteral("<none>");
}

void ExpectMatches(const Expected& e, const SkinControl* control, const SkinWindow& window)
{
    SCOPED_TRACE(e.name);
    ASSERT_NE(control, nullptr);
    const SkinControl& c = *control;
    EXPECT_EQ(ParentName(c, window), QString(e.parent));
    EXPECT_EQ(c.Position(), QPoint(e.x, e.y));
    EXPECT_EQ(c.size(), QSize(e.w, e.h));
    EXPECT_EQ(c.BackgroundColor(), e.background.value_or(0));
    EXPECT_EQ(c.TextColor(), e.textColor);
    EXPECT_EQ(c.FontIndex(), e.font);
    EXPECT_EQ(c.HorizontalAlign(), e.align);
    EXPECT_EQ(c.VerticalAlign(), e.valign);
    EXPECT_EQ(c.Text(), QString(e.text));
    EXPECT_EQ(c.IsVisible(), e.visible);
    EXPECT_TRUE(c.IsEnabled());
}

TEST_F(FrontPanelSkin, WindowIs800By328)
{
    EXPECT_EQ(window_.size(), QSize(800, 328));
    EXPECT_EQ(window_.minimumSize(), window_.maximumSize()) << "the skin fixes the size";
}

TEST_F(FrontPanelSkin, DisplayControlsMatchTheTable)
{
    for (const Expected& expected : kDisplayControls) {
        ExpectMatches(expected, Control(expected.name), window_);
    }
    // Nested controls report window coordinates as well.
    ASSERT_NE(Control("LabelValue"), nullptr);
    ASSERT_NE(Control("LabelTempMeasValUnit"), nullptr);
    EXPECT_EQ(Control("LabelValue")->Rect(), QRect(118, 111, 265, 50));
    EXPECT_EQ(Control("LabelTempMeasValUnit")->Rect(), QRect(337, 200, 60, 21));
}

TEST_F(FrontPanelSkin, BlackPlateAndFaceLieUnderEverything)
{
    const std::vector<SkinControlDefinition>& controls = window_.Document().controls;
    ASSERT_GE(controls.size(), 2u);
    EXPECT_EQ(controls[0].kind, SkinControlKind::Rect);
    EXPECT_EQ(controls[0].position, QPoint(53, 13));
    EXPECT_EQ(controls[0].size, QSize(595, 301));
    EXPECT_EQ(controls[0].backgroundColor, 0xFF000000u);
    EXPECT_EQ(controls[1].kind, SkinControlKind::Container);
    EXPECT_EQ(controls[1].position, QPoint(0, 0));
    EXPECT_EQ(controls[1].size, QSize(800, 328));
    EXPECT_EQ(controls[1].backgroundImage, "ZAN_front_ID_.png");
}

TEST_F(FrontPanelSkin, MeasureValueCaptionIsUnnamedWithDefaultFont)
{
    const SkinDocument& document = window_.Document();
    const int container = document.IndexOf("ContainerTempMeasVal");
    int found = 0;
    for (const SkinControlDefinition& definition : document.controls) {
        if (definition.text == "Measure Value") {
            ++found;
            EXPECT_TRUE(definition.name.isEmpty());
            EXPECT_EQ(definition.parent, container);
            EXPECT_EQ(definition.position, QPoint(24, 5));
            EXPECT_EQ(definition.size, QSize(87, 16));
            EXPECT_EQ(definition.fontIndex, -1);
            EXPECT_EQ(definition.horizontalAlign, H::Center);
        }
    }
    EXPECT_EQ(found, 1);
}

TEST_F(FrontPanelSkin, EntryPopupHasFifteenCells)
{
    const char* const texts[] = {"", "1", "2", "3", ".", "4", "5", "6", "7", "8", "9", "k", "s", "", ""};
    for (int n = 0; n < 15; ++n) {
        const QString name = QStringLiteral("labelPop%1").arg(n);
        SCOPED_TRACE(name.toStdString());
        ASSERT_NE(Control(name), nullptr);
        const SkinControl& cell = *Control(name);
        const bool plain = n == 0 || n == 13 || n == 14;
        const int x = n <= 12 ? 7 * n : (n == 13 ? 92 : 99);
        EXPECT_EQ(ParentName(cell, window_), "TinyMenu");
        EXPECT_EQ(cell.Position(), QPoint(x, 0));
        EXPECT_EQ(cell.size(), QSize(8, 17));
        EXPECT_EQ(cell.TextColor(), 0xFF000000u);
        EXPECT_EQ(cell.FontIndex(), plain ? -1 : 7);
        EXPECT_EQ(cell.HorizontalAlign(), plain ? H::Left : H::Center);
        EXPECT_EQ(cell.Text(), QString(texts[n]));
        EXPECT_TRUE(cell.IsVisible());
    }
    EXPECT_EQ(window_.FindControl("labelPop15"), nullptr);
}

TEST_F(FrontPanelSkin, SoftKeyAreasFollowTheirColumnRule)
{
    for (int n = 1; n <= 6; ++n) {
        SCOPED_TRACE(n);
        const int x = 72 + 61 * (n - 1);
        const int lowerRow = n >= 5 ? 243 : 244;
        const int rightX = n == 4 ? x + 30 : x + 29;
        const QString f = QStringLiteral("F%1").arg(n);
        const Expected rows[] = {
            {"Container", "", x, 227, 60, 34, 0xFF808080, 0x00FFFFFF, 8, H::Center, V::Center, "", true},
            {"Name", "", x, 227, 60, 17, std::nullopt, 0xFF000000, 8, H::Center, V::Center, "", true},
            {"Value", "", x, 244, 60, 17, std::nullopt, 0x00FEE101, 8, H::Center, V::Center, "", true},
            {"Value1", "", x, lowerRow, 30, 17, std::nullopt, 0xFF000000, 8, H::Center, V::Center, "", true},
            {"Value2", "", rightX, lowerRow, 30, 17, std::nullopt, 0xFF000000, 8, H::Center, V::Center, "", true},
        };
        for (const Expected& row : rows) {
            const QString suffix(row.name);
            const QString name = suffix == "Container" ? "Container" + f : "Label" + f + suffix;
            Expected named = row;
            const QByteArray utf8 = name.toUtf8();
            named.name = utf8.constData();
            ExpectMatches(named, Control(name), window_);
        }
        SkinButton* key = window_.FindButton("btn" + f);
        ASSERT_NE(key, nullptr);
        EXPECT_EQ(key->Rect(), QRect(80 + 61 * (n - 1), 278, 42, 25));
        EXPECT_EQ(key->NormalImage(), "button_nor.png");
        EXPECT_EQ(key->PushedImage(), "button_down.png");
        EXPECT_TRUE(key->IsEnabled());
    }
}

struct ExpectedKey {
    const char* name;
    int x, y, w, h;
    const char* normal;
    const char* pushed;
    bool enabled;
};

const ExpectedKey kKeys[] = {
    {"btnDCV", 469, 30, 49, 28, "Dcv_button_01.png", "Dcv_button_02.png", true},
    {"btnACV", 527, 30, 49, 28, "Acv_button_01.png", "Acv_button_02.png", true},
    {"btn2W", 585, 30, 49, 28, "2W_button_01.png", "2W_button_02.png", true},
    {"btn-11-", 470, 71, 49, 28, "-11-_button_01.png", "-11-_button_02.png", true},
    {"btnCont", 525, 72, 49, 28, "Con_button_01.png", "Con_button_02.png", true},
    {"btnTemp", 585, 72, 49, 28, "Temp_button_01.png", "Temp_button_02.png", true},
    {"btn2nd", 469, 114, 49, 28, "2nd_button_01.png", "2nd_button_02.png", false},
    {"btnAcquire", 527, 114, 49, 28, "Acquire_button_01.png", "Acquire_button_02.png", false},
    {"btnMath", 585, 114, 49, 28, "Math_button_01.png", "Math_button_02.png", false},
    {"btnRun", 469, 156, 49, 28, "Run_button_01.png", "Run_button_02.png", true},
    {"btnSingle", 527, 156, 49, 28, "single_button_01.png", "single_button_02.png", false},
    {"btnShift", 585, 156, 49, 28, "Shift_button_01.png", "Shift_button_02.png", true},
    {"btnIncrease", 587, 196, 49, 28, "+_button_01.png", "+_button_02.png", false},
    {"btnRange", 587, 236, 49, 28, "Range_button_01.png", "Range_button_02.png", false},
    {"btnDecrease", 587, 276, 49, 28, "-_button_01.png", "-_button_02.png", false},
    {"btnFront", 489, 199, 74, 31, "front_button_01.png", "front_button_02.png", true},
    {"btnBack", 489, 274, 74, 31, "back_button_01.png", "back_button_02.png", true},
    {"btnLeft", 468, 228, 31, 49, "left_button_01.png", "left_button_02.png", true},
    {"btnRight", 553, 228, 31, 49, "right_button_01.png", "right_button_02.png", true},
    {"btnOK", 504, 234, 44, 36, "OK_button_01.png", "OK_button_02.png", true},
};

TEST_F(FrontPanelSkin, KeysMatchTheTable)
{
    for (const ExpectedKey& k : kKeys) {
        SCOPED_TRACE(k.name);
        SkinButton* key = window_.FindButton(k.name);
        ASSERT_NE(key, nullptr);
        EXPECT_EQ(key->Rect(), QRect(k.x, k.y, k.w, k.h));
        EXPECT_EQ(key->NormalImage(), QString(k.normal));
        EXPECT_EQ(key->PushedImage(), QString(k.pushed));
        EXPECT_EQ(key->IsEnabled(), k.enabled);
        EXPECT_EQ(key->TextColor(), 0xFF000000u);
        EXPECT_EQ(key->HorizontalAlign(), H::Center);
        EXPECT_EQ(key->DisabledTextColor(), 0xFFA7A6AAu);
        EXPECT_TRUE(key->IsVisible());
    }
}

TEST_F(FrontPanelSkin, ControlCountsAndDisabledColours)
{
    const QStringList names = window_.ControlNames();
    EXPECT_EQ(names.size(), 84) << "28 display, 36 soft-key and 20 key controls";
    EXPECT_EQ(QStringList(names).removeDuplicates(), 0);
    int buttons = 0;
    for (const QString& name : names) {
        if (window_.FindButton(name) != nullptr) {
            ++buttons;
        }
    }
    EXPECT_EQ(buttons, 26);
    EXPECT_EQ(window_.Document().controls.size(), 87u) << "plus plate, face and caption";

    ASSERT_NE(Control("LabelStop"), nullptr);
    ASSERT_NE(Control("LabelTitle"), nullptr);
    EXPECT_FALSE(Control("LabelStop")->DisabledTextColor().has_value());
    EXPECT_EQ(Control("LabelTitle")->DisabledTextColor(), 0xFFA7A6AAu);
}

TEST_F(FrontPanelSkin, FontTableMatches)
{
    const struct {
        int pixels;
        bool bold;
    } fonts[] = {{10, true}, {13, true}, {16, true}, {19, true}, {35, true},
                 {37, true}, {43, true}, {10, false}, {12, false}};
    ASSERT_EQ(window_.FontCount(), 9);
    for (int i = 0; i < 9; ++i) {
        SCOPED_TRACE(i);
        const QFont font = window_.Font(i);
        EXPECT_EQ(font.family(), "Arial");
        EXPECT_EQ(font.pixelSize(), fonts[i].pixels);
        EXPECT_EQ(font.bold(), fonts[i].bold);
    }
}

}  // namespace
}  // namespace voltora::panel
