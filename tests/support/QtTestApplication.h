#pragma once

// A test program linking voltora_testing_gui gets its main() from there: it
// makes one QApplication for the whole program before the first test runs
// (offscreen unless QT_QPA_PLATFORM says otherwise, the program's settings
// in a directory of this run, never the user's own) and destroys it after
// the last. Listing the tests (--gtest_list_tests) makes none.
namespace voltora::testing {

// True once the application exists; tests call it to document the dependency.
bool QtApplicationReady();

}  // namespace voltora::testing
