#include "usbmock/VirtualUsbDevice.h"

#include <umockdev.h>

#include <linux/ioctl.h>
#include <linux/usbdevice_fs.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace voltora::usbmock {
namespace {

constexpr std::size_t kSetupSize = 8;

bool Debugging()
{
    static const bool debugging = std::getenv("VOLTORA_USBMOCK_DEBUG") != nullptr;
    return debugging;
}

// A string descriptor: UTF-16LE of an ASCII text.
std::vector<std::uint8_t> StringDescriptor(const std::string& text)
{
    std::vector<std::uint8_t> descriptor{static_cast<std::uint8_t>(2 + 2 * text.size()), 3};
    for (const char c : text) {
        descriptor.push_back(static_cast<std::uint8_t>(c));
        descriptor.push_back(0);
    }
    return descriptor;
}

// Resolves `size` bytes the ioctl argument points to.
UMockdevIoctlData* Resolve(UMockdevIoctlData* arg, std::size_t size)
{
    return umockdev_ioctl_data_resolve(arg, 0, size, nullptr);
}

}  // namespace

VirtualUsbDevice::VirtualUsbDevice(std::string devNode, std::string sysPath,
                                   std::vector<std::uint8_t> deviceDescriptor,
                                   std::vector<std::uint8_t> configDescriptor,
                                   std::vector<std::string> strings,
                                   std::unique_ptr<UsbTmcDeviceModel> tmc)
    : devNode_(std::move(devNode)),
      sysPath_(std::move(sysPath)),
      deviceDescriptor_(std::move(deviceDescriptor)),
      configDescriptor_(std::move(configDescriptor)),
      strings_(std::move(strings)),
      tmc_(std::move(tmc)),
      handler_(umockdev_ioctl_base_new())
{
    g_signal_connect(handler_, "handle-ioctl", G_CALLBACK(OnIoctl), this);
}

VirtualUsbDevice::~VirtualUsbDevice()
{
    g_signal_handlers_disconnect_by_data(handler_, this);
    g_object_unref(handler_);
    for (auto* list : {&waiting_, &done_}) {
        for (Urb& urb : *list) {
            g_object_unref(urb.data);
        }
    }
}

void VirtualUsbDevice::SetKernelDriverBound(bool bound)
{
    std::lock_guard<std::mutex> guard(mutex_);
    driverBound_ = bound;
}

bool VirtualUsbDevice::KernelDriverBound() const
{
    std::lock_guard<std::mutex> guard(mutex_);
    return driverBound_;
}

bool VirtualUsbDevice::InterfaceClaimed() const
{
    std::lock_guard<std::mutex> guard(mutex_);
    return claimed_;
}

void VirtualUsbDevice::Vanish()
{
    std::lock_guard<std::mutex> guard(mutex_);
    gone_ = true;
    for (Urb& urb : waiting_) {
        urb.status = -ENODEV;
        urb.actual = 0;
        done_.push_back(urb);
    }
    waiting_.clear();
}

int VirtualUsbDevice::OnIoctl(UMockdevIoctlBase* handler, UMockdevIoctlClient* client,
                              void* self)
{
    (void)handler;
    return static_cast<VirtualUsbDevice*>(self)->HandleIoctl(client) ? TRUE : FALSE;
}

