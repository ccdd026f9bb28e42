#include "visa/UsbResource.h"

#include "visa/ResourceExpression.h"

#include <vector>

namespace voltora::visa {
namespace {

std::vector<std::string_view> Split(std::string_view text)
{
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    for (std::size_t at = text.find("::"); at != std::string_view::npos;
         at = text.find("::", start)) {
        fields.push_back(text.substr(start, at - start));
        start = at + 2;
    }
    fields.push_back(text.substr(start));
    return fields;
}

// "0x" and hexadecimal digits, or decimal digits; at most `maximum`.
bool ParseNumber(std::string_view text, unsigned long maximum, unsigned long& value)
{
    unsigned base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty() || text.size() > 8) {
        return false;
    }
    value = 0;
    for (const char c : text) {
        unsigned digit = 0;
        if (c >= '0' && c <= '9') {
            digit = static_cast<unsigned>(c - '0');
        } else if (base == 16 && c >= 'a' && c <= 'f') {
            digit = static_cast<unsigned>(c - 'a' + 10);
        } else if (base == 16 && c >= 'A' && c <= 'F') {
            digit = static_cast<unsigned>(c - 'A' + 10);
        } else {
            return false;
        }
        value = value * base + digit;
    }
    return value <= maximum;
}

void AppendHex4(std::string& out, std::uint16_t value)
{
    static const char kDigits[] = "0123456789ABCDEF";
    out += "0x";
    for (int shift = 12; shift >= 0; shift -= 4) {
        out += kDigits[(value >> shift) & 0xF];
    }
}

}  // namespace

std::optional<UsbResource> ParseUsbResource(std::string_view resource)
{
    std::vector<std::string_view> fields = Split(resource);
    if (fields.size() < 4 || !StartsWithNoCase(fields[0], "USB")) {
        return std::nullopt;
    }
    if (fields.back().size() == 5 && StartsWithNoCase(fields.back(), "INSTR")) {
        fields.pop_back();
    } else {
        return std::nullopt;
    }
    if (fields.size() != 4 && fields.size() != 5) {
        return std::nullopt;
    }
    UsbResource parsed;
    unsigned long value = 0;
    const std::string_view board = fields[0].substr(3);
    if (!board.empty()) {
        if (board.find_first_not_of("0123456789") != std::string_view::npos ||
            !ParseNumber(board, 65535, value)) {
            return std::nullopt;
        }
        parsed.board = static_cast<unsigned>(value);
    }
    if (!ParseNumber(fields[1], 0xFFFF, value)) {
        return std::nullopt;
    }
    parsed.vendorId = static_cast<std::uint16_t>(value);
    if (!ParseNumber(fields[2], 0xFFFF, value)) {
        return std::nullopt;
    }
    parsed.productId = static_cast<std::uint16_t>(value);
    if (fields[3].empty()) {
        return std::nullopt;
    }
    parsed.serial.assign(fields[3]);
    if (fields.size() == 5) {
        if (fields[4].find_first_not_of("0123456789") != std::string_view::npos ||
            !ParseNumber(fields[4], 255, value)) {
            return std::nullopt;
        }
        parsed.interfaceNumber = static_cast<std::uint8_t>(value);
    }
    return parsed;
}

std::string FormatUsbResource(std::uint16_t vendorId, std::uint16_t productId,
                              const std::string& serial, std::uint8_t interfaceNumber)
{
    std::string resource = "USB0::";
    AppendHex4(resource, vendorId);
    resource += "::";
    AppendHex4(resource, productId);
    resource += "::";
    resource += serial.empty() ? UsbResource::kNoSerial : serial;
    if (interfaceNumber != 0) {
        resource += "::";
        if (interfaceNumber >= 100) {
            resource += static_cast<char>('0' + interfaceNumber / 100);
        }
        if (interfaceNumber >= 10) {
            resource += static_cast<char>('0' + interfaceNumber / 10 % 10);
        }
        resource += static_cast<char>('0' + interfaceNumber % 10);
    }
    resource += "::INSTR";
    return resource;
}

}  // namespace voltora::visa
