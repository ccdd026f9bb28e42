// Temperature commands: transducer choice and tables, unit, display type,
// null, and the raw sensor value.

#include "sim/CommandContext.h"
#include "sim/NumberText.h"

#include <algorithm>
#include <span>

namespace voltora::sim {
namespace {

// "TEMP:MDEF:THER:TRAN..." and the like: which of the four lists it names.
struct ListAddress {
    bool userDefined;
    bool rtd;
};

std::optional<ListAddress> ListOf(const std::vector<std::string>& path, std::size_t at)
{
    if (path.size() < at + 3 || path[at + 2] != "TRAN") {
        return std::nullopt;
    }
    const std::string& definition = path[at];
    const std::string& type = path[at + 1];
    if ((definition != "MDEF" && definition != "UDEF") || (type != "THER" && type != "RTD")) {
        return std::nullopt;
    }
    return ListAddress{definition == "UDEF", type == "RTD"};
}

bool Transducers(CommandContext& context, std::size_t at)
{
    const ScpiCommand& command = context.command;
    const auto list = ListOf(command.path, at);
    if (!list) {
        return false;
    }
    MeterModel& meter = context.meter;
    const std::size_t rest = command.path.size() - (at + 3);
    const std::string_view name = Unquote(command.argumentText);
    if (rest == 0 && !command.query) {
        if (name.empty()) {
            context.Error(error::kMissingParameter, "Missing parameter");
        } else if (!meter.SelectTransducer(list->userDefined, list->rtd, name)) {
            context.Error(error::kIllegalParameter, "Illegal parameter value");
        }
    } else if (rest == 1 && command.path.back() == "LIST" && command.query) {
        context.replied = true;
        meter.Transducers().AppendList(context.reply, list->userDefined, list->rtd);
    } else if (rest == 1 && command.path.back() == "POIN" && command.query) {
        // An unknown table answers an empty list rather than nothing, so that
        // a client is not left waiting for a reply.
        context.replied = true;
        if (const auto table = meter.Transducers().Find(list->userDefined, list->rtd, name)) {
            context.reply += table->PointsText();
        } else {
            context.Error(error::kIllegalParameter, "Illegal parameter value");
        }
    } else {
        return false;
    }
    return true;
}

void TransducerChoice(CommandContext& context)
{
    const TemperatureSettings& temperature = context.meter.Temperature();
    std::string reply = temperature.userDefined ? "USER DEFINE," : "MANU DEFINE,";
    reply += temperature.rtd ? "RTD," : "THER,";
    reply += temperature.transducer;
    context.Reply(reply);
}

void SensorValue(CommandContext& context)
{
    MeterModel& meter = context.meter;
    const bool current = meter.CurrentFunction() == Function::Temp;
    const bool hasRaw = current && meter.HasLastRawValue();
    // The sensor type names the sensor the value came from: right after a
    // sensor change that is still the old one, until the next reading.
    const bool rtd = hasRaw ? meter.LastRawFromRtd() : meter.Temperature().rtd;
    context.Reply(rtd ? "RTD|" : "THER|");
    context.ReplyScientific(hasRaw ? meter.LastRawValue() : kNoReadingValue, kReadingPrecision);
    context.reply += ',';
    context.ReplyScientific(current && meter.HasLastReading() ? meter.LastReading() : kNoReadingValue,
                            kReadingPrecision);
}

void Display(CommandContext& context)
{
    TemperatureSettings& temperature = context.meter.Temperature();
    if (context.command.query) {
        // Answered with the labels the display shows.
        switch (temperature.display) {
        case TemperatureDisplay::Temperature:
            context.Reply("Temp Val");
            break;
        case TemperatureDisplay::Measured:
            context.Reply("Meas Val");
            break;
        case TemperatureDisplay::All:
            context.Reply("All");
            break;
        }
        return;
    }
    const std::string_view argument = context.Argument();
    if (IsKeyword(argument, "TEM")) {
        temperature.display = TemperatureDisplay::Temperature;
    } else if (IsKeyword(argument, "MEA")) {
        temperature.display = TemperatureDisplay::Measured;
    } else if (IsKeyword(argument, "ALL")) {
        temperature.display = TemperatureDisplay::All;
    } else {
        context.Error(error::kIllegalParameter, "Illegal parameter value");
    }
}

void Unit(CommandContext& context)
{
    TemperatureSettings& temperature = context.meter.Temperature();
    if (context.command.query) {
        context.Reply(UnitLetter(temperature.unit));
        return;
    }
    const std::string_view argument = context.Argument();
    if (IsKeyword(argument, "C") || IsKeyword(argument, "CEL")) {
        temperature.unit = TemperatureUnit::Celsius;
    } else if (IsKeyword(argument, "F") || IsKeyword(argument, "FAR")) {
        temperature.unit = TemperatureUnit::Fahrenheit;
    } else if (IsKeyword(argument, "K")) {
        temperature.unit = TemperatureUnit::Kelvin;
    } else {
        context.Error(error::kIllegalParameter, "Illegal parameter value");
    }
}

bool Null(CommandContext& context, std::span<const std::string> setting)
{
    MeterModel& meter = context.meter;
    const TemperatureSettings& temperature = meter.Temperature();
    const bool query = context.command.query;
    auto is = [&](std::initializer_list<std::string_view> mnemonics) {
        return setting.size() == mnemonics.size() && std::equal(mnemonics.begin(), mnemonics.end(), setting.begin());
    };
    if (is({"NULL"}) || is({"NULL", "STAT"})) {
        if (query) {
            context.ReplyBoolean(temperature.nullOn);
        } else if (const auto on = context.BooleanArgument()) {
            meter.SetTemperatureNull(*on, context.nowNs);
        }
    } else if (is({"NULL", "VAL"})) {
        if (query) {
            context.ReplyScientific(meter.TemperatureNullValue(), kSettingPrecision);
        } else if (const auto value = context.NumberArgument()) {
            meter.SetTemperatureNullValue(*value);
        }
    } else if (is({"NULL", "VAL", "AUTO"})) {
        if (query) {
            context.ReplyBoolean(temperature.nullAuto);
        } else if (const auto on = context.BooleanArgument()) {
            meter.SetTemperatureNullAuto(*on, context.nowNs);
        }
    } else {
        return false;
    }
    return true;
}

}  // namespace

bool HandleTemperatureCommand(CommandContext& context)
{
    const ScpiCommand& command = context.command;
    if (command.Is({"TYPE", "TEMP"})) {
        Display(context);
        return true;
    }
    if (command.Is({"UNIT", "TEMP"})) {
        Unit(context);
        return true;
    }
    std::span<const std::string> path(command.path);
    if (!path.empty() && path.front() == "SENS") {
        path = path.subspan(1);
    }
    if (path.empty() || path.front() != "TEMP") {
        return false;
    }
    const std::span<const std::string> setting = path.subspan(1);
    const std::size_t at = command.path.size() - setting.size();
    if (setting.size() == 1 && setting.front() == "TRAN" && command.query) {
        TransducerChoice(context);
        return true;
    }
    if (setting.size() == 1 && setting.front() == "CAD" && command.query) {
        SensorValue(context);
        return true;
    }
    return Null(context, setting) || Transducers(context, at);
}

}  // namespace voltora::sim