bool VirtualUsbDevice::HandleIoctl(UMockdevIoctlClient* client)
{
    const unsigned long request = umockdev_ioctl_client_get_request(client);
    UMockdevIoctlData* arg = umockdev_ioctl_client_get_arg(client);
    if (Debugging()) {
        std::fprintf(stderr, "usbmock %s: ioctl 0x%lx\n", devNode_.c_str(), request);
    }
    {
        std::lock_guard<std::mutex> guard(mutex_);
        const bool reaping = request == USBDEVFS_REAPURBNDELAY || request == USBDEVFS_REAPURB;
        if (gone_ && !(reaping && !done_.empty())) {
            umockdev_ioctl_client_complete(client, -1, ENODEV);
            return true;
        }
    }
    switch (request) {
    case USBDEVFS_GET_CAPABILITIES: {
        UMockdevIoctlData* caps = Resolve(arg, sizeof(std::uint32_t));
        *reinterpret_cast<std::uint32_t*>(caps->data) =
            USBDEVFS_CAP_ZERO_PACKET | USBDEVFS_CAP_BULK_CONTINUATION |
            USBDEVFS_CAP_NO_PACKET_SIZE_LIM;
        umockdev_ioctl_client_complete(client, 0, 0);
        g_object_unref(caps);
        return true;
    }
    case USBDEVFS_SUBMITURB:
        Submit(client, arg);
        return true;
    case USBDEVFS_REAPURB:
    case USBDEVFS_REAPURBNDELAY:
        Reap(client, arg);
        return true;
    case USBDEVFS_DISCARDURB:
        Discard(client, arg);
        return true;
    case USBDEVFS_CLAIMINTERFACE:
    case USBDEVFS_RELEASEINTERFACE: {
        UMockdevIoctlData* number = Resolve(arg, sizeof(unsigned int));
        const unsigned int interface = *reinterpret_cast<unsigned int*>(number->data);
        g_object_unref(number);
        std::lock_guard<std::mutex> guard(mutex_);
        if (interface != 0) {
            umockdev_ioctl_client_complete(client, -1, EINVAL);
        } else if (request == USBDEVFS_CLAIMINTERFACE && driverBound_) {
            umockdev_ioctl_client_complete(client, -1, EBUSY);
        } else {
            claimed_ = request == USBDEVFS_CLAIMINTERFACE;
            umockdev_ioctl_client_complete(client, 0, 0);
        }
        return true;
    }
    case USBDEVFS_GETDRIVER: {
        UMockdevIoctlData* query = Resolve(arg, sizeof(usbdevfs_getdriver));
        auto* driver = reinterpret_cast<usbdevfs_getdriver*>(query->data);
        std::lock_guard<std::mutex> guard(mutex_);
        if (driver->interface == 0 && (driverBound_ || claimed_)) {
            std::snprintf(driver->driver, sizeof(driver->driver), "%s",
                          driverBound_ ? "usbtmc" : "usbfs");
            umockdev_ioctl_client_complete(client, 0, 0);
        } else {
            umockdev_ioctl_client_complete(client, -1, ENODATA);
        }
        g_object_unref(query);
        return true;
    }
    case USBDEVFS_IOCTL: {
        // Detaching (DISCONNECT) or attaching (CONNECT) the kernel driver.
        UMockdevIoctlData* command = Resolve(arg, sizeof(usbdevfs_ioctl));
        const auto* ioctl = reinterpret_cast<const usbdevfs_ioctl*>(command->data);
        const auto code = static_cast<unsigned long>(static_cast<unsigned int>(ioctl->ioctl_code));
        const int interface = ioctl->ifno;
        g_object_unref(command);
        std::lock_guard<std::mutex> guard(mutex_);
        if (interface != 0 || tmc_ == nullptr) {
            umockdev_ioctl_client_complete(client, -1, EINVAL);
        } else if (code == USBDEVFS_DISCONNECT) {
            const bool was = driverBound_;
            driverBound_ = false;
            umockdev_ioctl_client_complete(client, was ? 0 : -1, was ? 0 : ENODATA);
        } else if (code == USBDEVFS_CONNECT) {
            if (claimed_) {
                umockdev_ioctl_client_complete(client, -1, EBUSY);
            } else {
                driverBound_ = true;
                umockdev_ioctl_client_complete(client, 0, 0);
            }
        } else {
            umockdev_ioctl_client_complete(client, -1, ENOTTY);
        }
        return true;
    }
    case USBDEVFS_CLEAR_HALT: {
        UMockdevIoctlData* endpoint = Resolve(arg, sizeof(unsigned int));
        const unsigned int address = *reinterpret_cast<unsigned int*>(endpoint->data);
        g_object_unref(endpoint);
        if (tmc_) {
            tmc_->ClearHalt(static_cast<std::uint8_t>(address));
        }
        umockdev_ioctl_client_complete(client, 0, 0);
        return true;
    }
    case USBDEVFS_SETINTERFACE:
    case USBDEVFS_SETCONFIGURATION:
    case USBDEVFS_RESETEP:
    case USBDEVFS_RESET:
        umockdev_ioctl_client_complete(client, 0, 0);
        return true;
    default:
        if (Debugging()) {
            std::fprintf(stderr, "usbmock %s: ioctl 0x%lx not emulated\n", devNode_.c_str(),
                         request);
        }
        umockdev_ioctl_client_complete(client, -1, ENOTTY);
        return true;
    }
}

