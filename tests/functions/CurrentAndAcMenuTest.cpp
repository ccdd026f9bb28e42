// The DC current, AC voltage and AC current functions without a meter: their
// menus, the pages each key leads to, and the reading texts they show.

#include "FakeFrontPanel.h"
#include "SoftKeyProbe.h"

#include "functions/CZANFunctionACI.h"
#include "functions/CZANFunctionACV.h"
#include "functions/CZANFunctionCap.h"
#include "functions/CZANFunctionDCI.h"
#include "functions/CZANFunctionDCV.h"
#include "functions/CZANFunctionFRES.h"
#include "functions/CZANFunctionRES.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>

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

// A function made, initialised and activated on a fake panel.
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

const Texts kSpeedPage = {"Slow", "Middle", "Fast", "", "", ""};

}  // namespace

TEST(CurrentAndAcMenu, FreshFunctionsShowTheirRootPageAndDefaults)
{
    const struct {
        const char* label;
        Factory make;
        const char* name;
        std::vector<int> ids;
        Texts root;
        const char* rangeText;
        int rangeFirst, rangeLast, rangeChosen;
        int speedFirst, speedLast, speedChosen;
        const char* unit;
        const char* viewsUnit;
        int mathAvailable;
    } cases[] = {
        {"DCI", Make<CZANFunctionDCI>(), "DC Current",
         {16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31},
         {"Range", "Speed", "Filter", "", "Rel", ""}, "10A", 20, 28, 27, 29, 31, 29, "ADC", "A", 0},
        {"ACV", Make<CZANFunctionACV>(), "AC Voltage",
         {101, 102, 103, 104, 105, 106, 107, 108, 109, 110, 111, 112},
         {"Range", "Speed", "", "", "Rel", ""}, "200mV", 104, 109, 105, 110, 112, 110, "VAC", "V", 1},
        {"ACI", Make<CZANFunctionACI>(), "AC Current",
         {113, 114, 115, 116, 117, 118, 119, 120, 121, 122, 123},
         {"Range", "Speed", "", "", "Rel", ""}, "10A", 116, 120, 120, 121, 123, 121, "AAC", "A", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        Subject s(c.make);
        CZANFunction& f = *s.function;
        EXPECT_EQ(f.name.Get(), c.name);
        EXPECT_EQ(f.ItemIds(), c.ids);
        EXPECT_EQ(KeyTexts(f), c.root);
        EXPECT_EQ(f.GetSoftKeyValue(0), c.rangeText);
        EXPECT_EQ(f.GetSoftKeyValue(1), "Slow");
        EXPECT_EQ(f.GetRangeModeText(), "Manual");
        EXPECT_EQ(f.GetRangeText(), c.rangeText);
        EXPECT_EQ(Highlighted(f, c.rangeFirst, c.rangeLast), std::vector<int>{c.rangeChosen});
        EXPECT_EQ(Highlighted(f, c.speedFirst, c.speedLast), std::vector<int>{c.speedChosen});
        // Filter and Rel show their right value marked: filter is empty, Rel "Off".
        for (int key : {2, 4}) {
            if (CZANMenuItem* item = f.GetSoftKeyItem(key)) {
                EXPECT_EQ(item->ChosenLeftRight(), "Off") << key;
            }
        }
        EXPECT_EQ(f.GetReadingText(), "$INIT$");
        EXPECT_EQ(f.GetValueText(), "$INIT$");
        EXPECT_EQ(f.GetUnitText(), c.unit);
        EXPECT_EQ(f.GetRelState(), "Off");
        EXPECT_EQ(f.GetRelValue(), "0.000");
        EXPECT_EQ(f.GetBaseUnit(), c.viewsUnit);
        EXPECT_EQ(f.GetMathInfo().available, c.mathAvailable);
        EXPECT_EQ(s.panel.ViewsUnits(), Texts{c.viewsUnit});
        EXPECT_TRUE(s.panel.Messages().empty());
    }
}

TEST(CurrentAndAcMenu, RangeOptionsReturnToTheRootPageAndMarkTheRange)
{
    struct Choice {
        std::vector<int> keys;  // from the root page
        const char* caption;
        int id;
    };
    const struct {
        const char* label;
        Factory make;
        Texts rangePage;
        int first, last;
        std::vector<Choice> choices;
    } cases[] = {
        {"DCI", Make<CZANFunctionDCI>(), {"Auto", "200uA", "2mA", "20mA", "200mA", "other->"}, 20, 28,
         {{{0, 1}, "200uA", 21}, {{0, 2}, "2mA", 22}, {{0, 3}, "20mA", 23}, {{0, 4}, "200mA", 24},
          {{0, 5, 0}, "2A", 26}, {{0, 5, 1}, "10A", 27}, {{0, 0}, "Auto", 20}}},
        {"ACV", Make<CZANFunctionACV>(), {"Auto", "200mV", "2V", "20V", "200V", "750V"}, 104, 109,
         {{{0, 1}, "200mV", 105}, {{0, 2}, "2V", 106}, {{0, 3}, "20V", 107}, {{0, 4}, "200V", 108},
          {{0, 5}, "750V", 109}, {{0, 0}, "Auto", 104}}},
        {"ACI", Make<CZANFunctionACI>(), {"Auto", "20mA", "200mA", "2A", "10A", ""}, 116, 120,
         {{{0, 1}, "20mA", 117}, {{0, 2}, "200mA", 118}, {{0, 3}, "2A", 119}, {{0, 4}, "10A", 120},
          {{0, 0}, "Auto", 116}}},
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
            EXPECT_EQ(KeyTexts(f), c.rangePage);
            for (std::size_t i = 1; i < choice.keys.size(); ++i) {
                f.PressKey(choice.keys[i]);
            }
            ++presses;
            EXPECT_EQ(KeyTexts(f), root);  // the root page does not follow the range
            EXPECT_EQ(f.GetSoftKeyValue(0), choice.caption);
            EXPECT_EQ(Highlighted(f, c.first, c.last), std::vector<int>{choice.id});
            EXPECT_EQ(f.GetRangeModeText(), choice.id == c.first ? "Auto" : "Manual");
            EXPECT_EQ(f.GetPendingCount("Range"), presses);
            // The label itself changes only when the worker applies the range.
            EXPECT_EQ(f.GetRangeText(), rangeText);
        }
    }
}

