// The 2-wire and 4-wire resistance and the capacitance functions without a
// meter: their menus, the two range pages and the reading texts.

#include "FakeFrontPanel.h"
#include "SoftKeyProbe.h"

#include "functions/CZANFunctionCap.h"
#include "functions/CZANFunctionFRES.h"
#include "functions/CZANFunctionRES.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <numeric>

using namespace voltora::functions::testing;
using namespace voltora::functions;

namespace {

using Texts = std::vector<std::string>;
using Factory = std::function<std::unique_ptr<CZANFunction>(IFrontPanel*)>;

template <typename T>
Factory Make()
{
    return [](IFrontPanel* panel) { return std::make_unique<T>(panel); };
}

struct Subject {
    explicit Subject(const Factory& make) : function(make(&panel))
    {
        function->Initialise();
        function->Activate();
    }
    ~Subject() { function->StopWorker(); }

    FakeFrontPanel panel;
    std::unique_ptr<CZANFunction> function;
};

// RES and FRES share their menu; FRES ids are those of RES plus 16.
struct Resistance {
    const char* label;
    Factory make;
    int offset;
};
const Resistance kResistances[] = {
    {"RES", Make<CZANFunctionRES>(), 0},
    {"FRES", Make<CZANFunctionFRES>(), 16},
};

const Texts kOhmPage1 = {"Auto", "200$OHM$", "2k$OHM$", "20k$OHM$", "200k$OHM$", "other->"};
const Texts kOhmPage2 = {"2M$OHM$", "10M$OHM$", "100M$OHM$", "<-other", "", ""};
const Texts kCapPage1 = {"Auto", "2nF", "20nF", "200nF", "2uF", "other->"};
const Texts kCapPage2 = {"20uF", "200uF", "10000uF", "<-other", "", ""};

std::vector<int> IdRange(int first, int last)
{
    std::vector<int> ids(static_cast<std::size_t>(last - first + 1));
    std::iota(ids.begin(), ids.end(), first);
    return ids;
}

}  // namespace

TEST(ResistanceCapMenu, FreshFunctionsShowTheirRootPageAndDefaults)
{
    for (const Resistance& r : kResistances) {
        SCOPED_TRACE(r.label);
        Subject s(r.make);
        CZANFunction& f = *s.function;
        EXPECT_EQ(f.name.Get(), r.offset == 0 ? "2 Wire Resistance" : "4 Wire Resistance");
        EXPECT_EQ(f.ItemIds(), IdRange(32 + r.offset, 47 + r.offset));
        EXPECT_EQ(KeyTexts(f), (Texts{"Range", "Speed", "", "", "Rel", ""}));
        EXPECT_EQ(KeyValues(f), (Texts{"200$OHM$", "Slow", "", "", "", ""}));
        EXPECT_EQ(f.GetSoftKeyItem(4)->ChosenLeftRight(), "Off");
        EXPECT_EQ(Highlighted(f, 35 + r.offset, 43 + r.offset), std::vector<int>{36 + r.offset});
        EXPECT_EQ(Highlighted(f, 45 + r.offset, 47 + r.offset), std::vector<int>{45 + r.offset});
        EXPECT_EQ(f.GetRangeModeText(), "Manual");
        EXPECT_EQ(f.GetRangeText(), "200$OHM$");
        EXPECT_EQ(f.GetValueText(), "$INIT$");
        EXPECT_EQ(f.GetUnitText(), "$OHM$");
        EXPECT_EQ(f.GetBaseUnit(), "$OHM$");
        EXPECT_EQ(f.GetRelState(), "Off");
        EXPECT_EQ(f.GetRelValue(), "0.000");
        EXPECT_EQ(f.GetMathInfo().available, 0);
        EXPECT_EQ(s.panel.ViewsUnits(), Texts{"$OHM$"});
    }

    Subject s(Make<CZANFunctionCap>());
    CZANFunction& cap = *s.function;
    EXPECT_EQ(cap.name.Get(), "Capacitance");
    EXPECT_EQ(cap.ItemIds(), IdRange(64, 75));
    EXPECT_EQ(KeyTexts(cap), (Texts{"Range", "", "", "", "Rel", ""}));
    EXPECT_EQ(KeyValues(cap), (Texts{"200nF", "", "", "", "", ""}));
    EXPECT_EQ(Highlighted(cap, 66, 74), std::vector<int>{69});
    EXPECT_EQ(cap.GetRangeText(), "200nF");
    EXPECT_EQ(cap.GetUnitText(), "F");
    EXPECT_EQ(cap.GetBaseUnit(), "F");
    EXPECT_EQ(cap.GetMathInfo().available, 0);
    EXPECT_EQ(s.panel.ViewsUnits(), Texts{"F"});
    cap.SetReadingText("1e-7");
    EXPECT_EQ(cap.GetUnitText(), "nF");
}

