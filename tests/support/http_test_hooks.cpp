// Test programs' versions of the HTTP layer's seams: the option observer and refused thread
// starts. Linked as objects into every test, they take the place of the product's no-op
// definitions (http/curl_option_notify.cpp, http/platform_thread_refusal.cpp).
#include <atomic>

#include "http/curl_option_seam.h"
#include "http/platform_thread.h"

namespace {

std::atomic<CurlOptionObserver*> observer{nullptr};
std::atomic<int> startsBeforeRefusal{-1};

}  // namespace

void CurlOptionSeam::Observe(CurlOptionObserver* newObserver) {
    observer.store(newObserver);
}

void CurlOptionSeam::Notify(CURL* handle, CURLoption option, long number, const char* text,
                            const void* pointer) {
    CurlOptionObserver* current = observer.load();
    if (!current) return;
    CurlOptionRecord record;
    record.handle = handle;
    record.option = option;
    record.number = number;
    record.isText = text != nullptr;
    if (text) record.text = text;
    record.pointer = pointer;
    current->OnOption(record);
}

void PlatformThread::RefuseStartAfter(int allowed) {
    startsBeforeRefusal.store(allowed);
}

bool PlatformThread::StartRefused() {
    int allowed = startsBeforeRefusal.load();
    while (allowed >= 0) {
        if (startsBeforeRefusal.compare_exchange_weak(allowed, allowed - 1)) return allowed == 0;
    }
    return false;
}
