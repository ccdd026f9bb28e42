#pragma once

#include "usbmock/UsbTmcDeviceModel.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace voltora::sim {
class SimulatedMeter;
}

namespace voltora::usbmock {

// What a device on the virtual bus looks like from the host.
struct VirtualDeviceSpec {
    std::uint16_t vendorId = 0x5A4E;
    std::uint16_t productId = 0x0105;
    std::string manufacturer = "ZAN Instruments";
    std::string product = "ZAN Bench DMM";
    std::string serial = "ZU00000001";
    bool highSpeed = true;  // 512-byte bulk packets at 480 Mbit/s; else 64 at 12 Mbit/s
    bool usbTmc = true;     // false: a keyboard (HID interface), which is no instrument
};

class VirtualUsbDevice;

// A USB bus under umockdev: a mock sysfs and /dev/bus/usb with the devices
// added here, whose usbdevfs ioctls (URB submit, reap and discard, claim,
// release, kernel-driver query, detach and attach, clear-halt) are answered
// by this process. libusb in this process, or in a child started with the
// umockdev preload library, sees them as real devices.
// The process must run under the umockdev preload library (umockdev-wrapper,
// or LD_PRELOAD=libumockdev-preload.so.0) before anything touches libusb.
class VirtualUsbBus {
public:
    VirtualUsbBus();
    ~VirtualUsbBus();
    VirtualUsbBus(const VirtualUsbBus&) = delete;
    VirtualUsbBus& operator=(const VirtualUsbBus&) = delete;

    // True when the process runs under the umockdev preload library.
    static bool Available();

    // A USB-TMC meter whose messages go to `responder`.
    std::shared_ptr<VirtualUsbDevice> AddMeter(const VirtualDeviceSpec& spec,
                                               UsbTmcDeviceModel::Responder responder);
    // A device without a USB-TMC interface.
    std::shared_ptr<VirtualUsbDevice> AddOtherDevice(const VirtualDeviceSpec& spec);

    // The device vanishes: transfers in flight end with ENODEV, every later
    // call fails with ENODEV, and it leaves sysfs and /dev.
    void Unplug(const std::shared_ptr<VirtualUsbDevice>& device);
    // Takes a device off the bus quietly (end of a test).
    void Remove(const std::shared_ptr<VirtualUsbDevice>& device);
    // Device node mode 0666, or 0000 (open fails with EACCES for a user
    // without CAP_DAC_OVERRIDE; see NoFileAccessOverride).
    void SetAccessible(const std::shared_ptr<VirtualUsbDevice>& device, bool accessible);

    std::string RootDirectory() const;

private:
    struct Testbed;
    std::shared_ptr<VirtualUsbDevice> Add(const VirtualDeviceSpec& spec,
                                          UsbTmcDeviceModel::Responder responder);

    std::unique_ptr<Testbed> testbed_;
    std::mutex mutex_;
    int nextPort_ = 1;
};

// A responder that hands each message to a simulated meter.
UsbTmcDeviceModel::Responder MeterResponder(std::shared_ptr<sim::SimulatedMeter> meter);

// Drops CAP_DAC_OVERRIDE and CAP_DAC_READ_SEARCH from this thread's
// effective set while it lives, so that root, too, is refused a device node
// of mode 0000 (capabilities are per thread on Linux).
class NoFileAccessOverride {
public:
    NoFileAccessOverride();
    ~NoFileAccessOverride();
    NoFileAccessOverride(const NoFileAccessOverride&) = delete;
    NoFileAccessOverride& operator=(const NoFileAccessOverride&) = delete;

private:
    std::uint32_t saved_[2] = {};
    bool changed_ = false;
};

}  // namespace voltora::usbmock
