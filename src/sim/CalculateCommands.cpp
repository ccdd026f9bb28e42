// Math commands: statistics, limit test, dB/dBm scaling, trend chart and
// histogram.

#include "sim/CommandContext.h"
#include "sim/NumberText.h"

#include <cmath>

namespace voltora::sim {
namespace {

// Number setting: a number to set, the value in scientific notation as reply.
template <typename Apply>
void NumberSetting(CommandContext& context, double current, Apply apply)
{
    if (context.command.query) {
        context.ReplyScientific(current, kSettingPrecision);
    } else if (const auto value = context.NumberArgument()) {
        apply(*value);
    }
}

template <typename Apply>
void SwitchSetting(CommandContext& context, bool current, Apply apply)
{
    if (context.command.query) {
        context.ReplyBoolean(current);
    } else if (const auto on = context.BooleanArgument()) {
        apply(*on);
    }
}

bool Statistics(CommandContext& context, const ScpiCommand& command)
{
    MeterModel& meter = context.meter;
    const ReadingStatistics& statistics = meter.Statistics();
    if ((command.Is({"CALC", "AVER", "CLE"}) || command.Is({"CALC", "AVER", "CLE", "IMM"})) && !command.query) {
        meter.ClearStatistics();
        return true;
    }
    if (!command.query) {
        return false;
    }
    if (command.Is({"CALC", "AVER", "ALL"})) {
        context.replied = true;
        statistics.AppendAll(context.reply);
    } else if (command.Is({"CALC", "AVER", "PTP"})) {
        context.ReplyScientific(statistics.PeakToPeak(), kReadingPrecision);
    } else if (command.Is({"CALC", "AVER", "COUN"})) {
        context.ReplyInteger(statistics.Count());
    } else if (command.Is({"CALC", "AVER", "AVER"})) {
        context.ReplyScientific(statistics.Average(), kReadingPrecision);
    } else if (command.Is({"CALC", "AVER", "SDEV"})) {
        context.ReplyScientific(statistics.StandardDeviation(), kReadingPrecision);
    } else if (command.Is({"CALC", "AVER", "MAX"})) {
        context.ReplyScientific(statistics.Maximum(), kReadingPrecision);
    } else if (command.Is({"CALC", "AVER", "MIN"})) {
        context.ReplyScientific(statistics.Minimum(), kReadingPrecision);
    } else {
        return false;
    }
    return true;
}

bool Trend(CommandContext& context, const ScpiCommand& command)
{
    MeterModel& meter = context.meter;
    SystemSettings& system = meter.System();
    if (command.Is({"CALC", "TREN", "CHAR", "MOD"})) {
        if (command.query) {
            context.Reply(system.trendAll ? "ALL" : "REC");
        } else if (IsKeyword(context.Argument(), "ALL")) {
            system.trendAll = true;
        } else if (IsKeyword(context.Argument(), "REC")) {
            system.trendAll = false;
        } else {
            context.Error(error::kIllegalParameter, "Illegal parameter value");
        }
        return true;
    }
    if (command.Is({"CALC", "TREN", "CHAR", "DATA"}) && command.query) {
        context.replied = true;
        if (system.trendAll) {
            meter.Trend().AppendAll(context.reply);
        } else {
            meter.Trend().AppendRecent(context.reply);
        }
        return true;
    }
    return false;
}

bool Histogram(CommandContext& context, const ScpiCommand& command)
{
    HistogramRecord& histogram = context.meter.Histogram();
    const bool query = command.query;
    if (command.Is({"CALC", "TRAN", "HIST", "CLE"}) && !query) {
        histogram.Clear();
    } else if (command.Is({"CALC", "TRAN", "HIST", "ALL"}) && query) {
        context.replied = true;
        histogram.AppendAll(context.reply);
    } else if (command.Is({"CALC", "TRAN", "HIST", "COUN"}) && query) {
        context.ReplyInteger(histogram.ReadingCount());
    } else if (command.Is({"CALC", "TRAN", "HIST", "RANG", "AUTO"})) {
        SwitchSetting(context, histogram.AutoRange(), [&](bool on) { histogram.SetAutoRange(on); });
    } else if (command.Is({"CALC", "TRAN", "HIST", "RANG", "LOW"})) {
        NumberSetting(context, histogram.ManualLower(), [&](double value) { histogram.SetLower(value); });
    } else if (command.Is({"CALC", "TRAN", "HIST", "RANG", "UPP"})) {
        NumberSetting(context, histogram.ManualUpper(), [&](double value) { histogram.SetUpper(value); });
    } else if (command.Is({"CALC", "TRAN", "HIST", "POIN"})) {
        if (query) {
            context.ReplyInteger(histogram.BinCount());
        } else if (const auto bins = context.NumberArgument()) {
            const double rounded = std::round(*bins);
            if (rounded < 1.0 || rounded > HistogramRecord::kMaxBins) {
                context.Error(error::kDataOutOfRange, "Data out of range");
            } else {
                histogram.SetBinCount(static_cast<int>(rounded));
            }
        }
    } else {
        return false;
    }
    return true;
}

bool Limits(CommandContext& context, const ScpiCommand& command)
{
    LimitSettings& limits = context.meter.Limits();
    if (command.Is({"CALC", "LIM", "STAT"})) {
        SwitchSetting(context, limits.on, [&](bool on) { limits.on = on; });
    } else if (command.Is({"CALC", "LIM", "LOW"})) {
        NumberSetting(context, limits.lower, [&](double value) { limits.lower = value; });
    } else if (command.Is({"CALC", "LIM", "UPP"})) {
        NumberSetting(context, limits.upper, [&](double value) { limits.upper = value; });
    } else {
        return false;
    }
    return true;
}

bool Scale(CommandContext& context, const ScpiCommand& command)
{
    MeterModel& meter = context.meter;
    ScaleSettings& scale = meter.Scale();
    if (command.Is({"CALC", "SCAL", "STAT"})) {
        SwitchSetting(context, scale.on, [&](bool on) { scale.on = on; });
    } else if (command.Is({"CALC", "SCAL", "FUNC"})) {
        if (command.query) {
            context.Reply(scale.dbm ? "DBM" : "DB");
        } else if (IsKeyword(context.Argument(), "DB")) {
            scale.dbm = false;
        } else if (IsKeyword(context.Argument(), "DBM")) {
            scale.dbm = true;
        } else {
            context.Error(error::kIllegalParameter, "Illegal parameter value");
        }
    } else if (command.Is({"CALC", "SCAL", "DB", "REF"})) {
        NumberSetting(context, scale.dbReference, [&](double value) {
            scale.dbReference = value;
            scale.referenceAuto = false;
        });
    } else if (command.Is({"CALC", "SCAL", "DBM", "REF"})) {
        NumberSetting(context, scale.dbmReference, [&](double value) {
            if (value < 50.0 || value > 8000.0) {
                context.Error(error::kDataOutOfRange, "Data out of range");
            } else {
                scale.dbmReference = value;
            }
        });
    } else if (command.Is({"CALC", "SCAL", "REF", "AUTO"})) {
        SwitchSetting(context, scale.referenceAuto,
                      [&](bool on) { meter.SetScaleReferenceAuto(on, context.nowNs); });
    } else {
        return false;
    }
    return true;
}

}  // namespace

bool HandleCalculateCommand(CommandContext& context)
{
    const ScpiCommand& command = context.command;
    if (!command.StartsWith({"CALC"}) || command.path.size() < 2) {
        return false;
    }
    const std::string& group = command.path[1];
    if (group == "AVER") {
        return Statistics(context, command);
    }
    if (group == "TREN") {
        return Trend(context, command);
    }
    if (group == "TRAN") {
        return Histogram(context, command);
    }
    if (group == "LIM") {
        return Limits(context, command);
    }
    if (group == "SCAL") {
        return Scale(context, command);
    }
    return false;
}

}  // namespace voltora::sim
