#include "functions/CZANThresholdFunction.h"

#include "functions/MenuRows.h"
#include "platform/Clock.h"
#include "scpi/Commands.h"

using namespace voltora::functions;

using voltora::platform::SleepMs;
using namespace voltora::scpi;

CZANThresholdFunction::CZANThresholdFunction(IFrontPanel* frontPanel, const char* displayName,
                                             const char* thresholdUnit, int thresholdLimit,
                                             int startThreshold, const char* displayUnit,
                                             int beeperItemId, int thresholdItemId)
    : CZANFunction(frontPanel, displayName),
      beeperItem(beeperItemId),
      entry(thresholdUnit, thresholdLimit),
      initialThreshold(startThreshold),
      unit(displayUnit),
      thresholdItem(thresholdItemId)
{
}

void CZANThresholdFunction::Initialise()
{
    CZANFunction::Initialise();

    // The same two rows for continuity and the diode test, under their ids.
    const voltora::functions::MenuItemSpec rows[] = {
        voltora::functions::menu_rows::Switch(beeperItem, 0, "Beeper", "On", "Off"),
        voltora::functions::menu_rows::Option(thresholdItem, 1, "Threshold"),
    };
    BuildMenu(rows);

    StartWorker();
    readingText = "open";
    beeper = "On";
    threshold = entry.Text(initialThreshold);

    RegisterSetting("Beeper", [this] { ApplyBeeper(); });
    RegisterSetting("Threshold", [this] { ApplyThreshold(); });
}

void CZANThresholdFunction::Activate()
{
    Item(beeperItem)->ShowLeftRight(beeper.Get());
    ShowPage({beeperItem, thresholdItem});
    if (Panel() != nullptr) {
        Panel()->SetViewsUnit(GetBaseUnit());
    }
}

void CZANThresholdFunction::PressKey(int key)
{
    CZANFunction::PressKey(key);
    std::string text = threshold.Get();
    if (entry.PressArrow(key, text)) {
        threshold = text;
        MarkPending("Threshold");
    }
}

void CZANThresholdFunction::ApplyBeeper()
{
    SetBeeper(beeper.Get());
    SleepMs(100);
}

bool CZANThresholdFunction::FetchReading()
{
    return FetchReadingWith(QueryContinuityReading);
}

std::string CZANThresholdFunction::GetUnitText()
{
    return unit;
}

// No ranges and no relative value.

std::string CZANThresholdFunction::GetRangeModeText()
{
    return {};
}

bool CZANThresholdFunction::UpdateAutoRange()
{
    return true;
}

void CZANThresholdFunction::SetRangeText(const std::string&)
{
}

std::string CZANThresholdFunction::GetRangeText()
{
    return {};
}

void CZANThresholdFunction::SetRelValue(const std::string&)
{
}

// ---- Numeric entry ----------------------------------------------------------------------

bool CZANThresholdFunction::IsEntryActive()
{
    return true;
}

std::string CZANThresholdFunction::GetEntryText()
{
    return threshold.Get();
}

int CZANThresholdFunction::GetEntryCursor()
{
    return entry.Cursor();
}
