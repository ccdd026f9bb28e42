#include "usbmock/VirtualUsbBus.h"

#include "sim/SimulatedMeter.h"
#include "usbmock/VirtualUsbDevice.h"

#include <umockdev.h>

#include <linux/capability.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <stdexcept>

namespace voltora::usbmock {
namespace {

void Put16(std::vector<std::uint8_t>& out, unsigned value)
{
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

std::vector<std::uint8_t> DeviceDescriptor(const VirtualDeviceSpec& spec)
{
    std::vector<std::uint8_t> d{18, 1};
    Put16(d, 0x0200);  // USB 2.0
    d.insert(d.end(), {0, 0, 0, 64});  // class per interface; 64-byte control endpoint
    Put16(d, spec.vendorId);
    Put16(d, spec.productId);
    Put16(d, 0x0100);
    d.insert(d.end(), {1, 2, 3, 1});  // string indexes, one configuration
    return d;
}

std::vector<std::uint8_t> Endpoint(std::uint8_t address, std::uint8_t type, unsigned packet,
                                   std::uint8_t interval)
{
    std::vector<std::uint8_t> e{7, 5, address, type};
    Put16(e, packet);
    e.push_back(interval);
    return e;
}

// One configuration with one interface: USB-TMC (class 0xFE, subclass 3,
// protocol 1: USB488) with bulk-in, bulk-out and interrupt-in endpoints, or
// a boot keyboard.
std::vector<std::uint8_t> ConfigDescriptor(const VirtualDeviceSpec& spec)
{
    std::vector<std::uint8_t> body;
    if (spec.usbTmc) {
        const unsigned packet = spec.highSpeed ? 512 : 64;
        body = {9, 4, 0, 0, 3, 0xFE, 0x03, 0x01, 0};
        for (const auto& e : {Endpoint(UsbTmcDeviceModel::kBulkIn, 2, packet, 0),
                              Endpoint(UsbTmcDeviceModel::kBulkOut, 2, packet, 0),
                              Endpoint(UsbTmcDeviceModel::kInterruptIn, 3, 8,
                                       spec.highSpeed ? 8 : 10)}) {
            body.insert(body.end(), e.begin(), e.end());
        }
    } else {
        body = {9, 4, 0, 0, 1, 0x03, 0x01, 0x01, 0,       // HID boot keyboard
                9, 0x21, 0x11, 0x01, 0, 1, 0x22, 63, 0};  // HID descriptor
        const auto e = Endpoint(0x81, 3, 8, 10);
        body.insert(body.end(), e.begin(), e.end());
    }
    std::vector<std::uint8_t> config{9, 2};
    Put16(config, static_cast<unsigned>(9 + body.size()));
    config.insert(config.end(), {1, 1, 0, 0x80, 50});  // bus powered, 100 mA
    config.insert(config.end(), body.begin(), body.end());
    return config;
}

std::string Hex(const std::vector<std::uint8_t>& bytes)
{
    std::string text;
    char digits[3];
    for (const std::uint8_t b : bytes) {
        std::snprintf(digits, sizeof(digits), "%02x", b);
        text += digits;
    }
    return text;
}

// An ASCII sysfs attribute line of umockdev's text format.
std::string Attribute(const std::string& name, const std::string& value)
{
    std::string escaped;
    for (const char c : value) {
        escaped += c == '\\' ? std::string("\\\\") : std::string(1, c);
    }
    return "A: " + name + "=" + escaped + "\\n\n";
}

std::string Hex4(unsigned value)
{
    char text[8];
    std::snprintf(text, sizeof(text), "%04x", value);
    return text;
}

constexpr const char* kHostController = "/devices/pci0000:00/0000:00:14.0";

}  // namespace

struct VirtualUsbBus::Testbed {
    UMockdevTestbed* testbed = nullptr;
    std::vector<std::shared_ptr<VirtualUsbDevice>> devices;
    std::set<std::string> removed;  // sysfs paths of devices taken off the bus
};

bool VirtualUsbBus::Available()
{
    // The preload library must be in the process from its start; the
    // testbed itself sets UMOCKDEV_DIR only once it exists.
    const char* preload = std::getenv("LD_PRELOAD");
    return preload != nullptr && std::strstr(preload, "libumockdev-preload") != nullptr;
}

VirtualUsbBus::VirtualUsbBus() : testbed_(std::make_unique<Testbed>())
{
    if (!Available()) {
        throw std::runtime_error(
            "not running under the umockdev preload library (use umockdev-wrapper)");
    }
    testbed_->testbed = umockdev_testbed_new();
    // The root hub of bus 1, as the kernel lists it.
    const std::vector<std::uint8_t> hub{18, 1, 0, 2, 9, 0, 1, 64, 0x6b, 0x1d, 2, 0,
                                        0x06, 0x06, 3, 2, 1, 1};
    const std::vector<std::uint8_t> hubConfig{9, 2, 25, 0, 1, 1, 0, 0xE0, 0, 9, 4, 0, 0,
                                              1, 9, 0, 0, 0, 7, 5, 0x81, 3, 4, 0, 12};
    std::string text = std::string("P: ") + kHostController + "/usb1\nN: bus/usb/001/001\n" +
                       "E: SUBSYSTEM=usb\nE: DEVTYPE=usb_device\nE: DRIVER=usb\n"
                       "E: BUSNUM=001\nE: DEVNUM=001\nE: DEVNAME=/dev/bus/usb/001/001\n" +
                       Attribute("busnum", "1") + Attribute("devnum", "1") +
                       Attribute("speed", "480") + Attribute("bConfigurationValue", "1") +
                       Attribute("idVendor", "1d6b") + Attribute("idProduct", "0002") +
                       Attribute("product", "EHCI Host Controller") + "H: descriptors=" +
                       Hex(hub) + Hex(hubConfig) + "\n";
    umockdev_testbed_add_from_string(testbed_->testbed, text.c_str(), nullptr);
}

VirtualUsbBus::~VirtualUsbBus()
{
    for (const auto& device : testbed_->devices) {
        umockdev_testbed_detach_ioctl(testbed_->testbed, device->DevNode().c_str(), nullptr);
    }
    testbed_->devices.clear();
    g_object_unref(testbed_->testbed);
}

std::string VirtualUsbBus::RootDirectory() const
{
    gchar* root = umockdev_testbed_get_root_dir(testbed_->testbed);
    std::string text = root;
    g_free(root);
    return text;
}

std::shared_ptr<VirtualUsbDevice> VirtualUsbBus::AddMeter(const VirtualDeviceSpec& spec,
                                                          UsbTmcDeviceModel::Responder responder)
{
    VirtualDeviceSpec tmc = spec;
    tmc.usbTmc = true;
    return Add(tmc, std::move(responder));
}

std::shared_ptr<VirtualUsbDevice> VirtualUsbBus::AddOtherDevice(const VirtualDeviceSpec& spec)
{
    VirtualDeviceSpec other = spec;
    other.usbTmc = false;
    return Add(other, {});
}

std::shared_ptr<VirtualUsbDevice> VirtualUsbBus::Add(const VirtualDeviceSpec& spec,
                                                     UsbTmcDeviceModel::Responder responder)
{
    std::lock_guard<std::mutex> guard(mutex_);
    // Each device gets a port and address of its own, never reused in this
    // process, so that libusb never mistakes a new device for a gone one.
    const int port = nextPort_++;
    const int address = port + 1;
    char devNumber[16];
    std::snprintf(devNumber, sizeof(devNumber), "%03d", address);
    const std::string node = std::string("bus/usb/001/") + devNumber;
    const std::string name = "1-" + std::to_string(port);
    const std::string sysPath = std::string(kHostController) + "/usb1/" + name;

    std::unique_ptr<UsbTmcDeviceModel> model;
    if (spec.usbTmc) {
        model = std::make_unique<UsbTmcDeviceModel>(spec.highSpeed ? 512 : 64,
                                                    std::move(responder));
    }
    auto device = std::make_shared<VirtualUsbDevice>(
        "/dev/" + node, "/sys" + sysPath, DeviceDescriptor(spec), ConfigDescriptor(spec),
        std::vector<std::string>{spec.manufacturer, spec.product, spec.serial}, std::move(model));
    // The handler first, so that an open right after the "add" uevent works.
    umockdev_testbed_attach_ioctl(testbed_->testbed, device->DevNode().c_str(),
                                  device->Handler(), nullptr);

    const std::string interfaces = spec.usbTmc ? ":fe0301:" : ":030101:";
    std::string text =
        "P: " + sysPath + "\nN: " + node + "\nE: SUBSYSTEM=usb\nE: DEVTYPE=usb_device\n" +
        "E: DRIVER=usb\nE: BUSNUM=001\nE: DEVNUM=" + devNumber + "\nE: DEVNAME=/dev/" + node +
        "\nE: PRODUCT=" + Hex4(spec.vendorId) + "/" + Hex4(spec.productId) + "/100\n" +
        "E: ID_USB_INTERFACES=" + interfaces + "\n" + Attribute("busnum", "1") +
        Attribute("devnum", std::to_string(address)) +
        Attribute("speed", spec.highSpeed ? "480" : "12") +
        Attribute("bConfigurationValue", "1") + Attribute("bNumInterfaces", " 1") +
        Attribute("idVendor", Hex4(spec.vendorId)) + Attribute("idProduct", Hex4(spec.productId)) +
        Attribute("manufacturer", spec.manufacturer) + Attribute("product", spec.product) +
        Attribute("serial", spec.serial) + "H: descriptors=" + Hex(DeviceDescriptor(spec)) +
        Hex(ConfigDescriptor(spec)) + "\n";
    GError* error = nullptr;
    if (!umockdev_testbed_add_from_string(testbed_->testbed, text.c_str(), &error)) {
        const std::string message = error != nullptr ? error->message : "unknown error";
        g_clear_error(&error);
        throw std::runtime_error("umockdev cannot add " + name + ": " + message);
    }
    testbed_->devices.push_back(device);
    return device;
}

void VirtualUsbBus::Unplug(const std::shared_ptr<VirtualUsbDevice>& device)
{
    device->Vanish();
    std::lock_guard<std::mutex> guard(mutex_);
    if (!testbed_->removed.insert(device->SysPath()).second) {
        return;  // already off the bus
    }
    // Removing the device sends its "remove" uevent, which libusb follows.
    umockdev_testbed_remove_device(testbed_->testbed, device->SysPath().c_str());
}

void VirtualUsbBus::Remove(const std::shared_ptr<VirtualUsbDevice>& device)
{
    Unplug(device);
}

void VirtualUsbBus::SetAccessible(const std::shared_ptr<VirtualUsbDevice>& device,
                                  bool accessible)
{
    const std::string path = RootDirectory() + device->DevNode();
    chmod(path.c_str(), accessible ? 0666 : 0);
}

UsbTmcDeviceModel::Responder MeterResponder(std::shared_ptr<sim::SimulatedMeter> meter)
{
    return [meter = std::move(meter)](std::string_view message) {
        return meter->Execute(message);
    };
}

NoFileAccessOverride::NoFileAccessOverride()
{
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2] = {};
    if (syscall(SYS_capget, &header, data) != 0) {
        return;
    }
    saved_[0] = data[0].effective;
    saved_[1] = data[1].effective;
    const std::uint32_t drop = (1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH);
    data[0].effective &= ~drop;
    changed_ = syscall(SYS_capset, &header, data) == 0;
}

NoFileAccessOverride::~NoFileAccessOverride()
{
    if (!changed_) {
        return;
    }
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2] = {};
    if (syscall(SYS_capget, &header, data) != 0) {
        return;
    }
    data[0].effective = saved_[0];
    data[1].effective = saved_[1];
    syscall(SYS_capset, &header, data);
}

}  // namespace voltora::usbmock
