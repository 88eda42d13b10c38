// Every curl_easy_setopt of the HTTP layer goes through here, so tests in both build trees can
// see exactly which options a transfer was given (libcurl offers no way to read them back).
// In the product this is a plain forward to libcurl: Observe exists only in test programs,
// which link their own Notify (tests/support/http_test_hooks.cpp).
#pragma once

#include <curl/curl.h>

#include <string>

struct CurlOptionRecord {
    CURL* handle = nullptr;
    CURLoption option = CURLOPT_LASTENTRY;
    long number = 0;   // value of a long option
    std::string text;  // value of a string option
    bool isText = false;
    const void* pointer = nullptr;  // value of a data-pointer option; null for callbacks
};

// Called on whichever thread sets the option; implementations must be thread-safe.
class CurlOptionObserver {
public:
    virtual void OnOption(const CurlOptionRecord& record) = 0;

protected:
    ~CurlOptionObserver() = default;
};

class CurlOptionSeam {
public:
    // Installs (or with null removes) the observer; defined only in test programs.
    static void Observe(CurlOptionObserver* observer);

    static CURLcode SetLong(CURL* handle, CURLoption option, long value);
    static CURLcode SetText(CURL* handle, CURLoption option, const char* value);
    static CURLcode SetPointer(CURL* handle, CURLoption option, const void* value);

    template <typename Function>
    static CURLcode SetFunction(CURL* handle, CURLoption option, Function* function) {
        Notify(handle, option, 0, nullptr, nullptr);
        return curl_easy_setopt(handle, option, function);
    }

private:
    static void Notify(CURL* handle, CURLoption option, long number, const char* text,
                       const void* pointer);
};
