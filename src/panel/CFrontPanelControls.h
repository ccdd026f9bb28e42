#pragma once

#include "panel/CFrontPanel.h"
#include "panel/SoftKeyLayout.h"
#include "panel/skin/SkinControl.h"

#include <array>

// The controls of the panel that every refresh touches, found once after
// the skin is loaded (a control the skin lacks stays null and is skipped).
struct CFrontPanel::Controls {
    explicit Controls(const voltora::panel::SkinWindow& window)
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
        for (int i = 0; i < voltora::panel::kEntryCellCount; ++i) {
            cells[static_cast<std::size_t>(i)] =
                window.FindControl(QStringLiteral("labelPop") + QString::number(i));
        }
    }

    voltora::panel::SkinControl* title;
    voltora::panel::SkinControl* main;
    voltora::panel::SkinControl* value;
    voltora::panel::SkinControl* range;
    voltora::panel::SkinControl* unit;
    voltora::panel::SkinControl* shift;
    voltora::panel::SkinControl* stop;
    voltora::panel::SkinControl* entry;
    voltora::panel::SkinControl* measuredStrip;
    voltora::panel::SkinControl* measuredValue;
    voltora::panel::SkinControl* measuredUnit;
    std::array<voltora::panel::SkinControl*, voltora::panel::kEntryCellCount> cells{};
};
