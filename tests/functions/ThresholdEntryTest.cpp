// Digit-by-digit editing of the continuity and diode thresholds.

#include "functions/ThresholdEntry.h"

#include <gtest/gtest.h>

using namespace voltora::functions;

using voltora::functions::ThresholdEntry;

namespace {

constexpr int kLeft = ThresholdEntry::kLeftKey;
constexpr int kRight = ThresholdEntry::kRightKey;
constexpr int kUp = ThresholdEntry::kUpKey;
constexpr int kDown = ThresholdEntry::kDownKey;

// Moves the cursor of `entry` from 1 to `cursor`.
void MoveTo(ThresholdEntry& entry, int cursor, std::string& text)
{
    for (int i = 1; i < cursor; ++i) {
        entry.PressArrow(kRight, text);
    }
    ASSERT_EQ(entry.Cursor(), cursor);
}

}  // namespace

TEST(ThresholdEntry, UpAndDownStepTheDigitUnderTheCursorWithinTheLimits)
{
    const struct {
        const char* unit;
        int limit;
        const char* before;
        int cursor;
        int key;
        const char* after;
    } cases[] = {
        {"$OHM$", 2000, "+0050 $OHM$", 3, kUp, "+0060 $OHM$"},
        {"$OHM$", 2000, "+1999 $OHM$", 1, kUp, "+1999 $OHM$"},  // 2999 is above 2000: kept
        {"$OHM$", 2000, "+1000 $OHM$", 1, kUp, "+2000 $OHM$"},  // the limit itself is allowed
        {"$OHM$", 2000, "+2000 $OHM$", 4, kUp, "+2000 $OHM$"},
        {"$OHM$", 2000, "+0050 $OHM$", 2, kDown, "+0050 $OHM$"},  // -50 is below 0: kept
        {"$OHM$", 2000, "+0050 $OHM$", 3, kDown, "+0040 $OHM$"},
        {"mV", 4000, "+0000 mV", 4, kDown, "+0000 mV"},
        {"mV", 4000, "+2000 mV", 1, kDown, "+1000 mV"},
        {"mV", 4000, "+2000 mV", 1, kUp, "+3000 mV"},
        {"mV", 4000, "+3999 mV", 4, kUp, "+4000 mV"},
        {"mV", 4000, "+4000 mV", 4, kUp, "+4000 mV"},
        {"mV", 4000, "+0001 mV", 4, kDown, "+0000 mV"},
        {"mV", 4000, "+0909 mV", 2, kUp, "+1009 mV"},  // carries into the next digit
        // A failed read-back leaves no digits: up starts from 0, down keeps it.
        {"$OHM$", 2000, " $OHM$", 1, kUp, "+1000 $OHM$"},
        {"$OHM$", 2000, " $OHM$", 1, kDown, " $OHM$"},
    };
    for (const auto& c : cases) {
        ThresholdEntry entry(c.unit, c.limit);
        std::string text = c.before;
        MoveTo(entry, c.cursor, text);
        EXPECT_TRUE(entry.PressArrow(c.key, text)) << c.before;  // always to be sent
        EXPECT_EQ(text, c.after) << c.before << " cursor " << c.cursor;
        EXPECT_EQ(entry.Cursor(), c.cursor);
    }
}

TEST(ThresholdEntry, LeftAndRightMoveTheCursorWithinTheFourDigitsOnly)
{
    ThresholdEntry entry("$OHM$", 2000);
    std::string text = "+0050 $OHM$";
    EXPECT_EQ(entry.Cursor(), 1);
    EXPECT_FALSE(entry.PressArrow(kLeft, text));
    EXPECT_EQ(entry.Cursor(), 1);
    for (int expected : {2, 3, 4, 4, 4}) {
        EXPECT_FALSE(entry.PressArrow(kRight, text));
        EXPECT_EQ(entry.Cursor(), expected);
    }
    EXPECT_FALSE(entry.PressArrow(kLeft, text));
    EXPECT_EQ(entry.Cursor(), 3);
    // Soft keys and unknown keys are not arrows.
    for (int key : {0, 5, 10, -1}) {
        EXPECT_FALSE(entry.PressArrow(key, text));
    }
    EXPECT_EQ(text, "+0050 $OHM$");
    EXPECT_EQ(entry.Cursor(), 3);
}

TEST(ThresholdEntry, TextsAndDigits)
{
    EXPECT_EQ(ThresholdEntry("$OHM$", 2000).Text(50), "+0050 $OHM$");
    EXPECT_EQ(ThresholdEntry("mV", 4000).Text(4000), "+4000 mV");
    const struct {
        const char* text;
        int digits;
        bool complete;
    } cases[] = {
        {"+0050 $OHM$", 50, true}, {"+2000 mV", 2000, true}, {"-0010 mV", 10, true},
        {" $OHM$", 0, false},      {"", 0, false},           {"+12 mV", 12, false},
        {"+0x50 mV", 0, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ThresholdEntry::Digits(c.text), c.digits) << c.text;
        EXPECT_EQ(ThresholdEntry::HasDigits(c.text), c.complete) << c.text;
    }
}
