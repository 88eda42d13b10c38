// The player's Windows proxy settings, read for each transfer as browsers read them: the
// current user's Internet Settings (a proxy per scheme, the bypass list, automatic detection
// and a configuration script), with a script's or detection's answer resolved for the URL by
// WinHTTP. WinHTTP is loaded from System32 when first needed and only then; where it is
// missing, or answers nothing, every route is left to libcurl as without this class.
#pragma once

#include <windows.h>

#include <mutex>
#include <string>

#include "http/proxy_route.h"

class SystemProxy {
public:
    SystemProxy() = default;
    ~SystemProxy();
    SystemProxy(const SystemProxy&) = delete;
    SystemProxy& operator=(const SystemProxy&) = delete;

    // Thread-safe: the query's and the download's threads both ask.
    ProxyRoute RouteFor(const std::string& url);

private:
    struct Api;
    // The loaded functions and the session for automatic configuration; null where WinHTTP
    // could not be had.
    const Api* LoadedApi();

    std::mutex lock_;
    bool loadTried_ = false;
    HMODULE module_ = nullptr;
    const Api* api_ = nullptr;
    void* session_ = nullptr;  // HINTERNET
};
