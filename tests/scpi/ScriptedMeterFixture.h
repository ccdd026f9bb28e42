#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "support/ScriptedBackend.h"

namespace voltora::scpi::test {

// A scripted meter opened once per test suite through the process's single
// connection, so the command operations reach it exactly as they reach a real
// meter. Each test starts with no recorded writes, no queued replies and no
// recorded error messages.
class ScriptedMeterTest : public ::testing::Test {
protected:
    static constexpr const char* kResource = "SCRIPTED0::SCPI::INSTR";

    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override;

    // Every later message that contains "?" is answered with `reply`.
    static void AnswerQueries(std::string reply);
    // Queries get no answer: their read fails as after a lost reply.
    static void AnswerNothing();
    // Every message written since the test began, in order.
    static std::vector<std::string> Writes();
    // The error messages the connection reported since the test began.
    static std::vector<std::string> Messages();

    static std::shared_ptr<voltora::testing::ScriptedDevice> Device();
};

}  // namespace voltora::scpi::test
