#include "protocol/RpcRecordStream.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include <arpa/inet.h>

namespace voltora::protocol {
namespace {

// One fragment on the wire: its mark and body.
std::string Fragment(const std::string& body, bool last)
{
    std::uint32_t mark = static_cast<std::uint32_t>(body.size());
    if (last) {
        mark |= RpcRecordStream::kLastFragment;
    }
    mark = htonl(mark);
    std::string out(reinterpret_cast<const char*>(&mark), sizeof(mark));
    return out + body;
}

// Feeds `wire` to the stream `piece` bytes at a time and collects every
// record that becomes whole.
std::vector<std::string> Feed(RpcRecordStream& stream, const std::string& wire,
                              std::size_t piece)
{
    std::vector<std::string> records;
    for (std::size_t at = 0; at < wire.size(); at += piece) {
        const std::size_t n = std::min(piece, wire.size() - at);
        std::size_t room = 0;
        char* space = stream.Space(n, room);
        EXPECT_GE(room, n);
        std::memcpy(space, wire.data() + at, n);
        stream.Commit(n);
        const char* data = nullptr;
        std::size_t size = 0;
        while (stream.NextRecord(data, size) == RpcRecordStream::Result::Complete) {
            records.emplace_back(data, size);
            stream.Consume();
        }
    }
    return records;
}

TEST(RpcRecordStreamTest, RecordsComeOutWholeWhateverPiecesTheBytesArriveIn)
{
    const std::string big(100000, 'x');
    struct Case {
        const char* name;
        std::string wire;
        std::vector<std::string> records;
    };
    const std::vector<Case> cases = {
        {"one fragment", Fragment("reply", true), {"reply"}},
        {"three fragments joined", Fragment("ab", false) + Fragment("", false) +
                                       Fragment("cde", true),
         {"abcde"}},
        {"records back to back", Fragment("first", true) + Fragment("sec", false) +
                                     Fragment("ond", true) + Fragment("", true),
         {"first", "second", ""}},
        {"a record larger than the first buffer", Fragment(big, false) + Fragment("!", true),
         {big + "!"}},
    };
    for (const Case& c : cases) {
        for (std::size_t piece : {std::size_t{1}, std::size_t{3}, std::size_t{4},
                                  std::size_t{7}, std::size_t{65536}, c.wire.size()}) {
            RpcRecordStream stream(1 << 20);
            EXPECT_EQ(Feed(stream, c.wire, piece), c.records)
                << c.name << ", pieces of " << piece;
            EXPECT_EQ(stream.Buffered(), 0u) << c.name << ", pieces of " << piece;
        }
    }
}

TEST(RpcRecordStreamTest, PartialRecordWaitsAndTheRestOfTheStreamStays)
{
    RpcRecordStream stream(1024);
    const std::string wire = Fragment("late", true) + Fragment("next", true);
    auto append = [&stream](const std::string& bytes) {
        std::size_t room = 0;
        char* space = stream.Space(bytes.size(), room);
        std::memcpy(space, bytes.data(), bytes.size());
        stream.Commit(bytes.size());
    };
    // The first record and half of the second record's mark arrive.
    append(wire.substr(0, 10));
    const char* data = nullptr;
    std::size_t size = 0;
    ASSERT_EQ(stream.NextRecord(data, size), RpcRecordStream::Result::Complete);
    EXPECT_EQ(std::string(data, size), "late");
    // Asking again before Consume() gives the same record.
    ASSERT_EQ(stream.NextRecord(data, size), RpcRecordStream::Result::Complete);
    EXPECT_EQ(std::string(data, size), "late");
    stream.Consume();
    EXPECT_EQ(stream.NextRecord(data, size), RpcRecordStream::Result::NeedMore);
    append(wire.substr(10, 4));
    EXPECT_EQ(stream.NextRecord(data, size), RpcRecordStream::Result::NeedMore);
    append(wire.substr(14));
    ASSERT_EQ(stream.NextRecord(data, size), RpcRecordStream::Result::Complete);
    EXPECT_EQ(std::string(data, size), "next");
}

TEST(RpcRecordStreamTest, FoundRecordSurvivesMakingRoom)
{
    RpcRecordStream stream(1 << 20);
    const std::string wire = Fragment("gone", true) + Fragment("ke", false) +
                             Fragment("pt", true);
    std::size_t room = 0;
    char* space = stream.Space(wire.size(), room);
    std::memcpy(space, wire.data(), wire.size());
    stream.Commit(wire.size());
    const char* data = nullptr;
    std::size_t size = 0;
    ASSERT_EQ(stream.NextRecord(data, size), RpcRecordStream::Result::Complete);
    stream.Consume();
    ASSERT_EQ(stream.NextRecord(data, size), RpcRecordStream::Result::Complete);
    // More room than the buffer has moves the kept bytes to its front.
    stream.Space(200000, room);
    ASSERT_EQ(stream.NextRecord(data, size), RpcRecordStream::Result::Complete);
    EXPECT_EQ(std::string(data, size), "kept");
    stream.Consume();
    EXPECT_EQ(stream.Buffered(), 0u);
}

TEST(RpcRecordStreamTest, OversizedRecordsAreRefused)
{
    {
        RpcRecordStream stream(16);
        std::string wire = Fragment(std::string(17, 'a'), true);
        Feed(stream, wire.substr(0, 4), 4);
        const char* data = nullptr;
        std::size_t size = 0;
        // Known from the mark alone, before the body arrives.
        EXPECT_EQ(stream.NextRecord(data, size), RpcRecordStream::Result::TooLarge);
    }
    {
        // Endless empty fragments count their marks and end too.
        RpcRecordStream stream(16);
        std::string wire;
        for (int i = 0; i < 5; ++i) {
            wire += Fragment("", false);
        }
        Feed(stream, wire, wire.size());
        const char* data = nullptr;
        std::size_t size = 0;
        EXPECT_EQ(stream.NextRecord(data, size), RpcRecordStream::Result::TooLarge);
    }
}

TEST(RpcRecordStreamTest, RecordMarkIsBigEndianWithTheLastFragmentBit)
{
    char mark[4] = {};
    WriteRecordMark(mark, 0x010203);
    EXPECT_EQ(std::string(mark, 4), std::string("\x80\x01\x02\x03", 4));
}

}  // namespace
}  // namespace voltora::protocol