TEST(ResistanceCapMenu, RangeOptionsOnBothPagesReturnToTheRootPage)
{
    struct Choice {
        std::vector<int> keys;  // after F1 on the root page
        const char* caption;
        int id;  // RES / Cap id
    };
    const struct {
        const char* label;
        Factory make;
        int offset;
        int first, last;  // option group
        Texts page1, page2;
        std::vector<Choice> choices;
    } cases[] = {
        {"RES", Make<CZANFunctionRES>(), 0, 35, 43, kOhmPage1, kOhmPage2,
         {{{1}, "200$OHM$", 36}, {{2}, "2k$OHM$", 37}, {{3}, "20k$OHM$", 38}, {{4}, "200k$OHM$", 39},
          {{5, 0}, "2M$OHM$", 41}, {{5, 1}, "10M$OHM$", 42}, {{5, 2}, "100M$OHM$", 43}, {{0}, "Auto", 35}}},
        {"FRES", Make<CZANFunctionFRES>(), 16, 35, 43, kOhmPage1, kOhmPage2,
         {{{3}, "20k$OHM$", 38}, {{5, 1}, "10M$OHM$", 42}, {{0}, "Auto", 35}}},
        {"Cap", Make<CZANFunctionCap>(), 0, 66, 74, kCapPage1, kCapPage2,
         {{{1}, "2nF", 67}, {{2}, "20nF", 68}, {{3}, "200nF", 69}, {{4}, "2uF", 70}, {{5, 0}, "20uF", 72},
          {{5, 1}, "200uF", 73}, {{5, 2}, "10000uF", 74}, {{0}, "Auto", 66}}},
    };
    for (const auto& c : cases) {
        Subject s(c.make);
        CZANFunction& f = *s.function;
        const Texts root = KeyTexts(f);
        const std::string rangeText = f.GetRangeText();
        int presses = 0;
        for (const Choice& choice : c.choices) {
            SCOPED_TRACE(std::string(c.label) + " " + choice.caption);
            f.PressKey(0);
            EXPECT_EQ(KeyTexts(f), c.page1);
            for (std::size_t i = 0; i < choice.keys.size(); ++i) {
                if (i == 1) {
                    EXPECT_EQ(KeyTexts(f), c.page2);
                }
                f.PressKey(choice.keys[i]);
            }
            ++presses;
            EXPECT_EQ(KeyTexts(f), root);
            EXPECT_EQ(f.GetSoftKeyValue(0), choice.caption);
            EXPECT_EQ(Highlighted(f, c.first + c.offset, c.last + c.offset),
                      std::vector<int>{choice.id + c.offset});
            EXPECT_EQ(f.GetRangeModeText(), choice.id == c.first ? "Auto" : "Manual");
            EXPECT_EQ(f.GetPendingCount("Range"), presses);
            EXPECT_EQ(f.GetRangeText(), rangeText);  // changed by the worker only
        }
    }
}

