#include "functions/CZANScaledFunction.h"

#include "platform/CNumbers.h"
#include "platform/Clock.h"
#include "scpi/Commands.h"
#include "scpi/MathCommands.h"

#include <cmath>

using namespace voltora::scpi;
using namespace voltora::functions;

using voltora::platform::SleepMs;

CZANScaledFunction::CZANScaledFunction(IFrontPanel* frontPanel, const char* displayName,
                                       const Commands& commands, const MenuIds& ids,
                                       const Profile& profile, bool tellViewsUnit)
    : CZANRangedFunction(frontPanel, displayName, commands, ids, profile), tellViewsUnit_(tellViewsUnit)
{
}

void CZANScaledFunction::Initialise()
{
    CZANRangedFunction::Initialise();
    mathInfo.available = 1;
}

std::string CZANScaledFunction::GetValueText()
{
    const std::string reading = readingText.Get();
    if (IsPlaceholderReading(reading)) {
        return reading;
    }
    if (mathInfo.mode != 0) {
        return FormatScaledReading(reading, mathInfo);
    }
    return FormatValue(reading);
}

std::string CZANScaledFunction::GetUnitText()
{
    if (!IsPlaceholderReading(readingText.Get()) && mathInfo.mode != 0) {
        return mathInfo.prefix + mathInfo.unitText;
    }
    return CZANRangedFunction::GetUnitText();
}

bool CZANScaledFunction::LoadMathInfo()
{
    return LoadScaleInfo(mathInfo);
}

MathInfo CZANScaledFunction::GetMathInfo()
{
    return mathInfo;
}

void CZANScaledFunction::SetMathMode(int state)
{
    SendScaleSetting(SetScaleState, state, mathInfo.mode);
}

void CZANScaledFunction::SetMathUnitText(const std::string& text)
{
    SendScaleFunction(mathInfo, text, tellViewsUnit_);
}

void CZANScaledFunction::SetMathDbReference(int reference)
{
    SendScaleSetting(SetDbReference, reference, mathInfo.dbReference);
}

void CZANScaledFunction::SetMathDbmReference(int reference)
{
    SendScaleSetting(SetDbmReference, reference, mathInfo.dbmReference);
}

void CZANScaledFunction::SetMathReferenceAuto(int state)
{
    SendScaleSetting(SetScaleReferenceAuto, state, mathInfo.referenceAuto);
}

// ---- dB/dBm scale -------------------------------------------------------------------------

bool CZANScaledFunction::LoadScaleInfo(MathInfo& info)
{
    info.mode = QueryScaleState();
    info.unitText = QueryScaleFunction();
    info.dbmReference = QueryDbmReference();
    info.dbReference = QueryDbReference();
    info.available = 1;
    info.referenceAuto = QueryScaleReferenceAuto();
    return true;
}

void CZANScaledFunction::SendScaleSetting(bool (*command)(int), int value, int& field)
{
    PauseGuard paused(*this);
    command(value);
    SleepMs(100);
    field = value;
}

void CZANScaledFunction::SendScaleFunction(MathInfo& info, const std::string& text, bool tellViews)
{
    PauseGuard paused(*this);
    SetScaleFunction(text);
    SleepMs(100);
    info.unitText = text == "DB" ? "dB" : "dBm";
    if (tellViews && Panel() != nullptr) {
        Panel()->SetViewsUnit(info.unitText);
    }
}

std::string CZANScaledFunction::FormatScaledReading(const std::string& reading, MathInfo& info)
{
    double x = voltora::platform::CAtof(reading);
    if (std::fabs(x) < 1.0) {
        x *= 1000.0;
        info.prefix = "m";
    } else {
        info.prefix.clear();
    }
    std::string text = voltora::platform::CFormat("%.2f", x);
    if (text.find('-') == std::string::npos && text.find('+') == std::string::npos) {
        text.insert(0, "+");
    }
    return text;
}