void VirtualUsbDevice::Submit(UMockdevIoctlClient* client, UMockdevIoctlData* arg)
{
    UMockdevIoctlData* data = Resolve(arg, sizeof(usbdevfs_urb));
    auto* urb = reinterpret_cast<usbdevfs_urb*>(data->data);
    if (urb->buffer_length < 0 ||
        (urb->type == USBDEVFS_URB_TYPE_CONTROL &&
         static_cast<std::size_t>(urb->buffer_length) < kSetupSize)) {
        g_object_unref(data);
        umockdev_ioctl_client_complete(client, -1, EINVAL);
        return;
    }
    if (urb->buffer_length > 0) {
        // The URB keeps the resolved buffer; urb->buffer now points at it.
        UMockdevIoctlData* buffer = umockdev_ioctl_data_resolve(
            data, offsetof(usbdevfs_urb, buffer), static_cast<std::size_t>(urb->buffer_length),
            nullptr);
        g_object_unref(buffer);
    }
    auto* bytes = static_cast<std::uint8_t*>(urb->buffer);
    Urb entry{data, 0, 0};

    std::lock_guard<std::mutex> guard(mutex_);
    if (urb->type == USBDEVFS_URB_TYPE_CONTROL) {
        int actual = 0;
        entry.status = Control(bytes, bytes + kSetupSize, actual) ? 0 : -EPIPE;
        entry.actual = actual;
        done_.push_back(entry);
    } else if (urb->type == USBDEVFS_URB_TYPE_BULK && (urb->endpoint & 0x80) == 0) {
        if (tmc_ == nullptr || urb->endpoint != UsbTmcDeviceModel::kBulkOut) {
            entry.status = -EPIPE;
        } else if (tmc_->BulkOut(bytes, static_cast<std::size_t>(urb->buffer_length)) ==
                   EndpointStatus::Ok) {
            entry.actual = urb->buffer_length;
        } else {
            entry.status = -EPIPE;
        }
        done_.push_back(entry);
        // What was written may have given the device something to send.
        CompleteWaitingLocked();
    } else {
        waiting_.push_back(entry);
        CompleteWaitingLocked();
    }
    umockdev_ioctl_client_complete(client, 0, 0);
}

void VirtualUsbDevice::CompleteWaitingLocked()
{
    if (tmc_ == nullptr) {
        return;
    }
    // Bulk-IN URBs end in the order they were submitted; interrupt-IN ones
    // never do (the meter raises no service requests).
    for (auto it = waiting_.begin(); it != waiting_.end();) {
        auto* urb = reinterpret_cast<usbdevfs_urb*>(it->data->data);
        if (urb->type != USBDEVFS_URB_TYPE_BULK || urb->endpoint != UsbTmcDeviceModel::kBulkIn) {
            ++it;
            continue;
        }
        auto completion = tmc_->BulkIn(static_cast<std::size_t>(urb->buffer_length));
        if (!completion) {
            return;
        }
        it->status = completion->status == EndpointStatus::Ok ? 0 : -EPIPE;
        it->actual = static_cast<int>(completion->data.size());
        std::copy(completion->data.begin(), completion->data.end(),
                  static_cast<std::uint8_t*>(urb->buffer));
        done_.push_back(*it);
        it = waiting_.erase(it);
    }
}

