#pragma once

#include "usbmock/UsbTmcDeviceModel.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

typedef struct _UMockdevIoctlBase UMockdevIoctlBase;
typedef struct _UMockdevIoctlClient UMockdevIoctlClient;
typedef struct _UMockdevIoctlData UMockdevIoctlData;

namespace voltora::usbmock {

// One device on the virtual bus: answers the usbdevfs ioctls of its device
// node. Bulk and control URBs go to the USB-TMC model (when it has one);
// standard GET_DESCRIPTOR requests are answered from its descriptors.
// ioctls arrive on umockdev's worker thread; tests call the rest from theirs.
class VirtualUsbDevice {
public:
    VirtualUsbDevice(std::string devNode, std::string sysPath,
                     std::vector<std::uint8_t> deviceDescriptor,
                     std::vector<std::uint8_t> configDescriptor,
                     std::vector<std::string> strings,
                     std::unique_ptr<UsbTmcDeviceModel> tmc);
    ~VirtualUsbDevice();
    VirtualUsbDevice(const VirtualUsbDevice&) = delete;
    VirtualUsbDevice& operator=(const VirtualUsbDevice&) = delete;

    const std::string& DevNode() const { return devNode_; }
    const std::string& SysPath() const { return sysPath_; }
    UMockdevIoctlBase* Handler() const { return handler_; }
    // Null for a device without a USB-TMC interface.
    UsbTmcDeviceModel* Tmc() const { return tmc_.get(); }

    // The kernel's usbtmc driver holds interface 0 (claims fail with EBUSY
    // until it is detached).
    void SetKernelDriverBound(bool bound);
    bool KernelDriverBound() const;
    bool InterfaceClaimed() const;
    // Ends every transfer in flight with ENODEV; every later call fails so.
    void Vanish();

private:
    struct Urb {
        UMockdevIoctlData* data = nullptr;  // the resolved usbdevfs_urb (one reference)
        int status = 0;
        int actual = 0;
    };

    static int OnIoctl(UMockdevIoctlBase* handler, UMockdevIoctlClient* client, void* self);
    bool HandleIoctl(UMockdevIoctlClient* client);
    void Submit(UMockdevIoctlClient* client, UMockdevIoctlData* arg);
    void Reap(UMockdevIoctlClient* client, UMockdevIoctlData* arg);
    void Discard(UMockdevIoctlClient* client, UMockdevIoctlData* arg);
    // Control transfer: fills the data stage; false for a STALL.
    bool Control(const std::uint8_t* setup, std::uint8_t* data, int& actual);
    void CompleteWaitingLocked();

    const std::string devNode_;
    const std::string sysPath_;
    const std::vector<std::uint8_t> deviceDescriptor_;
    const std::vector<std::uint8_t> configDescriptor_;
    const std::vector<std::string> strings_;  // index 1, 2, 3...
    std::unique_ptr<UsbTmcDeviceModel> tmc_;
    UMockdevIoctlBase* handler_ = nullptr;

    mutable std::mutex mutex_;
    std::deque<Urb> waiting_;  // Bulk-IN and interrupt URBs the device has not ended
    std::deque<Urb> done_;     // ended, to be reaped
    bool driverBound_ = false;
    bool claimed_ = false;
    bool gone_ = false;
};

}  // namespace voltora::usbmock
