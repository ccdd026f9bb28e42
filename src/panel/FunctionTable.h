#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

class CZANFunction;
class IFrontPanel;

// The front panel's measurement function objects: one per class, created and
// initialised in a fixed order, kept for the whole run and found by the key
// words the meter uses ("VOLT", "CURR:AC", ...). The frequency/period object
// stands under both "FREQ" and "PER".
namespace voltora::panel {

class FunctionTable {
public:
    FunctionTable() = default;
    // Stops and joins every worker before the objects go.
    ~FunctionTable();
    FunctionTable(const FunctionTable&) = delete;
    FunctionTable& operator=(const FunctionTable&) = delete;

    // Creates the eleven objects with `panel`, initialising each before it is
    // entered (their workers start suspended). Once only.
    void Build(IFrontPanel* panel);

    // The object under `keyWord` (compared byte-wise), or null.
    CZANFunction* Find(const std::string& keyWord) const;
    // The key words in table order ("VOLT", "CURR", ..., "FREQ", "PER", ..., "TEMP").
    const std::vector<std::string>& KeyWords() const { return keyWords_; }
    // The objects, each once, in creation order.
    std::vector<CZANFunction*> Objects() const;
    // Stops and joins every worker (running cleared); the objects stay.
    void StopAll();

private:
    void Enter(const std::string& keyWord, std::unique_ptr<CZANFunction> function);
    // A second key word for an object already entered.
    void EnterAgain(const std::string& keyWord, const std::string& existingKeyWord);

    std::vector<std::unique_ptr<CZANFunction>> owned_;
    std::map<std::string, CZANFunction*> byKeyWord_;
    std::vector<std::string> keyWords_;
};

}  // namespace voltora::panel
