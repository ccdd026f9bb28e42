// Drawing the panel from a function object: the display, the soft keys,
// the entry popup, the texts of each new reading and the run marker.

#include "panel/PanelDisplay.h"

#include "functions/CZANFunction.h"
#include "functions/DisplayText.h"

#include <algorithm>

using namespace voltora::functions;

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

namespace voltora::panel {

PanelDisplay::Controls::Controls(const SkinWindow& window)
    : title(window.FindControl(QStringLiteral("LabelTitle"))),
      main(window.FindControl(QStringLiteral("ContainerMain"))),
      value(window.FindControl(QStringLiteral("LabelValue"))),
      range(window.FindControl(QStringLiteral("LabelRange"))),
      unit(window.FindControl(QStringLiteral("LabelUnit"))),
      shift(window.FindControl(QStringLiteral("LabelShift"))),
      stop(window.FindControl(QStringLiteral("LabelStop"))),
      entry(window.FindControl(QStringLiteral("TinyMenu"))),
      measuredStrip(window.FindControl(QStringLiteral("ContainerTempMeasVal"))),
      measuredValue(window.FindControl(QStringLiteral("LabelTempMeasVal"))),
      measuredUnit(window.FindControl(QStringLiteral("LabelTempMeasValUnit")))
{
    for (int i = 0; i < kEntryCellCount; ++i) {
        cells[static_cast<std::size_t>(i)] = window.FindControl(QStringLiteral("labelPop") + QString::number(i));
    }
}

PanelDisplay::PanelDisplay(SkinWindow& window)
    : window_(window), controls_(window), softKeyNames_(BuildSoftKeyNameSets())
{
}

void PanelDisplay::SetControlText(SkinControl* control, const std::string& text)
{
    if (control != nullptr) {
        control->SetText(DisplayText(text));
    }
}

void PanelDisplay::Refresh(CZANFunction& function, bool shift, bool live)
{
    Controls& c = controls_;
    DisplayLayout layout = ComputeDisplayLayout(function, shift);
    if (!live) {
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
        const int width = window_.MeasureTextWidth(measured, c.title->FontIndex());
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
        RefreshEntryPopup(function);
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

void PanelDisplay::RefreshSoftKeys(CZANFunction& function)
{
    for (int i = 0; i < kSoftKeyCount; ++i) {
        const SoftKeyNameSet& names = softKeyNames_[static_cast<std::size_t>(i)];
        const SoftKeyLook look = LookOfSoftKey(function, i);
        if (SkinControl* container = window_.FindControl(QString::fromStdString(names.container))) {
            container->SetText(DisplayText(look.caption));
            container->SetBackgroundColor(look.background);
        }
        const auto paint = [this](const std::string& name, std::uint32_t colour, const std::string& text) {
            if (SkinControl* label = window_.FindControl(QString::fromStdString(name))) {
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

void PanelDisplay::RefreshEntryPopup(CZANFunction& function)
{
    const auto cells = LayoutEntryCells(function.GetEntryText(), function.GetEntryCursor());
    for (std::size_t i = 0; i < cells.size(); ++i) {
        SkinControl* cell = controls_.cells[i];
        if (cell == nullptr) {
            continue;
        }
        cell->SetText(DisplayText(cells[i].text));
        cell->SetBackgroundColor(cells[i].cursor ? kEntryCursorBackground : kEntryCellBackground);
    }
}

void PanelDisplay::ShowReading(ReadingTexts& texts, bool live)
{
    if (!live) {
        // A message announcing a reading of another function or session.
        texts.value = kNoReadingText;
        if (texts.measuredValue) {
            texts.measuredValue = std::string(kNoReadingText);
        }
    }
    Controls& c = controls_;
    if (texts.measuredValue) {
        SetControlText(c.measuredValue, *texts.measuredValue);
    }
    if (texts.measuredUnit) {
        SetControlText(c.measuredUnit, *texts.measuredUnit);
    }
    if (texts.range) {
        SetControlText(c.range, *texts.range);
    }
    SetControlText(c.value, texts.value);
    SetControlText(c.unit, texts.unit);
}

void PanelDisplay::ShowRunState(LinkState state, bool running)
{
    if (controls_.stop == nullptr) {
        return;
    }
    if (state == LinkState::LinkLost) {
        controls_.stop->SetText(QString::fromLatin1(kNoLinkText));
        controls_.stop->SetVisible(true);
        return;
    }
    controls_.stop->SetText(QString::fromLatin1(kStoppedText));
    controls_.stop->SetVisible(!running);
}

}  // namespace voltora::panel
