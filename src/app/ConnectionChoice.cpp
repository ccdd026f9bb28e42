#include "app/ConnectionChoice.h"

#include "platform/CNumbers.h"

#include <algorithm>

namespace voltora::app {
namespace {

std::string_view Trimmed(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

}  // namespace

std::string UsbRowText(const std::string& model, const std::string& resource)
{
    return model + " \"" + resource + "\"";
}

int PreferredUsbRow(const std::vector<std::string>& models)
{
    if (models.empty()) {
        return -1;
    }
    int row = 0;
    for (std::size_t i = 0; i < models.size(); ++i) {
        if (models[i].find("ZAN") != std::string::npos) {
            row = static_cast<int>(i);
        }
    }
    return row;
}

std::string FoundInstrumentText(const visa::FoundInstrument& instrument)
{
    return instrument.address + "  " +
           (instrument.identity.empty() ? std::string("(no identity)") : instrument.identity);
}

std::string Vxi11Resource(const std::string& address)
{
    return "TCPIP0::" + address + "::inst0::INSTR";
}

std::string DottedAddress(std::string_view typed)
{
    std::string compact;
    for (const char ch : typed) {
        if (ch != ' ' && ch != '\t') {
            compact += ch;
        }
    }
    std::string dotted;
    std::size_t start = 0;
    for (int field = 0; field < 4; ++field) {
        int value = 0;
        if (start <= compact.size()) {
            const std::size_t dot = compact.find('.', start);
            const std::string_view piece =
                std::string_view(compact).substr(start, dot == std::string::npos ? std::string::npos : dot - start);
            value = std::clamp(voltora::platform::CAtoi(piece), 0, 255);
            start = dot == std::string::npos ? compact.size() + 1 : dot + 1;
        }
        if (field > 0) {
            dotted += '.';
        }
        dotted += voltora::platform::CFormat("%d", value);
    }
    return dotted;
}

std::string ChosenUsbResource(const std::vector<std::string>& resources,
                              const std::vector<std::string>& rowTexts, int current,
                              const std::string& shown)
{
    if (current >= 0 && static_cast<std::size_t>(current) < resources.size() &&
        static_cast<std::size_t>(current) < rowTexts.size() && rowTexts[current] == shown) {
        return resources[current];
    }
    const std::string_view text = Trimmed(shown);
    const auto first = text.find('"');
    const auto last = text.rfind('"');
    if (first != std::string_view::npos && last != first) {
        return std::string(Trimmed(text.substr(first + 1, last - first - 1)));
    }
    return std::string(text);
}

}  // namespace voltora::app
