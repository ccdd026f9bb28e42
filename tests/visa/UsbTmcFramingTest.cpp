#include "visa/UsbTmcFraming.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace voltora::visa::usbtmc {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(UsbTmcFramingTest, TagsCountFromOneToTwoHundredFiftyFiveAndSkipZero)
{
    EXPECT_EQ(NextTag(0), 1);
    EXPECT_EQ(NextTag(1), 2);
    EXPECT_EQ(NextTag(254), 255);
    EXPECT_EQ(NextTag(255), 1);
    std::uint8_t tag = 0;
    for (int i = 0; i < 600; ++i) {
        tag = NextTag(tag);
        ASSERT_NE(tag, 0);
    }
}

TEST(UsbTmcFramingTest, DevDepMsgOutWithEndOfMessageIsPaddedToFourBytes)
{
    const std::string message = "DATA:LAST?";
    const Bytes transfer =
        DevDepMsgOut(7, reinterpret_cast<const std::uint8_t*>(message.data()), message.size(), true);
    Bytes expected = {1, 7, 0xF8, 0, 10, 0, 0, 0, 0x01, 0, 0, 0};
    expected.insert(expected.end(), message.begin(), message.end());
    expected.insert(expected.end(), {0, 0});
    EXPECT_EQ(transfer, expected);
}

TEST(UsbTmcFramingTest, PartOfALongMessageHasNoEndOfMessage)
{
    const std::uint8_t data[4] = {'a', 'b', 'c', 'd'};
    const Bytes transfer = DevDepMsgOut(255, data, 4, false);
    EXPECT_EQ(transfer, (Bytes{1, 255, 0, 0, 4, 0, 0, 0, 0, 0, 0, 0, 'a', 'b', 'c', 'd'}));
}

TEST(UsbTmcFramingTest, TransferLengthIsAlwaysAMultipleOfFour)
{
    const std::uint8_t data[8] = {};
    const std::size_t expected[] = {12, 16, 16, 16, 16, 20, 20, 20, 20};
    for (std::size_t size = 0; size <= 8; ++size) {
        EXPECT_EQ(DevDepMsgOut(1, data, size, true).size(), expected[size]) << size;
        EXPECT_EQ(InTransferLength(static_cast<std::uint32_t>(size)), expected[size]) << size;
    }
}

TEST(UsbTmcFramingTest, RequestDevDepMsgIn)
{
    EXPECT_EQ(RequestDevDepMsgIn(2, 0x00012345),
              (Bytes{2, 2, 0xFD, 0, 0x45, 0x23, 0x01, 0, 0, 0, 0, 0}));
    EXPECT_EQ(RequestDevDepMsgIn(3, 256, '\n'),
              (Bytes{2, 3, 0xFC, 0, 0, 1, 0, 0, 0x02, '\n', 0, 0}));
}

struct HeaderCase {
    const char* name;
    Bytes bytes;
    bool valid;
    std::uint8_t tag;
    std::uint32_t size;
    bool eom;
};

class InHeaderTest : public ::testing::TestWithParam<HeaderCase> {};

TEST_P(InHeaderTest, Parses)
{
    const HeaderCase& c = GetParam();
    const auto header = ParseInHeader(c.bytes.data(), c.bytes.size());
    ASSERT_EQ(header.has_value(), c.valid);
    if (c.valid) {
        EXPECT_EQ(header->tag, c.tag);
        EXPECT_EQ(header->transferSize, c.size);
        EXPECT_EQ(header->endOfMessage, c.eom);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Headers, InHeaderTest,
    ::testing::Values(
        HeaderCase{"EndOfMessage", {2, 5, 0xFA, 0, 4, 0, 0, 0, 1, 0, 0, 0}, true, 5, 4, true},
        HeaderCase{"MoreToCome", {2, 5, 0xFA, 0, 4, 0, 0, 0, 0, 0, 0, 0}, true, 5, 4, false},
        HeaderCase{"LargeSize", {2, 9, 0xF6, 0, 0x78, 0x56, 0x34, 0x12, 1, 0, 0, 0}, true, 9,
                   0x12345678u, true},
        HeaderCase{"WrongMessageId", {1, 5, 0xFA, 0, 4, 0, 0, 0, 1, 0, 0, 0}, false, 0, 0, false},
        HeaderCase{"TagInverseWrong", {2, 5, 0xFB, 0, 4, 0, 0, 0, 1, 0, 0, 0}, false, 0, 0, false},
        HeaderCase{"TagZero", {2, 0, 0xFF, 0, 4, 0, 0, 0, 1, 0, 0, 0}, false, 0, 0, false},
        HeaderCase{"TooShort", {2, 5, 0xFA, 0, 4, 0, 0, 0}, false, 0, 0, false}),
    [](const ::testing::TestParamInfo<HeaderCase>& paramInfo) { return paramInfo.param.name; });

TEST(UsbTmcFramingTest, CheckAbortBulkInStatus)
{
    const std::uint8_t pending[8] = {kStatusPending, 1, 0, 0, 0, 0, 0, 0};
    auto status = ParseCheckAbortBulkInStatus(pending, 8);
    ASSERT_TRUE(status);
    EXPECT_EQ(status->status, kStatusPending);
    EXPECT_TRUE(status->moreData);
    const std::uint8_t done[8] = {kStatusSuccess, 0, 0, 0, 0, 0, 0, 0};
    status = ParseCheckAbortBulkInStatus(done, 8);
    ASSERT_TRUE(status);
    EXPECT_FALSE(status->moreData);
    EXPECT_FALSE(ParseCheckAbortBulkInStatus(done, 1));
}

}  // namespace
}  // namespace voltora::visa::usbtmc
