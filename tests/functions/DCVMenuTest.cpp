// The DC voltage function's menu and texts, without a meter: nothing of this
// sends a command.

#include "FakeFrontPanel.h"

#include "functions/CZANFunctionDCV.h"

#include <gtest/gtest.h>

using namespace voltora::functions::testing;
using namespace voltora::functions;

namespace {

struct Key {
    std::string caption, name, value, left, right;
};

class DCVMenuTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        function.Initialise();
        function.Activate();
    }

    Key KeyAt(int i)
    {
        return {function.GetSoftKeyCaption(i), function.GetSoftKeyName(i), function.GetSoftKeyValue(i),
                function.GetSoftKeyLeftValue(i), function.GetSoftKeyRightValue(i)};
    }

    std::vector<std::string> Names()
    {
        std::vector<std::string> names;
        for (int i = 0; i < 6; ++i) {
            names.push_back(function.GetSoftKeyName(i) + function.GetSoftKeyCaption(i));
        }
        return names;
    }

    std::vector<int> Highlighted(int first, int last)
    {
        std::vector<int> ids;
        for (int id = first; id <= last; ++id) {
            if (function.Item(id)->IsHighlighted()) {
                ids.push_back(id);
            }
        }
        return ids;
    }

    FakeFrontPanel panel;
    CZANFunctionDCV function{&panel};
};

bool operator==(const Key& a, const Key& b)
{
    return a.caption == b.caption && a.name == b.name && a.value == b.value && a.left == b.left &&
           a.right == b.right;
}

void PrintTo(const Key& k, std::ostream* os)
{
    *os << "{" << k.caption << "|" << k.name << "|" << k.value << "|" << k.left << "|" << k.right << "}";
}

}  // namespace

TEST_F(DCVMenuTest, FreshFunctionShowsTheFiveKeyRootPage)
{
    EXPECT_EQ(function.name.Get(), "DC Voltage");
    EXPECT_EQ(function.GetReadingText(), "$INIT$");
    EXPECT_EQ(function.GetValueText(), "$INIT$");
    EXPECT_EQ(function.GetUnitText(), "VDC");
    EXPECT_EQ(function.GetRelState(), "Off");
    EXPECT_EQ(function.GetRelValue(), "0.000");
    EXPECT_EQ(function.GetRangeModeText(), "Manual");
    EXPECT_EQ(function.GetRangeText(), "200mV");
    EXPECT_EQ(function.GetMathInfo().available, 1);

    EXPECT_EQ(KeyAt(0), (Key{"", "Range", "200mV", "", ""}));
    EXPECT_EQ(KeyAt(1), (Key{"", "Speed", "Slow", "", ""}));
    EXPECT_EQ(KeyAt(2), (Key{"", "Filter", "", "On", "Off"}));
    EXPECT_EQ(KeyAt(3), (Key{"", "Input Z", "", "10M", "10G"}));
    EXPECT_EQ(KeyAt(4), (Key{"", "Rel", "", "On", "Off"}));
    EXPECT_EQ(KeyAt(5), (Key{}));
    EXPECT_EQ(function.GetSoftKeyItem(5), nullptr);
    for (int key = 2; key <= 4; ++key) {
        const auto colours = function.GetSoftKeyItem(key)->GetColours();
        EXPECT_EQ(colours.leftColour, kPlainColour) << key;
        EXPECT_EQ(colours.rightColour, kMarkedColour) << key;
    }
    EXPECT_EQ(Highlighted(7, 12), std::vector<int>{8});
    EXPECT_EQ(Highlighted(13, 15), std::vector<int>{13});
    EXPECT_EQ(panel.ViewsUnits(), std::vector<std::string>{"V"});
    EXPECT_TRUE(panel.Messages().empty());
}

TEST_F(DCVMenuTest, OptionPagesAndTheRootPageEachOptionLeadsTo)
{
    const std::vector<std::string> five = {"Range", "Speed", "Filter", "Input Z", "Rel", ""};
    const std::vector<std::string> four = {"Range", "Speed", "Filter", "", "Rel", ""};
    const struct {
        int key;
        const char* caption;
        const std::vector<std::string>* root;
        const char* rangeMode;
    } cases[] = {
        {2, "2V", &five, "Manual"},     {3, "20V", &four, "Manual"},  {0, "Auto", &four, "Auto"},
        {1, "200mV", &five, "Manual"},  {4, "200V", &four, "Manual"}, {5, "1000V", &four, "Manual"},
    };
    for (const auto& c : cases) {
        function.PressKey(0);
        EXPECT_EQ(Names(), (std::vector<std::string>{"Auto", "200mV", "2V", "20V", "200V", "1000V"}));
        function.PressKey(c.key);
        EXPECT_EQ(Names(), *c.root) << c.caption;
        EXPECT_EQ(function.GetSoftKeyValue(0), c.caption);
        EXPECT_EQ(function.GetRangeModeText(), c.rangeMode);
        EXPECT_EQ(Highlighted(7, 12), std::vector<int>{7 + c.key}) << c.caption;
        // The range label itself changes only when the worker applies it.
        EXPECT_EQ(function.GetRangeText(), "200mV");
    }
    EXPECT_EQ(function.GetPendingCount("Range"), 6);
}

