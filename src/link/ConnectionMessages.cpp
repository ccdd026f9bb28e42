#include "link/ConnectionMessages.h"

#include <cstdio>
#include <mutex>

namespace voltora::link {
namespace {

std::mutex sinkMutex;
MessageSink& CurrentSink()
{
    static MessageSink sink;
    return sink;
}

void PrintToStandardError(const std::string& text, const std::string& caption)
{
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
}

}  // namespace

void SetMessageSink(MessageSink sink)
{
    std::lock_guard<std::mutex> guard(sinkMutex);
    CurrentSink() = std::move(sink);
}

void ShowMessage(const std::string& text, const std::string& caption)
{
    MessageSink sink;
    {
        std::lock_guard<std::mutex> guard(sinkMutex);
        sink = CurrentSink();
    }
    if (sink) {
        sink(text, caption);
    } else {
        PrintToStandardError(text, caption);
    }
}

}  // namespace voltora::link
