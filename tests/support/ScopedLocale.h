#pragma once

#include <gtest/gtest.h>

#include <clocale>
#include <string>

namespace voltora::locale_test {

// Switches the process locale (all categories) for the lifetime of the
// object, as a desktop program does when it adopts the user's locale, and
// restores the previous one afterwards. Active() is false when the locale is
// not installed (scripts/setup.sh generates de_DE.UTF-8 and tr_TR.UTF-8).
class ScopedLocale {
public:
    explicit ScopedLocale(const char* name) : previous_(std::setlocale(LC_ALL, nullptr))
    {
        active_ = std::setlocale(LC_ALL, name) != nullptr;
    }
    ~ScopedLocale() { std::setlocale(LC_ALL, previous_.c_str()); }
    ScopedLocale(const ScopedLocale&) = delete;
    ScopedLocale& operator=(const ScopedLocale&) = delete;

    bool Active() const { return active_; }

private:
    std::string previous_;
    bool active_ = false;
};

}  // namespace voltora::locale_test

// Skips the test when the locale cannot be chosen.
#define VOLTORA_USE_LOCALE(variable, name)                                               \
    ::voltora::locale_test::ScopedLocale variable(name);                                    \
    if (!variable.Active()) {                                                            \
        GTEST_SKIP() << "locale " << (name) << " is not installed (scripts/setup.sh generates it)"; \
    }
