#include "functions/CZANFunctionDCV.h"

#include "functions/MenuRows.h"
#include "platform/Clock.h"
#include "scpi/Commands.h"

using namespace voltora::functions;

using voltora::platform::SleepMs;
using namespace voltora::scpi;

namespace {

constexpr MenuOption kRangeOptions[] = {
    {"200mV", CZANFunctionDCV::kRange200mV}, {"2V", CZANFunctionDCV::kRange2V},
    {"20V", CZANFunctionDCV::kRange20V},     {"200V", CZANFunctionDCV::kRange200V},
    {"1000V", CZANFunctionDCV::kRange1000V},
};

constexpr CZANRangedFunction::Commands kCommands = {
    SetVoltDcRange, QueryVoltDcRange,     QueryVoltDcRangeAuto, SetVoltDcSpeed,
    QueryVoltDcSpeed, SetVoltDcNull,      QueryVoltDcNull,      SetVoltDcNullValue,
    QueryVoltDcNullValue, 1200.0,
};

constexpr CZANRangedFunction::MenuIds kIds = {
    CZANFunctionDCV::kRangeItem, CZANFunctionDCV::kSpeedItem,  CZANFunctionDCV::kRelItem,
    CZANFunctionDCV::kRangeAuto, CZANFunctionDCV::kRange1000V, CZANFunctionDCV::kSpeedSlow,
};

using namespace voltora::functions::menu_rows;

constexpr auto kMenu = Join(std::array{Setting(CZANFunctionDCV::kRangeItem, 0, "Range", "Auto"),
                                       Setting(CZANFunctionDCV::kSpeedItem, 1, "Speed", "Slow"),
                                       Switch(CZANFunctionDCV::kFilterItem, 2, "Filter", "On", "Off"),
                                       Switch(CZANFunctionDCV::kInputZItem, 3, "Input Z", "10M", "10G"),
                                       Rel(CZANFunctionDCV::kRelItem)},
                            VoltageRangeOptions(CZANFunctionDCV::kRangeAuto, "1000V"),
                            SpeedOptions(CZANFunctionDCV::kSpeedSlow));

constexpr CZANRangedFunction::PrefixRule kPrefixRules[] = {
    {"mV", "m"},
};

constexpr CZANRangedFunction::Profile kProfile = {
    kMenu, kRangeOptions, "VDC", "V", "200mV", kPrefixRules, " ",
};

}  // namespace

CZANFunctionDCV::CZANFunctionDCV(IFrontPanel* frontPanel)
    : CZANScaledFunction(frontPanel, "DC Voltage", kCommands, kIds, kProfile, true)
{
}

CZANFunctionDCV::~CZANFunctionDCV()
{
    StopWorker();
}

void CZANFunctionDCV::RegisterOwnSettings()
{
    RegisterSetting("Filter", [this] { ApplyFilter(); });
    RegisterSetting("InputZ", [this] { ApplyInputZ(); });
}

void CZANFunctionDCV::LoadOwnSettings()
{
    filter = QueryVoltDcFilter();
    inputZ = QueryVoltDcImpedance();
}

void CZANFunctionDCV::ShowOwnSettings()
{
    Item(kFilterItem)->ShowLeftRight(filter.Get());
    Item(kInputZItem)->ShowLeftRight(inputZ.Get());
}

void CZANFunctionDCV::ShowRootPage()
{
    const std::string range = rangeText.Get();
    if ((range == "200mV" || range == "2V") && rangeMode != "Auto") {
        ShowPage({kRangeItem, kSpeedItem, kFilterItem, kInputZItem, kRelItem});
    } else {
        ShowPage({kRangeItem, kSpeedItem, kFilterItem, kRelItem});
    }
}

void CZANFunctionDCV::ShowPageAfterRangeChoice(int id)
{
    // The page follows the chosen option; rangeText changes only when the
    // worker applies the range.
    if (id == kRange200mV || id == kRange2V) {
        ShowPage({kRangeItem, kSpeedItem, kFilterItem, kInputZItem, kRelItem});
    } else {
        ShowPage({kRangeItem, kSpeedItem, kFilterItem, kRelItem});
    }
}

void CZANFunctionDCV::OnMenuItem(int id)
{
    switch (id) {
    case kRangeItem:
        ShowPage({kRangeAuto, kRange200mV, kRange2V, kRange20V, kRange200V, kRange1000V});
        return;
    case kFilterItem:
        filter = Item(kFilterItem)->ChosenLeftRight();
        MarkPending("Filter");
        return;
    case kInputZItem:
        inputZ = Item(kInputZItem)->ChosenLeftRight();
        MarkPending("InputZ");
        return;
    default:
        OnCommonMenuItem(id);
        return;
    }
}

// ---- Apply handlers (worker, lock held) ---------------------------------------------

void CZANFunctionDCV::ApplyFilter()
{
    SetVoltDcFilter(filter.Get());
    SleepMs(100);
}

void CZANFunctionDCV::ApplyInputZ()
{
    SetVoltDcImpedance(inputZ.Get());
    SleepMs(100);
}

// ---- Texts ------------------------------------------------------------------------------
