#include "scpi/InstrumentExchange.h"

#include <atomic>
#include <climits>
#include <cmath>
#include <cstring>
#include <vector>

#include "link/CConectWithNI.h"

namespace voltora::scpi {
namespace {

std::atomic<IConnection*> boundConnection{nullptr};

IConnection& Connection()
{
    IConnection* bound = boundConnection.load(std::memory_order_acquire);
    return bound != nullptr ? *bound : *CConectWithNI::Instance();
}

}  // namespace

void BindConnection(IConnection* connection)
{
    boundConnection.store(connection, std::memory_order_release);
}

bool SendCommand(const std::string& command)
{
    return Connection().Write(command.c_str());
}

unsigned QueryIntoBuffer(const std::string& query, char* buffer, unsigned size)
{
    unsigned count = 0;
    if (!Connection().Query(query.c_str(), buffer, size, &count)) {
        // Whatever a failed read left behind is not a reply.
        return 0;
    }
    return count < size ? count : size;
}

std::string QueryReply(const std::string& query, unsigned bufferSize)
{
    std::vector<char> buffer(bufferSize, '\0');
    const unsigned count = QueryIntoBuffer(query, buffer.data(), bufferSize);
    // A reply that fills the buffer has no NUL: never read past the count.
    const std::size_t length = strnlen(buffer.data(), count);
    return std::string(buffer.data(), length);
}

std::string_view WithoutLastChar(std::string_view text)
{
    if (text.empty()) {
        return text;
    }
    text.remove_suffix(1);
    return text;
}

int TruncateToInt(double value)
{
    if (std::isnan(value)) {
        return 0;
    }
    if (value >= static_cast<double>(INT_MAX)) {
        return INT_MAX;
    }
    if (value <= static_cast<double>(INT_MIN)) {
        return INT_MIN;
    }
    return static_cast<int>(value);
}

}  // namespace voltora::scpi
