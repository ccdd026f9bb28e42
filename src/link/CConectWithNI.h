#pragma once

#include "link/IConnection.h"
#include "platform/CriticalSection.h"
#include "visa/visa.h"

#include <atomic>
#include <functional>
#include <mutex>

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

    // ---- Failure episodes ----------------------------------------------
    // With `on`, the first failed exchange of a session (a failed write or
    // read) ends the session's traffic: every later Write, Read and Query
    // fails at once without touching the link, without waiting a time-out
    // and without a message, until the next successful Open. A sequence of
    // commands therefore waits for at most one time-out and the user sees
    // at most one message per episode. Off (the default): every exchange is
    // tried and every failed read reports itself.
    void SetStopAtFirstFailure(bool on) { stopAtFirstFailure = on; }
    // Called once per episode, on the thread whose exchange failed, right
    // after the first failure; it must not block (the desktop program posts
    // to its user-interface thread). An empty function removes it.
    void SetFailureListener(std::function<void()> listener);
    bool HasFailed() const override { return failed.load(); }
    // Exchanges refused (or failed again) after the first failure of the episode.
    int SuppressedFailureCount() const { return suppressedFailures.load(); }
    // Shows the communication failure message unless this episode has shown
    // it already (a write failure shows none by itself).
    void ReportFailureOnce();

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
    // Whether the exchange is refused because the episode has begun.
    bool RefusedAfterFailure();
    // Records a failed exchange; `withMessage` for a failed read.
    void NoteFailure(bool withMessage);

    // Written by Open and Close on the user-interface thread, read by workers.
    std::atomic<ViSession> session{0};
    std::atomic<ViSession> resourceManager{0};
    voltora::platform::CriticalSection lock;

    std::atomic<bool> stopAtFirstFailure{false};
    std::atomic<bool> failed{false};
    std::atomic<bool> failureShown{false};
    std::atomic<int> suppressedFailures{0};
    std::mutex listenerMutex;
    std::function<void()> failureListener;
};
