// The loader's entry point: prepares the process-wide services, creates, centres and shows the
// window (the whole update decision runs while it is created), runs the message loop and tears
// down. Neither the command line nor the show state it was started with has any effect.
#include <windows.h>

#include <objbase.h>

#include <curl/curl.h>

#include "http/https_rule.h"
#include "loader/loader_wnd.h"
#include "loader/trust_settings.h"
#include "loader/version_service_url.h"

namespace {

constexpr DWORD kLoaderStyle = 0x96C80000;  // popup, visible, clipping, caption, system menu
constexpr long kCurlInitFlags = 3;          // SSL and Win32 sockets

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE /*previous*/, LPSTR /*commandLine*/,
                   int /*showState*/) {
    SkinUI::CWindowManagerUI::SetInstance(instance);
    CoInitialize(nullptr);
    curl_global_init(kCurlInitFlags);
    HttpsRule::SetVerifyPeers(loader::kTlsVerify);
    int exitCode = 0;
    {
        LoaderWnd window;
        window.versionServiceUrl = loader::kVersionServiceUrl;
        window.versionServicePin = loader::kVersionServicePin;
        window.requirePackageSha256 = loader::kRequirePackageSha256;
        if (window.Create(nullptr, "Loader", kLoaderStyle, 0, 0, 0, 0, 0) == nullptr) {
            // Without a window nothing would ever post the quit message.
            exitCode = 1;
        } else {
            window.CenterWindow();
            ::ShowWindow(window.GetHWND(), SW_SHOW);
            SkinUI::CWindowManagerUI::MessageLoop();
        }
        curl_global_cleanup();
    }
    return exitCode;
}
