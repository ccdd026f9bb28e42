#include "functions/CZANFunctionDiode.h"

#include "platform/CNumbers.h"
#include "scpi/Commands.h"

using namespace voltora::scpi;
using namespace voltora::functions;

namespace {

constexpr int kThresholdLimit = 4000;  // mV
// The display shows a sign and five further characters of the reading.
constexpr std::size_t kValueLength = 7;

}  // namespace

CZANFunctionDiode::CZANFunctionDiode(IFrontPanel* frontPanel)
    : CZANThresholdFunction(frontPanel, "Diode", "mV", kThresholdLimit, 2000, "VDC", kBeeperItem,
                            kThresholdItem)
{
}

CZANFunctionDiode::~CZANFunctionDiode()
{
    StopWorker();
}

void CZANFunctionDiode::LoadSettings()
{
    // The diode reads its own settings after the shared part.
    CZANFunction::LoadSettings();
    threshold = QueryDiodeThreshold() + " mV";
    beeper = QueryBeeper();
}

void CZANFunctionDiode::OnMenuItem(int)
{
    // Either key sends the beeper state: the Threshold key sends it again
    // unchanged.
    beeper = Item(kBeeperItem)->ChosenLeftRight();
    MarkPending("Beeper");
}

// ---- Apply handlers (worker, lock held) ---------------------------------------------

void CZANFunctionDiode::ApplyThreshold()
{
    // The meter takes volts: "+2000 mV" sends 2.000000. A text without its
    // digits (the read-back failed and no edit replaced it) is not sent.
    const std::string text = threshold.Get();
    if (voltora::functions::ThresholdEntry::HasDigits(text)) {
        SetDiodeThreshold(voltora::platform::CFormat("%5f", voltora::platform::CAtof(text) / 1000.0));
    }
}

// ---- Readings and texts -----------------------------------------------------------------

std::string CZANFunctionDiode::GetValueText()
{
    const std::string reading = readingText.Get();
    if (reading == "open" || reading == "$INIT$") {
        return reading;
    }
    // Adding 0.0 turns a negative zero into zero, which takes the "+" sign
    // (printf would write "-0.000000000000" and the text would carry both signs).
    const double x = voltora::platform::CAtof(reading) + 0.0;
    std::string text = voltora::platform::CFormat("%.12f", x);
    if (x >= 0) {
        text = "+" + text;
    }
    return text.substr(0, kValueLength);
}

std::string CZANFunctionDiode::GetBaseUnit()
{
    return "V";
}

void CZANFunctionDiode::StartWorker()
{
    StartWorkerOfKind(WorkerKind::Diode);
}
