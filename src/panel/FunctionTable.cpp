#include "panel/FunctionTable.h"

#include "functions/CZANFunctionACI.h"
#include "functions/CZANFunctionACV.h"
#include "functions/CZANFunctionCap.h"
#include "functions/CZANFunctionCont.h"
#include "functions/CZANFunctionDCI.h"
#include "functions/CZANFunctionDCV.h"
#include "functions/CZANFunctionDiode.h"
#include "functions/CZANFunctionFRES.h"
#include "functions/CZANFunctionFreqPer.h"
#include "functions/CZANFunctionRES.h"
#include "functions/CZANFunctionTemperature.h"

using namespace voltora::functions;

namespace voltora::panel {

namespace {

template <typename Function>
std::unique_ptr<CZANFunction> Create(IFrontPanel* panel)
{
    auto function = std::make_unique<Function>(panel);
    function->Initialise();
    return function;
}

}  // namespace

FunctionTable::~FunctionTable()
{
    // Each worker may still call its object; end them all before any object
    // goes, newest first (the subclasses' destructors would join them too,
    // one by one).
    StopAll();
    while (!owned_.empty()) {
        owned_.pop_back();
    }
}

void FunctionTable::Build(IFrontPanel* panel)
{
    if (!owned_.empty()) {
        return;
    }
    Enter("VOLT", Create<CZANFunctionDCV>(panel));
    Enter("CURR", Create<CZANFunctionDCI>(panel));
    Enter("VOLT:AC", Create<CZANFunctionACV>(panel));
    Enter("CURR:AC", Create<CZANFunctionACI>(panel));
    Enter("RES", Create<CZANFunctionRES>(panel));
    Enter("FRES", Create<CZANFunctionFRES>(panel));
    Enter("CAP", Create<CZANFunctionCap>(panel));
    Enter("FREQ", Create<CZANFunctionFreqPer>(panel));
    EnterAgain("PER", "FREQ");
    Enter("CONT", Create<CZANFunctionCont>(panel));
    Enter("DIOD", Create<CZANFunctionDiode>(panel));
    Enter("TEMP", Create<CZANFunctionTemperature>(panel));
}

void FunctionTable::Enter(const std::string& keyWord, std::unique_ptr<CZANFunction> function)
{
    keyWords_.push_back(keyWord);
    byKeyWord_[keyWord] = function.get();
    owned_.push_back(std::move(function));
}

void FunctionTable::EnterAgain(const std::string& keyWord, const std::string& existingKeyWord)
{
    keyWords_.push_back(keyWord);
    byKeyWord_[keyWord] = Find(existingKeyWord);
}

CZANFunction* FunctionTable::Find(const std::string& keyWord) const
{
    const auto found = byKeyWord_.find(keyWord);
    return found != byKeyWord_.end() ? found->second : nullptr;
}

std::vector<CZANFunction*> FunctionTable::Objects() const
{
    std::vector<CZANFunction*> objects;
    objects.reserve(owned_.size());
    for (const auto& function : owned_) {
        objects.push_back(function.get());
    }
    return objects;
}

void FunctionTable::StopAll()
{
    for (const auto& function : owned_) {
        function->StopWorker();
    }
}

}  // namespace voltora::panel
