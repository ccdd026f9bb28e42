// Identity, function selection, trigger system and reading memory commands.

#include "sim/CommandContext.h"
#include "sim/NumberText.h"

#include <cmath>

namespace voltora::sim {
namespace {

constexpr double kMaxSampleCount = 1e6;
constexpr double kMaxTriggerCount = 1e6;
constexpr double kMaxTriggerDelay = 3600.0;

void SelectOrReportFunction(CommandContext& context)
{
    MeterModel& meter = context.meter;
    if (context.command.query) {
        std::string reply = "\"";
        reply += Info(meter.CurrentFunction()).keyWord;
        reply += '"';
        context.Reply(reply);
        return;
    }
    if (context.command.arguments.empty()) {
        context.Error(error::kMissingParameter, "Missing parameter");
        return;
    }
    const auto function = FunctionFromName(Unquote(context.Argument()));
    if (!function) {
        context.Error(error::kIllegalParameter, "Illegal parameter value");
        return;
    }
    if (*function != meter.CurrentFunction()) {
        meter.SelectFunction(*function, context.nowNs);
    }
}

// A count argument: a number in 1 ... maximum, or MIN / MAX.
std::optional<long long> CountArgument(CommandContext& context, double maximum)
{
    const std::string_view argument = context.Argument();
    if (IsKeyword(argument, "MIN") || IsKeyword(argument, "MINIMUM")) {
        return 1;
    }
    if (IsKeyword(argument, "MAX") || IsKeyword(argument, "MAXIMUM")) {
        return static_cast<long long>(maximum);
    }
    const auto number = context.NumberArgument();
    if (!number) {
        return std::nullopt;
    }
    const double rounded = std::round(*number);
    if (rounded < 1.0 || rounded > maximum) {
        context.Error(error::kDataOutOfRange, "Data out of range");
        return std::nullopt;
    }
    return static_cast<long long>(rounded);
}

void TriggerCount(CommandContext& context)
{
    TriggerSystem& trigger = context.meter.Trigger();
    if (context.command.query) {
        if (trigger.TriggerCount() == TriggerSystem::kInfinite) {
            context.ReplyScientific(kOverloadValue, kReadingPrecision);
        } else {
            context.ReplyInteger(trigger.TriggerCount());
        }
        return;
    }
    const std::string_view argument = context.Argument();
    if (IsKeyword(argument, "INF") || IsKeyword(argument, "INFINITY") ||
        ParseNumber(argument).value_or(0.0) >= kOverloadValue) {
        trigger.SetTriggerCount(TriggerSystem::kInfinite);
        return;
    }
    if (const auto count = CountArgument(context, kMaxTriggerCount)) {
        trigger.SetTriggerCount(*count);
    }
}

void TriggerDelay(CommandContext& context)
{
    TriggerSystem& trigger = context.meter.Trigger();
    if (context.command.query) {
        context.ReplyScientific(trigger.DelayAuto() ? 0.0 : trigger.Delay(), kSettingPrecision);
        return;
    }
    const std::string_view argument = context.Argument();
    if (IsKeyword(argument, "MIN") || IsKeyword(argument, "MINIMUM") || IsKeyword(argument, "DEF")) {
        trigger.SetDelay(0.0);
        return;
    }
    if (IsKeyword(argument, "MAX") || IsKeyword(argument, "MAXIMUM")) {
        trigger.SetDelay(kMaxTriggerDelay);
        return;
    }
    const auto seconds = context.NumberArgument();
    if (!seconds) {
        return;
    }
    if (*seconds < 0.0 || *seconds > kMaxTriggerDelay) {
        context.Error(error::kDataOutOfRange, "Data out of range");
        return;
    }
    trigger.SetDelay(*seconds);
}

void TriggerSlope(CommandContext& context)
{
    SystemSettings& system = context.meter.System();
    if (context.command.query) {
        context.Reply(system.triggerSlopePositive ? "POS" : "NEG");
        return;
    }
    const std::string_view argument = context.Argument();
    if (IsKeyword(argument, "POS") || IsKeyword(argument, "POSITIVE")) {
        system.triggerSlopePositive = true;
    } else if (IsKeyword(argument, "NEG") || IsKeyword(argument, "NEGATIVE")) {
        system.triggerSlopePositive = false;
    } else {
        context.Error(error::kIllegalParameter, "Illegal parameter value");
    }
}

void LastReading(CommandContext& context)
{
    const MeterModel& meter = context.meter;
    context.ReplyScientific(meter.HasLastReading() ? meter.LastReading() : kNoReadingValue, kReadingPrecision);
    context.reply += ' ';
    context.reply += meter.LastReadingUnit();
}

}  // namespace

bool HandleSystemCommand(CommandContext& context)
{
    const ScpiCommand& command = context.command;
    MeterModel& meter = context.meter;
    const bool query = command.query;

    if ((command.Is({"*IDN"}) || command.Is({"IDN-ZOBR-PRI"})) && query) {
        context.Reply(context.identity);
    } else if (command.Is({"*RST"}) && !query) {
        meter.Reset(context.nowNs);
    } else if (command.Is({"*CLS"}) && !query) {
        context.errors.Clear();
    } else if (command.Is({"*OPC"})) {
        if (query) {
            context.Reply("1");
        }
    } else if (command.Is({"*WAI"}) && !query) {
        // Every command has completed by the time the next one is read.
    } else if ((command.Is({"SYST", "ERR"}) || command.Is({"SYST", "ERR", "NEXT"})) && query) {
        context.Reply(context.errors.Pop());
    } else if (command.Is({"SYST", "BEEP", "STAT"})) {
        if (query) {
            context.ReplyBoolean(meter.System().beeper);
        } else if (const auto on = context.BooleanArgument()) {
            meter.System().beeper = *on;
        }
    } else if (command.Is({"REF"}) && !query) {
        // Returns the display to the front panel's own control; acquisition
        // goes on as it was.
    } else if (command.Is({"$$SY_FP"}) && !query) {
        // A front-panel key code; the simulated panel has nothing to press.
    } else if (command.Is({"FUNC"}) || command.Is({"SENS", "FUNC"})) {
        SelectOrReportFunction(context);
    } else if ((command.Is({"INIT"}) || command.Is({"INIT", "IMM"})) && !query) {
        meter.Initiate(context.nowNs);
    } else if (command.Is({"ABOR"}) && !query) {
        meter.Abort();
    } else if (command.Is({"TRIG", "COUN"})) {
        TriggerCount(context);
    } else if (command.Is({"TRIG", "DEL"})) {
        TriggerDelay(context);
    } else if (command.Is({"TRIG", "DEL", "AUTO"})) {
        if (query) {
            context.ReplyBoolean(meter.Trigger().DelayAuto());
        } else if (const auto on = context.BooleanArgument()) {
            meter.Trigger().SetDelayAuto(*on);
        }
    } else if (command.Is({"SAMP", "COUN"})) {
        if (query) {
            context.ReplyInteger(meter.Trigger().SampleCount());
        } else if (const auto count = CountArgument(context, kMaxSampleCount)) {
            meter.Trigger().SetSampleCount(*count);
        }
    } else if (command.Is({"OUTP", "TRIG", "SLOP"})) {
        TriggerSlope(context);
    } else if (command.Is({"DATA", "LAST"}) && query) {
        LastReading(context);
    } else if (command.Is({"DATA", "POIN"}) && query) {
        context.ReplyInteger(static_cast<long long>(meter.Memory().Count()));
    } else if (command.Is({"FETC"}) && query) {
        context.replied = true;
        meter.Memory().AppendAll(context.reply);
    } else {
        return false;
    }
    return true;
}

}  // namespace voltora::sim
