// LoaderWnd's update flow: the version query, the launch decision, the package download and
// the hand-over to the started program.
//
// Threads: StartUpdate, the version query's result and every launch run on the UI thread.
// The download worker only computes and posts: the percentage (kProgressMessage) and, after
// a successful download, the request to start the installer (kInstallMessage), which the UI
// thread turns into LaunchTarget(true). So the hand-over keeps its order (hide, start, post
// WM_CLOSE), the progress bar is only touched by its own thread, and a report that arrives
// after the window or this object is gone has no effect.
//
// Trust: the version query may be pinned to the service's public keys, and a package is
// started only when its bytes match the reply's "sha256" (when named, or when required). The
// package is held against writing from before its hash until the window is gone, so the
// checked bytes are the started ones.
#include <vector>

#include "loader/loader_wnd.h"
#include "loader/package_digest.h"
#include "loader/update_rules.h"
#include "loader/version_reply.h"

namespace {

constexpr int kVersionQueryId = 1;
constexpr int kPackageDownloadId = 2;
constexpr int kPackageConnections = 1;
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
    // A pin mismatch fails the query like any transport error.
    request.SetPinnedPublicKey(versionServicePin);
    request.SetRequestId(kVersionQueryId);
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
    if (!PackageChecksumUsable()) {
        // Nothing that arrived could ever be started: end as a failed download ends.
        PostToWindow(WM_CLOSE);
        return;
    }
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
    packageSha256Named = reply.hasSha256;
    packageSha256 = reply.sha256;
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
    if (asInstaller && !HoldAndCheckPackage()) {
        heldPackage.Release();
        DeleteFileA(targetPath.c_str());
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

bool LoaderWnd::PackageChecksumUsable() const {
    if (!packageSha256Named && !requirePackageSha256) return true;
    loader::Sha256Digest expected;
    return loader::ParseSha256Hex(packageSha256, expected);
}

bool LoaderWnd::HoldAndCheckPackage() {
    const bool held = heldPackage.Hold(targetPath);
    if (!packageSha256Named && !requirePackageSha256) return true;
    loader::Sha256Digest expected, actual;
    return held && loader::ParseSha256Hex(packageSha256, expected) &&
           heldPackage.ComputeSha256(actual) && actual == expected;
}

// ---------------------------------------------------------------------------------------------
// Progress and marshalling
// ---------------------------------------------------------------------------------------------

int LoaderWnd::OnTransferProgress(double total, double done, void* /*user*/) {
    PostToWindow(kProgressMessage, loader::ProgressPercent(total, done));
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
            heldPackage.Release();
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
