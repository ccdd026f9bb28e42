#pragma once

#include "link/CConectWithNI.h"
#include "sim/SimulatedMeter.h"
#include "sim/backend/SimulatedMeterBackend.h"
#include "support/ScriptedBackend.h"

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace voltora::functions::testing {

// A meter whose every reply the test decides, reached through the real
// connection. Queries are answered from a table keyed by the exact message
// (a reply function may replace a table entry); other queries get "0\n".
// A reply function returning std::nullopt leaves the meter silent (a failed
// query), an empty text gives an empty reply.
class ScriptedMeter {
public:
    static constexpr const char* kResource = "USB0::0x5345::0x1234::FNTEST::INSTR";
    using ReplyFunction = std::function<std::optional<std::string>(const std::string& message)>;

    ScriptedMeter()
    {
        replies = {
            {"IDN-ZOBR-PRI?", "ZAN,ZDM1000,TEST,1.0\n"},
            {"DATA:LAST?", "+1.23456700E+00 VDC\n"},
            {"DATA:POINts?", "1\n"},
            {"VOLT:DC:RANGE?", "+2.000000E+00\n"},
            {"VOLT:DC:RANGE:AUTO?", "0\n"},
            {"CALCulate:AVERage:ALL?", "+1.00000000E+00,+2.00000000E-03,+1.10000000E+00,+9.00000000E-01\n"},
            {"CALCulate:AVERage:PTPeak?", "+2.00000000E-01\n"},
            {"CALCulate:AVERage:COUNt?", "+5.00000000E+00\n"},
            {"CALCulate:TRENd:CHARt:MODe?", "ALL\n"},
            {"CALCulate:TRENd:CHARt:DATA?", "1,2,3\n"},
            {"CALCulate:TRANsform:HISTogram:RANGe:AUTO?", "0\n"},
            {"CALCulate:TRANsform:HISTogram:ALL?", "-1.0,1.0,12,1,2,3,4,5,6,7,8,9,10,11,12,13,2\n"},
        };
        device = (*backend).AddDevice(kResource, "ZAN Scripted");
        device->SetResponder([this](const std::string& message) { return Answer(message); });
        connected = CConectWithNI::Instance()->Open(kResource);
        device->ClearWrites();
    }

    ~ScriptedMeter() { CConectWithNI::Instance()->Close(); }
    ScriptedMeter(const ScriptedMeter&) = delete;
    ScriptedMeter& operator=(const ScriptedMeter&) = delete;

    bool Connected() const { return connected; }

    void SetReply(const std::string& query, std::string reply)
    {
        std::lock_guard<std::mutex> guard(mutex);
        replies[query] = std::move(reply);
        functions.erase(query);
    }

    void SetReplyFunction(const std::string& query, ReplyFunction function)
    {
        std::lock_guard<std::mutex> guard(mutex);
        functions[query] = std::move(function);
    }

    // Called with every message, before it is answered (on the sender's thread).
    void OnMessage(std::function<void(const std::string&)> onMessage)
    {
        std::lock_guard<std::mutex> guard(mutex);
        observer = std::move(onMessage);
    }

    std::vector<std::string> Writes() const { return device->Writes(); }
    void ClearWrites() { device->ClearWrites(); }
    // The next reply to `query` stops after `bytes` bytes and its read
    // times out, as when the link is lost part-way through a reply.
    void CutNextReplyAfter(const std::string& query, std::size_t bytes)
    {
        auto armed = std::make_shared<bool>(true);  // the observer is called through copies
        OnMessage([this, query, bytes, armed](const std::string& message) {
            if (*armed && message == query) {
                *armed = false;
                device->CutNextReplyAfter(bytes);
            }
        });
    }

    int Count(const std::string& message) const
    {
        const auto writes = Writes();
        return static_cast<int>(std::count(writes.begin(), writes.end(), message));
    }

private:
    std::optional<std::string> Answer(const std::string& message)
    {
        std::function<void(const std::string&)> watch;
        ReplyFunction function;
        std::optional<std::string> reply;
        {
            std::lock_guard<std::mutex> guard(mutex);
            watch = observer;
            if (const auto f = functions.find(message); f != functions.end()) {
                function = f->second;
            } else if (const auto r = replies.find(message); r != replies.end()) {
                reply = r->second;
            } else if (message.find('?') != std::string::npos) {
                reply = std::string("0\n");
            }
        }
        if (watch) {
            watch(message);
        }
        if (function) {
            return function(message);
        }
        return reply;
    }

    voltora::testing::ScopedScriptedBackend backend;
    std::shared_ptr<voltora::testing::ScriptedDevice> device;
    mutable std::mutex mutex;
    std::map<std::string, std::string> replies;
    std::map<std::string, ReplyFunction> functions;
    std::function<void(const std::string&)> observer;
    bool connected = false;
};

// The simulated meter at power-on state, noiseless unless asked otherwise,
// connected through the real connection.
class SimulatedMeterConnection {
public:
    explicit SimulatedMeterConnection(sim::SimulatedMeterOptions options = Noiseless())
    {
        meter = sim::SimulatedMeterBackend::Instance()->ResetMeter(options);
        connected = CConectWithNI::Instance()->Open(sim::SimulatedMeterBackend::kResource);
        meter->ClearTranscript();
    }
    ~SimulatedMeterConnection() { CConectWithNI::Instance()->Close(); }
    SimulatedMeterConnection(const SimulatedMeterConnection&) = delete;
    SimulatedMeterConnection& operator=(const SimulatedMeterConnection&) = delete;

    static sim::SimulatedMeterOptions Noiseless()
    {
        sim::SimulatedMeterOptions options;
        options.noiseScale = 0.0;
        return options;
    }

    bool Connected() const { return connected; }
    sim::SimulatedMeter& Meter() { return *meter; }
    std::vector<std::string> Transcript() const { return meter->Transcript(); }
    void ClearTranscript() { meter->ClearTranscript(); }

private:
    std::shared_ptr<sim::SimulatedMeter> meter;
    bool connected = false;
};

}  // namespace voltora::functions::testing