TEST_F(DCVMenuTest, SpeedOptionsSetTheSpeedAndReturnToTheRootPage)
{
    function.PressKey(1);
    EXPECT_EQ(Names(), (std::vector<std::string>{"Slow", "Middle", "Fast", "", "", ""}));
    function.PressKey(3);  // no item on F4 of this page
    EXPECT_EQ(Names(), (std::vector<std::string>{"Slow", "Middle", "Fast", "", "", ""}));
    function.PressKey(2);
    EXPECT_EQ(function.GetSpeed(), "Fast");
    EXPECT_EQ(function.GetSoftKeyValue(1), "Fast");
    EXPECT_EQ(Highlighted(13, 15), std::vector<int>{15});
    EXPECT_EQ(function.GetSoftKeyName(3), "Input Z");  // still on 200mV manual
    EXPECT_EQ(function.GetPendingCount("Speed"), 1);
}

TEST_F(DCVMenuTest, ArrowKeysAndEmptyKeysDoNothing)
{
    for (int key : {5, 6, 7, 8, 9, -1, 10}) {
        function.PressKey(key);
    }
    EXPECT_EQ(function.GetSoftKeyName(0), "Range");
    for (const char* key : {"Filter", "InputZ", "Range", "Rel", "Speed"}) {
        EXPECT_EQ(function.GetPendingCount(key), 0) << key;
    }
}

TEST_F(DCVMenuTest, TwoWayItemsFlipTheirMarkedValue)
{
    const struct {
        int key;
        const char* pendingKey;
        std::function<std::string()> setting;
    } cases[] = {
        {2, "Filter", [&] { return function.GetFilter(); }},
        {3, "InputZ", [&] { return function.GetInputZ(); }},
        {4, "Rel", [&] { return function.GetRelState(); }},
    };
    for (const auto& c : cases) {
        const std::string left = function.GetSoftKeyLeftValue(c.key);
        const std::string right = function.GetSoftKeyRightValue(c.key);
        function.PressKey(c.key);
        EXPECT_EQ(c.setting(), left) << c.pendingKey;
        EXPECT_EQ(function.GetSoftKeyItem(c.key)->GetColours().leftColour, kMarkedColour);
        function.PressKey(c.key);
        EXPECT_EQ(c.setting(), right) << c.pendingKey;
        EXPECT_EQ(function.GetSoftKeyItem(c.key)->GetColours().rightColour, kMarkedColour);
        EXPECT_EQ(function.GetPendingCount(c.pendingKey), 2) << c.pendingKey;
    }
}

TEST_F(DCVMenuTest, SelectOptionClearsTheFirstHighlightedItemOfTheGroup)
{
    function.SelectOption(7, 12, 9);  // 8 was highlighted by Activate
    EXPECT_EQ(Highlighted(7, 12), std::vector<int>{9});
    function.Item(9)->SetHighlighted(false);
    function.SelectOption(7, 12, 11);
    EXPECT_EQ(Highlighted(7, 12), std::vector<int>{11});
}

TEST_F(DCVMenuTest, ShowPageSkipsUnknownIdsAndKeepsTheLaterOfTwoOnOneKey)
{
    function.ShowPage({7, 13, 999, 9});
    EXPECT_EQ(Names(), (std::vector<std::string>{"Slow", "", "2V", "", "", ""}));
    function.ShowPage({});
    EXPECT_EQ(Names(), (std::vector<std::string>(6, "")));
}

TEST_F(DCVMenuTest, AnItemAddedAgainIsReplacedInPlace)
{
    function.Item(9)->SetHighlighted(true);
    function.ShowPage({9});
    function.AddMenuItem(9, 2, "2.5V", "", "", "", "", kPlainItem);
    EXPECT_EQ(function.GetSoftKeyCaption(2), "2.5V");
    EXPECT_FALSE(function.Item(9)->IsHighlighted());
}

TEST_F(DCVMenuTest, ReadingTexts)
{
    const struct {
        const char* reading;
        const char* speed;  // key of the speed page
        int speedKey;
        const char* value;
        const char* unit;
    } cases[] = {
        {"+1.23456700E-02", "Slow", 0, "+012.346", "mVDC"},
        {"-1.5E-01", "Fast", 2, "-150.00", "mVDC"},
        {"+2.5E+00", "Middle", 1, "+2.5000", " VDC"},  // beyond the 200 mV range's digits
        {"Overload", "Slow", 0, "Overload", "VDC"},
        {"$INIT$", "Slow", 0, "$INIT$", "VDC"},
    };
    for (const auto& c : cases) {
        function.PressKey(1);
        function.PressKey(c.speedKey);
        function.SetReadingText(c.reading);
        EXPECT_EQ(function.GetValueText(), c.value) << c.reading;
        EXPECT_EQ(function.GetUnitText(), c.unit) << c.reading;
    }
}

TEST(MathInfoDefaults, AllFieldsZeroOrEmpty)
{
    const MathInfo& info = DefaultMathInfo();
    EXPECT_EQ(info.available, 0);
    EXPECT_EQ(info.mode, 0);
    EXPECT_TRUE(info.unitText.empty());
    EXPECT_TRUE(info.prefix.empty());
    EXPECT_EQ(info.dbReference + info.dbmReference + info.referenceAuto, 0);
}
