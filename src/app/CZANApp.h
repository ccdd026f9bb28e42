#pragma once

#include <string>
#include <vector>

class CConectWithNI;

// The program: answers --help and --version, or brings up the main window
// (connected at start when the command line names a meter), runs it
// modally and returns when it has ended.
class CZANApp {
public:
    // The exit code of the program. `connection` is the program's one
    // session with a meter, handed to the main window.
    static int Run(int argc, char** argv, CConectWithNI& connection);

private:
    static std::vector<std::string> Arguments(int argc, char** argv);
};
