#include "visa/UsbResource.h"

#include <gtest/gtest.h>

namespace voltora::visa {
namespace {

TEST(UsbResourceTest, ParsesHexAndDecimalIdsAndTheInterface)
{
    auto parsed = ParseUsbResource("USB0::0x1AB1::0x0588::DM3R123::INSTR");
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->vendorId, 0x1AB1);
    EXPECT_EQ(parsed->productId, 0x0588);
    EXPECT_EQ(parsed->serial, "DM3R123");
    EXPECT_FALSE(parsed->interfaceNumber);

    parsed = ParseUsbResource("usb1::6833::1416::SN-9::2::instr");
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->board, 1u);
    EXPECT_EQ(parsed->vendorId, 6833);
    EXPECT_EQ(parsed->productId, 1416);
    EXPECT_EQ(parsed->serial, "SN-9");
    ASSERT_TRUE(parsed->interfaceNumber);
    EXPECT_EQ(*parsed->interfaceNumber, 2);
}

TEST(UsbResourceTest, RefusesMalformedStrings)
{
    for (const char* bad : {"USB0::0x1AB1::0x0588::INSTR", "USB0::0x1AB1::0x0588::SN::RAW",
                            "USB0::0x10000::0x0588::SN::INSTR", "USB0::0xZZ::0x0588::SN::INSTR",
                            "USB0::0x1AB1::0x0588::::INSTR", "USB0::0x1AB1::0x0588::SN::x::INSTR",
                            "USB0::0x1AB1::0x0588::SN::300::INSTR", "TCPIP0::1.2.3.4::INSTR",
                            "USBx::0x1AB1::0x0588::SN::INSTR"}) {
        EXPECT_FALSE(ParseUsbResource(bad)) << bad;
    }
}

TEST(UsbResourceTest, FormatsAsVisaListsThemAndParsesBack)
{
    EXPECT_EQ(FormatUsbResource(0x1AB1, 0x588, "DM3R123", 0),
              "USB0::0x1AB1::0x0588::DM3R123::INSTR");
    EXPECT_EQ(FormatUsbResource(0xF, 0xABCD, "", 12), "USB0::0x000F::0xABCD::NOSERIAL::12::INSTR");
    const auto parsed = ParseUsbResource(FormatUsbResource(0xF, 0xABCD, "S", 3));
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->vendorId, 0xF);
    EXPECT_EQ(parsed->productId, 0xABCD);
    EXPECT_EQ(*parsed->interfaceNumber, 3);
}

}  // namespace
}  // namespace voltora::visa
