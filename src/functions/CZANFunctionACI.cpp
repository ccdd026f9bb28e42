#include "functions/CZANFunctionACI.h"

#include "functions/MenuRows.h"
#include "scpi/Commands.h"

using namespace voltora::scpi;
using namespace voltora::functions;

namespace {

constexpr MenuOption kRangeOptions[] = {
    {"20mA", CZANFunctionACI::kRange20mA},
    {"200mA", CZANFunctionACI::kRange200mA},
    {"2A", CZANFunctionACI::kRange2A},
    {"10A", CZANFunctionACI::kRange10A},
};

constexpr CZANRangedFunction::Commands kCommands = {
    SetCurrAcRange, QueryCurrAcRange,     QueryCurrAcRangeAuto, SetCurrAcSpeed,
    QueryCurrAcSpeed, SetCurrAcNull,      QueryCurrAcNull,      SetCurrAcNullValue,
    QueryCurrAcNullValue, 12.0,
};

constexpr CZANRangedFunction::MenuIds kIds = {
    CZANFunctionACI::kRangeItem, CZANFunctionACI::kSpeedItem, CZANFunctionACI::kRelItem,
    CZANFunctionACI::kRangeAuto, CZANFunctionACI::kRange10A,  CZANFunctionACI::kSpeedSlow,
};

using namespace voltora::functions::menu_rows;

constexpr auto kMenu = Join(std::array{Setting(CZANFunctionACI::kRangeItem, 0, "Range", "Auto"),
                                       Setting(CZANFunctionACI::kSpeedItem, 1, "Speed", "Slow"),
                                       Rel(CZANFunctionACI::kRelItem),
                                       Option(CZANFunctionACI::kRangeAuto, 0, "Auto"),
                                       Option(CZANFunctionACI::kRange20mA, 1, "20mA"),
                                       Option(CZANFunctionACI::kRange200mA, 2, "200mA"),
                                       Option(CZANFunctionACI::kRange2A, 3, "2A"),
                                       Option(CZANFunctionACI::kRange10A, 4, "10A")},
                            SpeedOptions(CZANFunctionACI::kSpeedSlow));

constexpr CZANRangedFunction::PrefixRule kPrefixRules[] = {
    {"mA", "m"},
};

constexpr CZANRangedFunction::Profile kProfile = {
    kMenu, kRangeOptions, "AAC", "A", "10A", kPrefixRules, " ",
};

}  // namespace

CZANFunctionACI::CZANFunctionACI(IFrontPanel* frontPanel)
    : CZANRangedFunction(frontPanel, "AC Current", kCommands, kIds, kProfile)
{
}

CZANFunctionACI::~CZANFunctionACI()
{
    StopWorker();
}

void CZANFunctionACI::ShowRootPage()
{
    ShowPage({kRangeItem, kSpeedItem, kRelItem});
}

void CZANFunctionACI::OnMenuItem(int id)
{
    if (id == kRangeItem) {
        ShowPage({kRangeAuto, kRange20mA, kRange200mA, kRange2A, kRange10A});
        return;
    }
    OnCommonMenuItem(id);
}
