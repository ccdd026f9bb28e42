#include "functions/CZANFunctionDCI.h"

#include "functions/MenuRows.h"
#include "platform/Clock.h"
#include "scpi/Commands.h"

using namespace voltora::functions;

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

using namespace voltora::functions::menu_rows;

// The speed item first reads "Middle" although the speed starts at "Slow".
constexpr auto kMenu = Join(std::array{Setting(CZANFunctionDCI::kRangeItem, 0, "Range", "Auto"),
                                       Setting(CZANFunctionDCI::kSpeedItem, 1, "Speed", "Middle"),
                                       Switch(CZANFunctionDCI::kFilterItem, 2, "Filter", "On", "Off"),
                                       Rel(CZANFunctionDCI::kRelItem),
                                       Option(CZANFunctionDCI::kRangeAuto, 0, "Auto"),
                                       Option(CZANFunctionDCI::kRange200uA, 1, "200uA"),
                                       Option(CZANFunctionDCI::kRange2mA, 2, "2mA"),
                                       Option(CZANFunctionDCI::kRange20mA, 3, "20mA"),
                                       Option(CZANFunctionDCI::kRange200mA, 4, "200mA"),
                                       Option(CZANFunctionDCI::kRangeOther, 5, "other->"),
                                       Option(CZANFunctionDCI::kRange2A, 0, "2A"),
                                       Option(CZANFunctionDCI::kRange10A, 1, "10A"),
                                       Option(CZANFunctionDCI::kRangeBack, 2, "<-other")},
                            SpeedOptions(CZANFunctionDCI::kSpeedSlow));

constexpr CZANRangedFunction::PrefixRule kPrefixRules[] = {
    {"uA", "u"},
    {"mA", "m"},
};

constexpr CZANRangedFunction::Profile kProfile = {
    kMenu, kRangeOptions, "ADC", "A", "10A", kPrefixRules, " ",
};

}  // namespace

CZANFunctionDCI::CZANFunctionDCI(IFrontPanel* frontPanel)
    : CZANRangedFunction(frontPanel, "DC Current", kCommands, kIds, kProfile)
{
}

CZANFunctionDCI::~CZANFunctionDCI()
{
    StopWorker();
}

void CZANFunctionDCI::RegisterOwnSettings()
{
    RegisterSetting("Filter", [this] { ApplyFilter(); });
}

void CZANFunctionDCI::LoadOwnSettings()
{
    filter = QueryCurrDcFilter();
}

void CZANFunctionDCI::ShowOwnSettings()
{
    Item(kFilterItem)->ShowLeftRight(filter.Get());
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
