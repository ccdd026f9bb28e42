#pragma once

#include <string>
#include <string_view>

// Conversion between the program's narrow texts (UTF-8) and the wide texts
// the display layer draws (one wchar_t per Unicode code point, as on Linux).
namespace voltora::platform {

// Invalid or truncated UTF-8 sequences become U+FFFD, one per bad byte.
std::wstring Utf8ToWide(std::string_view text);
// Code points outside Unicode and lone surrogates become U+FFFD.
std::string WideToUtf8(std::wstring_view text);

}  // namespace voltora::platform
