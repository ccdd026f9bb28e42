// Query round trips of the network links against voltora-sim on loopback,
// beside the physical floor measured in the same run: a bare TCP ping-pong
// for the raw socket, and two null RPC calls for VXI-11 (which needs a
// device_write and a device_read per query), by our RPC client and, for
// reference, by libtirpc's. PyVISA's pure-Python back-end
// is timed against the same server. Ratios are printed at the end.

#include "platform/CNumbers.h"
#include "protocol/VxiProtocol.h"
#include "protocol/XdrProc.h"
#include "support/SimServerProcess.h"
#include "visa/RpcClient.h"
#include "visa/visa.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

using voltora::testing::SimServerProcess;

constexpr const char* kQuery = "DATA:LAST?";
constexpr const char* kVxi11Resource = "TCPIP0::127.0.0.1::inst0::INSTR";

SimServerProcess& Server()
{
    static SimServerProcess server({"--latency-us", "0"});
    return server;
}

bool ServerReady(benchmark::State& state)
{
    if (!Server().Ready()) {
        state.SkipWithError(Server().Error().c_str());
        return false;
    }
    return true;
}

// A plain TCP connection to the server's `port` on loopback, with
// TCP_NODELAY; -1 (and the benchmark skipped) when it cannot be made.
int ConnectLoopback(benchmark::State& state, std::uint16_t port, sockaddr_in& address)
{
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    address = sockaddr_in{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0) {
        state.SkipWithError("connect failed");
        close(fd);
        return -1;
    }
    const int on = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof(on));
    return fd;
}

void BM_BareTcpPingPong(benchmark::State& state)
{
    if (!ServerReady(state)) {
        return;
    }
    sockaddr_in address{};
    const int fd = ConnectLoopback(state, Server().SocketPort(), address);
    if (fd < 0) {
        return;
    }
    const std::string message = std::string(kQuery) + "\n";
    char buffer[256];
    for (auto _ : state) {
        send(fd, message.data(), message.size(), 0);
        std::size_t total = 0;
        for (;;) {
            const ssize_t n = recv(fd, buffer + total, sizeof(buffer) - total, 0);
            if (n <= 0) {
                state.SkipWithError("connection lost");
                break;
            }
            total += static_cast<std::size_t>(n);
            if (buffer[total - 1] == '\n' || total == sizeof(buffer)) {
                break;
            }
        }
    }
    close(fd);
}

void BM_RpcNullPair(benchmark::State& state)
{
    if (!ServerReady(state)) {
        return;
    }
    using Clock = std::chrono::steady_clock;
    std::unique_ptr<voltora::visa::RpcClient> client;
    if (voltora::visa::RpcClient::Connect(
            "127.0.0.1", Server().Vxi11Port(), voltora::protocol::vxi11::kCoreProgram,
            voltora::protocol::vxi11::kCoreVersion, Clock::now() + std::chrono::seconds(2),
            client) != VI_SUCCESS) {
        state.SkipWithError("RPC connect failed");
        return;
    }
    const auto xdrVoid = voltora::protocol::XdrNoData();
    for (auto _ : state) {
        for (int call = 0; call < 2; ++call) {
            if (client->Call(NULLPROC, xdrVoid, nullptr, xdrVoid, nullptr,
                             Clock::now() + std::chrono::seconds(2)) != VI_SUCCESS) {
                state.SkipWithError("null call failed");
                return;
            }
        }
    }
}

// The same pair through the system's RPC library (libtirpc's clnt_call), for
// reference: the client the VXI-11 link used before it framed calls itself.
void BM_TirpcNullPair(benchmark::State& state)
{
    if (!ServerReady(state)) {
        return;
    }
    sockaddr_in address{};
    const int fd = ConnectLoopback(state, Server().Vxi11Port(), address);
    if (fd < 0) {
        return;
    }
    netbuf peer{};
    peer.buf = &address;
    peer.len = sizeof(address);
    peer.maxlen = sizeof(address);
    CLIENT* client = clnt_vc_create(fd, &peer, voltora::protocol::vxi11::kCoreProgram,
                                    voltora::protocol::vxi11::kCoreVersion, 0, 0);
    if (client == nullptr) {
        state.SkipWithError("clnt_vc_create failed");
        close(fd);
        return;
    }
    const auto xdrVoid = voltora::protocol::XdrNoData();
    timeval limit{2, 0};
    for (auto _ : state) {
        for (int call = 0; call < 2; ++call) {
            if (clnt_call(client, NULLPROC, xdrVoid, nullptr, xdrVoid, nullptr, limit) !=
                RPC_SUCCESS) {
                state.SkipWithError("null call failed");
                clnt_destroy(client);
                close(fd);
                return;
            }
        }
    }
    clnt_destroy(client);
    close(fd);
}

void VisaQueryLoop(benchmark::State& state, const std::string& resource)
{
    if (!ServerReady(state)) {
        return;
    }
    ViSession rm = 0;
    ViSession session = 0;
    viOpenDefaultRM(&rm);
    if (viOpen(rm, resource.c_str(), 0, 0, &session) != VI_SUCCESS) {
        state.SkipWithError(("cannot open " + resource).c_str());
        viClose(rm);
        return;
    }
    ViByte buffer[256];
    const auto length = static_cast<ViUInt32>(std::strlen(kQuery));
    for (auto _ : state) {
        ViUInt32 count = 0;
        if (viWrite(session, reinterpret_cast<ViConstBuf>(kQuery), length, &count) !=
                VI_SUCCESS ||
            viRead(session, buffer, sizeof(buffer), &count) != VI_SUCCESS) {
            state.SkipWithError("query failed");
            break;
        }
    }
    viClose(rm);
}

