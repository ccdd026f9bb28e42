#include "functions/CZANFunctionCont.h"

#include "platform/CNumbers.h"
#include "scpi/Commands.h"

using namespace voltora::scpi;
using namespace voltora::functions;

namespace {

constexpr int kThresholdLimit = 2000;  // ohm
// Added to a reading's magnitude before it is written with one decimal: the
// single-precision value of 0.05.
constexpr double kHalfStep = static_cast<double>(0.05f);

}  // namespace

CZANFunctionCont::CZANFunctionCont(IFrontPanel* frontPanel)
    : CZANThresholdFunction(frontPanel, "Continuity", "$OHM$", kThresholdLimit, 50, "$OHM$", kBeeperItem,
                            kThresholdItem)
{
}

CZANFunctionCont::~CZANFunctionCont()
{
    StopWorker();
}

void CZANFunctionCont::LoadSettings()
{
    beeper = QueryBeeper();
    threshold = QueryContinuityThreshold() + " $OHM$";
    CZANFunction::LoadSettings();
}

void CZANFunctionCont::OnMenuItem(int id)
{
    // The Threshold key only opens the entry, which is always shown.
    if (id == kBeeperItem) {
        beeper = Item(kBeeperItem)->ChosenLeftRight();
        MarkPending("Beeper");
    }
}

// ---- Apply handlers (worker, lock held) ---------------------------------------------

void CZANFunctionCont::ApplyThreshold()
{
    // The four digits after the sign ("+0050 $OHM$" sends 0050). A text
    // without them (the read-back failed and no edit replaced it) is not sent.
    const std::string text = threshold.Get();
    if (voltora::functions::ThresholdEntry::HasDigits(text)) {
        SetContinuityThreshold(text.substr(1, 4));
    }
}

// ---- Readings and texts -----------------------------------------------------------------

std::string CZANFunctionCont::GetValueText()
{
    const std::string reading = readingText.Get();
    if (reading == "open" || reading == "$INIT$") {
        return reading;
    }
    double x = voltora::platform::CAtof(reading);
    if (x > 0) {
        x += kHalfStep;
    } else if (x < 0) {
        x -= kHalfStep;
    }
    std::string text = voltora::platform::CFormat("%.1f", x);
    if (x > 0 && text.find('+') == std::string::npos) {
        text = "+" + text;
    }
    return text;
}

std::string CZANFunctionCont::GetBaseUnit()
{
    return "$OHM$";
}

void CZANFunctionCont::StartWorker()
{
    StartWorkerOfKind(WorkerKind::Continuity);
}
