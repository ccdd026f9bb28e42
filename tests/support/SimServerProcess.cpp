#include "support/SimServerProcess.h"

#include "platform/CNumbers.h"
#include "visa/RpcClient.h"

#include <rpc/pmap_prot.h>

#include <cerrno>
#include <csignal>
#include <cstring>

#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace voltora::testing {
namespace {

using Clock = std::chrono::steady_clock;

int Remaining(Clock::time_point deadline)
{
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left < 0 ? 0 : static_cast<int>(left);
}

std::uint16_t FieldValue(const std::string& line, const std::string& key)
{
    const std::size_t at = line.find(key + "=");
    if (at == std::string::npos) {
        return 0;
    }
    return static_cast<std::uint16_t>(
        platform::CAtoi(std::string_view(line).substr(at + key.size() + 1)));
}

}  // namespace

SimServerProcess::SimServerProcess(std::vector<std::string> options,
                                   std::chrono::milliseconds startTimeout)
{
    std::vector<std::string> arguments = {VOLTORA_SIM_PATH, "--socket-port", "0", "--vxi11-port",
                                          "0"};
    arguments.insert(arguments.end(), options.begin(), options.end());
    std::vector<char*> argv;
    for (auto& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);

    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0) {
        error_ = "pipe failed";
        return;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    const int spawned = posix_spawn(&pid_, VOLTORA_SIM_PATH, &actions, nullptr, argv.data(),
                                    environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    stdoutFd_ = pipeFds[0];
    if (spawned != 0) {
        pid_ = -1;
        error_ = std::string("could not start ") + VOLTORA_SIM_PATH + ": " + std::strerror(spawned);
        return;
    }

    // Wait for the "ready" line; the server exits with a message instead
    // when it cannot serve (for example without rpcbind).
    std::string output;
    const auto deadline = Clock::now() + startTimeout;
    while (output.find('\n') == std::string::npos) {
        pollfd fd{stdoutFd_, POLLIN, 0};
        if (poll(&fd, 1, Remaining(deadline)) <= 0) {
            error_ = "voltora-sim did not become ready in time";
            Kill();
            return;
        }
        char buffer[256];
        const ssize_t n = read(stdoutFd_, buffer, sizeof(buffer));
        if (n <= 0) {
            error_ = "voltora-sim exited before it was ready (see its message above)";
            Stop();
            return;
        }
        output.append(buffer, static_cast<std::size_t>(n));
    }
    socketPort_ = FieldValue(output, "socket");
    vxi11Port_ = FieldValue(output, "vxi11");
    if (output.rfind("ready", 0) != 0) {
        error_ = "unexpected first line from voltora-sim: " + output;
    }
}

SimServerProcess::~SimServerProcess()
{
    Stop();
    if (stdoutFd_ >= 0) {
        close(stdoutFd_);
    }
}

std::string SimServerProcess::SocketResource() const
{
    return platform::CFormat("TCPIP0::127.0.0.1::%u::SOCKET", static_cast<unsigned>(socketPort_));
}

void SimServerProcess::Kill()
{
    if (pid_ > 0) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }
}

int SimServerProcess::Stop(std::chrono::milliseconds timeout)
{
    if (pid_ <= 0) {
        return -1;
    }
    kill(pid_, SIGTERM);
    // Wait for the exit by watching the output pipe close, then reap.
    const auto deadline = Clock::now() + timeout;
    bool closed = false;
    while (!closed) {
        pollfd fd{stdoutFd_, POLLIN, 0};
        if (poll(&fd, 1, Remaining(deadline)) <= 0) {
            break;
        }
        char buffer[256];
        closed = read(stdoutFd_, buffer, sizeof(buffer)) <= 0;
    }
    int status = 0;
    if (!closed) {
        // Still running after the time-out: it did not stop cleanly.
        kill(pid_, SIGKILL);
        waitpid(pid_, &status, 0);
        pid_ = -1;
        return -1;
    }
    waitpid(pid_, &status, 0);
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool RpcbindRunning(std::string& message)
{
    std::uint16_t port = 0;
    const ViStatus status = visa::LookUpRpcPort("127.0.0.1", PMAPPORT, PMAPPROG, PMAPVERS,
                                                Clock::now() + std::chrono::seconds(2), port);
    if (status == VI_SUCCESS && port == PMAPPORT) {
        return true;
    }
    message =
        "rpcbind is not running on 127.0.0.1: VXI-11 tests need it. Install the rpcbind "
        "package and start it with \"rpcbind -w\" as root (scripts/test.sh does this).";
    return false;
}

std::uint16_t UnusedLoopbackPort()
{
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address));
    socklen_t length = sizeof(address);
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    close(fd);
    return ntohs(address.sin_port);
}

}  // namespace voltora::testing