TEST(ResistanceCapMenu, OtherAndBackOnlyTurnThePage)
{
    const struct {
        Factory make;
        Texts page1, page2;
        int backKey;
        int backId;
    } cases[] = {
        {Make<CZANFunctionRES>(), kOhmPage1, kOhmPage2, 3, 44},
        {Make<CZANFunctionFRES>(), kOhmPage1, kOhmPage2, 3, 60},
        {Make<CZANFunctionCap>(), kCapPage1, kCapPage2, 3, 75},
    };
    for (const auto& c : cases) {
        Subject s(c.make);
        CZANFunction& f = *s.function;
        SCOPED_TRACE(f.name.Get());
        f.PressKey(0);
        f.PressKey(5);
        EXPECT_EQ(KeyTexts(f), c.page2);
        EXPECT_EQ(f.GetSoftKeyItem(c.backKey)->GetId(), c.backId);
        f.PressKey(4);  // empty key on page 2
        EXPECT_EQ(KeyTexts(f), c.page2);
        f.PressKey(c.backKey);
        EXPECT_EQ(KeyTexts(f), c.page1);
        f.PressKey(5);
        f.PressKey(c.backKey);
        EXPECT_EQ(KeyTexts(f), c.page1);
        EXPECT_EQ(f.GetPendingCount("Range"), 0);
        EXPECT_EQ(f.GetSoftKeyValue(0), "");  // no setting item on the option page
    }
}

TEST(ResistanceCapMenu, SpeedOptionsOfTheResistanceFunctions)
{
    for (const Resistance& r : kResistances) {
        Subject s(r.make);
        CZANFunction& f = *s.function;
        int presses = 0;
        for (int key : {1, 2, 0}) {
            SCOPED_TRACE(std::string(r.label) + " speed key " + std::to_string(key));
            f.PressKey(1);
            EXPECT_EQ(KeyTexts(f), (Texts{"Slow", "Middle", "Fast", "", "", ""}));
            f.PressKey(key);
            ++presses;
            EXPECT_EQ(KeyTexts(f), (Texts{"Range", "Speed", "", "", "Rel", ""}));
            EXPECT_EQ(f.GetSoftKeyValue(1), f.Item(45 + r.offset + key)->GetCaption());
            EXPECT_EQ(Highlighted(f, 45 + r.offset, 47 + r.offset), std::vector<int>{45 + r.offset + key});
            EXPECT_EQ(f.GetPendingCount("Speed"), presses);
        }
    }
    // Capacitance has no speed: F2 is empty.
    Subject cap(Make<CZANFunctionCap>());
    cap.function->PressKey(1);
    EXPECT_EQ(KeyTexts(*cap.function), (Texts{"Range", "", "", "", "Rel", ""}));
    EXPECT_EQ(cap.function->GetPendingCount("Speed"), 0);
}

TEST(ResistanceCapMenu, RelFlipsAndMarksEveryPress)
{
    for (const Factory& make : {Make<CZANFunctionRES>(), Make<CZANFunctionFRES>(), Make<CZANFunctionCap>()}) {
        Subject s(make);
        CZANFunction& f = *s.function;
        SCOPED_TRACE(f.name.Get());
        f.PressKey(4);
        EXPECT_EQ(f.GetRelState(), "On");
        EXPECT_EQ(f.GetSoftKeyItem(4)->GetColours().leftColour, kMarkedColour);
        f.PressKey(4);
        EXPECT_EQ(f.GetRelState(), "Off");
        EXPECT_EQ(f.GetPendingCount("Rel"), 2);
        for (int key : {2, 3, 5, 6, 7, 8, 9}) {
            f.PressKey(key);
        }
        EXPECT_EQ(f.GetPendingCount("Rel") + f.GetPendingCount("Range") + f.GetPendingCount("Speed"), 2);
    }
}

TEST(ResistanceCapMenu, ActivateChoosesTheOptionOfTheRangeReadBack)
{
    const struct {
        Factory make;
        const char* range;
        int first, last;
        int chosen;  // 0: the highlight stays as it was
    } cases[] = {
        {Make<CZANFunctionRES>(), "10M$OHM$", 35, 43, 42},
        {Make<CZANFunctionRES>(), "2k$OHM$", 35, 43, 37},
        {Make<CZANFunctionFRES>(), "100M$OHM$", 51, 59, 59},
        {Make<CZANFunctionCap>(), "10000uF", 66, 74, 74},
        {Make<CZANFunctionCap>(), "2nF", 66, 74, 67},
        {Make<CZANFunctionCap>(), "", 66, 74, 0},
        {Make<CZANFunctionRES>(), "1G$OHM$", 35, 43, 0},
    };
    for (const auto& c : cases) {
        Subject s(c.make);
        CZANFunction& f = *s.function;
        const auto before = Highlighted(f, c.first, c.last);
        f.SetRangeText(c.range);
        f.Activate();
        EXPECT_EQ(f.GetSoftKeyValue(0), c.range);
        EXPECT_EQ(Highlighted(f, c.first, c.last), c.chosen == 0 ? before : std::vector<int>{c.chosen})
            << f.name.Get() << " " << c.range;
    }
}

