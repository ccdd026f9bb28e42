#pragma once

#include <string>

namespace voltora::app {

// The resource string of the last successful connect, kept between runs in
// the user's settings (organisation and program "Voltora", INI format,
// key "connection/lastResource"); empty when none was kept.
std::string LoadLastResource();
void SaveLastResource(const std::string& resource);

}  // namespace voltora::app
