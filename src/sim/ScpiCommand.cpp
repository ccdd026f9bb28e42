#include "sim/ScpiCommand.h"

#include "platform/AsciiCase.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace voltora::sim {
namespace {

struct Mnemonic {
    std::string_view shortForm;
    std::string_view longForm;
};

// Every mnemonic of the meter's command tree, short form and long form.
// Some short forms stand for two long forms in different branches
// (TRANsform/TRANsducer, REFresh/REFerence); the branch decides the meaning.
constexpr std::array kMnemonics{
    Mnemonic{"ABOR", "ABORT"},       Mnemonic{"AC", "AC"},
    Mnemonic{"ALL", "ALL"},          Mnemonic{"AUTO", "AUTO"},
    Mnemonic{"AVER", "AVERAGE"},     Mnemonic{"BEEP", "BEEPER"},
    Mnemonic{"CAD", "CAD"},          Mnemonic{"CALC", "CALCULATE"},
    Mnemonic{"CAP", "CAPACITANCE"},  Mnemonic{"CHAR", "CHART"},
    Mnemonic{"CLE", "CLEAR"},        Mnemonic{"CONT", "CONTINUITY"},
    Mnemonic{"COUN", "COUNT"},       Mnemonic{"CURR", "CURRENT"},
    Mnemonic{"DATA", "DATA"},        Mnemonic{"DB", "DB"},
    Mnemonic{"DBM", "DBM"},          Mnemonic{"DC", "DC"},
    Mnemonic{"DEL", "DELAY"},        Mnemonic{"DIOD", "DIODE"},
    Mnemonic{"ERR", "ERROR"},        Mnemonic{"FETC", "FETCH"},
    Mnemonic{"FILT", "FILTER"},      Mnemonic{"FREQ", "FREQUENCY"},
    Mnemonic{"FRES", "FRESISTANCE"}, Mnemonic{"FUNC", "FUNCTION"},
    Mnemonic{"HIST", "HISTOGRAM"},   Mnemonic{"IMM", "IMMEDIATE"},
    Mnemonic{"IMP", "IMPEDANCE"},    Mnemonic{"INIT", "INITIATE"},
    Mnemonic{"LAST", "LAST"},        Mnemonic{"LIM", "LIMIT"},
    Mnemonic{"LIST", "LIST"},        Mnemonic{"LOW", "LOWER"},
    Mnemonic{"MAX", "MAXIMUM"},      Mnemonic{"MDEF", "MDEF"},
    Mnemonic{"MIN", "MINIMUM"},      Mnemonic{"MOD", "MODE"},
    Mnemonic{"NEXT", "NEXT"},        Mnemonic{"NPLC", "NPLCYCLES"},
    Mnemonic{"NULL", "NULL"},        Mnemonic{"OUTP", "OUTPUT"},
    Mnemonic{"PER", "PERIOD"},       Mnemonic{"POIN", "POINTS"},
    Mnemonic{"PTP", "PTPEAK"},       Mnemonic{"RANG", "RANGE"},
    Mnemonic{"REF", "REFERENCE"},    Mnemonic{"REF", "REFRESH"},
    Mnemonic{"RES", "RESISTANCE"},   Mnemonic{"RTD", "RTD"},
    Mnemonic{"SAMP", "SAMPLE"},      Mnemonic{"SCAL", "SCALE"},
    Mnemonic{"SDEV", "SDEVIATION"},  Mnemonic{"SENS", "SENSE"},
    Mnemonic{"SLOP", "SLOPE"},       Mnemonic{"STAT", "STATE"},
    Mnemonic{"SYST", "SYSTEM"},      Mnemonic{"TEMP", "TEMPERATURE"},
    Mnemonic{"THER", "THERMOCOUPLE"}, Mnemonic{"THR", "THRESHOLD"},
    Mnemonic{"TRAN", "TRANSDUCER"},  Mnemonic{"TRAN", "TRANSFORM"},
    Mnemonic{"TREN", "TREND"},       Mnemonic{"TRIG", "TRIGGER"},
    Mnemonic{"TYPE", "TYPE"},        Mnemonic{"UDEF", "UDEF"},
    Mnemonic{"UNIT", "UNIT"},        Mnemonic{"UPP", "UPPER"},
    Mnemonic{"VAL", "VALUE"},        Mnemonic{"VOLT", "VOLTAGE"},
};

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string_view Trim(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// Splits at `separator` outside single or double quotes.
template <typename Visit>
void SplitOutsideQuotes(std::string_view text, char separator, Visit visit)
{
    char quote = 0;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quote != 0) {
            if (c == quote) {
                quote = 0;
            }
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == separator) {
            visit(text.substr(start, i - start));
            start = i + 1;
        }
    }
    visit(text.substr(start));
}

