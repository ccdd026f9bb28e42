// voltora-virtual-usb: runs a command with virtual USB-TMC meters plugged
// in, each speaking to a simulated meter of its own. The command (for
// example voltora-scpi --list, or the desktop program) reaches them through
// its ordinary libusb path; umockdev provides the mock sysfs and device nodes.

#include "sim/SimulatedMeter.h"
#include "usbmock/VirtualUsbBus.h"
#include "usbmock/VirtualUsbDevice.h"

#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <linux/capability.h>

#include <atomic>
#include <chrono>
#include <optional>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

using voltora::usbmock::VirtualDeviceSpec;
using voltora::usbmock::VirtualUsbBus;

void Usage()
{
    std::fprintf(stderr,
                 "Usage: voltora-virtual-usb [OPTIONS] -- COMMAND [ARGUMENT...]\n"
                 "  --meters N          number of meters (default 1)\n"
                 "  --full-speed        64-byte packets at 12 Mbit/s (default: high speed, 512)\n"
                 "  --other-device      also plug in a keyboard, which is no instrument\n"
                 "  --no-access         device nodes without permission for COMMAND\n"
                 "  --kernel-driver     the kernel's usbtmc driver holds each meter\n"
                 "  --unplug-after MS   unplug the first meter MS milliseconds after the start\n"
                 "  --silent-after MS   the first meter stops answering after MS milliseconds\n"
                 "  --unplug-during Q   the first meter takes query Q, says nothing, and is\n"
                 "                      unplugged 300 ms later, while the reply is awaited\n");
}

// Runs under umockdev's preload library: started again through
// umockdev-wrapper when it is not loaded yet.
void EnsurePreload(int argc, char** argv)
{
    if (VirtualUsbBus::Available()) {
        return;
    }
    std::vector<char*> args;
    args.push_back(const_cast<char*>("umockdev-wrapper"));
    for (int i = 0; i < argc; ++i) {
        args.push_back(argv[i]);
    }
    args.push_back(nullptr);
    execvp("umockdev-wrapper", args.data());
    std::perror("voltora-virtual-usb: cannot run umockdev-wrapper");
    std::exit(127);
}

}  // namespace

int main(int argc, char** argv)
{
    int meters = 1;
    bool fullSpeed = false;
    bool otherDevice = false;
    bool noAccess = false;
    bool kernelDriver = false;
    long unplugAfter = -1;
    long silentAfter = -1;
    std::string unplugDuring;
    int first = 1;
    for (; first < argc; ++first) {
        const std::string arg = argv[first];
        const bool hasValue = first + 1 < argc;
        if (arg == "--") {
            ++first;
            break;
        } else if (arg == "--meters" && hasValue) {
            meters = std::atoi(argv[++first]);
        } else if (arg == "--full-speed") {
            fullSpeed = true;
        } else if (arg == "--other-device") {
            otherDevice = true;
        } else if (arg == "--no-access") {
            noAccess = true;
        } else if (arg == "--kernel-driver") {
            kernelDriver = true;
        } else if (arg == "--unplug-after" && hasValue) {
            unplugAfter = std::atol(argv[++first]);
        } else if (arg == "--unplug-during" && hasValue) {
            unplugDuring = argv[++first];
        } else if (arg == "--silent-after" && hasValue) {
            silentAfter = std::atol(argv[++first]);
        } else {
            Usage();
            return arg == "--help" ? 0 : 2;
        }
    }
    if (first >= argc || meters < 0) {
        Usage();
        return 2;
    }
    EnsurePreload(argc, argv);

    VirtualUsbBus bus;
    std::vector<std::shared_ptr<voltora::usbmock::VirtualUsbDevice>> plugged;
    auto queryArrived = std::make_shared<std::atomic<bool>>(false);
    for (int i = 0; i < meters; ++i) {
        VirtualDeviceSpec spec;
        spec.highSpeed = !fullSpeed;
        char serial[16];
        std::snprintf(serial, sizeof(serial), "ZU%08d", i + 1);
        spec.serial = serial;
        auto meter = std::make_shared<voltora::sim::SimulatedMeter>();
        auto responder = voltora::usbmock::MeterResponder(meter);
        if (i == 0 && !unplugDuring.empty()) {
            responder = [responder, unplugDuring, queryArrived](std::string_view message)
                -> std::optional<std::string> {
                if (message == unplugDuring || queryArrived->load()) {
                    queryArrived->store(true);
                    return std::nullopt;  // silent from now on
                }
                return responder(message);
            };
        }
        auto device = bus.AddMeter(spec, responder);
        device->SetKernelDriverBound(kernelDriver);
        if (noAccess) {
            bus.SetAccessible(device, false);
        }
        std::fprintf(stderr, "voltora-virtual-usb: USB0::0x%04X::0x%04X::%s::INSTR on %s\n",
                     spec.vendorId, spec.productId, spec.serial.c_str(),
                     device->DevNode().c_str());
        plugged.push_back(device);
    }
    if (otherDevice) {
        VirtualDeviceSpec keyboard;
        keyboard.vendorId = 0x046D;
        keyboard.productId = 0xC31C;
        keyboard.manufacturer = "Generic";
        keyboard.product = "USB Keyboard";
        keyboard.serial = "KB0001";
        keyboard.highSpeed = false;
        plugged.push_back(bus.AddOtherDevice(keyboard));
    }

    const pid_t child = fork();
    if (child == 0) {
        if (noAccess) {
            // Even root is refused a node without permission once these are gone.
            prctl(PR_CAPBSET_DROP, CAP_DAC_OVERRIDE, 0, 0, 0);
            prctl(PR_CAPBSET_DROP, CAP_DAC_READ_SEARCH, 0, 0, 0);
        }
        execvp(argv[first], argv + first);
        std::perror("voltora-virtual-usb: cannot run the command");
        _exit(127);
    }
    if (child < 0) {
        std::perror("voltora-virtual-usb: fork");
        return 127;
    }
    const auto start = std::chrono::steady_clock::now();
    std::optional<std::chrono::steady_clock::time_point> unplugAt;
    int status = 0;
    for (;;) {
        const pid_t ended = waitpid(child, &status, WNOHANG);
        if (ended == child) {
            break;
        }
        const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
                                 std::chrono::steady_clock::now() - start)
                                 .count();
        if (unplugAfter >= 0 && elapsed >= unplugAfter && !plugged.empty()) {
            std::fprintf(stderr, "voltora-virtual-usb: unplugging %s\n",
                         plugged.front()->DevNode().c_str());
            bus.Unplug(plugged.front());
            unplugAfter = -1;
        }
        if (queryArrived->load() && !unplugAt) {
            unplugAt = std::chrono::steady_clock::now() + std::chrono::milliseconds(300);
        }
        if (unplugAt && std::chrono::steady_clock::now() >= *unplugAt && !plugged.empty()) {
            std::fprintf(stderr, "voltora-virtual-usb: unplugging %s\n",
                         plugged.front()->DevNode().c_str());
            bus.Unplug(plugged.front());
            unplugAt = std::chrono::steady_clock::time_point::max();
        }
        if (silentAfter >= 0 && elapsed >= silentAfter && !plugged.empty() &&
            plugged.front()->Tmc() != nullptr) {
            voltora::usbmock::UsbTmcFaults faults;
            faults.silent = true;
            plugged.front()->Tmc()->SetFaults(faults);
            silentAfter = -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}
