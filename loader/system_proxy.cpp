// Internet Settings through WinHTTP, loaded by its System32 path: the loader runs elevated
// from a folder anybody may have written to, so no DLL of it is looked for beside it.
#include "loader/system_proxy.h"

#include <winhttp.h>

#include <memory>

#include "loader/proxy_settings.h"

namespace {

std::wstring Wide(const std::string& text) {
    if (text.empty()) return std::wstring();
    const int length =
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (length <= 0) return std::wstring();
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &wide[0], length);
    return wide;
}

std::string Narrow(const wchar_t* text) {
    if (text == nullptr || *text == L'\0') return std::string();
    const int length = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (length <= 1) return std::string();
    std::string narrow(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, &narrow[0], length, nullptr, nullptr);
    narrow.resize(static_cast<std::size_t>(length - 1));
    return narrow;
}

// WinHTTP hands its strings over in GlobalAlloc'ed memory.
struct GlobalText {
    wchar_t* text = nullptr;
    ~GlobalText() {
        if (text != nullptr) GlobalFree(text);
    }
};

// How long a configuration script may take to arrive, per step (resolve, connect, send, receive).
constexpr int kScriptTimeoutMs = 5000;

}  // namespace

struct SystemProxy::Api {
    decltype(&WinHttpGetIEProxyConfigForCurrentUser) getUserConfig = nullptr;
    decltype(&WinHttpOpen) open = nullptr;
    decltype(&WinHttpSetTimeouts) setTimeouts = nullptr;
    decltype(&WinHttpGetProxyForUrl) getProxyForUrl = nullptr;
    decltype(&WinHttpCloseHandle) closeHandle = nullptr;
};

SystemProxy::~SystemProxy() {
    if (session_ != nullptr && api_ != nullptr) api_->closeHandle(session_);
    delete api_;
    if (module_ != nullptr) FreeLibrary(module_);
}

const SystemProxy::Api* SystemProxy::LoadedApi() {
    if (loadTried_) return api_;
    loadTried_ = true;
    module_ = LoadLibraryExW(L"winhttp.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (module_ == nullptr) return nullptr;
    auto api = std::make_unique<Api>();
    api->getUserConfig = reinterpret_cast<decltype(api->getUserConfig)>(
        reinterpret_cast<void*>(GetProcAddress(module_, "WinHttpGetIEProxyConfigForCurrentUser")));
    api->open = reinterpret_cast<decltype(api->open)>(
        reinterpret_cast<void*>(GetProcAddress(module_, "WinHttpOpen")));
    api->setTimeouts = reinterpret_cast<decltype(api->setTimeouts)>(
        reinterpret_cast<void*>(GetProcAddress(module_, "WinHttpSetTimeouts")));
    api->getProxyForUrl = reinterpret_cast<decltype(api->getProxyForUrl)>(
        reinterpret_cast<void*>(GetProcAddress(module_, "WinHttpGetProxyForUrl")));
    api->closeHandle = reinterpret_cast<decltype(api->closeHandle)>(
        reinterpret_cast<void*>(GetProcAddress(module_, "WinHttpCloseHandle")));
    if (!api->getUserConfig || !api->open || !api->setTimeouts || !api->getProxyForUrl ||
        !api->closeHandle) {
        return nullptr;
    }
    session_ = api->open(L"loader", WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME,
                         WINHTTP_NO_PROXY_BYPASS, 0);
    if (session_ != nullptr) {
        api->setTimeouts(session_, kScriptTimeoutMs, kScriptTimeoutMs, kScriptTimeoutMs,
                         kScriptTimeoutMs);
    }
    api_ = api.release();
    return api_;
}

ProxyRoute SystemProxy::RouteFor(const std::string& url) {
    std::lock_guard<std::mutex> hold(lock_);
    const Api* api = LoadedApi();
    if (api == nullptr) return ProxyRoute();

    WINHTTP_CURRENT_USER_IE_PROXY_CONFIG config = {};
    if (!api->getUserConfig(&config)) return ProxyRoute();
    GlobalText autoConfigUrl{config.lpszAutoConfigUrl};
    GlobalText proxy{config.lpszProxy};
    GlobalText bypass{config.lpszProxyBypass};

    if ((config.fAutoDetect || autoConfigUrl.text != nullptr) && session_ != nullptr) {
        WINHTTP_AUTOPROXY_OPTIONS options = {};
        if (config.fAutoDetect) {
            options.dwFlags |= WINHTTP_AUTOPROXY_AUTO_DETECT;
            options.dwAutoDetectFlags =
                WINHTTP_AUTO_DETECT_TYPE_DHCP | WINHTTP_AUTO_DETECT_TYPE_DNS_A;
        }
        if (autoConfigUrl.text != nullptr) {
            options.dwFlags |= WINHTTP_AUTOPROXY_CONFIG_URL;
            options.lpszAutoConfigUrl = autoConfigUrl.text;
        }
        options.fAutoLogonIfChallenged = TRUE;
        WINHTTP_PROXY_INFO info = {};
        const std::wstring wideUrl = Wide(url);
        if (api->getProxyForUrl(session_, wideUrl.c_str(), &options, &info)) {
            GlobalText named{info.lpszProxy};
            GlobalText namedBypass{info.lpszProxyBypass};
            if (info.dwAccessType == WINHTTP_ACCESS_TYPE_NAMED_PROXY) {
                return loader::RouteFromAutoProxy(Narrow(named.text));
            }
            return loader::RouteFromAutoProxy("");
        }
        // No script found or none that ran: the static settings decide, as in a browser.
    }
    if (proxy.text == nullptr) return ProxyRoute();  // no proxy configured: as without settings
    return loader::RouteFromProxyList(url, Narrow(proxy.text), Narrow(bypass.text));
}
