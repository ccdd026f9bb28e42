#pragma once

// Widget tests need one QApplication for the whole test program. It is made
// before the first test runs (offscreen unless QT_QPA_PLATFORM says otherwise).
namespace voltora::panel::test {

// True once the application exists; tests call it to document the dependency.
bool QtApplicationReady();

}  // namespace voltora::panel::test
