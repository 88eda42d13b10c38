// Forwarding of curl_easy_setopt; every call is offered to Notify first.
#include "http/curl_option_seam.h"

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
