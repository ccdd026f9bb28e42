#pragma once

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace voltora::testing {

// A path for a file of this test process under $TMPDIR (or /tmp):
// "voltora-<pid>-<name>", so parallel test processes never share one.
inline std::string TempPath(const std::string& name)
{
    const char* dir = std::getenv("TMPDIR");
    return std::string(dir != nullptr ? dir : "/tmp") + "/voltora-" + std::to_string(getpid()) +
           "-" + name;
}

// A file's whole content, bytes as they are; empty when it cannot be read.
inline std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace voltora::testing
