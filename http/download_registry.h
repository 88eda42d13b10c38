// The process-wide list of started download workers, which keeps every worker alive while
// its thread runs, with the lock that guards every change to it. Emptied at process exit by
// HttpGlobal; the list and its lock themselves are never destroyed, so a download thread that
// outlives the process-wide clean-up never reaches freed memory through them.
#pragma once

#include <cstddef>
#include <list>
#include <memory>

class DownloadHelper;
class HttpLock;

class DownloadRegistry {
public:
    using Entries = std::list<std::shared_ptr<DownloadHelper>>;

    static std::shared_ptr<HttpLock> Lock();
    // The list itself; change it only while holding Lock().
    static Entries& List();

    // Removes the one entry at element (an address List() handed out), if it is still there
    // (under the lock); the worker's other entries stay.
    static void Remove(const void* element);
    // Empties the list (under the lock); the workers are released outside it.
    static void Clear();
    // Entries in the list (under the lock).
    static std::size_t Count();
};