void BM_SocketQuery(benchmark::State& state)
{
    VisaQueryLoop(state, Server().SocketResource());
}

void BM_Vxi11Query(benchmark::State& state)
{
    VisaQueryLoop(state, kVxi11Resource);
}

// Times `queries` queries in PyVISA (pure-Python back-end) and reports the
// mean time of one as the iteration time.
void PyVisaQueryLoop(benchmark::State& state, const std::string& resource)
{
    if (!ServerReady(state)) {
        return;
    }
    const int queries = 500;
    const std::string script =
        "import sys, time, pyvisa\n"
        "rm = pyvisa.ResourceManager('@py')\n"
        "inst = rm.open_resource(sys.argv[1])\n"
        "inst.read_termination = '\\n'\n"
        "inst.write_termination = '\\n'\n"
        "n = int(sys.argv[2])\n"
        "for i in range(50): inst.query('DATA:LAST?')\n"
        "t = time.perf_counter()\n"
        "for i in range(n): inst.query('DATA:LAST?')\n"
        "print(repr((time.perf_counter() - t) / n))\n"
        "inst.close()\n";
    const std::string command = "/usr/bin/python3 -c \"" + script + "\" '" + resource + "' " +
                                voltora::platform::CFormat("%d", queries) + " 2>&1";
    for (auto _ : state) {
        FILE* pipe = popen(command.c_str(), "r");
        if (pipe == nullptr) {
            state.SkipWithError("cannot run /usr/bin/python3");
            return;
        }
        char line[512] = {};
        const bool got = std::fgets(line, sizeof(line), pipe) != nullptr;
        const int status = pclose(pipe);
        const double seconds = got ? voltora::platform::CAtof(line) : 0.0;
        if (status != 0 || seconds <= 0.0) {
            state.SkipWithError(("PyVISA (python3-pyvisa-py) failed: " + std::string(line)).c_str());
            return;
        }
        state.SetIterationTime(seconds);
    }
}

void BM_PyVisaSocketQuery(benchmark::State& state)
{
    PyVisaQueryLoop(state, Server().SocketResource());
}

void BM_PyVisaVxi11Query(benchmark::State& state)
{
    PyVisaQueryLoop(state, kVxi11Resource);
}

BENCHMARK(BM_BareTcpPingPong)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SocketQuery)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RpcNullPair)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TirpcNullPair)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Vxi11Query)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PyVisaSocketQuery)->Unit(benchmark::kMicrosecond)->UseManualTime()->Iterations(1);
BENCHMARK(BM_PyVisaVxi11Query)->Unit(benchmark::kMicrosecond)->UseManualTime()->Iterations(1);

// Keeps the median (or, without repetitions, the only) time of each
// benchmark, to print the ratios the links are judged by.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred) {
                continue;
            }
            const std::string name = run.run_name.function_name;
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (median || (run.run_type == Run::RT_Iteration && times_.count(name) == 0)) {
                times_[name] = run.GetAdjustedRealTime();
            }
        }
    }

    void PrintRatios() const
    {
        auto ratio = [this](const char* numerator, const char* denominator) {
            const auto n = times_.find(numerator);
            const auto d = times_.find(denominator);
            if (n == times_.end() || d == times_.end() || d->second <= 0) {
                return std::string("n/a");
            }
            return voltora::platform::CFormat("%.2f", n->second / d->second);
        };
        std::printf("\nRatios of median times (goal in brackets):\n");
        std::printf("  socket query / bare TCP ping-pong      %s  (<= 1.2)\n",
                    ratio("BM_SocketQuery", "BM_BareTcpPingPong").c_str());
        std::printf("  VXI-11 query / two null RPC calls      %s  (<= 1.2)\n",
                    ratio("BM_Vxi11Query", "BM_RpcNullPair").c_str());
        std::printf("  two null RPC calls: libtirpc / ours     %s  (reference)\n",
                    ratio("BM_TirpcNullPair", "BM_RpcNullPair").c_str());
        std::printf("  PyVISA VXI-11 / our VXI-11 (rate gain)  %s  (>= 1.5)\n",
                    ratio("BM_PyVisaVxi11Query", "BM_Vxi11Query").c_str());
        std::printf("  PyVISA socket / our socket (rate gain)  %s  (>= 1.0)\n",
                    ratio("BM_PyVisaSocketQuery", "BM_SocketQuery").c_str());
    }

private:
    std::map<std::string, double> times_;
};

}  // namespace

int main(int argc, char** argv)
{
    // Loopback round trips on a virtual machine switch between fast and slow
    // spells (which CPUs the two processes share). Repetitions of the
    // benchmarks are interleaved by default, so that a floor and the query
    // compared with it sample the same spells; a later flag overrides this.
    std::vector<char*> arguments(argv, argv + argc);
    char interleave[] = "--benchmark_enable_random_interleaving=true";
    arguments.insert(arguments.begin() + 1, interleave);
    int count = static_cast<int>(arguments.size());
    benchmark::Initialize(&count, arguments.data());
    if (benchmark::ReportUnrecognizedArguments(count, arguments.data())) {
        return 1;
    }
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatios();
    benchmark::Shutdown();
    return 0;
}
