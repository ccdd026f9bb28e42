#pragma once

#include <functional>
#include <string>
#include <vector>

class CConectWithNI;
class CZANDlg;

// The program: answers --help and --version, or brings up the main window
// (connected at start when the command line names a meter), runs it
// modally and returns when it has ended.
class CZANApp {
public:
    // Called with the main window once it is built, just before it is shown
    // and run: lets a program built on this one (a guided tour, a start-up
    // measurement) watch or drive the window.
    using StartupHook = std::function<void(CZANDlg& window)>;

    // The exit code of the program. `connection` is the program's one
    // session with a meter, handed to the main window.
    static int Run(int argc, char** argv, CConectWithNI& connection,
                   const StartupHook& startupHook = {});

private:
    static std::vector<std::string> Arguments(int argc, char** argv);
};
