// Threads for the downloader behind one small seam: Win32 threads (CreateThread,
// WaitForMultipleObjects, CloseHandle, Sleep) in the Windows build, POSIX threads in the native
// build. A PlatformThread owns its handle; closing it lets the thread run on unwaited.
#pragma once

#include <vector>

class PlatformThread {
public:
    using Proc = unsigned (*)(void* argument);

    PlatformThread() = default;
    ~PlatformThread() { Close(); }
    PlatformThread(PlatformThread&& other) noexcept : handle_(other.handle_) {
        other.handle_ = nullptr;
    }
    PlatformThread& operator=(PlatformThread&& other) noexcept;
    PlatformThread(const PlatformThread&) = delete;
    PlatformThread& operator=(const PlatformThread&) = delete;

    // Starts proc(argument) at once with the default stack; an invalid thread on failure.
    static PlatformThread Start(Proc proc, void* argument);

    // Waits for every valid thread of the list to end (no time-out).
    static void WaitAll(std::vector<PlatformThread>& threads);

    static void Sleep(unsigned milliseconds);

    // Defined only in test programs (tests/support/http_test_hooks.cpp): the next `allowed`
    // starts succeed and the one after that fails; a negative value never refuses.
    static void RefuseStartAfter(int allowed);

    bool Valid() const { return handle_ != nullptr; }
    // Releases the handle without waiting.
    void Close();

private:
    // Whether Start must fail on purpose: never in the product; test programs replace it.
    static bool StartRefused();

    void* handle_ = nullptr;  // a HANDLE, or a record of the POSIX thread
};
