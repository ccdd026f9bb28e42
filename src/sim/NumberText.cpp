#include "sim/NumberText.h"

#include <charconv>
#include <cstring>

namespace voltora::sim {

std::size_t WriteScientific(char* out, double value, int precision)
{
    if (value == 0.0) {
        value = 0.0;  // drops the sign of negative zero
    }
    char* cursor = out;
    if (!(value < 0.0)) {
        *cursor++ = '+';
    }
    const auto result = std::to_chars(cursor, out + kMaxScientificText, value,
                                      std::chars_format::scientific, precision);
    for (char* p = cursor; p != result.ptr; ++p) {
        if (*p == 'e') {
            *p = 'E';
        }
    }
    return static_cast<std::size_t>(result.ptr - out);
}

void AppendScientific(std::string& out, double value, int precision)
{
    char text[kMaxScientificText];
    out.append(text, WriteScientific(text, value, precision));
}

std::string ScientificText(double value, int precision)
{
    std::string text;
    AppendScientific(text, value, precision);
    return text;
}

void AppendInteger(std::string& out, long long value)
{
    char text[24];
    const auto result = std::to_chars(text, text + sizeof text, value);
    out.append(text, static_cast<std::size_t>(result.ptr - text));
}

}  // namespace voltora::sim
