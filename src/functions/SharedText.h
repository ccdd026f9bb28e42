#pragma once

#include <mutex>
#include <string>
#include <string_view>

namespace voltora::functions {

// A text member that one thread writes while another reads it (a reading, a
// range label, a setting changed by the user and sent by the worker). Every
// access copies under a short lock of the text's own, never held while
// anything else is done, so no reader sees a half-written text.
class SharedText {
public:
    SharedText() = default;
    SharedText(std::string text) : text_(std::move(text)) {}  // NOLINT: reads like a string
    SharedText(const char* text) : text_(text) {}               // NOLINT
    SharedText(const SharedText&) = delete;
    SharedText& operator=(const SharedText&) = delete;

    SharedText& operator=(std::string text)
    {
        Set(std::move(text));
        return *this;
    }
    SharedText& operator=(const char* text)
    {
        Set(text);
        return *this;
    }

    std::string Get() const
    {
        std::lock_guard<std::mutex> guard(mutex_);
        return text_;
    }
    operator std::string() const { return Get(); }  // NOLINT

    void Set(std::string text)
    {
        std::lock_guard<std::mutex> guard(mutex_);
        text_.swap(text);
    }

    bool Contains(std::string_view part) const
    {
        std::lock_guard<std::mutex> guard(mutex_);
        return text_.find(part) != std::string::npos;
    }
    bool Empty() const
    {
        std::lock_guard<std::mutex> guard(mutex_);
        return text_.empty();
    }

    friend bool operator==(const SharedText& shared, std::string_view other)
    {
        std::lock_guard<std::mutex> guard(shared.mutex_);
        return shared.text_ == other;
    }

private:
    mutable std::mutex mutex_;
    std::string text_;
};

}  // namespace voltora::functions
