#include "link/CConectWithNI.h"

#include "link/ConnectionMessages.h"
#include "platform/Clock.h"
#include "visa/LinkDiagnostics.h"

#include <chrono>
#include <cstring>
#include <mutex>
#include <string_view>

namespace {

constexpr unsigned kResourceBufferSize = 256;
constexpr unsigned kProbeReplySize = 256;
constexpr unsigned kProbeWaitMs = 100;
constexpr ViUInt32 kModelNameSize = 256;

// The text of a reply: up to its first NUL byte, never past what was read.
std::string_view ReplyText(const char* buffer, unsigned count)
{
    return std::string_view(buffer, strnlen(buffer, count));
}

// The open failure message; when the link knows more (for example that the
// user may not use a USB device, and which rule grants it), that follows.
void ReportOpenFailure(const std::string& problem = {})
{
    std::string text = CConectWithNI::kOpenFailedMessage;
    if (!problem.empty()) {
        text += "\n\n" + problem;
    }
    voltora::link::ShowMessage(text, CConectWithNI::kCaption);
}

void ReportCommunicationFailure()
{
    voltora::link::ShowMessage(CConectWithNI::kCommunicationFailedMessage,
                               CConectWithNI::kCaption);
}

}  // namespace

CConectWithNI* CConectWithNI::Instance()
{
    static CConectWithNI* instance = new CConectWithNI();
    return instance;
}

ViStatus CConectWithNI::ReadWhole(ViSession session, char* buffer, unsigned size,
                                  unsigned* count)
{
    ViUInt32 received = 0;
    const ViStatus status =
        viRead(session, reinterpret_cast<ViPBuf>(buffer), size, &received);
    if (count != nullptr) {
        *count = received;
    }
    if (status == VI_SUCCESS_MAX_CNT) {
        DiscardRestOfReply(session);
    }
    return status;
}

void CConectWithNI::DiscardRestOfReply(ViSession session)
{
    // The reply did not fit the caller's buffer. What is left of it would be
    // read as the reply to the next query, so it is drained here, for at most
    // one time-out's worth of time.
    ViUInt32 timeoutMs = 2000;
    viGetAttribute(session, VI_ATTR_TMO_VALUE, &timeoutMs);
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    ViByte scratch[4096];
    for (;;) {
        ViUInt32 received = 0;
        const ViStatus status = viRead(session, scratch, sizeof scratch, &received);
        if (status != VI_SUCCESS_MAX_CNT || std::chrono::steady_clock::now() >= deadline) {
            return;
        }
    }
}

void CConectWithNI::SetFailureListener(std::function<void()> listener)
{
    std::lock_guard<std::mutex> guard(listenerMutex);
    failureListener = std::move(listener);
}

void CConectWithNI::ReportFailureOnce()
{
    if (!failureShown.exchange(true)) {
        ReportCommunicationFailure();
    }
}

bool CConectWithNI::RefusedAfterFailure()
{
    if (stopAtFirstFailure && failed) {
        ++suppressedFailures;
        return true;
    }
    return false;
}

void CConectWithNI::NoteFailure(bool withMessage)
{
    if (!stopAtFirstFailure) {
        if (withMessage) {
            ReportCommunicationFailure();
        }
        return;
    }
    if (failed.exchange(true)) {
        ++suppressedFailures;
        return;
    }
    if (withMessage) {
        ReportFailureOnce();
    }
    // Held while the listener runs, so that removing it waits for a call
    // in progress on another thread.
    std::lock_guard<std::mutex> guard(listenerMutex);
    if (failureListener) {
        failureListener();
    }
}

void CConectWithNI::CloseResourceManager()
{
    viClose(resourceManager.load());
    resourceManager = 0;
}

bool CConectWithNI::Open(const char* resource)
{
    if (resource == nullptr || std::strlen(resource) >= kResourceBufferSize) {
        // Longer than any VISA resource string can be: nothing is opened.
        return false;
    }
    ViSession rm = 0;
    if (viOpenDefaultRM(&rm) < VI_SUCCESS) {
        return false;
    }
    resourceManager = rm;

    char name[kResourceBufferSize] = {};
    std::strncpy(name, resource, kResourceBufferSize - 1);

    ViSession opened = 0;
    voltora::visa::TakeLinkProblem();
    if (viOpen(rm, name, 0, 0, &opened) < VI_SUCCESS) {
        // A LAN address that does not answer is a common, expected outcome
        // of trying addresses; only other resources are reported.
        const std::string problem = voltora::visa::TakeLinkProblem();
        if (std::strstr(name, "TCPIP") == nullptr) {
            ReportOpenFailure(problem);
        }
        CloseResourceManager();
        return false;
    }
    session = opened;

    const std::size_t probeLength = std::strlen(kIdentityProbe);
    ViUInt32 written = 0;
    bool identified = false;
    if (viWrite(opened, reinterpret_cast<ViConstBuf>(kIdentityProbe),
                static_cast<ViUInt32>(probeLength), &written) >= VI_SUCCESS &&
        written == probeLength) {
        voltora::platform::SleepMs(kProbeWaitMs);
        char reply[kProbeReplySize] = {};
        unsigned count = 0;
        if (ReadWhole(opened, reply, kProbeReplySize, &count) >= VI_SUCCESS) {
            identified = ReplyText(reply, count).find("ZAN") != std::string_view::npos;
        }
    }
    if (identified) {
        // A new session: a new episode.
        failed = false;
        failureShown = false;
        suppressedFailures = 0;
        return true;
    }
    viClose(opened);
    session = 0;
    ReportOpenFailure();
    CloseResourceManager();
    return false;
}

