#include "functions/CZANFunctionACI.h"

#include "scpi/Commands.h"

using namespace voltora::scpi;

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

}  // namespace

CZANFunctionACI::CZANFunctionACI(IFrontPanel* panel)
    : CZANRangedFunction(panel, "AC Current", kCommands, kIds)
{
}

CZANFunctionACI::~CZANFunctionACI()
{
    StopWorker();
}

void CZANFunctionACI::Initialise()
{
    CZANFunction::Initialise();

    AddMenuItem(kRangeItem, 0, "", "Range", "Auto", "", "", kPlainItem);
    AddMenuItem(kSpeedItem, 1, "", "Speed", "Slow", "", "", kPlainItem);
    AddMenuItem(kRelItem, 4, "", "Rel", "", "On", "Off", kLeftRightItem);
    AddMenuItem(kRangeAuto, 0, "Auto", "", "", "", "", kPlainItem);
    AddMenuItem(kRange20mA, 1, "20mA", "", "", "", "", kPlainItem);
    AddMenuItem(kRange200mA, 2, "200mA", "", "", "", "", kPlainItem);
    AddMenuItem(kRange2A, 3, "2A", "", "", "", "", kPlainItem);
    AddMenuItem(kRange10A, 4, "10A", "", "", "", "", kPlainItem);
    AddMenuItem(kSpeedSlow, 0, "Slow", "", "", "", "", kPlainItem);
    AddMenuItem(kSpeedMiddle, 1, "Middle", "", "", "", "", kPlainItem);
    AddMenuItem(kSpeedFast, 2, "Fast", "", "", "", "", kPlainItem);

    StartWorker();
    readingText = "$INIT$";
    SetRangeMode("Manual");
    unit = "AAC";
    unitPrefix = " ";
    SetRangeText("10A");
    speed = "Slow";

    RegisterSetting("Rel", [this] { ApplyRel(); });
    RegisterSetting("Range", [this] { ApplyRange(); });
    RegisterSetting("Speed", [this] { ApplySpeed(); });
}

void CZANFunctionACI::LoadSettings()
{
    LoadRangeAndSpeed();
    LoadRel();
    CZANFunction::LoadSettings();
}

void CZANFunctionACI::Activate()
{
    ShowRangeAndSpeed(kRangeOptions);
    FinishActivate();
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

void CZANFunctionACI::SetRangeText(const std::string& text)
{
    rangeText = text;
    unitPrefix = text.find("mA") != std::string::npos ? "m" : " ";
}

std::string CZANFunctionACI::GetBaseUnit()
{
    return "A";
}
