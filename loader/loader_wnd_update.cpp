// LoaderWnd's update flow: the version query, the launch decision, the package download and
// the hand-over to the started program.
//
// Threads: StartUpdate, the version query's result and every launch run on the UI thread.
// The download worker only computes and posts: the percentage (kProgressMessage) and, after
// a successful download, the request to start the installer (kInstallMessage), which the UI
// thread turns into LaunchTarget(true). So the hand-over keeps its order (hide, start, post
// WM_CLOSE), the progress bar is only touched by its own thread, and a report that arrives
// after the window or this object is gone has no effect.
#include <vector>

#include "loader/loader_wnd.h"
#include "loader/update_rules.h"
#include "loader/version_reply.h"

namespace {

constexpr int kVersionQueryId = 1;
constexpr int kPackageDownloadId = 2;
constexpr int kPackageConnections = 1;
constexpr long kQueryConnectMs = 15000;
constexpr long kQueryStallSeconds = 15;  // under 1 byte/s for this long ends the query
constexpr long kQueryTotalMs = 30000;
constexpr char kClientExecutable[] = "Kestrun.exe";
constexpr char kTempPrefix[] = "~uninst";
constexpr DWORD kTempDirSize = 260;
constexpr DWORD kTempNameSize = 261;

class OwnedHandle {
public:
    explicit OwnedHandle(HANDLE handle) : handle_(handle) {}
    ~OwnedHandle() {
        if (handle_ != nullptr) CloseHandle(handle_);
    }
    OwnedHandle(const OwnedHandle&) = delete;
    OwnedHandle& operator=(const OwnedHandle&) = delete;

private:
    HANDLE handle_;
};

}  // namespace

// ---------------------------------------------------------------------------------------------
// Decision
// ---------------------------------------------------------------------------------------------

void LoaderWnd::StartUpdate() {
    progressBar = FindProgressBar();
    {
        std::lock_guard<std::recursive_mutex> hold(gate_->lock);
        gate_->window = GetHWND();
    }
    if (versionServiceUrl.empty()) {
        PostQuitMessage(0);
        return;
    }

    std::shared_ptr<TransferGate> gate = gate_;
    auto onDone = [gate](int id, bool success, const std::string& text) {
        std::lock_guard<std::recursive_mutex> hold(gate->lock);
        if (gate->owner != nullptr) gate->owner->OnTransferDone(id, success ? 1 : 0, text);
    };
    request.SetRequestUrl(loader::VersionQueryUrl(versionServiceUrl));
    request.SetRequestId(kVersionQueryId);
    // The query runs before the window is shown: a service that accepts and never answers
    // must not leave an invisible process behind. Running out is a failed query.
    request.SetBounds(kQueryConnectMs, kQueryStallSeconds, kQueryTotalMs);
    request.SetResultCallback(onDone);
    // Synchronous: the reply (or the failure) has been handled when this returns. A failed
    // query does not stop the decision: an installed client is still started.
    request.PerformRequest();

    installDir = FindInstallLocation();
    const std::string localVersion = ReadInstalledVersion();
    if (loader::IsInstalledVersionCurrent(localVersion, serverVersion)) {
        targetPath = installDir + kClientExecutable;
        LaunchTarget(installMode);
        return;
    }

    // Download branch: the package goes to a temporary file named after the tick count
    // (a non-zero unique number: nothing is created or probed).
    installMode = true;
    char tempDir[kTempDirSize] = {};
    GetTempPathA(kTempDirSize, tempDir);
    char tempName[kTempNameSize] = {};
    GetTempFileNameA(tempDir, kTempPrefix, GetTickCount(), tempName);
    targetPath = tempName;

    downloader.SetDownloadUrl(downloadUrl);
    downloader.SetRequestId(kPackageDownloadId);
    downloader.SetResultCallback(onDone);
    downloader.SetProgressCallback([gate](double total, double done, void* user) {
        std::lock_guard<std::recursive_mutex> hold(gate->lock);
        return gate->owner != nullptr ? gate->owner->OnTransferProgress(total, done, user) : 0;
    });
    downloader.SetFilePath(targetPath);
    downloader.SetThreadCount(kPackageConnections);
    lastPostedPercent_ = -1;
    downloader.StartDownload();
}

void LoaderWnd::OnTransferDone(int id, int ok, const std::string& text) {
    if (!ok) {
        PostToWindow(WM_CLOSE);
        return;
    }
    if (id != kVersionQueryId) {
        // The package is complete; the UI thread starts it.
        PostToWindow(kInstallMessage);
        return;
    }
    downloadUrl = text;
    const loader::VersionReply reply = loader::ParseVersionReply(text);
    if (!reply.parsed) {
        PostToWindow(WM_CLOSE);
        return;
    }
    if (reply.hasUrl) downloadUrl = reply.url;
    if (reply.hasVersion) serverVersion = reply.version;
}

// ---------------------------------------------------------------------------------------------
// Hand-over
// ---------------------------------------------------------------------------------------------

void LoaderWnd::LaunchTarget(bool asInstaller) {
    ShowWindow(false);
    if (targetPath.empty()) {
        PostToWindow(WM_CLOSE);
        return;
    }
    const std::string commandText = loader::LaunchCommandLine(asInstaller);
    if (asInstaller) SetEnvironmentVariableA(loader::kInstallPathVariable, installDir.c_str());
    // CreateProcessA may write into the command line.
    std::vector<char> commandLine(commandText.begin(), commandText.end());
    commandLine.push_back('\0');

    SECURITY_ATTRIBUTES security = {};
    security.nLength = sizeof(security);
    security.lpSecurityDescriptor = nullptr;
    security.bInheritHandle = FALSE;
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    startup.wShowWindow = SW_SHOW;  // not in effect: dwFlags stays 0
    PROCESS_INFORMATION process = {};
    // The child inherits this process's environment and current directory.
    if (CreateProcessA(targetPath.c_str(), commandLine.data(), &security, &security, FALSE, 0,
                       nullptr, nullptr, &startup, &process)) {
        OwnedHandle processHandle(process.hProcess);
        OwnedHandle threadHandle(process.hThread);  // closed first
    }
    PostToWindow(WM_CLOSE);
}

// ---------------------------------------------------------------------------------------------
// Progress and marshalling
// ---------------------------------------------------------------------------------------------

int LoaderWnd::OnTransferProgress(double total, double done, void* /*user*/) {
    // Only changes are posted (about a hundred per download), so the window's queue never
    // fills up and drops the install or close message behind them. Reports never overlap.
    const int percent = static_cast<int>(loader::ProgressPercent(total, done));
    if (percent == lastPostedPercent_) return 0;
    lastPostedPercent_ = percent;
    PostToWindow(kProgressMessage, static_cast<WPARAM>(percent));
    return 0;
}

bool LoaderWnd::HandleUpdateMessage(UINT message, WPARAM wParam, LPARAM /*lParam*/) {
    switch (message) {
        case kProgressMessage:
            if (progressBar != nullptr) progressBar->SetValue(static_cast<int>(wParam));
            return true;
        case kInstallMessage:
            LaunchTarget(installMode);
            return true;
        case WM_DESTROY: {
            // Nothing is posted to the handle once it is gone (the platform may reuse it).
            std::lock_guard<std::recursive_mutex> hold(gate_->lock);
            gate_->window = nullptr;
            return false;
        }
        default:
            return false;
    }
}

void LoaderWnd::PostToWindow(UINT message, WPARAM wParam) {
    std::lock_guard<std::recursive_mutex> hold(gate_->lock);
    if (gate_->window != nullptr) ::PostMessageA(gate_->window, message, wParam, 0);
}
