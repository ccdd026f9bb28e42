#pragma once

#include <string>
#include <vector>

// The program's one path to the meter: a session with an identity probe,
// single writes, single reads and write-read queries, and a USB search.
class IConnection {
public:
    virtual ~IConnection() = default;

    // Opens a session on `resource` and probes the meter's identity.
    // True only when the meter answered and the answer contains "ZAN".
    virtual bool Open(const char* resource) = 0;
    // Closes the session and the resource manager; always true.
    virtual bool Close() = 0;
    virtual bool IsConnected() = 0;
    // The session had a failed exchange since it was opened (the meter has
    // stopped answering: waiting for it is pointless).
    virtual bool HasFailed() const = 0;
    // Sends `command` as it is (no terminator appended).
    virtual bool Write(const char* command) = 0;
    // Reads at most `size` bytes of one reply into `buffer`; `count` gets the
    // number of bytes stored.
    virtual bool Read(char* buffer, unsigned size, unsigned* count) = 0;
    // Write followed immediately by Read, with no other exchange between them.
    virtual bool Query(const char* command, char* buffer, unsigned size, unsigned* count) = 0;
    // Lists USB instruments: row i of `resources` and row i of `models`
    // describe the same instrument.
    virtual void FindUsbResources(std::vector<std::string>& resources,
                                  std::vector<std::string>& models) = 0;
};
