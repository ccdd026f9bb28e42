// The main window's connection dialog with a virtual USB-TMC meter plugged
// into a umockdev bus: the meter is listed with its model, connecting reaches
// it through libusb and readings flow; unplugging it while a reply is
// awaited gives the link's message, and the window stays usable. Runs under umockdev-wrapper.
#include "AppWindowFixture.h"
#include "app/CDlgProtocol.h"
#include "app/MainMenu.h"
#include "usbmock/VirtualUsbBus.h"
#include "usbmock/VirtualUsbDevice.h"
#include "views/TemplateBuilder.h"

#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>

#include <chrono>
#include <thread>

using namespace voltora::app;
using namespace voltora::app::testing;
using voltora::views::ControlName;

namespace {

class VirtualUsbConnectTest : public AppWindowFixture {};

TEST_F(VirtualUsbConnectTest, DialogListsTheMeterAndConnectingGivesReadingsUntilItIsUnplugged)
{
    if (!voltora::usbmock::VirtualUsbBus::Available()) {
        GTEST_SKIP() << "not under umockdev-wrapper";
    }
    voltora::usbmock::VirtualUsbBus bus;
    voltora::usbmock::VirtualDeviceSpec spec;
    spec.serial = "ZUAPP0001";
    auto device = bus.AddMeter(spec, voltora::usbmock::MeterResponder(meter));
    const QString row = "ZAN Bench DMM \"USB0::0x5A4E::0x0105::ZUAPP0001::INSTR\"";

    shell.drivers.push_back([&row](QDialog& dialog) {
        dialog.findChild<QRadioButton*>(ControlName(CDlgProtocol::kUsbtmcRadio))->click();
        auto* combo = dialog.findChild<QComboBox*>(ControlName(CDlgProtocol::kResourceCombo));
        EXPECT_EQ(combo->count(), 1);
        EXPECT_EQ(combo->currentText(), row);
        dialog.findChild<QPushButton*>(ControlName(CDlgProtocol::kOkButton))->click();
        return dialog.result();
    });
    Window().OnConnect();
    ASSERT_TRUE(CConectWithNI::Instance()->IsConnected());
    EXPECT_TRUE(WaitUntil([this] { return Reading(); }));
    EXPECT_GE(CountOf(device->Tmc()->Messages(), "DATA:LAST?"), 1);
    EXPECT_EQ(ShownTexts(), std::vector<QString>{});

    // Unplugged while the worker waits for a reply: the meter falls silent
    // first, so that a read is in flight (a write that fails on a gone
    // meter ends a query without a message).
    voltora::usbmock::UsbTmcFaults silent;
    silent.silent = true;
    device->Tmc()->SetFaults(silent);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    bus.Unplug(device);
    EXPECT_TRUE(WaitUntil([this] {
        const auto texts = ShownTexts();
        return !texts.empty() &&
               texts.back() ==
                   "Failed to communicate with the device, please check the device connection!";
    }));
    Window().OnDisconnect();
    EXPECT_FALSE(CConectWithNI::Instance()->IsConnected());
    EXPECT_TRUE(IsEnabled(kConnectCommand));
}

}  // namespace
