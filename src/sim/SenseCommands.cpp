// Measurement settings of the functions: range, speed (NPLC), filter, input
// impedance, null, and the continuity and diode thresholds.

#include "sim/CommandContext.h"
#include "sim/NumberText.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <span>

namespace voltora::sim {
namespace {

// Integration times the meter offers, in power-line cycles.
constexpr std::array kNplcSteps{0.3, 1.0, 10.0};

// The function a header addresses and where its setting's mnemonics start:
// "VOLT:DC:RANG" and "SENS:VOLT:RANG" give DC voltage and "RANG"; the input
// range of the counter is "FREQ:VOLT:RANG".
struct Target {
    sim::Function function;
    std::span<const std::string> setting;
};

std::optional<Target> ResolveTarget(const ScpiCommand& command)
{
    std::span<const std::string> path(command.path);
    if (!path.empty() && path.front() == "SENS") {
        path = path.subspan(1);
    }
    if (path.empty()) {
        return std::nullopt;
    }
    const std::string& head = path.front();
    path = path.subspan(1);
    auto acOrDc = [&](sim::Function dc, sim::Function ac) {
        if (!path.empty() && (path.front() == "AC" || path.front() == "DC")) {
            const bool isAc = path.front() == "AC";
            path = path.subspan(1);
            return isAc ? ac : dc;
        }
        return dc;
    };
    sim::Function function;
    if (head == "VOLT") {
        function = acOrDc(sim::Function::VoltDc, sim::Function::VoltAc);
    } else if (head == "CURR") {
        function = acOrDc(sim::Function::CurrDc, sim::Function::CurrAc);
    } else if (head == "DIOD") {
        function = sim::Function::Diod;
    } else if (auto known = FunctionFromKeyWord(head); known && *known != sim::Function::Temp) {
        function = *known;
    } else {
        return std::nullopt;
    }
    const bool counter = function == sim::Function::Freq || function == sim::Function::Per;
    if (counter && path.size() >= 2 && path.front() == "VOLT" && path[1] == "RANG") {
        path = path.subspan(1);
    }
    if (path.empty()) {
        return std::nullopt;
    }
    return Target{function, path};
}

bool SettingIs(std::span<const std::string> setting, std::initializer_list<std::string_view> mnemonics)
{
    return setting.size() == mnemonics.size() && std::equal(mnemonics.begin(), mnemonics.end(), setting.begin());
}

void Range(CommandContext& context, sim::Function function)
{
    MeterModel& meter = context.meter;
    const auto ranges = Info(function).ranges;
    if (context.command.query) {
        context.ReplyScientific(ranges[meter.RangeIndex(function, context.nowNs)], kRangePrecision);
        return;
    }
    const std::string_view argument = context.Argument();
    if (IsKeyword(argument, "AUTO")) {
        meter.SetAutoRange(function, true, context.nowNs);
    } else if (IsKeyword(argument, "MIN") || IsKeyword(argument, "MINIMUM")) {
        meter.SetManualRange(function, 0);
    } else if (IsKeyword(argument, "MAX") || IsKeyword(argument, "MAXIMUM") || IsKeyword(argument, "DEF")) {
        meter.SetManualRange(function, ranges.size() - 1);
    } else if (const auto value = context.NumberArgument()) {
        if (*value < 0.0) {
            context.Error(error::kDataOutOfRange, "Data out of range");
            return;
        }
        meter.SetManualRange(function, RangeIndexForValue(ranges, *value));
    }
}

void RangeAuto(CommandContext& context, sim::Function function)
{
    MeterModel& meter = context.meter;
    if (context.command.query) {
        context.ReplyBoolean(meter.Settings(function).autoRange);
        return;
    }
    if (IsKeyword(context.Argument(), "ONCE")) {
        // Ranges once for the present input, then stays there.
        meter.SetAutoRange(function, true, context.nowNs);
        meter.SetAutoRange(function, false, context.nowNs);
    } else if (const auto on = context.BooleanArgument()) {
        meter.SetAutoRange(function, *on, context.nowNs);
    }
}

void Nplc(CommandContext& context, MeasurementSettings& settings)
{
    if (context.command.query) {
        context.ReplyScientific(settings.nplc, kRangePrecision);
        return;
    }
    const std::string_view argument = context.Argument();
    if (IsKeyword(argument, "MIN") || IsKeyword(argument, "MINIMUM")) {
        settings.nplc = kNplcSteps.front();
        return;
    }
    if (IsKeyword(argument, "MAX") || IsKeyword(argument, "MAXIMUM") || IsKeyword(argument, "DEF")) {
        settings.nplc = kNplcSteps.back();
        return;
    }
    const auto value = context.NumberArgument();
    if (!value) {
        return;
    }
    if (!(*value > 0.0)) {
        context.Error(error::kDataOutOfRange, "Data out of range");
        return;
    }
    // The nearest integration time the meter has (nearest by ratio).
    double best = kNplcSteps.front();
    for (double step : kNplcSteps) {
        if (std::fabs(std::log(*value / step)) < std::fabs(std::log(*value / best))) {
            best = step;
        }
    }
    settings.nplc = best;
}

void Impedance(CommandContext& context, MeasurementSettings& settings)
{
    if (context.command.query) {
        context.Reply(settings.highImpedance ? "10G" : "10M");
        return;
    }
    const std::string_view argument = context.Argument();
    if (IsKeyword(argument, "10M")) {
        settings.highImpedance = false;
    } else if (IsKeyword(argument, "10G")) {
        settings.highImpedance = true;
    } else {
        context.Error(error::kIllegalParameter, "Illegal parameter value");
    }
}

void NullValue(CommandContext& context, sim::Function function)
{
    MeterModel& meter = context.meter;
    if (context.command.query) {
        context.ReplyScientific(meter.Settings(function).nullValue, kSettingPrecision);
    } else if (const auto value = context.NumberArgument()) {
        meter.SetNullValue(function, *value);
    }
}

void Threshold(CommandContext& context, sim::Function function)
{
    SystemSettings& system = context.meter.System();
    const bool continuity = function == sim::Function::Cont;
    double& threshold = continuity ? system.continuityThreshold : system.diodeThreshold;
    if (context.command.query) {
        context.ReplyScientific(threshold, kRangePrecision);
        return;
    }
    const double maximum = continuity ? 2000.0 : 4.0;
    if (const auto value = context.NumberArgument()) {
        if (*value < 0.0 || *value > maximum) {
            context.Error(error::kDataOutOfRange, "Data out of range");
            return;
        }
        threshold = *value;
    }
}

// Boolean setting: "ON"/"OFF" to set, "1"/"0" as reply.
void Switch(CommandContext& context, bool& setting)
{
    if (context.command.query) {
        context.ReplyBoolean(setting);
    } else if (const auto on = context.BooleanArgument()) {
        setting = *on;
    }
}

}  // namespace

bool HandleSenseCommand(CommandContext& context)
{
    const auto target = ResolveTarget(context.command);
    if (!target) {
        return false;
    }
    const sim::Function function = target->function;
    const FunctionInfo& info = Info(function);
    const auto setting = target->setting;
    MeterModel& meter = context.meter;
    MeasurementSettings& settings = meter.Settings(function);
    const bool ranged = !info.ranges.empty();
    const bool nullable = ranged;
    const bool filtered = function == sim::Function::VoltDc || function == sim::Function::CurrDc;

    if (ranged && SettingIs(setting, {"RANG"})) {
        Range(context, function);
    } else if (ranged && SettingIs(setting, {"RANG", "AUTO"})) {
        RangeAuto(context, function);
    } else if (info.hasSpeed && SettingIs(setting, {"NPLC"})) {
        Nplc(context, settings);
    } else if (filtered && (SettingIs(setting, {"FILT"}) || SettingIs(setting, {"FILT", "STAT"}))) {
        Switch(context, settings.filter);
    } else if (function == sim::Function::VoltDc && SettingIs(setting, {"IMP"})) {
        Impedance(context, settings);
    } else if (nullable && (SettingIs(setting, {"NULL"}) || SettingIs(setting, {"NULL", "STAT"}))) {
        if (context.command.query) {
            context.ReplyBoolean(settings.nullOn);
        } else if (const auto on = context.BooleanArgument()) {
            meter.SetNull(function, *on, context.nowNs);
        }
    } else if (nullable && SettingIs(setting, {"NULL", "VAL"})) {
        NullValue(context, function);
    } else if (nullable && SettingIs(setting, {"NULL", "VAL", "AUTO"})) {
        if (context.command.query) {
            context.ReplyBoolean(settings.nullAuto);
        } else if (const auto on = context.BooleanArgument()) {
            meter.SetNullAuto(function, *on, context.nowNs);
        }
    } else if (!ranged && function != sim::Function::Temp && SettingIs(setting, {"THR", "VAL"})) {
        Threshold(context, function);
    } else {
        return false;
    }
    return true;
}

}  // namespace voltora::sim
