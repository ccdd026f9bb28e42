// Menu item ids are unique across all function classes: the panel and the
// items tell presses apart by id alone.

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

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>

using namespace voltora::functions;

namespace {

// Every function class, constructed without a panel.
std::vector<std::function<std::unique_ptr<CZANFunction>()>> AllFunctions()
{
    return {
        [] { return std::make_unique<CZANFunctionDCV>(nullptr); },
        [] { return std::make_unique<CZANFunctionDCI>(nullptr); },
        [] { return std::make_unique<CZANFunctionACV>(nullptr); },
        [] { return std::make_unique<CZANFunctionACI>(nullptr); },
        [] { return std::make_unique<CZANFunctionRES>(nullptr); },
        [] { return std::make_unique<CZANFunctionFRES>(nullptr); },
        [] { return std::make_unique<CZANFunctionCap>(nullptr); },
        [] { return std::make_unique<CZANFunctionFreqPer>(nullptr); },
        [] { return std::make_unique<CZANFunctionCont>(nullptr); },
        [] { return std::make_unique<CZANFunctionDiode>(nullptr); },
        [] { return std::make_unique<CZANFunctionTemperature>(nullptr); },
    };
}

}  // namespace

TEST(MenuIds, AreUniqueAcrossAllFunctions)
{
    std::map<int, std::string> owner;
    for (const auto& make : AllFunctions()) {
        auto function = make();
        function->Initialise();
        const std::string name = function->name.Get();
        const std::vector<int> ids = function->ItemIds();
        EXPECT_FALSE(ids.empty()) << name;
        for (const int id : ids) {
            const auto [it, inserted] = owner.emplace(id, name);
            EXPECT_TRUE(inserted) << "id " << id << " of " << name << " is also used by " << it->second;
        }
    }
}

TEST(MenuIds, DCVUsesOneToFifteenWithoutSix)
{
    CZANFunctionDCV function(nullptr);
    function.Initialise();
    EXPECT_EQ(function.ItemIds(), (std::vector<int>{1, 2, 3, 4, 5, 7, 8, 9, 10, 11, 12, 13, 14, 15}));
}
