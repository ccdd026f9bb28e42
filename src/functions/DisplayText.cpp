#include "functions/DisplayText.h"

#include "platform/TextConversion.h"

namespace voltora::functions {

namespace {

void ReplaceAll(std::wstring& text, std::wstring_view token, std::wstring_view drawn)
{
    std::size_t at = text.find(token);
    while (at != std::wstring::npos) {
        text.replace(at, token.size(), drawn);
        at = text.find(token, at + drawn.size());
    }
}

}  // namespace

std::wstring ToDisplayText(std::string_view text)
{
    std::wstring wide = voltora::platform::Utf8ToWide(text);
    if (wide.find(L'$') == std::wstring::npos) {
        return wide;
    }
    ReplaceAll(wide, L"$INIT$", L"\u25CF.\u25CF\u25CF\u25CF\u25CF\u25CF");
    ReplaceAll(wide, L"$T_C$", L"\u00B0C");
    ReplaceAll(wide, L"$T_F$", L"\u00B0F");
    ReplaceAll(wide, L"$OHM$", L"\u2126");
    return wide;
}

std::string ToNarrowText(std::wstring_view text)
{
    return voltora::platform::WideToUtf8(text);
}

}  // namespace voltora::functions
