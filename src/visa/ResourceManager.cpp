#include "visa/ResourceManager.h"

#include "visa/DefaultBackends.h"
#include "visa/ResourceExpression.h"

#include <algorithm>
#include <cstring>

namespace voltora::visa {
namespace {

using Clock = std::chrono::steady_clock;

void CopyDescriptor(const std::string& resource, ViChar* descriptor)
{
    if (descriptor == nullptr) {
        return;
    }
    const std::size_t n = std::min<std::size_t>(resource.size(), VI_FIND_BUFLEN - 1);
    std::memcpy(descriptor, resource.data(), n);
    descriptor[n] = '\0';
}

}  // namespace

ResourceManager& ResourceManager::Instance()
{
    // Never destroyed: a worker may still be inside a call when the process
    // exits, and tearing the session table down under it would hand it a
    // freed session. Each session lives as long as its last caller holds it.
    static ResourceManager* const instance = new ResourceManager();
    return *instance;
}

ResourceManager::ResourceManager()
{
    AddDefaultBackends(*this);
}

void ResourceManager::AddBackend(std::shared_ptr<IVisaBackend> backend, bool front)
{
    std::lock_guard<std::mutex> guard(mutex_);
    if (front) {
        backends_.insert(backends_.begin(), std::move(backend));
    } else {
        backends_.push_back(std::move(backend));
    }
}

void ResourceManager::RemoveBackend(const std::shared_ptr<IVisaBackend>& backend)
{
    std::lock_guard<std::mutex> guard(mutex_);
    backends_.erase(std::remove(backends_.begin(), backends_.end(), backend), backends_.end());
}

std::vector<std::shared_ptr<IVisaBackend>> ResourceManager::Backends() const
{
    std::lock_guard<std::mutex> guard(mutex_);
    return backends_;
}

ViObject ResourceManager::NewHandle()
{
    // Handles are never 0 and never reused while the process runs.
    return ++nextHandle_;
}

ViStatus ResourceManager::OpenDefaultRM(ViSession& rm)
{
    rm = 0;
    // Asked outside the lock, like Open: a back-end may take its time.
    for (const auto& backend : Backends()) {
        const ViStatus status = backend->OpenDefaultRM();
        if (status < VI_SUCCESS) {
            return status;
        }
    }
    std::lock_guard<std::mutex> guard(mutex_);
    rm = NewHandle();
    managers_[rm];
    return VI_SUCCESS;
}

ViStatus ResourceManager::Open(ViSession rm, std::string_view resource, ViUInt32 openTimeout,
                               ViSession& session)
{
    session = 0;
    {
        std::lock_guard<std::mutex> guard(mutex_);
        if (managers_.find(rm) == managers_.end()) {
            return VI_ERROR_INV_OBJECT;
        }
    }
    std::shared_ptr<IVisaBackend> chosen;
    for (const auto& backend : Backends()) {
        if (backend->Accepts(resource)) {
            chosen = backend;
            break;
        }
    }
    if (!chosen) {
        return VI_ERROR_RSRC_NFOUND;
    }
    // An open time-out of 0 means "as long as the link needs, within the
    // session's default time-out".
    const auto timeout =
        openTimeout == 0 ? kDefaultTimeout : std::chrono::milliseconds(openTimeout);
    std::unique_ptr<IVisaSession> link;
    const ViStatus status = chosen->Open(resource, timeout, link);
    if (status < VI_SUCCESS || !link) {
        return status < VI_SUCCESS ? status : VI_ERROR_RSRC_NFOUND;
    }
    auto entry = std::make_shared<Session>();
    entry->owner = rm;
    entry->resource.assign(resource);
    entry->link = std::move(link);

    std::lock_guard<std::mutex> guard(mutex_);
    auto manager = managers_.find(rm);
    if (manager == managers_.end()) {
        // The resource manager was closed while the link was being opened.
        entry->link->Close();
        return VI_ERROR_INV_OBJECT;
    }
    session = NewHandle();
    manager->second.push_back(session);
    sessions_[session] = std::move(entry);
    return VI_SUCCESS;
}

ViStatus ResourceManager::Close(ViObject object)
{
    std::vector<std::shared_ptr<Session>> closing;
    {
        std::lock_guard<std::mutex> guard(mutex_);
        if (auto session = sessions_.find(object); session != sessions_.end()) {
            closing.push_back(session->second);
            auto manager = managers_.find(session->second->owner);
            if (manager != managers_.end()) {
                auto& owned = manager->second;
                owned.erase(std::remove(owned.begin(), owned.end(), object), owned.end());
            }
            sessions_.erase(session);
        } else if (auto list = findLists_.find(object); list != findLists_.end()) {
            auto manager = managers_.find(list->second.owner);
            if (manager != managers_.end()) {
                auto& owned = manager->second;
                owned.erase(std::remove(owned.begin(), owned.end(), object), owned.end());
            }
            findLists_.erase(list);
        } else if (auto manager = managers_.find(object); manager != managers_.end()) {
            for (ViObject owned : manager->second) {
                if (auto s = sessions_.find(owned); s != sessions_.end()) {
                    closing.push_back(s->second);
                    sessions_.erase(s);
                }
                findLists_.erase(owned);
            }
            managers_.erase(manager);
        } else {
            return VI_ERROR_INV_OBJECT;
        }
    }
    // Links are closed outside the table lock: closing may wake a reader
    // that is blocked on the same link.
    for (const auto& session : closing) {
        session->link->Close();
    }
    return VI_SUCCESS;
}

std::shared_ptr<ResourceManager::Session> ResourceManager::FindSession(ViSession session) const
{
    std::lock_guard<std::mutex> guard(mutex_);
    auto found = sessions_.find(session);
    return found == sessions_.end() ? nullptr : found->second;
}

ViStatus ResourceManager::Write(ViSession session, const ViByte* data, ViUInt32 count,
                                ViUInt32* written)
{
    if (written != nullptr) {
        *written = 0;
    }
    auto entry = FindSession(session);
    if (!entry) {
        return VI_ERROR_INV_OBJECT;
    }
    std::lock_guard<std::mutex> exchange(entry->exchange);
    std::size_t sent = 0;
    const ViStatus status = entry->link->Write(data, count, sent, entry->timeout);
    if (written != nullptr) {
        *written = static_cast<ViUInt32>(sent);
    }
    return status;
}

ViStatus ResourceManager::Clear(ViSession session)
{
    auto entry = FindSession(session);
    if (!entry) {
        return VI_ERROR_INV_OBJECT;
    }
    std::lock_guard<std::mutex> exchange(entry->exchange);
    return entry->link->Clear(entry->timeout);
}

ViStatus ResourceManager::Read(ViSession session, ViByte* buffer, ViUInt32 count,
                               ViUInt32* received)
{
    if (received != nullptr) {
        *received = 0;
    }
    auto entry = FindSession(session);
    if (!entry) {
        return VI_ERROR_INV_OBJECT;
    }
    std::lock_guard<std::mutex> exchange(entry->exchange);
    const auto deadline = Clock::now() + entry->timeout;
    std::size_t total = 0;
    ViStatus status = VI_SUCCESS_MAX_CNT;
    while (total < count) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - Clock::now());
        std::size_t got = 0;
        bool end = false;
        status = entry->link->Read(buffer + total, count - total, got, end,
                                   std::max(left, std::chrono::milliseconds(0)));
        total += got;
        if (status < VI_SUCCESS) {
            break;
        }
        if (end) {
            status = VI_SUCCESS;
            break;
        }
        status = VI_SUCCESS_MAX_CNT;
        if (got == 0 && Clock::now() >= deadline) {
            status = VI_ERROR_TMO;
            break;
        }
    }
    if (received != nullptr) {
        *received = static_cast<ViUInt32>(total);
    }
    return status;
}