TEST(CurrentAndAcMenu, DcCurrentRangeListSpansTwoPagesThatOnlyTurn)
{
    Subject s(Make<CZANFunctionDCI>());
    CZANFunction& f = *s.function;
    f.PressKey(0);
    f.PressKey(5);  // "other->"
    EXPECT_EQ(KeyTexts(f), (Texts{"2A", "10A", "<-other", "", "", ""}));
    f.PressKey(2);  // "<-other"
    EXPECT_EQ(KeyTexts(f), (Texts{"Auto", "200uA", "2mA", "20mA", "200mA", "other->"}));
    EXPECT_EQ(f.GetPendingCount("Range"), 0);
    EXPECT_EQ(Highlighted(f, 20, 28), std::vector<int>{27});  // unchanged by turning pages

    f.PressKey(5);
    f.PressKey(1);  // "10A"
    EXPECT_EQ(KeyTexts(f), (Texts{"Range", "Speed", "Filter", "", "Rel", ""}));
    EXPECT_EQ(f.GetSoftKeyValue(0), "10A");
    EXPECT_EQ(f.GetPendingCount("Range"), 1);

    // The range page always opens on its first page.
    f.PressKey(0);
    f.PressKey(5);
    f.PressKey(0);  // "2A"
    f.PressKey(0);
    EXPECT_EQ(f.GetSoftKeyCaption(5), "other->");
}

TEST(CurrentAndAcMenu, SpeedOptionsSetTheSpeedAndReturnToTheRootPage)
{
    const struct {
        const char* label;
        Factory make;
        int first;
    } cases[] = {
        {"DCI", Make<CZANFunctionDCI>(), 29},
        {"ACV", Make<CZANFunctionACV>(), 110},
        {"ACI", Make<CZANFunctionACI>(), 121},
    };
    for (const auto& c : cases) {
        Subject s(c.make);
        CZANFunction& f = *s.function;
        const Texts root = KeyTexts(f);
        int presses = 0;
        for (int key : {2, 1, 0}) {
            SCOPED_TRACE(std::string(c.label) + " " + kSpeedPage[key]);
            f.PressKey(1);
            EXPECT_EQ(KeyTexts(f), kSpeedPage);
            f.PressKey(3);  // no item on F4 of the speed page
            EXPECT_EQ(KeyTexts(f), kSpeedPage);
            f.PressKey(key);
            ++presses;
            EXPECT_EQ(KeyTexts(f), root);
            EXPECT_EQ(f.GetSoftKeyValue(1), kSpeedPage[key]);
            EXPECT_EQ(Highlighted(f, c.first, c.first + 2), std::vector<int>{c.first + key});
            EXPECT_EQ(f.GetPendingCount("Speed"), presses);
        }
    }
}

