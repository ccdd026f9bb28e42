#pragma once

#include "link/ConnectionMessages.h"

#include <mutex>
#include <string>
#include <vector>

namespace voltora::testing {

// Captures the connection's messages for the lifetime of the object.
class MessageRecorder {
public:
    struct Message {
        std::string text;
        std::string caption;
    };

    MessageRecorder()
    {
        link::SetMessageSink([this](const std::string& text, const std::string& caption) {
            std::lock_guard<std::mutex> guard(mutex_);
            messages_.push_back({text, caption});
        });
    }
    ~MessageRecorder() { link::SetMessageSink({}); }
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;

    std::vector<Message> Messages() const
    {
        std::lock_guard<std::mutex> guard(mutex_);
        return messages_;
    }
    std::vector<std::string> Texts() const
    {
        std::vector<std::string> texts;
        for (const auto& m : Messages()) {
            texts.push_back(m.text);
        }
        return texts;
    }

    void Clear()
    {
        std::lock_guard<std::mutex> guard(mutex_);
        messages_.clear();
    }

private:
    mutable std::mutex mutex_;
    std::vector<Message> messages_;
};

}  // namespace voltora::testing
