#pragma once

#include <functional>
#include <string>

namespace voltora::link {

// Where the connection's error messages go. Headless tools print them; the
// desktop program shows them as modal boxes on its user-interface thread.
// A sink may be called from any thread and must not block on another
// thread (the desktop program posts the message to its UI thread).
using MessageSink = std::function<void(const std::string& text, const std::string& caption)>;

// Installs `sink`; an empty sink restores the default (standard error).
void SetMessageSink(MessageSink sink);

// Reports one message through the current sink.
void ShowMessage(const std::string& text, const std::string& caption);

}  // namespace voltora::link
