#pragma once

#include <cstddef>
#include <span>
#include <string_view>

namespace voltora::functions {

// One option of a soft-key option group: the label the meter's setting reads
// as, and the menu item that shows it.
struct MenuOption {
    const char* label;
    int id;
};

// The item id of the option labelled `label` (exact comparison), 0 if none.
template <std::size_t N>
int MenuOptionFor(const MenuOption (&options)[N], std::string_view label)
{
    for (const MenuOption& option : options) {
        if (label == option.label) {
            return option.id;
        }
    }
    return 0;
}

// The same over a table whose length is known only at run time.
inline int MenuOptionFor(std::span<const MenuOption> options, std::string_view label)
{
    for (const MenuOption& option : options) {
        if (label == option.label) {
            return option.id;
        }
    }
    return 0;
}

}  // namespace voltora::functions
