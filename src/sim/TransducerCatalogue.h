#pragma once

#include "sim/TransducerTable.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace voltora::sim {

// The transducer tables the meter holds, in four lists: built-in ("MANU
// DEFINE") and user ("USER DEFINE") definitions, each for thermocouples
// ("THER") and resistance thermometers ("RTD"). The built-in lists are fixed;
// the user lists start empty and keep what is stored in them.
class TransducerCatalogue {
public:
    // A user list holds at most this many tables, and names are at most
    // kMaxNameLength characters, so that every list and every transducer
    // reply fits the sizes clients read them with.
    static constexpr std::size_t kMaxUserTables = 10;
    static constexpr std::size_t kMaxNameLength = 12;
    static constexpr std::size_t kMaxPoints = 300;

    TransducerCatalogue();

    std::shared_ptr<const TransducerTable> Find(bool userDefined, bool rtd, std::string_view name) const;

    // "LIST?" reply body: "1 NAME,2 NAME" in list order, or "NONE".
    void AppendList(std::string& out, bool userDefined, bool rtd) const;

    // Stores a user table (replacing one of the same name). Refused: a name
    // that is empty, too long or holds a blank, "," or "|"; points that do
    // not rise in both columns or are more than kMaxPoints; a full list.
    bool AddUserTable(bool rtd, std::string name, std::vector<TransducerPoint> points);

private:
    using List = std::vector<std::shared_ptr<const TransducerTable>>;
    const List& ListOf(bool userDefined, bool rtd) const;

    List userThermocouples_;
    List userResistanceThermometers_;
};

}  // namespace voltora::sim
