#include "functions/CZANFunctionFRES.h"

#include "scpi/Commands.h"

using namespace voltora::scpi;
using namespace voltora::functions;

namespace {

static_assert(CZANFunctionResistance::HasItemLayout<CZANFunctionFRES>());

constexpr ResistanceCommands kFRESCommands{
    .setRange = SetFresRange,
    .queryRangeAuto = QueryFresRangeAuto,
    .queryRange = QueryFresRange,
    .setSpeed = SetFresSpeed,
    .querySpeed = QueryFresSpeed,
    .setNull = SetFresNull,
    .queryNull = QueryFresNull,
    .setNullValue = SetFresNullValue,
    .queryNullValue = QueryFresNullValue,
};

}  // namespace

CZANFunctionFRES::CZANFunctionFRES(IFrontPanel* frontPanel)
    : CZANFunctionResistance(frontPanel, "4 Wire Resistance", kRangeItem, kFRESCommands)
{
}

CZANFunctionFRES::~CZANFunctionFRES()
{
    // The worker runs the base's operations: stop it before any part of the object goes.
    StopWorker();
}