bool MatchesPath(const std::vector<std::string>& path, std::initializer_list<std::string_view> mnemonics,
                 bool whole)
{
    if (path.size() < mnemonics.size() || (whole && path.size() != mnemonics.size())) {
        return false;
    }
    return std::equal(mnemonics.begin(), mnemonics.end(), path.begin());
}

}  // namespace

bool ScpiCommand::Is(std::initializer_list<std::string_view> mnemonics) const
{
    return MatchesPath(path, mnemonics, true);
}

bool ScpiCommand::StartsWith(std::initializer_list<std::string_view> mnemonics) const
{
    return MatchesPath(path, mnemonics, false);
}

std::string NormaliseMnemonic(std::string_view mnemonic)
{
    const std::string upper = voltora::platform::AsciiToUpper(mnemonic);
    for (const Mnemonic& known : kMnemonics) {
        if (upper == known.shortForm || upper == known.longForm) {
            return std::string(known.shortForm);
        }
    }
    return upper;
}

std::string NormalisePath(std::string_view path)
{
    std::string normalised;
    SplitOutsideQuotes(Trim(path), ':', [&](std::string_view part) {
        if (part.empty()) {
            return;  // a leading colon, as in ":VOLT:DC"
        }
        if (!normalised.empty()) {
            normalised += ':';
        }
        normalised += NormaliseMnemonic(part);
    });
    return normalised;
}

std::string_view Unquote(std::string_view text)
{
    if (text.size() >= 2 && (text.front() == '"' || text.front() == '\'') && text.back() == text.front()) {
        return text.substr(1, text.size() - 2);
    }
    return text;
}

std::vector<std::string_view> SplitProgramMessage(std::string_view message)
{
    std::vector<std::string_view> units;
    SplitOutsideQuotes(message, ';', [&](std::string_view unit) {
        unit = Trim(unit);
        if (!unit.empty()) {
            units.push_back(unit);
        }
    });
    return units;
}

ScpiCommand ParseCommand(std::string_view unit)
{
    ScpiCommand command;
    unit = Trim(unit);
    std::size_t headerEnd = 0;
    while (headerEnd < unit.size() && !IsBlank(unit[headerEnd])) {
        ++headerEnd;
    }
    std::string_view header = unit.substr(0, headerEnd);
    if (!header.empty() && header.back() == '?') {
        command.query = true;
        header.remove_suffix(1);
    }
    std::size_t start = 0;
    while (start <= header.size()) {
        std::size_t colon = header.find(':', start);
        if (colon == std::string_view::npos) {
            colon = header.size();
        }
        if (colon > start) {
            command.path.push_back(NormaliseMnemonic(header.substr(start, colon - start)));
        }
        start = colon + 1;
    }
    command.argumentText = std::string(Trim(unit.substr(headerEnd)));
    if (!command.argumentText.empty()) {
        SplitOutsideQuotes(command.argumentText, ',', [&](std::string_view argument) {
            command.arguments.emplace_back(Trim(argument));
        });
    }
    return command;
}

}  // namespace voltora::sim