TEST(CurrentAndAcMenu, TwoWayItemsFlipAndMarkTheirSetting)
{
    Subject dci(Make<CZANFunctionDCI>());
    Subject acv(Make<CZANFunctionACV>());
    Subject aci(Make<CZANFunctionACI>());
    auto* dcCurrent = static_cast<CZANFunctionDCI*>(dci.function.get());
    const struct {
        const char* label;
        CZANFunction* function;
        int key;
        const char* pendingKey;
        std::function<std::string()> setting;
    } cases[] = {
        {"DCI Filter", dcCurrent, 2, "Filter", [&] { return dcCurrent->GetFilter(); }},
        {"DCI Rel", dcCurrent, 4, "Rel", [&] { return dcCurrent->GetRelState(); }},
        {"ACV Rel", acv.function.get(), 4, "Rel", [&] { return acv.function->GetRelState(); }},
        {"ACI Rel", aci.function.get(), 4, "Rel", [&] { return aci.function->GetRelState(); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        CZANFunction& f = *c.function;
        f.PressKey(c.key);
        EXPECT_EQ(c.setting(), "On");
        EXPECT_EQ(f.GetSoftKeyItem(c.key)->GetColours().leftColour, kMarkedColour);
        f.PressKey(c.key);
        EXPECT_EQ(c.setting(), "Off");
        EXPECT_EQ(f.GetSoftKeyItem(c.key)->GetColours().rightColour, kMarkedColour);
        EXPECT_EQ(f.GetPendingCount(c.pendingKey), 2);
    }
    EXPECT_EQ(dci.function->GetPendingCount("InputZ"), 0);  // no such key here
}

TEST(CurrentAndAcMenu, EmptyAndArrowKeysDoNothing)
{
    for (const Factory& make : {Make<CZANFunctionDCI>(), Make<CZANFunctionACV>(), Make<CZANFunctionACI>()}) {
        Subject s(make);
        CZANFunction& f = *s.function;
        SCOPED_TRACE(f.name.Get());
        const Texts root = KeyTexts(f);
        for (int key : {3, 5, 6, 7, 8, 9, -1, 10}) {
            f.PressKey(key);
        }
        if (f.GetSoftKeyItem(2) == nullptr) {
            f.PressKey(2);  // F3 is empty on the AC root pages
        }
        EXPECT_EQ(KeyTexts(f), root);
        for (const char* key : {"Filter", "Range", "Rel", "Speed"}) {
            EXPECT_EQ(f.GetPendingCount(key), 0) << key;
        }
    }
}

TEST(CurrentAndAcMenu, ActivateShowsTheRangeReadBackFromTheMeter)
{
    Subject s(Make<CZANFunctionDCI>());
    auto& f = static_cast<CZANFunctionDCI&>(*s.function);

    f.SetRangeText("2A");  // an option of the second range page
    f.Activate();
    EXPECT_EQ(f.GetSoftKeyValue(0), "2A");
    EXPECT_EQ(Highlighted(f, 20, 28), std::vector<int>{26});

    f.SetRangeText("5A");  // no such option: the highlight stays
    f.Activate();
    EXPECT_EQ(f.GetSoftKeyValue(0), "5A");
    EXPECT_EQ(Highlighted(f, 20, 28), std::vector<int>{26});

    f.SetRangeMode("Auto");
    f.Activate();
    EXPECT_EQ(f.GetSoftKeyValue(0), "Auto");
    EXPECT_EQ(Highlighted(f, 20, 28), std::vector<int>{20});
    EXPECT_EQ(KeyTexts(f), (Texts{"Range", "Speed", "Filter", "", "Rel", ""}));
}

TEST(CurrentAndAcMenu, RangeLabelsGiveTheUnitPrefix)
{
    const struct {
        Factory make;
        const char* range;
        const char* unit;
    } cases[] = {
        {Make<CZANFunctionDCI>(), "200uA", "uADC"}, {Make<CZANFunctionDCI>(), "20mA", "mADC"},
        {Make<CZANFunctionDCI>(), "2A", " ADC"},    {Make<CZANFunctionACV>(), "200mV", "mVAC"},
        {Make<CZANFunctionACV>(), "750V", " VAC"},  {Make<CZANFunctionACI>(), "200mA", "mAAC"},
        {Make<CZANFunctionACI>(), "10A", " AAC"},
    };
    for (const auto& c : cases) {
        Subject s(c.make);
        s.function->SetReadingText("+1.0E+00");
        s.function->SetRangeText(c.range);
        EXPECT_EQ(s.function->GetRangeText(), c.range);
        EXPECT_EQ(s.function->GetUnitText(), c.unit) << c.range;
    }
}

TEST(CurrentAndAcMenu, ReadingTextsFollowRangeAndSpeed)
{
    const struct {
        Factory make;
        const char* range;
        int speedKey;  // on the speed page: 0 Slow, 1 Middle, 2 Fast
        const char* reading;
        const char* value;
        const char* unit;
    } cases[] = {
        {Make<CZANFunctionDCI>(), "20mA", 0, "+2.00000000E-03", "+02.0000", "mADC"},
        {Make<CZANFunctionDCI>(), "200uA", 0, "+1.20000000E-04", "+120.000", "uADC"},
        {Make<CZANFunctionDCI>(), "10A", 0, "10.5", "+10.5000", " ADC"},
        {Make<CZANFunctionDCI>(), "2mA", 1, "-1.5E-03", "-1.5000", "mADC"},
        {Make<CZANFunctionDCI>(), "2mA", 2, "Overload", "Overload", "ADC"},
        {Make<CZANFunctionACV>(), "2V", 0, "1.234567", "+1.23457", " VAC"},
        {Make<CZANFunctionACV>(), "2V", 0, "1.9999999", "+2.00000", " VAC"},
        {Make<CZANFunctionACV>(), "200mV", 2, "0.2", "+200.00", "mVAC"},
        {Make<CZANFunctionACV>(), "200mV", 0, "1.5", "+1.50000", " VAC"},
        {Make<CZANFunctionACV>(), "200mV", 0, "$INIT$", "$INIT$", "VAC"},
        {Make<CZANFunctionACI>(), "20mA", 0, "+1.23000000E-02", "+12.3000", "mAAC"},
        {Make<CZANFunctionACI>(), "10A", 1, "10.5", "+10.500", " AAC"},
        {Make<CZANFunctionACI>(), "10A", 0, "Overload", "Overload", "AAC"},
    };
    for (const auto& c : cases) {
        Subject s(c.make);
        CZANFunction& f = *s.function;
        f.PressKey(1);
        f.PressKey(c.speedKey);
        f.SetRangeText(c.range);
        f.SetReadingText(c.reading);
        EXPECT_EQ(f.GetValueText(), c.value) << f.name.Get() << " " << c.reading << " on " << c.range;
        EXPECT_EQ(f.GetUnitText(), c.unit) << f.name.Get() << " " << c.reading << " on " << c.range;
    }
}

TEST(CurrentAndAcMenu, ItemIdsDoNotOverlapWithTheOtherRangedFunctions)
{
    std::map<int, std::string> owner;
    for (const Factory& make : {Make<CZANFunctionDCV>(), Make<CZANFunctionDCI>(), Make<CZANFunctionACV>(),
                                Make<CZANFunctionACI>(), Make<CZANFunctionRES>(), Make<CZANFunctionFRES>(),
                                Make<CZANFunctionCap>()}) {
        Subject s(make);
        const std::string name = s.function->name.Get();
        for (const int id : s.function->ItemIds()) {
            const auto [it, inserted] = owner.emplace(id, name);
            EXPECT_TRUE(inserted) << "id " << id << " of " << name << " is also used by " << it->second;
        }
    }
    EXPECT_EQ(owner.size(), 14u + 16u + 12u + 11u + 16u + 16u + 12u);
}
