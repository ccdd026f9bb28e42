#include "functions/CZANFunctionCap.h"

#include "functions/MenuRows.h"
#include "scpi/Commands.h"

using namespace voltora::scpi;
using namespace voltora::functions;

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

using namespace voltora::functions::menu_rows;

constexpr voltora::functions::MenuItemSpec kMenu[] = {
    Setting(CZANFunctionCap::kRangeItem, 0, "Range", "Auto"),
    Rel(CZANFunctionCap::kRelItem),
    Option(CZANFunctionCap::kRangeAuto, 0, "Auto"),
    Option(CZANFunctionCap::kRange2nF, 1, "2nF"),
    Option(CZANFunctionCap::kRange20nF, 2, "20nF"),
    Option(CZANFunctionCap::kRange200nF, 3, "200nF"),
    Option(CZANFunctionCap::kRange2uF, 4, "2uF"),
    Option(CZANFunctionCap::kRangeOther, 5, "other->"),
    Option(CZANFunctionCap::kRange20uF, 0, "20uF"),
    Option(CZANFunctionCap::kRange200uF, 1, "200uF"),
    Option(CZANFunctionCap::kRange10000uF, 2, "10000uF"),
    Option(CZANFunctionCap::kRangeBack, 3, "<-other"),
};

constexpr CZANRangedFunction::PrefixRule kPrefixRules[] = {
    {"nF", "n"},
};

constexpr CZANRangedFunction::Profile kProfile = {
    kMenu, kRangeOptions, "F", "F", "200nF", kPrefixRules, "u",
};

}  // namespace

CZANFunctionCap::CZANFunctionCap(IFrontPanel* frontPanel)
    : CZANRangedFunction(frontPanel, "Capacitance", kCommands, kIds, kProfile)
{
}

CZANFunctionCap::~CZANFunctionCap()
{
    StopWorker();
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

void CZANFunctionCap::StartWorker()
{
    StartWorkerOfKind(WorkerKind::Quiet);
}
