// The simulated meter runs inside the desktop program, which adopts the
// user's locale (LANG, LC_ALL) at start. The simulator's tests do the same,
// so running them under another locale shows what that locale would break.

#include <gtest/gtest.h>

#include <clocale>

namespace {

class DesktopLocaleEnvironment : public ::testing::Environment {
public:
    void SetUp() override { std::setlocale(LC_ALL, ""); }
    void TearDown() override { std::setlocale(LC_ALL, "C"); }
};

[[maybe_unused]] ::testing::Environment* const environment =
    ::testing::AddGlobalTestEnvironment(new DesktopLocaleEnvironment);

}  // namespace
