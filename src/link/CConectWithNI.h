#pragma once

#include "link/IConnection.h"
#include "platform/CriticalSection.h"
#include "visa/visa.h"

#include <atomic>

// The connection over the VISA library. The process has exactly one,
// created on first use by Instance() and never destroyed.
class CConectWithNI : public IConnection {
public:
    static CConectWithNI* Instance();

    bool Open(const char* resource) override;
    bool Close() override;
    bool IsConnected() override;
    bool Write(const char* command) override;
    bool Read(char* buffer, unsigned size, unsigned* count) override;
    bool Query(const char* command, char* buffer, unsigned size, unsigned* count) override;
    void FindUsbResources(std::vector<std::string>& resources,
                          std::vector<std::string>& models) override;

    // The identity probe sent by Open.
    static constexpr const char* kIdentityProbe = "IDN-ZOBR-PRI?";
    static constexpr const char* kCaption = "Error";
    static constexpr const char* kOpenFailedMessage =
        "Failed to communicate with the device or can not find the supported device!";
    static constexpr const char* kCommunicationFailedMessage =
        "Failed to communicate with the device, please check the device connection!";

private:
    CConectWithNI() = default;

    // Reads one reply into `buffer` with the lock held; when the reply did not
    // fit, drops the rest of it so that it cannot be taken for the next reply.
    static ViStatus ReadWhole(ViSession session, char* buffer, unsigned size, unsigned* count);
    static void DiscardRestOfReply(ViSession session);
    void CloseResourceManager();

    // Written by Open and Close on the user-interface thread, read by workers.
    std::atomic<ViSession> session{0};
    std::atomic<ViSession> resourceManager{0};
    voltora::platform::CriticalSection lock;
};
