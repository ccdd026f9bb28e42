#pragma once

#include "visa/VisaBackend.h"

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace voltora::visa {

// The state behind the VISA functions: the registered back-ends, the open
// resource managers, sessions and find lists, each under a handle of its own.
// Thread-safe; an exchange on one session does not block others.
class ResourceManager {
public:
    static constexpr std::chrono::milliseconds kDefaultTimeout{2000};

    static ResourceManager& Instance();

    // Back-ends are asked in order; the first that accepts a resource opens it.
    // `front` puts the back-end before all others (tests use this to pose as
    // instruments).
    void AddBackend(std::shared_ptr<IVisaBackend> backend, bool front = false);
    void RemoveBackend(const std::shared_ptr<IVisaBackend>& backend);

    ViStatus OpenDefaultRM(ViSession& rm);
    ViStatus Open(ViSession rm, std::string_view resource, ViUInt32 openTimeout,
                  ViSession& session);
    ViStatus Close(ViObject object);
    ViStatus Write(ViSession session, const ViByte* data, ViUInt32 count, ViUInt32* written);
    ViStatus Read(ViSession session, ViByte* buffer, ViUInt32 count, ViUInt32* received);
    ViStatus Clear(ViSession session);
    ViStatus FindFirst(ViSession rm, std::string_view expression, ViFindList& list,
                       ViUInt32& count, ViChar* descriptor);
    ViStatus FindNext(ViFindList list, ViChar* descriptor);
    ViStatus GetAttribute(ViObject object, ViAttr attribute, void* value);
    ViStatus SetAttribute(ViObject object, ViAttr attribute, ViAttrState value);

    // Number of open resource managers, sessions and find lists.
    std::size_t OpenHandleCount() const;

private:
    ResourceManager();

    // A call holds its session (shared) from look-up to return; Close only
    // takes it out of the table and closes its link, so the last call still
    // inside it is what frees it.
    struct Session {
        ViSession owner = 0;
        std::string resource;
        std::unique_ptr<IVisaSession> link;
        std::chrono::milliseconds timeout = kDefaultTimeout;
        std::mutex exchange;  // one write or read at a time on this link
    };
    struct FindList {
        ViSession owner = 0;
        std::vector<std::string> found;
        std::size_t next = 0;
    };

    ViObject NewHandle();
    std::shared_ptr<Session> FindSession(ViSession session) const;
    std::vector<std::shared_ptr<IVisaBackend>> Backends() const;

    mutable std::mutex mutex_;
    std::vector<std::shared_ptr<IVisaBackend>> backends_;
    std::map<ViSession, std::vector<ViObject>> managers_;  // handle -> objects it opened
    std::map<ViSession, std::shared_ptr<Session>> sessions_;
    std::map<ViFindList, FindList> findLists_;
    ViObject nextHandle_ = 0x1000;
};

}  // namespace voltora::visa
