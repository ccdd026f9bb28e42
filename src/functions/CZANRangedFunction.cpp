#include "functions/CZANRangedFunction.h"

#include "functions/ReadingFormat.h"
#include "platform/Clock.h"
#include "scpi/Commands.h"

using namespace voltora::functions;

using voltora::platform::SleepMs;
using namespace voltora::scpi;

namespace {

constexpr const char* kSpeedLabels[] = {"Slow", "Middle", "Fast"};
constexpr int kSpeedCount = 3;

}  // namespace

CZANRangedFunction::CZANRangedFunction(IFrontPanel* frontPanel, const char* displayName,
                                       const Commands& commands, const MenuIds& ids,
                                       const Profile& profile)
    : CZANFunction(frontPanel, displayName), commands_(commands), ids_(ids), profile_(profile)
{
}

void CZANRangedFunction::Initialise()
{
    CZANFunction::Initialise();
    BuildMenu(profile_.menu);

    StartWorker();
    readingText = "$INIT$";
    SetRangeMode("Manual");
    unit = profile_.unit;
    SetRangeText(profile_.initialRange);
    if (ids_.speedItem != 0) {
        speed = "Slow";
    }

    RegisterSetting("Rel", [this] { ApplyRel(); });
    RegisterSetting("Range", [this] { ApplyRange(); });
    if (ids_.speedItem != 0) {
        RegisterSetting("Speed", [this] { ApplySpeed(); });
    }
    RegisterOwnSettings();
}

void CZANRangedFunction::LoadSettings()
{
    LoadRangeAndSpeed();
    LoadOwnSettings();
    LoadRel();
    LoadMathInfo();
    CZANFunction::LoadSettings();
}

void CZANRangedFunction::Activate()
{
    ShowRangeAndSpeed();
    ShowOwnSettings();
    Item(ids_.relItem)->ShowLeftRight(relState.Get());
    ShowRootPage();
    if (Panel() != nullptr) {
        Panel()->SetViewsUnit(GetBaseUnit());
    }
}

void CZANRangedFunction::SetRangeText(const std::string& text)
{
    rangeText = text;
    for (const PrefixRule& rule : profile_.prefixRules) {
        if (text.find(rule.text) != std::string::npos) {
            unitPrefix = rule.prefix;
            return;
        }
    }
    unitPrefix = profile_.otherPrefix;
}

std::string CZANRangedFunction::GetBaseUnit()
{
    return profile_.baseUnit;
}

void CZANRangedFunction::LoadRangeAndSpeed()
{
    rangeMode = commands_.queryRangeAuto();
    std::string label;
    commands_.queryRange(label);
    SetRangeText(label);
    if (commands_.querySpeed != nullptr) {
        speed = commands_.querySpeed();
    }
}

void CZANRangedFunction::LoadRel()
{
    relState = commands_.queryNull();
    relValue = commands_.queryNullValue();
}

void CZANRangedFunction::ShowRangeAndSpeed()
{
    const bool automatic = rangeMode == "Auto";
    const std::string range = automatic ? std::string("Auto") : rangeText.Get();
    const int rangeOption = automatic ? ids_.rangeAuto : MenuOptionFor(profile_.rangeOptions, range);
    Item(ids_.rangeItem)->SetValue(range);
    if (rangeOption != 0) {
        SelectOption(ids_.rangeAuto, ids_.rangeLast, rangeOption);
    }
    if (ids_.speedItem == 0) {
        return;
    }
    const std::string currentSpeed = speed.Get();
    Item(ids_.speedItem)->SetValue(currentSpeed);
    for (int i = 0; i < kSpeedCount; ++i) {
        if (currentSpeed == kSpeedLabels[i]) {
            SelectOption(ids_.speedSlow, ids_.speedSlow + kSpeedCount - 1, ids_.speedSlow + i);
        }
    }
}

