#include "functions/CZANScaledFunction.h"

#include "scpi/Commands.h"

using namespace voltora::scpi;

CZANScaledFunction::CZANScaledFunction(IFrontPanel* panel, const char* name,
                                       const Commands& commands, const MenuIds& ids,
                                       bool tellViewsUnit)
    : CZANRangedFunction(panel, name, commands, ids), tellViewsUnit_(tellViewsUnit)
{
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
