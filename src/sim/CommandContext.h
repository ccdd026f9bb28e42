#pragma once

#include "sim/MeterModel.h"
#include "sim/ScpiCommand.h"

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>

namespace voltora::sim {

// The meter's error queue ("SYST:ERR?"), oldest first, at most kCapacity
// entries; when full, the newest entry becomes "Queue overflow".
class ErrorQueue {
public:
    static constexpr std::size_t kCapacity = 20;

    void Push(int code, std::string_view text);
    // "-113,"Undefined header"", or "+0,"No error"" when empty.
    std::string Pop();
    void Clear() { entries_.clear(); }
    std::size_t Count() const { return entries_.size(); }

private:
    std::deque<std::string> entries_;
};

// Standard SCPI error codes the meter reports.
namespace error {
inline constexpr int kDataType = -104;
inline constexpr int kMissingParameter = -109;
inline constexpr int kUndefinedHeader = -113;
inline constexpr int kDataOutOfRange = -222;
inline constexpr int kTooMuchData = -223;
inline constexpr int kIllegalParameter = -224;
}  // namespace error

// Everything a command handler works with for one program message unit.
struct CommandContext {
    MeterModel& meter;
    const ScpiCommand& command;
    std::int64_t nowNs;
    ErrorQueue& errors;
    std::string_view identity;
    // The reply body of a query (without terminator), and whether there is one.
    std::string reply;
    bool replied = false;

    const ScpiCommand& Command() const { return command; }
    // The first argument, or empty.
    std::string_view Argument() const;

    void Reply(std::string_view text);
    void ReplyBoolean(bool on);
    void ReplyScientific(double value, int precision);
    void ReplyInteger(long long value);

    // Argument readers: on a missing or malformed argument they queue the
    // error and give nothing.
    std::optional<bool> BooleanArgument();
    std::optional<double> NumberArgument();
    void Error(int code, std::string_view text) { errors.Push(code, text); }
};

// "ON", "OFF", "1", "0" (any case; any other number counts as on).
std::optional<bool> ParseBoolean(std::string_view text);
// A plain decimal number ("20", "-1.5", "0.000200", "2.000000E+01").
std::optional<double> ParseNumber(std::string_view text);
// Case-insensitive comparison with a keyword given in capitals.
bool IsKeyword(std::string_view text, std::string_view keyword);

// Command groups. Each returns false when the header is not one of its own.
bool HandleSystemCommand(CommandContext& context);
bool HandleSenseCommand(CommandContext& context);
bool HandleCalculateCommand(CommandContext& context);
bool HandleTemperatureCommand(CommandContext& context);

}  // namespace voltora::sim
