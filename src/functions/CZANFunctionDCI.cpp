#include "functions/CZANFunctionDCI.h"

#include "platform/Clock.h"
#include "scpi/Commands.h"

using voltora::platform::SleepMs;
using namespace voltora::scpi;

namespace {

// The manual ranges; "2A" and "10A" sit on the second range page.
constexpr MenuOption kRangeOptions[] = {
    {"200uA", CZANFunctionDCI::kRange200uA}, {"2mA", CZANFunctionDCI::kRange2mA},
    {"20mA", CZANFunctionDCI::kRange20mA},   {"200mA", CZANFunctionDCI::kRange200mA},
    {"2A", CZANFunctionDCI::kRange2A},       {"10A", CZANFunctionDCI::kRange10A},
};

constexpr CZANRangedFunction::Commands kCommands = {
    SetCurrDcRange, QueryCurrDcRange,     QueryCurrDcRangeAuto, SetCurrDcSpeed,
    QueryCurrDcSpeed, SetCurrDcNull,      QueryCurrDcNull,      SetCurrDcNullValue,
    QueryCurrDcNullValue, 12.0,
};

constexpr CZANRangedFunction::MenuIds kIds = {
    CZANFunctionDCI::kRangeItem, CZANFunctionDCI::kSpeedItem, CZANFunctionDCI::kRelItem,
    CZANFunctionDCI::kRangeAuto, CZANFunctionDCI::kRange10A,  CZANFunctionDCI::kSpeedSlow,
};

}  // namespace

CZANFunctionDCI::CZANFunctionDCI(IFrontPanel* panel)
    : CZANRangedFunction(panel, "DC Current", kCommands, kIds)
{
}

CZANFunctionDCI::~CZANFunctionDCI()
{
    StopWorker();
}

void CZANFunctionDCI::Initialise()
{
    CZANFunction::Initialise();

    AddMenuItem(kRangeItem, 0, "", "Range", "Auto", "", "", kPlainItem);
    AddMenuItem(kSpeedItem, 1, "", "Speed", "Middle", "", "", kPlainItem);
    AddMenuItem(kFilterItem, 2, "", "Filter", "", "On", "Off", kLeftRightItem);
    AddMenuItem(kRelItem, 4, "", "Rel", "", "On", "Off", kLeftRightItem);
    AddMenuItem(kRangeAuto, 0, "Auto", "", "", "", "", kPlainItem);
    AddMenuItem(kRange200uA, 1, "200uA", "", "", "", "", kPlainItem);
    AddMenuItem(kRange2mA, 2, "2mA", "", "", "", "", kPlainItem);
    AddMenuItem(kRange20mA, 3, "20mA", "", "", "", "", kPlainItem);
    AddMenuItem(kRange200mA, 4, "200mA", "", "", "", "", kPlainItem);
    AddMenuItem(kRangeOther, 5, "other->", "", "", "", "", kPlainItem);
    AddMenuItem(kRange2A, 0, "2A", "", "", "", "", kPlainItem);
    AddMenuItem(kRange10A, 1, "10A", "", "", "", "", kPlainItem);
    AddMenuItem(kRangeBack, 2, "<-other", "", "", "", "", kPlainItem);
    AddMenuItem(kSpeedSlow, 0, "Slow", "", "", "", "", kPlainItem);
    AddMenuItem(kSpeedMiddle, 1, "Middle", "", "", "", "", kPlainItem);
    AddMenuItem(kSpeedFast, 2, "Fast", "", "", "", "", kPlainItem);

    StartWorker();
    readingText = "$INIT$";
    SetRangeMode("Manual");
    unit = "ADC";
    unitPrefix = " ";
    SetRangeText("10A");
    speed = "Slow";

    RegisterSetting("Rel", [this] { ApplyRel(); });
    RegisterSetting("Range", [this] { ApplyRange(); });
    RegisterSetting("Filter", [this] { ApplyFilter(); });
    RegisterSetting("Speed", [this] { ApplySpeed(); });
}

void CZANFunctionDCI::LoadSettings()
{
    LoadRangeAndSpeed();
    filter = QueryCurrDcFilter();
    LoadRel();
    CZANFunction::LoadSettings();
}

void CZANFunctionDCI::Activate()
{
    ShowRangeAndSpeed(kRangeOptions);
    Item(kFilterItem)->ShowLeftRight(filter.Get());
    FinishActivate();
}

void CZANFunctionDCI::ShowRootPage()
{
    ShowPage({kRangeItem, kSpeedItem, kFilterItem, kRelItem});
}

void CZANFunctionDCI::ShowFirstRangePage()
{
    ShowPage({kRangeAuto, kRange200uA, kRange2mA, kRange20mA, kRange200mA, kRangeOther});
}

void CZANFunctionDCI::OnMenuItem(int id)
{
    switch (id) {
    case kRangeItem:
    case kRangeBack:
        ShowFirstRangePage();
        return;
    case kRangeOther:
        // Only turns the page: nothing is chosen or marked.
        ShowPage({kRange2A, kRange10A, kRangeBack});
        return;
    case kFilterItem:
        filter = Item(kFilterItem)->ChosenLeftRight();
        MarkPending("Filter");
        return;
    default:
        OnCommonMenuItem(id);
        return;
    }
}

void CZANFunctionDCI::ApplyFilter()
{
    SetCurrDcFilter(filter.Get());
    SleepMs(100);
}

void CZANFunctionDCI::SetRangeText(const std::string& text)
{
    rangeText = text;
    if (text.find("uA") != std::string::npos) {
        unitPrefix = "u";
    } else if (text.find("mA") != std::string::npos) {
        unitPrefix = "m";
    } else {
        unitPrefix = " ";
    }
}

std::string CZANFunctionDCI::GetBaseUnit()
{
    return "A";
}
