#include "sim/CommandContext.h"

#include "platform/AsciiCase.h"
#include "platform/DecimalNumber.h"
#include "sim/NumberText.h"

namespace voltora::sim {

void ErrorQueue::Push(int code, std::string_view text)
{
    if (entries_.size() >= kCapacity) {
        entries_.back() = "-350,\"Queue overflow\"";
        return;
    }
    std::string entry;
    AppendInteger(entry, code);
    entry += ",\"";
    entry += text;
    entry += '"';
    entries_.push_back(std::move(entry));
}

std::string ErrorQueue::Pop()
{
    if (entries_.empty()) {
        return "+0,\"No error\"";
    }
    std::string entry = std::move(entries_.front());
    entries_.pop_front();
    return entry;
}

std::string_view CommandContext::Argument() const
{
    return command.arguments.empty() ? std::string_view() : std::string_view(command.arguments.front());
}

void CommandContext::Reply(std::string_view text)
{
    reply.append(text);
    replied = true;
}

void CommandContext::ReplyBoolean(bool on)
{
    Reply(on ? "1" : "0");
}

void CommandContext::ReplyScientific(double value, int precision)
{
    AppendScientific(reply, value, precision);
    replied = true;
}

void CommandContext::ReplyInteger(long long value)
{
    AppendInteger(reply, value);
    replied = true;
}

std::optional<bool> CommandContext::BooleanArgument()
{
    if (command.arguments.empty()) {
        Error(error::kMissingParameter, "Missing parameter");
        return std::nullopt;
    }
    const auto value = ParseBoolean(Argument());
    if (!value) {
        Error(error::kDataType, "Data type error");
    }
    return value;
}

std::optional<double> CommandContext::NumberArgument()
{
    if (command.arguments.empty()) {
        Error(error::kMissingParameter, "Missing parameter");
        return std::nullopt;
    }
    const auto value = ParseNumber(Argument());
    if (!value) {
        Error(error::kDataType, "Data type error");
    }
    return value;
}

bool IsKeyword(std::string_view text, std::string_view keyword)
{
    if (text.size() != keyword.size()) {
        return false;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (voltora::platform::AsciiUpper(text[i]) != keyword[i]) {
            return false;
        }
    }
    return true;
}

std::optional<bool> ParseBoolean(std::string_view text)
{
    if (IsKeyword(text, "ON")) {
        return true;
    }
    if (IsKeyword(text, "OFF")) {
        return false;
    }
    if (const auto number = ParseNumber(text)) {
        return *number != 0.0;
    }
    return std::nullopt;
}

std::optional<double> ParseNumber(std::string_view text)
{
    return platform::ParseDecimalNumber(text);
}

}  // namespace voltora::sim
