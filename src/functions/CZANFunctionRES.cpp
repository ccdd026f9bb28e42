#include "functions/CZANFunctionRES.h"

#include "scpi/Commands.h"

using namespace voltora::scpi;
using namespace voltora::functions;

namespace {

static_assert(CZANFunctionResistance::HasItemLayout<CZANFunctionRES>());

constexpr ResistanceCommands kRESCommands{
    .setRange = SetResRange,
    .queryRangeAuto = QueryResRangeAuto,
    .queryRange = QueryResRange,
    .setSpeed = SetResSpeed,
    .querySpeed = QueryResSpeed,
    .setNull = SetResNull,
    .queryNull = QueryResNull,
    .setNullValue = SetResNullValue,
    .queryNullValue = QueryResNullValue,
};

}  // namespace

CZANFunctionRES::CZANFunctionRES(IFrontPanel* frontPanel)
    : CZANFunctionResistance(frontPanel, "2 Wire Resistance", kRangeItem, kRESCommands)
{
}

CZANFunctionRES::~CZANFunctionRES()
{
    // The worker runs the base's operations: stop it before any part of the object goes.
    StopWorker();
}
