// Forwarding of curl_easy_setopt with an optional observer for tests.
#include "http/curl_option_seam.h"

#include <atomic>

namespace {

std::atomic<CurlOptionObserver*> observer{nullptr};

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

CURLcode CurlOptionSeam::SetLong(CURL* handle, CURLoption option, long value) {
    Notify(handle, option, value, nullptr, nullptr);
    return curl_easy_setopt(handle, option, value);
}

CURLcode CurlOptionSeam::SetText(CURL* handle, CURLoption option, const char* value) {
    Notify(handle, option, 0, value, nullptr);
    return curl_easy_setopt(handle, option, value);
}

CURLcode CurlOptionSeam::SetPointer(CURL* handle, CURLoption option, const void* value) {
    Notify(handle, option, 0, nullptr, value);
    return curl_easy_setopt(handle, option, value);
}
