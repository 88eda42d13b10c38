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
#include <cstdio>
#include <vector>

#include "http/http_global.h"
#include "http/platform_thread.h"
#include "http/reply_headers.h"
#include "loader/diagnostic_log.h"
#include "loader/loader_wnd.h"
#include "loader/owned_handle.h"
#include "loader/package_digest.h"
#include "loader/plain_entry.h"
#include "loader/proxy_settings.h"
#include "loader/publisher_settings.h"
#include "loader/system_proxy.h"
#include "loader/update_rules.h"
#include "loader/version_reply.h"

namespace {

constexpr int kVersionQueryId = 1;
constexpr int kPackageDownloadId = 2;
constexpr long kQueryConnectMs = 15000;
constexpr long kQueryStallSeconds = 15;  // under 1 byte/s for this long ends the query
constexpr long kQueryTotalMs = 30000;
// How long a finished download's worker may take to become idle after its report (it only
// leaves the registry).
constexpr int kWorkerIdleWaitMs = 2000;
constexpr char kTempPrefix[] = "~uninst";
constexpr DWORD kTempNameSize = 261;
// A download kept across runs, in the publisher's resume folder.
constexpr char kResumePartial[] = "package.part";
constexpr char kResumeRecord[] = "package.state";

// The URL as a support desk may see it: without a user name or password.
std::string WithoutSecrets(const std::string& url) {
    const std::size_t scheme = url.find("://");
    if (scheme == std::string::npos) return url;
    const std::size_t hostStart = scheme + 3;
    const std::size_t at = url.find('@', hostStart);
    const std::size_t pathStart = url.find_first_of("/?#", hostStart);
    if (at == std::string::npos || (pathStart != std::string::npos && at > pathStart)) return url;
    return url.substr(0, hostStart) + url.substr(at + 1);
}

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

// The player's proxy settings for every transfer, each choice in the log (host and port
// only). The settings live as long as the last transfer that may ask, which can outlive the
// window.
ProxyResolver SystemProxyResolver() {
    auto settings = std::make_shared<SystemProxy>();
    return [settings](const std::string& url) {
        const ProxyRoute route = settings->RouteFor(url);
        if (DiagnosticLog::Enabled()) {
            const std::string to = loader::HostPortOf(url);
            switch (route.kind) {
                case ProxyRoute::Kind::kThroughProxy:
                    DiagnosticLog::Line("proxy: " + route.hostPort + " for " + to);
                    break;
                case ProxyRoute::Kind::kDirect:
                    DiagnosticLog::Line("proxy: none for " + to +
                                        " (the proxy settings say direct)");
                    break;
                case ProxyRoute::Kind::kLibcurlDecides:
                    DiagnosticLog::Line("proxy: no proxy settings for " + to +
                                        ", libcurl's defaults apply");
                    break;
            }
        }
        return route;
    };
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Decision
// ---------------------------------------------------------------------------------------------

void LoaderWnd::StartUpdate() {
    if (!PrepareQuery()) return;
    // Synchronous: the reply (or the failure) has been handled when this returns.
    queryStarted_ = GetTickCount64();
    request.PerformRequest();
    AfterQuery();
}

void LoaderWnd::StartQueryInBackground() {
    if (!PrepareQuery()) return;
    // The player may leave while it runs: the exit sets the flag and waits for the thread
    // through the transfer count, as for a download.
    request.SetCancelFlag(queryCancel_);
    queryStarted_ = GetTickCount64();
    auto* job = new QueryJob{request, gate_};
    HttpGlobal::TransferStarted();
    PlatformThread thread = PlatformThread::Start(&LoaderWnd::RunQuery, job);
    if (!thread.Valid()) {
        HttpGlobal::TransferEnded();
        delete job;
        request.PerformRequest();  // no thread to be had: here, as the first query ran
        AfterQuery();
        return;
    }
    thread.Close();
}

unsigned LoaderWnd::RunQuery(void* argument) {
    std::unique_ptr<QueryJob> job(static_cast<QueryJob*>(argument));
    // The outcome reaches the object through the gate, on this thread; the window carries
    // on with it on its own.
    job->query.PerformRequest();
    {
        std::lock_guard<std::recursive_mutex> hold(job->gate->lock);
        if (job->gate->window != nullptr) {
            ::PostMessageA(job->gate->window, kQueryDoneMessage, 0, 0);
        }
    }
    job.reset();  // lets go of its share of the worker before the exit may clean up
    HttpGlobal::TransferEnded();
    return 0;
}

ResultCallback LoaderWnd::GatedResultCallback() {
    std::shared_ptr<TransferGate> gate = gate_;
    return [gate](int id, bool success, const std::string& text) {
        std::lock_guard<std::recursive_mutex> hold(gate->lock);
        if (gate->owner != nullptr) gate->owner->OnTransferDone(id, success ? 1 : 0, text);
    };
}

bool LoaderWnd::PrepareQuery() {
    progressBar = FindProgressBar();
    {
        std::lock_guard<std::recursive_mutex> hold(gate_->lock);
        gate_->window = GetHWND();
    }
    if (versionServiceUrl.empty()) {
        PostQuitMessage(0);
        return false;
    }

    request.SetRequestUrl(loader::VersionQueryUrl(versionServiceUrl));
    // A pin mismatch fails the query like any transport error.
    request.SetPinnedPublicKey(versionServicePin);
    request.SetRequestId(kVersionQueryId);
    // The query runs before the window is shown: a service that accepts and never answers
    // must not leave an invisible process behind. Running out is a failed query.
    request.SetBounds(kQueryConnectMs, kQueryStallSeconds, kQueryTotalMs);
    request.SetResultCallback(GatedResultCallback());
    if (useSystemProxy) {
        const ProxyResolver resolver = SystemProxyResolver();
        request.SetProxyResolver(resolver);
        downloader.SetProxyResolver(resolver);
    }
    if (DiagnosticLog::Enabled()) {
        // Each wait before a further try: why, and how long.
        request.SetRetryNote(
            [](const std::string& note) { DiagnosticLog::Line("retry: version query " + note); });
        downloader.SetRetryNote(
            [](const std::string& note) { DiagnosticLog::Line("retry: " + note); });
    }
    return true;
}

void LoaderWnd::AfterQuery() {
    // A failed query does not stop the decision: an installed client is still started.
    if (DiagnosticLog::Enabled()) {
        const std::string error = request.GetErrorText();
        DiagnosticLog::Line("version query: GET " +
                            WithoutSecrets(loader::VersionQueryUrl(versionServiceUrl)) +
                            (versionServicePin.empty() ? "" : " (public key pinned)") +
                            " -> HTTP " + std::to_string(request.GetHttpStatus()) + ", " +
                            (error.empty() ? "transfer complete" : error) + ", " +
                            std::to_string(GetTickCount64() - queryStarted_) + " ms");
    }

    installDir = FindInstallLocation();
    std::string localVersion;
    if (!installDir.empty()) {
        localVersion = ReadInstalledVersion();
    } else if (!SecureBuild()) {
        // The portable case: with no install, the client is looked for by its bare name in
        // the current directory, where its start by that name finds it (the DLL search,
        // restricted to System32, no longer looks there for the version read). A secure
        // build never starts what a search finds: a file planted beside the loader.
        char current[MAX_PATH] = {};
        const DWORD length = GetCurrentDirectoryA(MAX_PATH, current);
        if (length > 0 && length < MAX_PATH) {
            installDir = std::string(current) + (current[length - 1] == '\\' ? "" : "\\");
            localVersion = ReadInstalledVersion();
            installDir.clear();
        }
    }
    if (DiagnosticLog::Enabled()) {
        DiagnosticLog::Line(installDir.empty()
                                ? "install discovery: no install location (no Uninstall entry, "
                                  "no InstallLocation value, or no client executable there)"
                                : "install discovery: location " + Quoted(installDir));
        DiagnosticLog::Line(localVersion.empty()
                                ? "installed version: none (no readable ProductVersion in " +
                                      Quoted(installDir + loader::kClientExecutable) + ")"
                                : "installed version: " + Quoted(localVersion));
    }
    if (loader::IsInstalledVersionCurrent(localVersion, serverVersion)) {
        if (DiagnosticLog::Enabled()) {
            DiagnosticLog::Line("decision: start the installed client (installed " +
                                Quoted(localVersion) + " >= service " + Quoted(serverVersion) +
                                ")");
        }
        targetPath = installDir + loader::kClientExecutable;
        LaunchTarget(installMode);
        return;
    }
    if (DiagnosticLog::Enabled()) {
        DiagnosticLog::Line(localVersion.empty()
                                ? "decision: download the package (no installed version)"
                                : "decision: download the package (installed " +
                                      Quoted(localVersion) + " < service " + Quoted(serverVersion) +
                                      ")");
    }

    if (failureScreen && queryFailure != loader::QueryFailure::None) {
        // Nothing to start and nothing known to download: the player is told why.
        EndWithNothingStarted(queryFailure == loader::QueryFailure::WebPage
                                  ? FailureReason::kNetworkLogin
                                  : FailureReason::kNoConnection);
        return;
    }
    // Download branch: the package goes to a file named after the tick count (a non-zero
    // unique number: nothing is created or probed) in the loader's own folder.
    installMode = true;
    if (!PackageChecksumUsable()) {
        // Nothing that arrived could ever be started: end as a failed download ends.
        DiagnosticLog::Line("checksum: the reply names no usable sha256, nothing is downloaded");
        EndWithNothingStarted(FailureReason::kChecksum);
        return;
    }
    // The package goes to the loader's own folder, where nobody else can write, link or
    // plant: without one nothing is downloaded, as after a failed download.
    if (!packageFolder.Prepare(loader::kUninstallKey)) {
        DiagnosticLog::Line("download: no private package folder could be made safe");
        EndWithNothingStarted(FailureReason::kDownload);
        return;
    }
    downloader.SetRequestId(kPackageDownloadId);
    downloader.SetResultCallback(GatedResultCallback());
    std::shared_ptr<TransferGate> gate = gate_;
    downloader.SetProgressCallback([gate](double total, double done, void* user) {
        std::lock_guard<std::recursive_mutex> hold(gate->lock);
        return gate->owner != nullptr ? gate->owner->OnTransferProgress(total, done, user) : 0;
    });
    downloader.SetThreadCount(packageConnections);
    downloader.SetHashWhileDownloading(packageSha256Named || requirePackageSha256);
    ConfigureResume();
    if (!StartPackageDownload()) EndWithNothingStarted(FailureReason::kDownload);
}

void LoaderWnd::ConfigureResume() {
    if (!resumeDownloads) return;
    // Only the package's checksum, checked over every byte, makes bytes an earlier run left
    // behind as good as new ones; without it nothing is kept.
    loader::Sha256Digest digest;
    const bool named = packageSha256Named && loader::ParseSha256Hex(packageSha256, digest);
    if (!packageFolder.PrepareResume({kResumePartial, kResumeRecord})) {
        DiagnosticLog::Line("resume: no safe folder for a kept download, nothing is kept");
        return;
    }
    const std::string partial = packageFolder.ResumePath() + kResumePartial;
    const std::string record = packageFolder.ResumePath() + kResumeRecord;
    if (!named) {
        loader::DeletePlainFile(partial);
        loader::DeletePlainFile(record);
        DiagnosticLog::Line("resume: the reply names no sha256, nothing is kept");
        return;
    }
    static const char kDigits[] = "0123456789abcdef";
    std::string identity;
    for (unsigned char byte : digest) {
        identity += kDigits[byte >> 4];
        identity += kDigits[byte & 15];
    }
    downloader.SetResume(partial, record, identity + " " + serverVersion);
}

bool LoaderWnd::StartPackageDownload() {
    char tempName[kTempNameSize] = {};
    GetTempFileNameA(packageFolder.Path().c_str(), kTempPrefix, GetTickCount(), tempName);
    targetPath = tempName;
    downloader.SetDownloadUrl(downloadUrl);
    downloader.SetMirrorUrls(packageMirrors);
    downloader.SetFilePath(targetPath);
    lastPostedPercent_ = -1;
    if (DiagnosticLog::Enabled()) {
        DiagnosticLog::Line("download: " + Quoted(WithoutSecrets(downloadUrl)) + " to " +
                            Quoted(targetPath) + ", up to " + std::to_string(packageConnections) +
                            " connection(s)");
        for (std::size_t k = 0; k < packageMirrors.size(); ++k) {
            DiagnosticLog::Line("download: host " + std::to_string(k + 2) +
                                " if needed: " + Quoted(WithoutSecrets(packageMirrors[k])));
        }
    }
    downloadStarted_ = GetTickCount64();
    return downloader.StartDownload() != nullptr;
}

void LoaderWnd::OnTransferDone(int id, int ok, const std::string& text) {
    if (id != kVersionQueryId) LogDownloadOutcome(ok != 0);
    if (id == kVersionQueryId) {
        // A sign-in page of the player's network is a failed query with a reason of its own.
        ReplyHeaders headers;
        headers.Lines(request.GetHeaderText());
        const long status = request.GetHttpStatus();
        queryFailure = loader::ClassifyQuery(ok != 0, status, headers.contentType, text);
        if (queryFailure != loader::QueryFailure::None) {
            if (DiagnosticLog::Enabled()) {
                DiagnosticLog::Line(
                    std::string("version reply: failed, ") +
                    loader::QueryFailureReason(queryFailure) + " (HTTP " + std::to_string(status) +
                    (headers.contentType.empty() ? "" : ", " + headers.contentType) + ")");
            }
            // With the failure screen, StartUpdate tells the player once it knows that no
            // installed client can be started instead.
            if (!failureScreen) PostToWindow(WM_CLOSE);
            return;
        }
    }
    if (!ok) {
        EndWithNothingStarted(FailureReason::kDownload);
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
        queryFailure = loader::QueryFailure::NotJson;
        if (DiagnosticLog::Enabled()) {
            DiagnosticLog::Line("version reply: not valid JSON (error at byte " +
                                std::to_string(reply.errorOffset) + ")");
        }
        if (!failureScreen) PostToWindow(WM_CLOSE);
        return;
    }
    if (DiagnosticLog::Enabled()) {
        DiagnosticLog::Line("version reply: version " +
                            (reply.hasVersion ? Quoted(reply.version) : "missing") + ", url " +
                            (reply.hasUrl ? Quoted(WithoutSecrets(reply.url)) : "missing") +
                            ", sha256 " + (reply.hasSha256 ? "present" : "absent") + ", " +
                            std::to_string(reply.mirrors.size()) + " mirror(s)");
    }
    if (reply.hasUrl) downloadUrl = reply.url;
    if (reply.hasVersion) serverVersion = reply.version;
    packageSha256Named = reply.hasSha256;
    packageSha256 = reply.sha256;
    packageMirrors = reply.mirrors;
}

// ---------------------------------------------------------------------------------------------
// Hand-over
// ---------------------------------------------------------------------------------------------

void LoaderWnd::LaunchTarget(bool asInstaller) {
    ShowWindow(false);
    if (targetPath.empty()) {
        if (DiagnosticLog::Enabled()) DiagnosticLog::Line("launch: nothing to start (no path)");
        PostToWindow(WM_CLOSE);
        return;
    }
    const std::string commandText = loader::LaunchCommandLine(asInstaller);
    if (asInstaller) {
        bool mismatch = false;
        if (!HoldAndCheckPackage(mismatch) || !StartHeldPackage(commandText)) {
            heldPackage.Discard(targetPath);
            if (mismatch && DownloadFromNextHost()) return;
            EndWithNothingStarted(mismatch ? FailureReason::kChecksum : FailureReason::kDownload);
            return;
        }
        PostToWindow(WM_CLOSE);
        return;
    }
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
        if (DiagnosticLog::Enabled()) {
            DiagnosticLog::Line("launch: " + Quoted(targetPath) + " with " + Quoted(commandText) +
                                " -> started, process " + std::to_string(process.dwProcessId));
        }
    } else if (DiagnosticLog::Enabled()) {
        const DWORD error = GetLastError();
        DiagnosticLog::Line("launch: " + Quoted(targetPath) + " with " + Quoted(commandText) +
                            " -> CreateProcessA failed: " + DiagnosticLog::SystemErrorText(error));
    }
    PostToWindow(WM_CLOSE);
}

bool LoaderWnd::StartHeldPackage(const std::string& commandText) {
    if (packageFolder.Path().empty()) {
        // Never started from anywhere but the loader's own folder.
        DiagnosticLog::Line("launch: " + Quoted(targetPath) + " is not in a package folder");
        return true;  // nothing ran, and the file is not the loader's to delete
    }
    SetEnvironmentVariableA(loader::kInstallPathVariable, installDir.c_str());
    // The installer's DLL search: its own folder and its current directory are the private
    // folder, and its PATH holds only the system's folders (a folder of the user's on PATH
    // would be one more place to plant a DLL in).
    char system[MAX_PATH] = {}, windows[MAX_PATH] = {};
    const UINT systemLength = GetSystemDirectoryA(system, MAX_PATH);
    const UINT windowsLength = GetSystemWindowsDirectoryA(windows, MAX_PATH);
    if (systemLength > 0 && systemLength < MAX_PATH && windowsLength > 0 &&
        windowsLength < MAX_PATH) {
        SetEnvironmentVariableA(
            "PATH", (std::string(system) + ";" + windows + ";" + system + "\\Wbem").c_str());
    }
    std::vector<char> commandLine(commandText.begin(), commandText.end());
    commandLine.push_back('\0');
    SECURITY_ATTRIBUTES security = {};
    security.nLength = sizeof(security);
    security.bInheritHandle = FALSE;
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    startup.wShowWindow = SW_SHOW;  // not in effect: dwFlags stays 0
    PROCESS_INFORMATION process = {};
    // Suspended: nothing of it runs before its image is known to be the held file.
    if (!CreateProcessA(targetPath.c_str(), commandLine.data(), &security, &security, FALSE,
                        CREATE_SUSPENDED, nullptr, packageFolder.Path().c_str(), &startup,
                        &process)) {
        const DWORD error = GetLastError();
        DiagnosticLog::Line("launch: " + Quoted(targetPath) + " with " + Quoted(commandText) +
                            " -> CreateProcessA failed: " + DiagnosticLog::SystemErrorText(error));
        return true;  // nothing ran: the package itself is not refused
    }
    OwnedHandle processHandle(process.hProcess);
    OwnedHandle threadHandle(process.hThread);  // closed first
    if (!heldPackage.IsImageOf(process.hProcess)) {
        TerminateProcess(process.hProcess, 1);
        DiagnosticLog::Line("launch: " + Quoted(targetPath) +
                            " -> the started image is not the checked package, ended");
        return false;
    }
    ResumeThread(process.hThread);
    DiagnosticLog::Line("launch: " + Quoted(targetPath) + " with " + Quoted(commandText) +
                        " -> started, process " + std::to_string(process.dwProcessId));
    return true;
}

bool LoaderWnd::PackageChecksumUsable() const {
    if (!packageSha256Named && !requirePackageSha256) return true;
    loader::Sha256Digest expected;
    return loader::ParseSha256Hex(packageSha256, expected);
}

bool LoaderWnd::HoldAndCheckPackage(bool& mismatch) {
    mismatch = false;
    const bool held = heldPackage.Hold(targetPath);
    // Without a checksum the hold still ties the start to this file (StartHeldPackage).
    if (!packageSha256Named && !requirePackageSha256) return held;
    loader::Sha256Digest expected, actual;
    // Hashed while it downloaded, as written through a handle beside which nobody could
    // write, in the loader's own folder; held now, it must still be as long as written. Any
    // doubt (no such hash, another length) and the held bytes are hashed here instead.
    const bool streamed =
        held && downloader.GetSha256(actual) &&
        heldPackage.Size() == static_cast<long long>(downloader.GetDownloadedBytes());
    const bool hashed = held && loader::ParseSha256Hex(packageSha256, expected) &&
                        (streamed || heldPackage.ComputeSha256(actual));
    const bool ok = hashed && actual == expected;
    mismatch = hashed && !ok;
    DiagnosticLog::Line(
        std::string("checksum: ") +
        (ok     ? "the package matches the reply's sha256"
         : held ? "the package does not match the reply's sha256, deleted"
                : "the package could not be held for the check, deleted") +
        (hashed ? streamed ? " (hashed while downloading)" : " (hashed after the download)" : ""));
    return ok;
}

bool LoaderWnd::DownloadFromNextHost() {
    // A host that served other bytes than the reply's checksum names (a stale or damaged
    // copy on one node) is left like a host that failed; the hosts after it may hold the
    // right package.
    const int served = downloader.GetServingHost();
    if (served < 0 || static_cast<std::size_t>(served) >= packageMirrors.size()) return false;
    DiagnosticLog::Line("retry: package host " + std::to_string(served + 1) + " of " +
                        std::to_string(packageMirrors.size() + 1) +
                        " left (its package does not match the reply's sha256), trying host " +
                        std::to_string(served + 2));
    downloadUrl = packageMirrors[static_cast<std::size_t>(served)];
    packageMirrors.erase(packageMirrors.begin(), packageMirrors.begin() + served + 1);
    // The worker reports the outcome before it is idle again; a new start in between would be
    // refused and nothing would ever report.
    for (int waited = 0; downloader.IsBusy() && waited < kWorkerIdleWaitMs; ++waited) Sleep(1);
    if (!StartPackageDownload()) return false;
    ShowWindow(true);
    return true;
}

// ---------------------------------------------------------------------------------------------
// Progress and marshalling
// ---------------------------------------------------------------------------------------------

int LoaderWnd::OnTransferProgress(double total, double done, void* /*user*/) {
    NoteTransferProgress(total, done);
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
        case kQueryDoneMessage:
            AfterQuery();
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

void LoaderWnd::LogDownloadOutcome(bool ok) {
    if (!DiagnosticLog::Enabled()) return;
    const double seconds = static_cast<double>(GetTickCount64() - downloadStarted_) / 1000.0;
    const double bytes = downloader.GetDownloadedBytes();
    // Both statuses: a support desk must see a 404 (or a proxy's or portal's answer) for what
    // it is, and the probe of an error reply measures the error page, not the package.
    const long probeStatus = downloader.GetProbeHttpStatus();
    const bool probeAnswered = probeStatus >= 200 && probeStatus < 300;
    char figures[256];
    std::snprintf(figures, sizeof(figures),
                  "probe HTTP %ld, %s %.0f bytes, %d part(s), %.0f bytes in %.3f s (%.2f MB/s), "
                  "last transfer HTTP %ld",
                  probeStatus, probeAnswered ? "size from the probe" : "no package size, reply",
                  downloader.GetTotalSize(), downloader.GetThreadCount(), bytes, seconds,
                  seconds > 0 ? bytes / seconds / 1e6 : 0.0, downloader.GetHttpStatus());
    DiagnosticLog::Line(std::string("download: ") + (ok ? "complete" : "failed") + ", " + figures +
                        (ok ? "" : ", error: " + downloader.GetErrorText()));
    const std::string resumed = downloader.GetResumeText();
    if (!resumed.empty()) DiagnosticLog::Line("resume: " + resumed);
}
