#pragma once

#include <string>
#include <string_view>

class IConnection;

// The two exchanges every command operation is built from, and the small text
// rules the replies are read with.
namespace voltora::scpi {

// Every operation sends through one connection: the one bound here by the
// program where it starts (the desktop program binds the connection its panel
// is handed), or, while none is bound, the process's shared connection.
// Binding nullptr returns to the shared connection. The bound connection must
// outlive every operation that may still run on a worker thread.
void BindConnection(IConnection* connection);

// Writes `command` through the connection as it is (no terminator).
bool SendCommand(const std::string& command);

// Sends `query` with a zeroed reply buffer of `bufferSize` bytes and returns
// the reply text: the bytes up to the first NUL or up to the number of bytes
// read, whichever comes first. A failed query gives an empty text.
std::string QueryReply(const std::string& query, unsigned bufferSize);

// Sends `query` and reads the reply into `buffer` (of `size` bytes) as it is.
// Returns the number of bytes read, at most `size` (0 for a failed query).
unsigned QueryIntoBuffer(const std::string& query, char* buffer, unsigned size);

// The text without its last character (the reply's "\n"); empty stays empty.
std::string_view WithoutLastChar(std::string_view text);

// The number cut towards zero to an int; values beyond the int range saturate
// and NaN gives 0.
int TruncateToInt(double value);

inline bool Contains(std::string_view text, std::string_view part)
{
    return text.find(part) != std::string_view::npos;
}

}  // namespace voltora::scpi
