#include "functions/CZANFunctionACV.h"

#include "functions/MenuRows.h"
#include "scpi/Commands.h"

using namespace voltora::scpi;
using namespace voltora::functions;

namespace {

constexpr MenuOption kRangeOptions[] = {
    {"200mV", CZANFunctionACV::kRange200mV}, {"2V", CZANFunctionACV::kRange2V},
    {"20V", CZANFunctionACV::kRange20V},     {"200V", CZANFunctionACV::kRange200V},
    {"750V", CZANFunctionACV::kRange750V},
};

constexpr CZANRangedFunction::Commands kCommands = {
    SetVoltAcRange, QueryVoltAcRange,     QueryVoltAcRangeAuto, SetVoltAcSpeed,
    QueryVoltAcSpeed, SetVoltAcNull,      QueryVoltAcNull,      SetVoltAcNullValue,
    QueryVoltAcNullValue, 1200.0,
};

constexpr CZANRangedFunction::MenuIds kIds = {
    CZANFunctionACV::kRangeItem, CZANFunctionACV::kSpeedItem, CZANFunctionACV::kRelItem,
    CZANFunctionACV::kRangeAuto, CZANFunctionACV::kRange750V, CZANFunctionACV::kSpeedSlow,
};

using namespace voltora::functions::menu_rows;

constexpr auto kMenu = Join(std::array{Setting(CZANFunctionACV::kRangeItem, 0, "Range", "Auto"),
                                       Setting(CZANFunctionACV::kSpeedItem, 1, "Speed", "Slow"),
                                       Rel(CZANFunctionACV::kRelItem)},
                            VoltageRangeOptions(CZANFunctionACV::kRangeAuto, "750V"),
                            SpeedOptions(CZANFunctionACV::kSpeedSlow));

constexpr CZANRangedFunction::PrefixRule kPrefixRules[] = {
    {"mV", "m"},
};

constexpr CZANRangedFunction::Profile kProfile = {
    kMenu, kRangeOptions, "VAC", "V", "200mV", kPrefixRules, " ",
};

}  // namespace

// The views keep their unit text until the next function or math-mode
// change; only DC voltage passes the scale unit on at once.
CZANFunctionACV::CZANFunctionACV(IFrontPanel* frontPanel)
    : CZANScaledFunction(frontPanel, "AC Voltage", kCommands, kIds, kProfile, false)
{
}

CZANFunctionACV::~CZANFunctionACV()
{
    StopWorker();
}

void CZANFunctionACV::ShowRootPage()
{
    ShowPage({kRangeItem, kSpeedItem, kRelItem});
}

void CZANFunctionACV::OnMenuItem(int id)
{
    if (id == kRangeItem) {
        ShowPage({kRangeAuto, kRange200mV, kRange2V, kRange20V, kRange200V, kRange750V});
        return;
    }
    OnCommonMenuItem(id);
}
