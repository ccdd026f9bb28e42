#pragma once

#include "support/QtTestApplication.h"

// Widget tests need one QApplication for the whole test program; the shared
// Qt test start-up makes it before the first test runs.
namespace voltora::panel::test {

// True once the application exists; tests call it to document the dependency.
inline bool QtApplicationReady()
{
    return voltora::testing::QtApplicationReady();
}

}  // namespace voltora::panel::test
