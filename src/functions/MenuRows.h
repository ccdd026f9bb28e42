#pragma once

#include "functions/MenuModel.h"

#include <algorithm>
#include <array>
#include <cstddef>

// The kinds of row a menu table is made of, and the rows several functions
// share. Every function's menu is one constant table of these, read by
// MenuModel::Build.
namespace voltora::functions::menu_rows {

// A setting: its name above its current value.
constexpr MenuItemSpec Setting(int id, int key, const char* name, const char* value)
{
    return {id, key, "", name, value, "", "", kPlainItem};
}

// A choice between two values, the chosen one marked.
constexpr MenuItemSpec Switch(int id, int key, const char* name, const char* left, const char* right)
{
    return {id, key, "", name, "", left, right, kLeftRightItem};
}

// A choice between the name and the value, the chosen one marked.
constexpr MenuItemSpec NameOrValue(int id, int key, const char* name, const char* value)
{
    return {id, key, "", name, value, "", "", kNameValueItem};
}

// An option or a page turn: a caption alone.
constexpr MenuItemSpec Option(int id, int key, const char* caption)
{
    return {id, key, caption, "", "", "", "", kPlainItem};
}

// The relative-value switch, on the fifth key.
constexpr MenuItemSpec Rel(int id)
{
    return Switch(id, 4, "Rel", "On", "Off");
}

// The speed options "Slow", "Middle", "Fast" on the first three keys.
constexpr std::array<MenuItemSpec, 3> SpeedOptions(int slowId)
{
    return {Option(slowId, 0, "Slow"), Option(slowId + 1, 1, "Middle"), Option(slowId + 2, 2, "Fast")};
}

// "Auto" and the voltage ranges 200 mV to 200 V on consecutive ids from
// `autoId`, then `topRange` ("1000V" or "750V").
constexpr std::array<MenuItemSpec, 6> VoltageRangeOptions(int autoId, const char* topRange)
{
    return {Option(autoId, 0, "Auto"),     Option(autoId + 1, 1, "200mV"), Option(autoId + 2, 2, "2V"),
            Option(autoId + 3, 3, "20V"),  Option(autoId + 4, 4, "200V"),  Option(autoId + 5, 5, topRange)};
}

// The rows of several tables as one table, in order.
template <std::size_t... N>
constexpr std::array<MenuItemSpec, (N + ...)> Join(const std::array<MenuItemSpec, N>&... parts)
{
    std::array<MenuItemSpec, (N + ...)> rows{};
    std::size_t at = 0;
    ((at = static_cast<std::size_t>(std::copy(parts.begin(), parts.end(), rows.begin() + at) - rows.begin())), ...);
    return rows;
}

}  // namespace voltora::functions::menu_rows
