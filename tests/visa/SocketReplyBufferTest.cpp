#include "visa/SocketReplyBuffer.h"

#include <gtest/gtest.h>

#include <string>

namespace voltora::visa {
namespace {

std::string Take(SocketReplyBuffer& buffer, std::size_t size, bool& end)
{
    std::string out(size, '\0');
    out.resize(buffer.Take(reinterpret_cast<ViByte*>(out.data()), size, end));
    return out;
}

TEST(SocketReplyBufferTest, ReplyEndsAtNewlineAndPiecesAreJoined)
{
    SocketReplyBuffer buffer;
    bool end = false;
    buffer.Append("+1.2", 4);
    EXPECT_FALSE(buffer.CanTake(64));
    buffer.Append("3E+00\nNEXT", 10);
    ASSERT_TRUE(buffer.CanTake(64));
    EXPECT_EQ(Take(buffer, 64, end), "+1.23E+00\n");
    EXPECT_TRUE(end);
    // The start of the next reply stays for the next read.
    EXPECT_EQ(buffer.Buffered(), 4u);
    EXPECT_FALSE(buffer.CanTake(64));
    buffer.Append("\n", 1);
    EXPECT_EQ(Take(buffer, 64, end), "NEXT\n");
    EXPECT_TRUE(end);
}

TEST(SocketReplyBufferTest, SmallBufferTakesThePartsInOrder)
{
    SocketReplyBuffer buffer;
    bool end = true;
    buffer.Append("abcdef\n", 7);
    EXPECT_TRUE(buffer.CanTake(3));
    EXPECT_EQ(Take(buffer, 3, end), "abc");
    EXPECT_FALSE(end);
    EXPECT_EQ(Take(buffer, 3, end), "def");
    EXPECT_FALSE(end);
    EXPECT_EQ(Take(buffer, 3, end), "\n");
    EXPECT_TRUE(end);
    EXPECT_EQ(Take(buffer, 3, end), "");
    EXPECT_FALSE(end);
}

TEST(SocketReplyBufferTest, StaleRepliesAreDroppedWhenTheyArrive)
{
    SocketReplyBuffer buffer;
    bool end = false;
    buffer.DropNextReply();  // a query timed out before any of its reply came
    EXPECT_EQ(buffer.RepliesToDrop(), 1u);
    buffer.Append("la", 2);
    EXPECT_FALSE(buffer.CanTake(64));
    buffer.Append("te\nfresh\n", 9);
    EXPECT_EQ(buffer.RepliesToDrop(), 0u);
    EXPECT_EQ(Take(buffer, 64, end), "fresh\n");
    EXPECT_TRUE(end);
}

TEST(SocketReplyBufferTest, RestOfAPartlyTakenReplyIsDropped)
{
    SocketReplyBuffer buffer;
    bool end = false;
    buffer.Append("part", 4);
    EXPECT_EQ(Take(buffer, 64, end), "part");
    buffer.DropNextReply();  // time-out in the middle of the reply
    buffer.Append("ial\nnew\n", 8);
    EXPECT_EQ(Take(buffer, 64, end), "new\n");
    EXPECT_TRUE(end);
}

TEST(SocketReplyBufferTest, TwoStaleRepliesInOneArrival)
{
    SocketReplyBuffer buffer;
    bool end = false;
    buffer.DropNextReply();
    buffer.DropNextReply();
    buffer.Append("one\ntwo\nthree\n", 14);
    EXPECT_EQ(Take(buffer, 64, end), "three\n");
}

}  // namespace
}  // namespace voltora::visa
