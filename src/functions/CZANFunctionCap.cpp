#include "functions/CZANFunctionCap.h"

#include "scpi/Commands.h"

using namespace voltora::scpi;

namespace {

// The manual ranges; 20 uF and above sit on the second range page.
constexpr MenuOption kRangeOptions[] = {
    {"2nF", CZANFunctionCap::kRange2nF},     {"20nF", CZANFunctionCap::kRange20nF},
    {"200nF", CZANFunctionCap::kRange200nF}, {"2uF", CZANFunctionCap::kRange2uF},
    {"20uF", CZANFunctionCap::kRange20uF},   {"200uF", CZANFunctionCap::kRange200uF},
    {"10000uF", CZANFunctionCap::kRange10000uF},
};

// The meter keeps the null value in single precision: the limit is 0.012 as
// a float, not 0.012 exactly.
constexpr CZANRangedFunction::Commands kCommands = {
    SetCapRange, QueryCapRange, QueryCapRangeAuto, nullptr, nullptr, SetCapNull, QueryCapNull,
    SetCapNullValue, QueryCapNullValue, static_cast<double>(0.012f),
};

// No speed menu.
constexpr CZANRangedFunction::MenuIds kIds = {
    CZANFunctionCap::kRangeItem, 0, CZANFunctionCap::kRelItem,
    CZANFunctionCap::kRangeAuto, CZANFunctionCap::kRange10000uF, 0,
};

}  // namespace

CZANFunctionCap::CZANFunctionCap(IFrontPanel* panel)
    : CZANRangedFunction(panel, "Capacitance", kCommands, kIds)
{
}

CZANFunctionCap::~CZANFunctionCap()
{
    StopWorker();
}

void CZANFunctionCap::Initialise()
{
    CZANFunction::Initialise();

    AddMenuItem(kRangeItem, 0, "", "Range", "Auto", "", "", kPlainItem);
    AddMenuItem(kRelItem, 4, "", "Rel", "", "On", "Off", kLeftRightItem);
    AddMenuItem(kRangeAuto, 0, "Auto", "", "", "", "", kPlainItem);
    AddMenuItem(kRange2nF, 1, "2nF", "", "", "", "", kPlainItem);
    AddMenuItem(kRange20nF, 2, "20nF", "", "", "", "", kPlainItem);
    AddMenuItem(kRange200nF, 3, "200nF", "", "", "", "", kPlainItem);
    AddMenuItem(kRange2uF, 4, "2uF", "", "", "", "", kPlainItem);
    AddMenuItem(kRangeOther, 5, "other->", "", "", "", "", kPlainItem);
    AddMenuItem(kRange20uF, 0, "20uF", "", "", "", "", kPlainItem);
    AddMenuItem(kRange200uF, 1, "200uF", "", "", "", "", kPlainItem);
    AddMenuItem(kRange10000uF, 2, "10000uF", "", "", "", "", kPlainItem);
    AddMenuItem(kRangeBack, 3, "<-other", "", "", "", "", kPlainItem);

    StartWorker();
    readingText = "$INIT$";
    SetRangeMode("Manual");
    unit = "F";
    unitPrefix = "n";
    SetRangeText("200nF");

    RegisterSetting("Rel", [this] { ApplyRel(); });
    RegisterSetting("Range", [this] { ApplyRange(); });
}

void CZANFunctionCap::LoadSettings()
{
    LoadRangeAndSpeed();
    LoadRel();
    CZANFunction::LoadSettings();
}

void CZANFunctionCap::Activate()
{
    ShowRangeAndSpeed(kRangeOptions);
    FinishActivate();
}

void CZANFunctionCap::ShowRootPage()
{
    ShowPage({kRangeItem, kRelItem});
}

void CZANFunctionCap::ShowFirstRangePage()
{
    ShowPage({kRangeAuto, kRange2nF, kRange20nF, kRange200nF, kRange2uF, kRangeOther});
}

void CZANFunctionCap::OnMenuItem(int id)
{
    switch (id) {
    case kRangeItem:
    case kRangeBack:
        ShowFirstRangePage();
        return;
    case kRangeOther:
        // Only turns the page: nothing is chosen or marked.
        ShowPage({kRange20uF, kRange200uF, kRange10000uF, kRangeBack});
        return;
    default:
        OnCommonMenuItem(id);
        return;
    }
}

int CZANFunctionCap::ReadingDigits()
{
    return 6;
}

void CZANFunctionCap::SetRangeText(const std::string& text)
{
    rangeText = text;
    unitPrefix = text.find("nF") != std::string::npos ? "n" : "u";
}

std::string CZANFunctionCap::GetBaseUnit()
{
    return "F";
}

void CZANFunctionCap::StartWorker()
{
    StartWorkerOfKind(WorkerKind::Quiet);
}
