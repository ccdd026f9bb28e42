#pragma once

#include "functions/CZANFunction.h"

#include <string>
#include <vector>

namespace voltora::functions::testing {

// What the six soft keys of `function` show, one text per key: the name of a
// setting item or the caption of an option item ("" for an empty key).
inline std::vector<std::string> KeyTexts(CZANFunction& function)
{
    std::vector<std::string> texts;
    for (int key = 0; key < 6; ++key) {
        texts.push_back(function.GetSoftKeyName(key) + function.GetSoftKeyCaption(key));
    }
    return texts;
}

// The values under the six soft keys.
inline std::vector<std::string> KeyValues(CZANFunction& function)
{
    std::vector<std::string> values;
    for (int key = 0; key < 6; ++key) {
        values.push_back(function.GetSoftKeyValue(key));
    }
    return values;
}

// The highlighted items among the ids first ... last.
inline std::vector<int> Highlighted(CZANFunction& function, int first, int last)
{
    std::vector<int> ids;
    for (int id = first; id <= last; ++id) {
        if (CZANMenuItem* item = function.Item(id); item != nullptr && item->IsHighlighted()) {
            ids.push_back(id);
        }
    }
    return ids;
}

// The writes cut into worker cycles, each starting at a reading query.
inline std::vector<std::vector<std::string>> Cycles(const std::vector<std::string>& writes)
{
    std::vector<std::vector<std::string>> cycles;
    for (const std::string& write : writes) {
        if (write == "DATA:LAST?") {
            cycles.emplace_back();
        }
        if (!cycles.empty()) {
            cycles.back().push_back(write);
        }
    }
    return cycles;
}

}  // namespace voltora::functions::testing
