#include "platform/CNumbers.h"

#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <locale.h>
#include <vector>

namespace voltora::platform {
namespace {

locale_t CLocale()
{
    // Created once and never freed: it lives as long as the process.
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
    return locale;
}

// Makes the C locale current on this thread for the lifetime of the object.
class ScopedCLocale {
public:
    ScopedCLocale() : previous_(uselocale(CLocale())) {}
    ~ScopedCLocale() { uselocale(previous_); }
    ScopedCLocale(const ScopedCLocale&) = delete;
    ScopedCLocale& operator=(const ScopedCLocale&) = delete;

private:
    locale_t previous_;
};

double StrtodInCLocale(std::string_view text)
{
    // strtod_l needs a NUL-terminated text; numbers are short, keep them on the stack.
    char buffer[128];
    std::string heap;
    const char* data;
    if (text.size() < sizeof buffer) {
        text.copy(buffer, text.size());
        buffer[text.size()] = '\0';
        data = buffer;
    } else {
        heap.assign(text);
        data = heap.c_str();
    }
    return strtod_l(data, nullptr, CLocale());
}

}  // namespace

double CAtof(std::string_view text)
{
    // Fast path for the decimal texts the meter sends (trend replies hold tens
    // of thousands of them): std::from_chars reads the same decimal and
    // inf/nan forms as strtod, correctly rounded and without any locale. It
    // accepts neither white space, a "+" sign nor hexadecimal, and reports
    // overflow and underflow instead of saturating; those cases fall back to
    // strtod_l, so the result is always what atof gives in the C locale.
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    if (i >= text.size() || text[i] == '+' || text[i] == '-') {
        return 0.0;
    }
    if (text[i] == '0' && i + 1 < text.size() && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        return StrtodInCLocale(text);
    }
    double value = 0.0;
    const auto result = std::from_chars(text.data() + i, text.data() + text.size(), value);
    if (result.ec == std::errc::invalid_argument) {
        return 0.0;
    }
    if (result.ec != std::errc()) {
        return StrtodInCLocale(text);
    }
    return negative ? -value : value;
}

int CAtoi(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1) {
            value = static_cast<long long>(INT_MAX) + 1;
        }
    }
    if (negative) {
        value = -value;
    }
    if (value > INT_MAX) {
        return INT_MAX;
    }
    if (value < INT_MIN) {
        return INT_MIN;
    }
    return static_cast<int>(value);
}

std::string CFormat(const char* format, ...)
{
    ScopedCLocale cLocale;
    char small[256];
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    const int needed = std::vsnprintf(small, sizeof small, format, args);
    va_end(args);
    if (needed < 0) {
        va_end(again);
        return {};
    }
    if (static_cast<std::size_t>(needed) < sizeof small) {
        va_end(again);
        return std::string(small, static_cast<std::size_t>(needed));
    }
    std::string result(static_cast<std::size_t>(needed) + 1, '\0');
    std::vsnprintf(result.data(), result.size(), format, again);
    va_end(again);
    result.resize(static_cast<std::size_t>(needed));
    return result;
}

}  // namespace voltora::platform