ViStatus ResourceManager::FindFirst(ViSession rm, std::string_view expression, ViFindList& list,
                                    ViUInt32& count, ViChar* descriptor)
{
    list = 0;
    count = 0;
    {
        std::lock_guard<std::mutex> guard(mutex_);
        if (managers_.find(rm) == managers_.end()) {
            return VI_ERROR_INV_OBJECT;
        }
    }
    std::vector<std::string> found;
    for (const auto& backend : Backends()) {
        backend->Find(expression, found);
    }
    if (found.empty()) {
        return VI_ERROR_RSRC_NFOUND;
    }
    std::lock_guard<std::mutex> guard(mutex_);
    auto manager = managers_.find(rm);
    if (manager == managers_.end()) {
        return VI_ERROR_INV_OBJECT;
    }
    list = NewHandle();
    manager->second.push_back(list);
    CopyDescriptor(found.front(), descriptor);
    count = static_cast<ViUInt32>(found.size());
    findLists_[list] = FindList{rm, std::move(found), 1};
    return VI_SUCCESS;
}

ViStatus ResourceManager::FindNext(ViFindList list, ViChar* descriptor)
{
    std::lock_guard<std::mutex> guard(mutex_);
    auto entry = findLists_.find(list);
    if (entry == findLists_.end()) {
        return VI_ERROR_INV_OBJECT;
    }
    FindList& found = entry->second;
    if (found.next >= found.found.size()) {
        return VI_ERROR_RSRC_NFOUND;
    }
    CopyDescriptor(found.found[found.next++], descriptor);
    return VI_SUCCESS;
}

ViStatus ResourceManager::GetAttribute(ViObject object, ViAttr attribute, void* value)
{
    if (value == nullptr) {
        return VI_ERROR_USER_BUF;
    }
    auto entry = FindSession(object);
    if (!entry) {
        return VI_ERROR_INV_OBJECT;
    }
    switch (attribute) {
    case VI_ATTR_MODEL_NAME: {
        std::string model;
        {
            std::lock_guard<std::mutex> exchange(entry->exchange);
            model = entry->link->ModelName();
        }
        CopyDescriptor(model, static_cast<ViChar*>(value));
        return VI_SUCCESS;
    }
    case VI_ATTR_RSRC_NAME:
        CopyDescriptor(entry->resource, static_cast<ViChar*>(value));
        return VI_SUCCESS;
    case VI_ATTR_TMO_VALUE: {
        std::lock_guard<std::mutex> exchange(entry->exchange);
        *static_cast<ViUInt32*>(value) = static_cast<ViUInt32>(entry->timeout.count());
        return VI_SUCCESS;
    }
    default:
        return VI_ERROR_NSUP_ATTR;
    }
}

ViStatus ResourceManager::SetAttribute(ViObject object, ViAttr attribute, ViAttrState value)
{
    auto entry = FindSession(object);
    if (!entry) {
        return VI_ERROR_INV_OBJECT;
    }
    if (attribute != VI_ATTR_TMO_VALUE) {
        return VI_ERROR_NSUP_ATTR;
    }
    std::lock_guard<std::mutex> exchange(entry->exchange);
    // VI_TMO_INFINITE is kept as a very long wait rather than a special case.
    entry->timeout = std::chrono::milliseconds(static_cast<ViUInt32>(value));
    return VI_SUCCESS;
}

std::size_t ResourceManager::OpenHandleCount() const
{
    std::lock_guard<std::mutex> guard(mutex_);
    return managers_.size() + sessions_.size() + findLists_.size();
}

}  // namespace voltora::visa