void VirtualUsbDevice::Reap(UMockdevIoctlClient* client, UMockdevIoctlData* arg)
{
    Urb ended;
    {
        std::lock_guard<std::mutex> guard(mutex_);
        if (!gone_) {
            CompleteWaitingLocked();
        }
        if (done_.empty()) {
            umockdev_ioctl_client_complete(client, -1, gone_ ? ENODEV : EAGAIN);
            return;
        }
        ended = done_.front();
        done_.pop_front();
    }
    auto* urb = reinterpret_cast<usbdevfs_urb*>(ended.data->data);
    urb->status = ended.status;
    urb->actual_length = ended.actual;
    UMockdevIoctlData* pointer = Resolve(arg, sizeof(void*));
    umockdev_ioctl_data_set_ptr(pointer, 0, ended.data);
    umockdev_ioctl_client_complete(client, 0, 0);
    g_object_unref(pointer);
    g_object_unref(ended.data);
}

void VirtualUsbDevice::Discard(UMockdevIoctlClient* client, UMockdevIoctlData* arg)
{
    const gulong address = *reinterpret_cast<const gulong*>(arg->data);
    std::lock_guard<std::mutex> guard(mutex_);
    auto it = std::find_if(waiting_.begin(), waiting_.end(),
                           [address](const Urb& urb) { return urb.data->client_addr == address; });
    if (it == waiting_.end()) {
        umockdev_ioctl_client_complete(client, -1, EINVAL);
        return;
    }
    it->status = -ENOENT;
    it->actual = 0;
    done_.push_back(*it);
    waiting_.erase(it);
    umockdev_ioctl_client_complete(client, 0, 0);
}

bool VirtualUsbDevice::Control(const std::uint8_t* setup, std::uint8_t* data, int& actual)
{
    actual = 0;
    const std::uint8_t requestType = setup[0];
    const std::uint8_t request = setup[1];
    const auto value = static_cast<std::uint16_t>(setup[2] | setup[3] << 8);
    const auto index = static_cast<std::uint16_t>(setup[4] | setup[5] << 8);
    const auto length = static_cast<std::uint16_t>(setup[6] | setup[7] << 8);

    std::vector<std::uint8_t> reply;
    if (requestType == 0x80 && request == 6) {  // GET_DESCRIPTOR
        const int type = value >> 8;
        const int number = value & 0xFF;
        if (type == 1) {
            reply = deviceDescriptor_;
        } else if (type == 2 && number == 0) {
            reply = configDescriptor_;
        } else if (type == 3 && number == 0) {
            reply = {4, 3, 0x09, 0x04};  // English (United States)
        } else if (type == 3 && number <= static_cast<int>(strings_.size())) {
            reply = StringDescriptor(strings_[static_cast<std::size_t>(number - 1)]);
        } else {
            return false;
        }
    } else if (requestType == 0x02 && request == 1 && value == 0) {  // CLEAR_FEATURE(HALT)
        if (tmc_) {
            tmc_->ClearHalt(static_cast<std::uint8_t>(index));
        }
        return true;
    } else if ((requestType & 0x60) == 0x20 && (requestType & 0x80) != 0 && tmc_) {
        auto answer = tmc_->ClassRequest(requestType, request, value, index, length);
        if (!answer) {
            return false;
        }
        reply = std::move(*answer);
    } else {
        return false;
    }
    const std::size_t count = std::min<std::size_t>(reply.size(), length);
    std::copy(reply.begin(), reply.begin() + static_cast<std::ptrdiff_t>(count), data);
    actual = static_cast<int>(count);
    return true;
}

}  // namespace voltora::usbmock
