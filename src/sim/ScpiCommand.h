#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace voltora::sim {

// One program message unit as the meter reads it: a header made of
// mnemonics, an optional "?" and the arguments after the first blank.
//
// Mnemonics are normalised to their short form in capitals, so that
// "CALCulate:AVERage:ALL?", "calc:aver:all?" and "CALC:AVER:ALL?" all arrive
// as {"CALC", "AVER", "ALL"}. A mnemonic that is neither the short nor the
// long form of a known one (for example "CALCUL") is kept in capitals as it
// stands, and so matches nothing.
struct ScpiCommand {
    std::vector<std::string> path;
    bool query = false;
    // Arguments split at commas outside quotes, blanks around them removed;
    // quotes are kept.
    std::vector<std::string> arguments;
    // Everything after the header, blanks around it removed.
    std::string argumentText;

    // True when the path is exactly the given mnemonics (short forms).
    bool Is(std::initializer_list<std::string_view> mnemonics) const;
    // True when the path starts with the given mnemonics.
    bool StartsWith(std::initializer_list<std::string_view> mnemonics) const;
};

// Splits a program message at ";" outside quotes, drops the line terminator
// and empty units.
std::vector<std::string_view> SplitProgramMessage(std::string_view message);

// Parses one program message unit; an empty header gives an empty path.
ScpiCommand ParseCommand(std::string_view unit);

// The short form of one mnemonic (any case), or the mnemonic in capitals when
// it is not a known long or short form.
std::string NormaliseMnemonic(std::string_view mnemonic);

// Normalises a colon-separated path ("volt:dc" gives "VOLT:DC"); used for the
// quoted function argument of "FUNC".
std::string NormalisePath(std::string_view path);

// Removes one pair of surrounding single or double quotes.
std::string_view Unquote(std::string_view text);

}  // namespace voltora::sim
