#pragma once

#include <string>

namespace voltora::visa {

// A back-end that knows why an open failed beyond what a status code says
// (for example that the user lacks permission on a USB device, and which
// udev rule grants it) reports it here. The text is printed on standard
// error once and kept, so that a program can show it in its own message.
void ReportLinkProblem(const std::string& text);

// The last text reported; empty when none.
std::string LastLinkProblem();

// The last text reported, which is then forgotten: a caller that takes it
// before an open and again after it learns what that open reported.
std::string TakeLinkProblem();

}  // namespace voltora::visa
