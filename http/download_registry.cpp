// The process-wide list of started download workers.
#include "http/download_registry.h"

#include "http/download_helper.h"
#include "http/http_lock.h"

namespace {

// Both are built during static initialisation, before any HttpGlobal exists, and are never
// destroyed: HttpGlobal empties the list at exit, and a thread still running then may yet
// take the lock.
DownloadRegistry::Entries& registry = *new DownloadRegistry::Entries;
std::shared_ptr<HttpLock>& registryLock = *new std::shared_ptr<HttpLock>(new HttpLock);

}  // namespace

std::shared_ptr<HttpLock> DownloadRegistry::Lock() {
    return registryLock;
}

DownloadRegistry::Entries& DownloadRegistry::List() {
    return registry;
}

void DownloadRegistry::Remove(const void* element) {
    std::shared_ptr<DownloadHelper> released;  // let go outside the lock
    ScopedHttpLock guard(registryLock);
    for (auto it = registry.begin(); it != registry.end(); ++it) {
        // Compared by address only: the element may be gone already (emptied at exit).
        if (static_cast<const void*>(&*it) == element) {
            released = std::move(*it);
            registry.erase(it);
            return;
        }
    }
}

void DownloadRegistry::Clear() {
    Entries released;
    {
        ScopedHttpLock guard(registryLock);
        released.swap(registry);
    }
}

std::size_t DownloadRegistry::Count() {
    ScopedHttpLock guard(registryLock);
    return registry.size();
}
