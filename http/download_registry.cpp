// The process-wide list of started download workers.
#include "http/download_registry.h"

#include "http/download_helper.h"
#include "http/http_lock.h"

namespace {

// Both are built during static initialisation, before any HttpGlobal exists, and so outlive
// it: HttpGlobal empties the list when it is destroyed at exit.
DownloadRegistry::Entries registry;
std::shared_ptr<HttpLock> registryLock(new HttpLock);

}  // namespace

std::shared_ptr<HttpLock> DownloadRegistry::Lock() {
    return registryLock;
}

DownloadRegistry::Entries& DownloadRegistry::List() {
    return registry;
}

void DownloadRegistry::Remove(const std::shared_ptr<DownloadHelper>& worker) {
    const std::shared_ptr<DownloadHelper> keep = worker;  // the argument may be an element
    ScopedHttpLock guard(registryLock);
    registry.remove(keep);
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
