// The loader's entry point: makes sure it is the session's only loader, prepares the
// process-wide services, creates, centres and shows the window (the whole update decision runs
// while it is created), runs the message loop and tears down, stopping a download that is
// still running first. Neither the command line nor the show state it was started with has
// any effect.
#include <windows.h>

#include <objbase.h>

#include <curl/curl.h>

#include <string>

#include "http/http_global.h"
#include "http/https_rule.h"
#include "loader/diagnostic_log.h"
#include "loader/loader_build_options.h"
#include "loader/loader_wnd.h"
#include "loader/publisher_settings.h"
#include "loader/single_instance.h"
#include "loader/trust_settings.h"
#include "loader/update_rules.h"
#include "loader/version_service_url.h"

namespace {

constexpr DWORD kLoaderStyle = 0x96C80000;  // popup, visible, clipping, caption, system menu
constexpr long kCurlInitFlags = 3;          // SSL and Win32 sockets
constexpr char kWindowClass[] = "UIMainFrame";
constexpr char kWindowTitle[] = "Loader";
// "Local\": one loader per user session, whoever else is logged on; one per publisher (its
// Uninstall key name), so two publishers' loaders never hold each other back.
std::string InstanceName() {
    return std::string("Local\\") + loader::kUninstallKey + ".Loader";
}
// How long a download cancelled by closing the window may take to stop and delete its file.
constexpr unsigned kExitWaitMs = 2000;

// Shows the window normally whatever show state the process was started with: a window
// created visible takes a shortcut's minimised or maximised state on its first show.
void ShowNormally(LoaderWnd& window) {
    const HWND handle = window.GetHWND();
    window.CenterWindow();
    ::ShowWindow(handle, SW_SHOW);
    if (IsIconic(handle) || IsZoomed(handle)) {
        ::ShowWindow(handle, SW_RESTORE);
        window.CenterWindow();
    }
}

// Looked up rather than imported: a Windows 7 without its loader update lacks it, and an
// import it cannot resolve would keep the program from starting at all.
void RestrictDllSearch() {
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    const HMODULE kernel = GetModuleHandleA("kernel32.dll");
    const auto restrict = reinterpret_cast<SetDefaultDllDirectoriesFn>(reinterpret_cast<void*>(
        kernel != nullptr ? GetProcAddress(kernel, "SetDefaultDllDirectories") : nullptr));
    if (restrict != nullptr) restrict(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE /*previous*/, LPSTR /*commandLine*/,
                   int /*showState*/) {
    // First of all: a DLL loaded by name from here on comes from System32 only, never from
    // the program's folder or the current directory, where anyone may have put one.
    RestrictDllSearch();
    if (loader::kDiagnosticLog) {
        DiagnosticLog::Open(loader::kLogFolder);
        DiagnosticLog::Line(std::string("start: loader ") + loader::kQueryVersion +
                            " (command line ignored)");
    }
    // Before anything else, above all before the version query inside window creation.
    SingleInstance single(InstanceName().c_str());
    if (single.AnotherRuns()) {
        SingleInstance::BringToFront(kWindowClass, kWindowTitle);
        DiagnosticLog::Line("exit: another loader runs in this session, code 0");
        return 0;
    }
    SkinUI::CWindowManagerUI::SetInstance(instance);
    CoInitialize(nullptr);
    curl_global_init(kCurlInitFlags);
    HttpsRule::SetVerifyPeers(loader::kTlsVerify);
    int exitCode = 0;
    {
        LoaderWnd window;
        window.versionServiceUrl = loader::kVersionServiceUrl;
        window.packageConnections = loader::kPackageConnections;
        window.useSystemProxy = loader::kSystemProxy;
        window.failureScreen = loader::kFailureScreen;
        window.taskbarProgress = loader::kTaskbarProgress;
        window.resumeDownloads = loader::kResume;
        window.versionServicePin = loader::kVersionServicePin;
        window.requirePackageSha256 = loader::kRequirePackageSha256;
        if (window.Create(nullptr, kWindowTitle, kLoaderStyle, 0, 0, 0, 0, 0) == nullptr) {
            // Without a window nothing would ever post the quit message.
            DiagnosticLog::Line("window: could not be created: " +
                                DiagnosticLog::SystemErrorText(GetLastError()));
            exitCode = 1;
        } else {
            ShowNormally(window);
            SkinUI::CWindowManagerUI::MessageLoop();
        }
        // Closed during a download or a retried query: it is cancelled (a download's
        // temporary file goes) and waited for, so the clean-up never frees what its thread
        // still uses. Should it not end in time,
        // the clean-up is skipped: the process is ending anyway.
        const bool busy = window.downloader.IsBusy();
        window.StopQuery();
        const bool stopped = HttpGlobal::StopTransfers(kExitWaitMs);
        if (stopped) curl_global_cleanup();
        DiagnosticLog::Line(std::string("exit: message loop ended") +
                            (busy ? (stopped ? ", running download cancelled"
                                             : ", running download did not stop in time")
                                  : "") +
                            ", code " + std::to_string(exitCode));
    }
    return exitCode;
}
