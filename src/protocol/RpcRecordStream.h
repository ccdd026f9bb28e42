#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace voltora::protocol {

// The receiving side of ONC RPC record marking over TCP: bytes arrive in
// whatever pieces the connection delivers, and come out as whole records
// (the fragments of one record joined). Bytes after a record stay for the
// next one, so a reply that arrives late or in parts never shifts the
// stream.
class RpcRecordStream {
public:
    enum class Result { Complete, NeedMore, TooLarge };

    explicit RpcRecordStream(std::size_t maxRecordSize);

    // Where the next received bytes go: at least `minimum` bytes of room.
    char* Space(std::size_t minimum, std::size_t& room);
    // `count` bytes were written at Space().
    void Commit(std::size_t count);

    // The first whole record, if one is there. `data` stays valid until
    // Consume() or the next Space().
    Result NextRecord(const char*& data, std::size_t& size);
    // Drops the record NextRecord() returned.
    void Consume();

    // The record size beyond which NextRecord() reports TooLarge; may change
    // between records.
    void SetMaxRecordSize(std::size_t maxRecordSize) { maxRecordSize_ = maxRecordSize; }

    // Bytes received and not yet consumed.
    std::size_t Buffered() const { return end_ - begin_; }

    static constexpr std::uint32_t kLastFragment = 0x80000000u;

private:
    std::size_t maxRecordSize_;
    std::vector<char> buffer_;
    std::size_t begin_ = 0;  // first unconsumed byte
    std::size_t end_ = 0;    // end of the received bytes
    std::size_t recordEnd_ = 0;   // end of the record NextRecord() found, 0 for none
    std::size_t recordSize_ = 0;  // its joined size
};

// The 4-byte mark that opens a record sent as one fragment of `size` bytes.
void WriteRecordMark(char* mark, std::uint32_t size);
// The big-endian 32-bit word at `at` (a record mark, or a reply's
// transaction id).
std::uint32_t ReadWord(const char* at);

}  // namespace voltora::protocol