bool CConectWithNI::Close()
{
    // No lock: a worker's exchange in progress then fails as any broken
    // transfer does, instead of making the user wait for it.
    viClose(session.load());
    viClose(resourceManager.load());
    session = 0;
    resourceManager = 0;
    return true;
}

bool CConectWithNI::IsConnected()
{
    return session.load() != 0;
}

bool CConectWithNI::Write(const char* command)
{
    std::lock_guard<voltora::platform::CriticalSection> guard(lock);
    const ViSession current = session.load();
    if (current == 0 || command == nullptr) {
        return false;
    }
    if (RefusedAfterFailure()) {
        return false;
    }
    const std::size_t length = std::strlen(command);
    ViUInt32 written = 0;
    const ViStatus status = viWrite(current, reinterpret_cast<ViConstBuf>(command),
                                    static_cast<ViUInt32>(length), &written);
    const bool ok = status >= VI_SUCCESS && written == length;
    if (!ok && session.load() == current) {
        NoteFailure(false);
    }
    return ok;
}

bool CConectWithNI::Read(char* buffer, unsigned size, unsigned* count)
{
    bool ok = false;
    bool exchanged = false;
    {
        std::lock_guard<voltora::platform::CriticalSection> guard(lock);
        const ViSession current = session.load();
        if (current != 0) {
            if (RefusedAfterFailure()) {
                return false;
            }
            exchanged = true;
            ok = ReadWhole(current, buffer, size, count) >= VI_SUCCESS;
        }
    }
    if (!ok) {
        if (exchanged) {
            NoteFailure(true);
        } else {
            ReportCommunicationFailure();
        }
    }
    return ok;
}

bool CConectWithNI::Query(const char* command, char* buffer, unsigned size, unsigned* count)
{
    if (!IsConnected()) {
        return false;
    }
    bool ok = false;
    {
        std::lock_guard<voltora::platform::CriticalSection> guard(lock);
        if (!Write(command)) {
            return false;
        }
        const ViSession current = session.load();
        ok = current != 0 && ReadWhole(current, buffer, size, count) >= VI_SUCCESS;
    }
    if (!ok) {
        // A session closed under the exchange (the user closed it) is no
        // failure of the link: nothing to report in episode mode.
        if (stopAtFirstFailure && session.load() == 0) {
            return false;
        }
        NoteFailure(true);
    }
    return ok;
}

void CConectWithNI::FindUsbResources(std::vector<std::string>& resources,
                                     std::vector<std::string>& models)
{
    resources.clear();
    models.clear();
    ViSession rm = 0;
    if (viOpenDefaultRM(&rm) < VI_SUCCESS) {
        return;
    }
    resourceManager = rm;

    ViFindList list = 0;
    ViUInt32 count = 0;
    char descriptor[VI_FIND_BUFLEN] = {};
    if (viFindRsrc(rm, "USB?*INSTR", &list, &count, descriptor) < VI_SUCCESS || count == 0) {
        CloseResourceManager();
        return;
    }
    for (ViUInt32 i = 0; i < count; ++i) {
        if (i > 0) {
            std::memset(descriptor, 0, sizeof descriptor);
            if (viFindNext(list, descriptor) < VI_SUCCESS) {
                break;
            }
        }
        ViSession opened = 0;
        if (viOpen(rm, descriptor, 0, 0, &opened) < VI_SUCCESS) {
            continue;
        }
        session = opened;
        char model[kModelNameSize] = {};
        viGetAttribute(opened, VI_ATTR_MODEL_NAME, model);
        model[kModelNameSize - 1] = '\0';
        resources.emplace_back(descriptor);
        models.emplace_back(model);
        viClose(opened);
        session = 0;
    }
    CloseResourceManager();
}
