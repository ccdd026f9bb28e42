// Drawing the panel from the current function: the display, the soft keys,
// the entry popup, and the texts of each new reading.

#include "panel/CFrontPanel.h"

#include "panel/CFrontPanelControls.h"
#include "panel/DisplayLayout.h"

#include "functions/CZANFunction.h"
#include "functions/DisplayText.h"
#include "functions/ViewFlags.h"

namespace {

// Longest part of the title that is measured.
constexpr int kTitleMeasureLimit = 64;
// Positions of the three labels inside ContainerMain.
constexpr int kValueX = 46;
constexpr int kRangeX = 113;
constexpr int kUnitX = 284;

QString DisplayText(const std::string& text)
{
    return QString::fromStdWString(ToDisplayText(text));
}

}  // namespace

using voltora::panel::SkinControl;

void CFrontPanel::SetControlText(SkinControl* control, const std::string& text)
{
    if (control != nullptr) {
        control->SetText(DisplayText(text));
    }
}

void CFrontPanel::RefreshDisplay()
{
    Controls& c = *controls;
    voltora::panel::DisplayLayout layout = voltora::panel::ComputeDisplayLayout(*current, shift);
    if (!HasLiveReading()) {
        // No reading of this connection yet: the start marker, not a value
        // left from an earlier connection or function.
        layout.value = kNoReadingText;
        if (layout.measuredValue) {
            layout.measuredValue = std::string(kNoReadingText);
        }
    }

    if (c.title != nullptr) {
        QString title = DisplayText(layout.title);
        QString measured = title.left(std::max<qsizetype>(0, title.size() - 1)).left(kTitleMeasureLimit);
        const int width = MeasureTextWidth(measured, c.title->FontIndex());
        c.title->SetRect(voltora::panel::kTitleLeft, voltora::panel::kTitleTop, voltora::panel::TitleRight(width),
                         voltora::panel::kTitleBottom);
        c.title->SetText(title);
    }
    if (c.entry != nullptr) {
        c.entry->SetVisible(layout.entryVisible);
    }
    if (c.measuredStrip != nullptr) {
        c.measuredStrip->SetVisible(layout.measuredStripVisible);
    }
    if (c.shift != nullptr) {
        c.shift->SetVisible(layout.shiftVisible);
    }

    SetControlText(c.value, layout.value);
    SetControlText(c.range, layout.range);
    SetControlText(c.unit, layout.unit);
    if (layout.measuredValue) {
        SetControlText(c.measuredValue, *layout.measuredValue);
    }
    if (layout.measuredUnit) {
        SetControlText(c.measuredUnit, *layout.measuredUnit);
    }
    if (layout.entryRect) {
        RefreshEntryPopup();
        if (c.entry != nullptr) {
            c.entry->SetRect(layout.entryRect->left, layout.entryRect->top, layout.entryRect->right,
                             layout.entryRect->bottom);
        }
    }

    const voltora::panel::PanelRect& box = layout.displayBox;
    if (c.main != nullptr) {
        c.main->SetRect(box.left, box.top, box.right, box.bottom);
    }
    if (c.value != nullptr) {
        c.value->SetPosition(kValueX, layout.valueRow);
    }
    if (c.range != nullptr) {
        c.range->SetPosition(kRangeX, layout.rangeRow);
    }
    if (c.unit != nullptr) {
        c.unit->SetPosition(kUnitX, layout.unitRow);
    }
}

void CFrontPanel::RefreshSoftKeys()
{
    for (int i = 0; i < voltora::panel::kSoftKeyCount; ++i) {
        const voltora::panel::SoftKeyNameSet& names = softKeyNames[static_cast<std::size_t>(i)];
        const voltora::panel::SoftKeyLook look = voltora::panel::LookOfSoftKey(*current, i);
        if (SkinControl* container = Control(QString::fromStdString(names.container))) {
            container->SetText(DisplayText(look.caption));
            container->SetBackgroundColor(look.background);
        }
        const auto paint = [this](const std::string& name, std::uint32_t colour, const std::string& text) {
            if (SkinControl* label = Control(QString::fromStdString(name))) {
                label->SetTextColor(colour);
                label->SetText(DisplayText(text));
            }
        };
        paint(names.name, look.nameColour, look.name);
        paint(names.value, look.valueColour, look.value);
        paint(names.leftValue, look.leftColour, look.leftValue);
        paint(names.rightValue, look.rightColour, look.rightValue);
    }
}

void CFrontPanel::RefreshEntryPopup()
{
    const auto cells = voltora::panel::LayoutEntryCells(current->GetEntryText(), current->GetEntryCursor());
    for (std::size_t i = 0; i < cells.size(); ++i) {
        SkinControl* cell = controls->cells[i];
        if (cell == nullptr) {
            continue;
        }
        cell->SetText(DisplayText(cells[i].text));
        cell->SetBackgroundColor(cells[i].cursor ? voltora::panel::kEntryCursorBackground
                                                 : voltora::panel::kEntryCellBackground);
    }
}

void CFrontPanel::OnNewReading()
{
    // The function may announce its next reading from now on; the texts
    // read below are at least as new as the one this message announced.
    current->AcknowledgeReading();
    const bool live = HasLiveReading();
    if (live && trendViewShown) {
        views.UpdateTrend();
    }
    if (live && histogramViewShown) {
        views.UpdateHistogram();
    }
    voltora::panel::ReadingTexts texts = voltora::panel::ComputeReadingTexts(*current);
    if (!live) {
        // A message announcing a reading of another function or session.
        texts.value = kNoReadingText;
        if (texts.measuredValue) {
            texts.measuredValue = std::string(kNoReadingText);
        }
    }
    valueText = texts.value;
    unitText = texts.unit;
    Controls& c = *controls;
    if (texts.measuredValue) {
        SetControlText(c.measuredValue, *texts.measuredValue);
    }
    if (texts.measuredUnit) {
        SetControlText(c.measuredUnit, *texts.measuredUnit);
    }
    if (live) {
        views.UpdateBar(current->GetReadingText());
    }
    if (texts.range) {
        SetControlText(c.range, *texts.range);
    }
    SetControlText(c.value, valueText);
    SetControlText(c.unit, unitText);
    if (live && mathViewShown) {
        views.UpdateStatistics(current->GetStatistics());
    }
}
