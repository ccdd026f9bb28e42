#pragma once

#include <string>
#include <vector>

// The program: answers --help and --version, or brings up the main window
// (connected at start when the command line names a meter), runs it
// modally and returns when it has ended.
class CZANApp {
public:
    // The exit code of the program.
    static int Run(int argc, char** argv);

private:
    static std::vector<std::string> Arguments(int argc, char** argv);
};
