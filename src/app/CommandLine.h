#pragma once

#include <string>
#include <vector>

namespace voltora::app {

// What the command line asks for.
struct CommandLineOptions {
    // Connect at start to this resource, through the Connect menu's path;
    // empty: start unconnected.
    std::string resource;
    bool help = false;
    bool version = false;
    // Not empty when the command line could not be understood.
    std::string error;
};

// Reads `voltora [--simulate | --resource R] [--help] [--version]` from the
// arguments after the program name. "--simulate" stands for the built-in
// simulated meter's resource; "--resource R" and "--resource=R" name any
// resource.
CommandLineOptions ParseCommandLine(const std::vector<std::string>& arguments);

// The arguments without the desktop toolkit's own options (a single dash and
// a word, such as "-platform offscreen" or "-reverse", with the value that
// follows when it does not begin with a dash), so that the program's options
// can be checked before the toolkit starts. "-h" is the program's own.
std::vector<std::string> WithoutToolkitOptions(const std::vector<std::string>& arguments);

// The text printed for --help.
std::string UsageText();
// The version line printed for --version and shown by the About box.
std::string VersionLine();
// The program's version ("0.1.0").
std::string VersionText();

}  // namespace voltora::app
