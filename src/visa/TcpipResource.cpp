#include "visa/TcpipResource.h"

#include "visa/ResourceExpression.h"

#include <vector>

namespace voltora::visa {
namespace {

bool EqualsNoCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && StartsWithNoCase(a, b);
}

// Splits at "::", keeping a bracketed IPv6 address (which contains "::") whole.
std::vector<std::string_view> SplitFields(std::string_view text)
{
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    std::size_t i = 0;
    bool inBrackets = false;
    while (i < text.size()) {
        const char c = text[i];
        if (c == '[') {
            inBrackets = true;
        } else if (c == ']') {
            inBrackets = false;
        } else if (!inBrackets && c == ':' && i + 1 < text.size() && text[i + 1] == ':') {
            fields.push_back(text.substr(start, i - start));
            i += 2;
            start = i;
            continue;
        }
        ++i;
    }
    fields.push_back(text.substr(start));
    return fields;
}

// Reads a whole field of decimal digits; false when it is anything else.
bool ParseDecimal(std::string_view text, unsigned long maximum, unsigned long& value)
{
    if (text.empty() || text.size() > 10) {
        return false;
    }
    value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
        value = value * 10 + static_cast<unsigned long>(c - '0');
    }
    return value <= maximum;
}

}  // namespace

std::optional<TcpipResource> ParseTcpipResource(std::string_view resource)
{
    const std::vector<std::string_view> fields = SplitFields(resource);
    if (fields.size() < 2 || !StartsWithNoCase(fields[0], "TCPIP")) {
        return std::nullopt;
    }
    TcpipResource parsed;
    const std::string_view boardText = fields[0].substr(5);
    unsigned long board = 0;
    if (!boardText.empty() && !ParseDecimal(boardText, 65535, board)) {
        return std::nullopt;
    }
    parsed.board = static_cast<unsigned>(board);

    std::string_view host = fields[1];
    if (host.size() >= 2 && host.front() == '[' && host.back() == ']') {
        host = host.substr(1, host.size() - 2);
    }
    if (host.empty() || host.find_first_of(" \t[]") != std::string_view::npos) {
        return std::nullopt;
    }
    parsed.host.assign(host);

    std::vector<std::string_view> rest(fields.begin() + 2, fields.end());
    if (!rest.empty() && EqualsNoCase(rest.back(), "SOCKET")) {
        unsigned long port = 0;
        if (rest.size() != 2 || !ParseDecimal(rest[0], 65535, port) || port == 0) {
            return std::nullopt;
        }
        parsed.kind = TcpipResource::Kind::Socket;
        parsed.port = static_cast<std::uint16_t>(port);
        return parsed;
    }
    if (!rest.empty() && EqualsNoCase(rest.back(), "INSTR")) {
        rest.pop_back();
    }
    if (rest.size() > 1) {
        return std::nullopt;
    }
    if (rest.size() == 1) {
        if (rest[0].empty()) {
            return std::nullopt;
        }
        parsed.device.assign(rest[0]);
    }
    return parsed;
}

}  // namespace voltora::visa
