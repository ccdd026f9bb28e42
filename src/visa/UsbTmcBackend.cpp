#include "visa/UsbTmcBackend.h"

#include "platform/CNumbers.h"
#include "visa/LibusbTransport.h"
#include "visa/LinkDiagnostics.h"
#include "visa/ResourceExpression.h"
#include "visa/UsbResource.h"
#include "visa/UsbTmcFraming.h"
#include "visa/UsbTmcSession.h"

#include <fstream>
#include <string>
#include <vector>

namespace voltora::visa {
namespace {

// One USB-TMC interface found on the bus.
struct FoundInterface {
    libusb_device* device = nullptr;
    libusb_device_descriptor descriptor{};
    UsbTmcInterface interface;
};

// The device's directory in sysfs ("/sys/bus/usb/devices/1-1.4"), whose
// string files can be read without access to the device node.
std::string SysfsDirectory(libusb_device* device)
{
    std::uint8_t ports[8];
    const int depth = libusb_get_port_numbers(device, ports, sizeof(ports));
    if (depth <= 0) {
        return {};
    }
    std::string path = platform::CFormat("/sys/bus/usb/devices/%u-",
                                         static_cast<unsigned>(libusb_get_bus_number(device)));
    for (int i = 0; i < depth; ++i) {
        path += platform::CFormat(i > 0 ? ".%u" : "%u", static_cast<unsigned>(ports[i]));
    }
    return path;
}

std::string ReadSysfsString(libusb_device* device, const char* name)
{
    const std::string directory = SysfsDirectory(device);
    if (directory.empty()) {
        return {};
    }
    std::ifstream file(directory + "/" + name);
    std::string text;
    std::getline(file, text);
    return text;
}

// A string descriptor, from the opened device or else from sysfs.
std::string DeviceString(libusb_device* device, libusb_device_handle* handle,
                         std::uint8_t index, const char* sysfsName)
{
    if (index == 0) {
        return {};
    }
    if (handle != nullptr) {
        unsigned char text[256] = {};
        const int n = libusb_get_string_descriptor_ascii(handle, index, text, sizeof(text));
        if (n > 0) {
            return std::string(reinterpret_cast<const char*>(text), static_cast<std::size_t>(n));
        }
    }
    return ReadSysfsString(device, sysfsName);
}

// Every USB-TMC interface of the devices in `list`.
std::vector<FoundInterface> FindInterfaces(libusb_device** list, ssize_t count)
{
    std::vector<FoundInterface> found;
    for (ssize_t i = 0; i < count; ++i) {
        libusb_device* device = list[i];
        libusb_device_descriptor descriptor{};
        if (libusb_get_device_descriptor(device, &descriptor) != LIBUSB_SUCCESS) {
            continue;
        }
        libusb_config_descriptor* config = nullptr;
        if (libusb_get_active_config_descriptor(device, &config) != LIBUSB_SUCCESS &&
            libusb_get_config_descriptor(device, 0, &config) != LIBUSB_SUCCESS) {
            continue;
        }
        for (int n = 0; n < config->bNumInterfaces; ++n) {
            const libusb_interface& candidate = config->interface[n];
            for (int alt = 0; alt < candidate.num_altsetting; ++alt) {
                const libusb_interface_descriptor& setting = candidate.altsetting[alt];
                if (setting.bInterfaceClass != usbtmc::kInterfaceClass ||
                    setting.bInterfaceSubClass != usbtmc::kInterfaceSubClass) {
                    continue;
                }
                FoundInterface entry;
                entry.device = device;
                entry.descriptor = descriptor;
                entry.interface.number = setting.bInterfaceNumber;
                entry.interface.alternateSetting = setting.bAlternateSetting;
                for (int e = 0; e < setting.bNumEndpoints; ++e) {
                    const libusb_endpoint_descriptor& endpoint = setting.endpoint[e];
                    if ((endpoint.bmAttributes & 0x03) != LIBUSB_TRANSFER_TYPE_BULK) {
                        continue;
                    }
                    if ((endpoint.bEndpointAddress & LIBUSB_ENDPOINT_IN) != 0) {
                        entry.interface.bulkIn = endpoint.bEndpointAddress;
                        entry.interface.maxPacketSize = endpoint.wMaxPacketSize;
                    } else {
                        entry.interface.bulkOut = endpoint.bEndpointAddress;
                    }
                }
                if (entry.interface.bulkIn != 0 && entry.interface.bulkOut != 0) {
                    found.push_back(entry);
                    break;  // one alternate setting per interface
                }
            }
        }
        libusb_free_config_descriptor(config);
    }
    return found;
}

std::string PermissionMessage(const FoundInterface& found)
{
    std::string ids = FormatUsbResource(found.descriptor.idVendor, found.descriptor.idProduct,
                                        "-", 0);
    return "no permission to open the USB instrument " + ids.substr(6, 14) +
           platform::CFormat(" (bus %u, device %u)",
                             static_cast<unsigned>(libusb_get_bus_number(found.device)),
                             static_cast<unsigned>(libusb_get_device_address(found.device))) +
           ": install the udev rule " + UsbTmcBackend::kUdevRule +
           " that comes with Voltora (in /usr/lib/udev/rules.d or /etc/udev/rules.d), run "
           "\"udevadm control --reload\" and plug the instrument in again";
}

// The device list of the moment, released when it goes out of scope.
class DeviceList {
public:
    DeviceList()
    {
        if (LibusbContext() != nullptr) {
            count_ = libusb_get_device_list(LibusbContext(), &list_);
        }
    }
    ~DeviceList()
    {
        if (list_ != nullptr) {
            libusb_free_device_list(list_, 1);
        }
    }
    DeviceList(const DeviceList&) = delete;
    DeviceList& operator=(const DeviceList&) = delete;

