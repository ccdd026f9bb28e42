#pragma once

#include "visa/Vxi11Discovery.h"

#include <string>
#include <string_view>
#include <vector>

namespace voltora::app {

// The texts and choices of the connection dialog, apart from its widgets.

// A row of the USB list: the model name, a blank and the resource string in
// double quotes ("ZAN 900 \"USB0::0x5345::0x1234::SN1::INSTR\"").
std::string UsbRowText(const std::string& model, const std::string& resource);

// The row selected after a search: the last row whose model contains "ZAN",
// else row 0; -1 for an empty list.
int PreferredUsbRow(const std::vector<std::string>& models);

// The resource of a LAN meter: "TCPIP0::" + address + "::inst0::INSTR".
std::string Vxi11Resource(const std::string& address);

// A row of the list of LAN meters found: the address, two blanks and the
// identity ("(no identity)" when the meter gave none).
std::string FoundInstrumentText(const visa::FoundInstrument& instrument);

// The dotted decimal form of an IP address typed into the address field:
// four fields, each the decimal value of its digits (an empty field is 0,
// values above 255 are 255). Blanks are ignored; fields beyond the fourth
// are dropped.
std::string DottedAddress(std::string_view typed);

// The USB resource that OK takes. The row texts are those of the list,
// `current` the selected row (-1: none) and `shown` the text in the box.
// When the text is that of the selected row, its resource is taken. When the
// user typed over it, the typed text decides: the part between its first and
// last double quote when it holds two, else the whole text without blanks at
// its ends (so any resource string can be typed); empty text gives an empty
// resource, and the connect then fails.
std::string ChosenUsbResource(const std::vector<std::string>& resources,
                              const std::vector<std::string>& rowTexts, int current,
                              const std::string& shown);

}  // namespace voltora::app