TEST(ResistanceCapMenu, RangeLabelsGiveTheUnitPrefix)
{
    const struct {
        Factory make;
        const char* range;
        const char* unit;
    } cases[] = {
        {Make<CZANFunctionRES>(), "200$OHM$", " $OHM$"},   {Make<CZANFunctionRES>(), "2k$OHM$", "k$OHM$"},
        {Make<CZANFunctionRES>(), "200k$OHM$", "k$OHM$"},  {Make<CZANFunctionFRES>(), "10M$OHM$", "M$OHM$"},
        {Make<CZANFunctionFRES>(), "100M$OHM$", "M$OHM$"}, {Make<CZANFunctionCap>(), "20nF", "nF"},
        {Make<CZANFunctionCap>(), "2uF", "uF"},            {Make<CZANFunctionCap>(), "10000uF", "uF"},
    };
    for (const auto& c : cases) {
        Subject s(c.make);
        s.function->SetReadingText("+1.0E+00");
        s.function->SetRangeText(c.range);
        EXPECT_EQ(s.function->GetUnitText(), c.unit) << c.range;
    }
}

TEST(ResistanceCapMenu, ReadingTextsFollowRangeAndSpeed)
{
    const struct {
        Factory make;
        const char* range;
        int speedKey;  // -1: no speed setting (capacitance)
        const char* reading;
        const char* value;
        const char* unit;
    } cases[] = {
        // Resistance: 8 characters at Slow, 7 at Middle and Fast.
        {Make<CZANFunctionRES>(), "2k$OHM$", 0, "5000", "+5.00000", "k$OHM$"},
        {Make<CZANFunctionRES>(), "2k$OHM$", 1, "1234.5678", "+1.2346", "k$OHM$"},
        {Make<CZANFunctionRES>(), "200$OHM$", 0, "+1.23456789E+02", "+123.457", " $OHM$"},
        {Make<CZANFunctionRES>(), "20k$OHM$", 2, "+5.00000000E+03", "+05.000", "k$OHM$"},
        {Make<CZANFunctionFRES>(), "100M$OHM$", 0, "+5.5E+07", "+055.000", "M$OHM$"},
        {Make<CZANFunctionFRES>(), "10M$OHM$", 1, "Overload", "Overload", "$OHM$"},
        // Capacitance: always 6 characters.
        {Make<CZANFunctionCap>(), "200nF", -1, "+1.00000000E-07", "+100.0", "nF"},
        {Make<CZANFunctionCap>(), "2nF", -1, "1.5e-9", "+1.500", "nF"},
        {Make<CZANFunctionCap>(), "2uF", -1, "-1.234e-6", "-1.234", "uF"},
        {Make<CZANFunctionCap>(), "10000uF", -1, "0.0055", "+05500", "uF"},
        {Make<CZANFunctionCap>(), "2nF", -1, "1.5e-8", "+15.00", "nF"},  // beyond 2 nF's digits
        {Make<CZANFunctionCap>(), "200nF", -1, "$INIT$", "$INIT$", "F"},
    };
    for (const auto& c : cases) {
        Subject s(c.make);
        CZANFunction& f = *s.function;
        if (c.speedKey >= 0) {
            f.PressKey(1);
            f.PressKey(c.speedKey);
        }
        f.SetRangeText(c.range);
        f.SetReadingText(c.reading);
        EXPECT_EQ(f.GetValueText(), c.value) << f.name.Get() << " " << c.reading << " on " << c.range;
        EXPECT_EQ(f.GetUnitText(), c.unit) << f.name.Get() << " " << c.reading << " on " << c.range;
    }
}
