#include "sim/SimulatedMeter.h"

#include "sim/CommandContext.h"
#include "sim/MeterModel.h"

#include <deque>
#include <mutex>

namespace voltora::sim {
namespace {

constexpr std::string_view kIdentity = "ZAN,ZDM650-SIM,SIM00000001,1.0.0";

std::int64_t ToNs(std::chrono::nanoseconds time)
{
    return static_cast<std::int64_t>(time.count());
}

std::string_view WithoutTerminator(std::string_view message)
{
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r')) {
        message.remove_suffix(1);
    }
    return message;
}

}  // namespace

struct SimulatedMeter::State {
    State(const SimulatedMeterOptions& options, Clock clockIn)
        : clock(clockIn ? std::move(clockIn)
                        : Clock([] { return std::chrono::steady_clock::now().time_since_epoch(); })),
          transcriptLimit(options.transcriptLimit),
          replyLatency(options.replyLatency),
          meter(options.seed, options.noiseScale, ToNs(clock()))
    {
    }

    // Runs one program message unit; true when it was a known command.
    bool Run(const ScpiCommand& command, std::int64_t now, std::string& replies, bool& replied)
    {
        CommandContext context{meter, command, now, errors, kIdentity, {}, false};
        const bool known = HandleSystemCommand(context) || HandleSenseCommand(context) ||
                           HandleCalculateCommand(context) || HandleTemperatureCommand(context);
        if (!known) {
            errors.Push(error::kUndefinedHeader, "Undefined header");
        }
        if (context.replied) {
            if (replied) {
                replies += ';';
                replies += context.reply;
            } else {
                // The usual case, one query: its reply becomes the message's
                // reply without a copy (a "FETCh?" reply is 150 kB).
                replies.swap(context.reply);
                replied = true;
            }
        }
        return known;
    }

    mutable std::mutex mutex;
    Clock clock;
    std::size_t transcriptLimit;
    std::deque<std::string> transcript;
    std::chrono::microseconds replyLatency;
    bool unresponsive = false;
    ErrorQueue errors;
    MeterModel meter;
};

SimulatedMeter::SimulatedMeter(SimulatedMeterOptions options, Clock clock)
    : state_(std::make_unique<State>(options, std::move(clock)))
{
}

SimulatedMeter::~SimulatedMeter() = default;

std::optional<std::string> SimulatedMeter::Execute(std::string_view message)
{
    std::lock_guard<std::mutex> lock(state_->mutex);
    State& state = *state_;
    const std::int64_t now = ToNs(state.clock());
    state.transcript.emplace_back(WithoutTerminator(message));
    if (state.transcriptLimit != 0 && state.transcript.size() > state.transcriptLimit) {
        state.transcript.pop_front();
    }
    if (state.unresponsive) {
        return std::nullopt;
    }
    state.meter.AdvanceTo(now);

    std::string replies;
    bool replied = false;
    for (std::string_view unit : SplitProgramMessage(message)) {
        const ScpiCommand command = ParseCommand(unit);
        if (!command.path.empty()) {
            state.Run(command, now, replies, replied);
        }
    }
    if (!replied) {
        return std::nullopt;
    }
    replies += '\n';
    return replies;
}

std::vector<std::string> SimulatedMeter::Transcript() const
{
    std::lock_guard<std::mutex> lock(state_->mutex);
    return {state_->transcript.begin(), state_->transcript.end()};
}

void SimulatedMeter::ClearTranscript()
{
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->transcript.clear();
}

std::chrono::microseconds SimulatedMeter::ReplyLatency() const
{
    std::lock_guard<std::mutex> lock(state_->mutex);
    return state_->replyLatency;
}

void SimulatedMeter::SetReplyLatency(std::chrono::microseconds latency)
{
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->replyLatency = latency;
}

void SimulatedMeter::Reset()
{
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->errors.Clear();
    state_->meter.Reset(ToNs(state_->clock()));
}

bool SimulatedMeter::SetSignal(std::string_view keyWord, double value)
{
    std::lock_guard<std::mutex> lock(state_->mutex);
    const auto function = FunctionFromKeyWord(keyWord);
    if (!function) {
        return false;
    }
    // Readings up to now were taken with the signal as it was.
    state_->meter.AdvanceTo(ToNs(state_->clock()));
    state_->meter.Signals().SetValue(*function, value);
    return true;
}

bool SimulatedMeter::AddUserTransducer(bool rtd, std::string name, std::vector<TransducerPoint> points)
{
    std::lock_guard<std::mutex> lock(state_->mutex);
    return state_->meter.Transducers().AddUserTable(rtd, std::move(name), std::move(points));
}

void SimulatedMeter::SetUnresponsive(bool unresponsive)
{
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->unresponsive = unresponsive;
}

void SimulatedMeter::ReportError(int code, std::string_view text)
{
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->errors.Push(code, text);
}

}  // namespace voltora::sim