bool CZANRangedFunction::OnCommonMenuItem(int id)
{
    const int speedFast = ids_.speedSlow + kSpeedCount - 1;
    if (id == ids_.relItem) {
        relState = Item(ids_.relItem)->ChosenLeftRight();
        MarkPending("Rel");
    } else if (ids_.speedItem != 0 && id == ids_.speedItem) {
        ShowPage({ids_.speedSlow, ids_.speedSlow + 1, speedFast});
    } else if (id >= ids_.rangeAuto && id <= ids_.rangeLast) {
        SelectOption(ids_.rangeAuto, ids_.rangeLast, id);
        Item(ids_.rangeItem)->SetValue(Item(id)->GetCaption());
        ShowPageAfterRangeChoice(id);
        // rangeText changes only when the worker applies the range.
        SetRangeMode(id == ids_.rangeAuto ? "Auto" : "Manual");
        MarkPending("Range");
    } else if (ids_.speedItem != 0 && id >= ids_.speedSlow && id <= speedFast) {
        SelectOption(ids_.speedSlow, speedFast, id);
        const std::string caption = Item(id)->GetCaption();
        Item(ids_.speedItem)->SetValue(caption);
        ShowRootPage();
        speed = caption;
        MarkPending("Speed");
    } else {
        return false;
    }
    return true;
}

void CZANRangedFunction::ShowPageAfterRangeChoice(int)
{
    ShowRootPage();
}

// ---- Apply handlers (worker, lock held) ---------------------------------------------

void CZANRangedFunction::ApplyRange()
{
    if (rangeMode == "Auto") {
        commands_.setRange("Auto");
    } else {
        SetRangeText(Item(ids_.rangeItem)->GetValue());
        commands_.setRange(rangeText.Get());
        PostPanelMessage(WM_PANEL_DISPLAY);
    }
    SleepMs(300);
}

void CZANRangedFunction::ApplySpeed()
{
    commands_.setSpeed(speed.Get());
    SleepMs(100);
}

void CZANRangedFunction::ApplyRel()
{
    ApplyRelWith(commands_.setNull, commands_.queryNull, commands_.queryNullValue,
                 ids_.relItem);
}

void CZANRangedFunction::SetRelValue(const std::string& text)
{
    SendRelValue(text, -commands_.relLimit, commands_.relLimit, commands_.setNullValue,
                 commands_.queryNullValue);
}

// ---- Readings and texts -----------------------------------------------------------------

bool CZANRangedFunction::IsPlaceholderReading(const std::string& reading)
{
    return reading == "Overload" || reading == "$INIT$";
}

bool CZANRangedFunction::FetchReading()
{
    return FetchReadingWith(QueryMeasurement);
}

void CZANRangedFunction::StartWorker()
{
    StartWorkerOfKind(WorkerKind::Standard);
}

bool CZANRangedFunction::UpdateAutoRange()
{
    std::string label;
    commands_.queryRange(label);
    if (label.empty()) {
        return false;
    }
    SetRangeText(label);
    return true;
}

int CZANRangedFunction::ReadingDigits()
{
    const std::string currentSpeed = speed.Get();
    return (currentSpeed == "Fast" || currentSpeed == "Middle") ? 7 : 8;
}

std::string CZANRangedFunction::FormatValue(const std::string& reading)
{
    ReadingFormat format;
    format.valueText = reading;
    format.rangeText = rangeText.Get();
    format.digits = ReadingDigits();
    FormatReading(format);
    unitPrefix = format.prefix;
    return format.signedText;
}

std::string CZANRangedFunction::GetValueText()
{
    const std::string reading = readingText.Get();
    return IsPlaceholderReading(reading) ? reading : FormatValue(reading);
}

std::string CZANRangedFunction::GetUnitText()
{
    return IsPlaceholderReading(readingText.Get()) ? unit : unitPrefix.Get() + unit;
}

std::string CZANRangedFunction::GetRangeModeText()
{
    return rangeMode.Get();
}

void CZANRangedFunction::SetRangeMode(const std::string& text)
{
    rangeMode = text;
}

std::string CZANRangedFunction::GetRangeText()
{
    return rangeText.Get();
}