    std::vector<FoundInterface> Interfaces() const
    {
        return count_ > 0 ? FindInterfaces(list_, count_) : std::vector<FoundInterface>{};
    }

private:
    libusb_device** list_ = nullptr;
    ssize_t count_ = 0;
};

}  // namespace

bool UsbTmcBackend::Accepts(std::string_view resource) const
{
    return ParseUsbResource(resource).has_value();
}

void UsbTmcBackend::Find(std::string_view expression, std::vector<std::string>& resources)
{
    // Only searches that can match a USB resource touch the bus.
    if (!MatchesExpression(expression, "USB0::0x0000::0x0000::X::INSTR") &&
        !MatchesExpression(expression, "USB0::0x0000::0x0000::X::0::INSTR") &&
        !StartsWithNoCase(expression, "USB")) {
        return;
    }
    DeviceList devices;
    for (const FoundInterface& found : devices.Interfaces()) {
        libusb_device_handle* handle = nullptr;
        libusb_open(found.device, &handle);  // for the serial number; sysfs otherwise
        const std::string serial =
            DeviceString(found.device, handle, found.descriptor.iSerialNumber, "serial");
        if (handle != nullptr) {
            libusb_close(handle);
        }
        const std::string resource = FormatUsbResource(
            found.descriptor.idVendor, found.descriptor.idProduct, serial, found.interface.number);
        if (MatchesExpression(expression, resource)) {
            resources.push_back(resource);
        }
    }
}

ViStatus UsbTmcBackend::Open(std::string_view resource, std::chrono::milliseconds timeout,
                             std::unique_ptr<IVisaSession>& session)
{
    (void)timeout;
    const auto wanted = ParseUsbResource(resource);
    if (!wanted) {
        return VI_ERROR_INV_RSRC_NAME;
    }
    DeviceList devices;
    for (const FoundInterface& found : devices.Interfaces()) {
        if (found.descriptor.idVendor != wanted->vendorId ||
            found.descriptor.idProduct != wanted->productId ||
            (wanted->interfaceNumber && *wanted->interfaceNumber != found.interface.number)) {
            continue;
        }
        libusb_device_handle* handle = nullptr;
        const int opened = libusb_open(found.device, &handle);
        std::string serial =
            DeviceString(found.device, handle, found.descriptor.iSerialNumber, "serial");
        if (serial.empty()) {
            serial = UsbResource::kNoSerial;
        }
        if (!StartsWithNoCase(serial, wanted->serial) || serial.size() != wanted->serial.size()) {
            if (handle != nullptr) {
                libusb_close(handle);
            }
            continue;
        }
        if (opened == LIBUSB_ERROR_ACCESS) {
            ReportLinkProblem(PermissionMessage(found));
            return VI_ERROR_NPERMISSION;
        }
        if (opened != LIBUSB_SUCCESS) {
            return opened == LIBUSB_ERROR_NO_DEVICE ? VI_ERROR_RSRC_NFOUND : VI_ERROR_IO;
        }
        const std::string product =
            DeviceString(found.device, handle, found.descriptor.iProduct, "product");
        std::unique_ptr<LibusbTransport> transport;
        const int claimed = LibusbTransport::Claim(handle, found.interface, product, transport);
        if (claimed != VI_SUCCESS) {
            return claimed;
        }
        session = std::make_unique<UsbTmcSession>(std::move(transport));
        return VI_SUCCESS;
    }
    return VI_ERROR_RSRC_NFOUND;
}

}  // namespace voltora::visa
