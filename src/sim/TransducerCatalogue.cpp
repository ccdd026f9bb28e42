#include "sim/TransducerCatalogue.h"

#include "sim/NumberText.h"
#include "sim/TemperatureTables.h"

#include <algorithm>

namespace voltora::sim {

TransducerCatalogue::TransducerCatalogue() = default;

std::shared_ptr<const TransducerTable> TransducerCatalogue::Find(bool userDefined, bool rtd,
                                                                 std::string_view name) const
{
    for (const auto& table : ListOf(userDefined, rtd)) {
        if (table->Name() == name) {
            return table;
        }
    }
    return nullptr;
}

void TransducerCatalogue::AppendList(std::string& out, bool userDefined, bool rtd) const
{
    const List& list = ListOf(userDefined, rtd);
    if (list.empty()) {
        out += "NONE";
        return;
    }
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (i != 0) {
            out += ',';
        }
        AppendInteger(out, static_cast<long long>(i + 1));
        out += ' ';
        out += list[i]->Name();
    }
}

bool TransducerCatalogue::AddUserTable(bool rtd, std::string name, std::vector<TransducerPoint> points)
{
    const bool nameValid = !name.empty() && name.size() <= kMaxNameLength &&
                           name.find_first_of(" ,|;\"'\t\r\n") == std::string::npos;
    if (!nameValid || points.size() > kMaxPoints || !TransducerTable::Valid(points)) {
        return false;
    }
    List& list = rtd ? userResistanceThermometers_ : userThermocouples_;
    auto table = std::make_shared<const TransducerTable>(name, rtd, std::move(points));
    auto existing = std::find_if(list.begin(), list.end(), [&](const auto& t) { return t->Name() == name; });
    if (existing != list.end()) {
        *existing = std::move(table);
        return true;
    }
    if (list.size() >= kMaxUserTables) {
        return false;
    }
    list.push_back(std::move(table));
    return true;
}

const TransducerCatalogue::List& TransducerCatalogue::ListOf(bool userDefined, bool rtd) const
{
    if (userDefined) {
        return rtd ? userResistanceThermometers_ : userThermocouples_;
    }
    return rtd ? BuiltInResistanceThermometers() : BuiltInThermocouples();
}

}  // namespace voltora::sim
