#include "functions/CZANFunctionACV.h"

#include "scpi/Commands.h"

using namespace voltora::scpi;

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

}  // namespace

// The views keep their unit text until the next function or math-mode
// change; only DC voltage passes the scale unit on at once.
CZANFunctionACV::CZANFunctionACV(IFrontPanel* panel)
    : CZANScaledFunction(panel, "AC Voltage", kCommands, kIds, false)
{
}

CZANFunctionACV::~CZANFunctionACV()
{
    StopWorker();
}

void CZANFunctionACV::Initialise()
{
    CZANFunction::Initialise();

    AddMenuItem(kRangeItem, 0, "", "Range", "Auto", "", "", kPlainItem);
    AddMenuItem(kSpeedItem, 1, "", "Speed", "Slow", "", "", kPlainItem);
    AddMenuItem(kRelItem, 4, "", "Rel", "", "On", "Off", kLeftRightItem);
    AddMenuItem(kRangeAuto, 0, "Auto", "", "", "", "", kPlainItem);
    AddMenuItem(kRange200mV, 1, "200mV", "", "", "", "", kPlainItem);
    AddMenuItem(kRange2V, 2, "2V", "", "", "", "", kPlainItem);
    AddMenuItem(kRange20V, 3, "20V", "", "", "", "", kPlainItem);
    AddMenuItem(kRange200V, 4, "200V", "", "", "", "", kPlainItem);
    AddMenuItem(kRange750V, 5, "750V", "", "", "", "", kPlainItem);
    AddMenuItem(kSpeedSlow, 0, "Slow", "", "", "", "", kPlainItem);
    AddMenuItem(kSpeedMiddle, 1, "Middle", "", "", "", "", kPlainItem);
    AddMenuItem(kSpeedFast, 2, "Fast", "", "", "", "", kPlainItem);

    StartWorker();
    readingText = "$INIT$";
    SetRangeMode("Manual");
    unit = "VAC";
    unitPrefix = " ";
    SetRangeText("200mV");
    speed = "Slow";
    mathInfo.available = 1;

    RegisterSetting("Rel", [this] { ApplyRel(); });
    RegisterSetting("Range", [this] { ApplyRange(); });
    RegisterSetting("Speed", [this] { ApplySpeed(); });
}

void CZANFunctionACV::LoadSettings()
{
    LoadRangeAndSpeed();
    LoadRel();
    LoadMathInfo();
    CZANFunction::LoadSettings();
}

void CZANFunctionACV::Activate()
{
    ShowRangeAndSpeed(kRangeOptions);
    FinishActivate();
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

void CZANFunctionACV::SetRangeText(const std::string& text)
{
    rangeText = text;
    unitPrefix = text.find("mV") != std::string::npos ? "m" : " ";
}

std::string CZANFunctionACV::GetBaseUnit()
{
    return "V";
}
