#include "functions/CZANFunctionDCV.h"

#include "platform/Clock.h"
#include "scpi/Commands.h"

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

}  // namespace

CZANFunctionDCV::CZANFunctionDCV(IFrontPanel* panel)
    : CZANScaledFunction(panel, "DC Voltage", kCommands, kIds, true)
{
}

CZANFunctionDCV::~CZANFunctionDCV()
{
    StopWorker();
}

void CZANFunctionDCV::Initialise()
{
    CZANFunction::Initialise();

    AddMenuItem(kRangeItem, 0, "", "Range", "Auto", "", "", kPlainItem);
    AddMenuItem(kSpeedItem, 1, "", "Speed", "Slow", "", "", kPlainItem);
    AddMenuItem(kFilterItem, 2, "", "Filter", "", "On", "Off", kLeftRightItem);
    AddMenuItem(kInputZItem, 3, "", "Input Z", "", "10M", "10G", kLeftRightItem);
    AddMenuItem(kRelItem, 4, "", "Rel", "", "On", "Off", kLeftRightItem);
    AddMenuItem(kRangeAuto, 0, "Auto", "", "", "", "", kPlainItem);
    AddMenuItem(kRange200mV, 1, "200mV", "", "", "", "", kPlainItem);
    AddMenuItem(kRange2V, 2, "2V", "", "", "", "", kPlainItem);
    AddMenuItem(kRange20V, 3, "20V", "", "", "", "", kPlainItem);
    AddMenuItem(kRange200V, 4, "200V", "", "", "", "", kPlainItem);
    AddMenuItem(kRange1000V, 5, "1000V", "", "", "", "", kPlainItem);
    AddMenuItem(kSpeedSlow, 0, "Slow", "", "", "", "", kPlainItem);
    AddMenuItem(kSpeedMiddle, 1, "Middle", "", "", "", "", kPlainItem);
    AddMenuItem(kSpeedFast, 2, "Fast", "", "", "", "", kPlainItem);

    StartWorker();
    readingText = "$INIT$";
    SetRangeMode("Manual");
    unit = "VDC";
    unitPrefix = " ";
    SetRangeText("200mV");
    speed = "Slow";
    mathInfo.available = 1;

    RegisterSetting("Rel", [this] { ApplyRel(); });
    RegisterSetting("Range", [this] { ApplyRange(); });
    RegisterSetting("Filter", [this] { ApplyFilter(); });
    RegisterSetting("InputZ", [this] { ApplyInputZ(); });
    RegisterSetting("Speed", [this] { ApplySpeed(); });
}

void CZANFunctionDCV::LoadSettings()
{
    LoadRangeAndSpeed();
    filter = QueryVoltDcFilter();
    inputZ = QueryVoltDcImpedance();
    LoadRel();
    LoadMathInfo();
    CZANFunction::LoadSettings();
}

void CZANFunctionDCV::Activate()
{
    ShowRangeAndSpeed(kRangeOptions);
    Item(kFilterItem)->ShowLeftRight(filter.Get());
    Item(kInputZItem)->ShowLeftRight(inputZ.Get());
    FinishActivate();
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

void CZANFunctionDCV::SetRangeText(const std::string& text)
{
    rangeText = text;
    unitPrefix = text.find("mV") != std::string::npos ? "m" : " ";
}

std::string CZANFunctionDCV::GetBaseUnit()
{
    return "V";
}
