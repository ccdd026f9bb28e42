// Resource strings and search expressions as a user or a VISA caller may
// write them: parsing never fails unsafely, what parses formats back to a
// resource that parses the same, and matching finishes quickly whatever the
// expression (a slow case shows as a libFuzzer time-out).
#include "FuzzInput.h"
#include "visa/ResourceExpression.h"
#include "visa/TcpipResource.h"
#include "visa/UsbResource.h"

#include <cstdlib>
#include <string>

using namespace voltora::visa;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size)
{
    voltora::fuzz::FuzzInput input(bytes, size);
    const std::string_view expression = input.Bytes(input.Byte());
    const std::string_view resource = input.Rest();

    ParseTcpipResource(resource);
    if (auto usb = ParseUsbResource(resource)) {
        const std::string again = FormatUsbResource(usb->vendorId, usb->productId, usb->serial,
                                                    usb->interfaceNumber.value_or(0));
        auto reparsed = ParseUsbResource(again);
        if (reparsed && (reparsed->vendorId != usb->vendorId ||
                         reparsed->productId != usb->productId || reparsed->serial != usb->serial)) {
            std::abort();
        }
    }
    const bool matches = MatchesExpression(expression, resource);
    // "?*" takes any resource; an expression equal to the resource takes it.
    if (!MatchesExpression("?*", resource) ||
        (expression.find_first_of("?*") == std::string_view::npos && expression == resource &&
         !matches)) {
        std::abort();
    }
    StartsWithNoCase(resource, expression);
    return 0;
}
