// Threads for the downloader: Win32 in the Windows build, POSIX in the native build.
#include "http/platform_thread.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <pthread.h>
#include <time.h>
#endif

namespace {

// Carries the portable procedure and its argument into the platform's thread entry.
struct Launch {
    PlatformThread::Proc proc;
    void* argument;
};

}  // namespace

PlatformThread& PlatformThread::operator=(PlatformThread&& other) noexcept {
    if (this != &other) {
        Close();
        handle_ = other.handle_;
        other.handle_ = nullptr;
    }
    return *this;
}

#ifdef _WIN32

namespace {

DWORD WINAPI Entry(LPVOID raw) {
    Launch launch = *static_cast<Launch*>(raw);
    delete static_cast<Launch*>(raw);
    return launch.proc(launch.argument);
}

}  // namespace

PlatformThread PlatformThread::Start(Proc proc, void* argument) {
    PlatformThread thread;
    if (StartRefused()) return thread;
    auto* launch = new Launch{proc, argument};
    HANDLE handle = CreateThread(nullptr, 0, &Entry, launch, 0, nullptr);
    if (!handle) {
        delete launch;
        return thread;
    }
    thread.handle_ = handle;
    return thread;
}

void PlatformThread::WaitAll(std::vector<PlatformThread>& threads) {
    std::vector<HANDLE> handles;
    for (const auto& t : threads) {
        if (t.handle_) handles.push_back(static_cast<HANDLE>(t.handle_));
    }
    if (!handles.empty()) {
        WaitForMultipleObjects(static_cast<DWORD>(handles.size()), handles.data(), TRUE, INFINITE);
    }
}

void PlatformThread::Sleep(unsigned milliseconds) {
    ::Sleep(milliseconds);
}

void PlatformThread::Close() {
    if (handle_) CloseHandle(static_cast<HANDLE>(handle_));
    handle_ = nullptr;
}

#else

namespace {

struct PosixThread {
    pthread_t id;
    bool joined = false;
};

void* Entry(void* raw) {
    Launch launch = *static_cast<Launch*>(raw);
    delete static_cast<Launch*>(raw);
    launch.proc(launch.argument);
    return nullptr;
}

}  // namespace

PlatformThread PlatformThread::Start(Proc proc, void* argument) {
    PlatformThread thread;
    if (StartRefused()) return thread;
    auto* launch = new Launch{proc, argument};
    auto* record = new PosixThread;
    if (pthread_create(&record->id, nullptr, &Entry, launch) != 0) {
        delete launch;
        delete record;
        return thread;
    }
    thread.handle_ = record;
    return thread;
}

void PlatformThread::WaitAll(std::vector<PlatformThread>& threads) {
    for (auto& t : threads) {
        auto* record = static_cast<PosixThread*>(t.handle_);
        if (record && !record->joined) {
            pthread_join(record->id, nullptr);
            record->joined = true;
        }
    }
}

void PlatformThread::Sleep(unsigned milliseconds) {
    timespec delay{static_cast<time_t>(milliseconds / 1000),
                   static_cast<long>(milliseconds % 1000) * 1000000L};
    while (nanosleep(&delay, &delay) != 0) {
    }
}

void PlatformThread::Close() {
    auto* record = static_cast<PosixThread*>(handle_);
    if (record) {
        // Like closing a Win32 handle: an unwaited thread runs on and cleans up by itself.
        if (!record->joined) pthread_detach(record->id);
        delete record;
    }
    handle_ = nullptr;
}

#endif
