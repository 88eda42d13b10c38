// The loader's only window and the owner of all loader state: install discovery, the
// version query and launch decision, the package download and the installer hand-over.
//
// The window part (construction, message handling, the rounded region, the caption band)
// sits in loader_wnd.cpp; the skin in loader_wnd_skin.cpp; discovery in
// loader_wnd_discovery.cpp; the update flow in loader_wnd_update.cpp.
//
// What the player sees beyond the bar (the failure screen, the speed line, the taskbar
// button) sits in loader_wnd_status.cpp.
//
// The update flow needs four things of its window: GetHWND(), ShowWindow(false), the
// ProgressBar type with SetValue(int), and FindProgressBar(); and the window procedure
// offers every message to HandleUpdateMessage() first.
#pragma once

#include <windows.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "http/http_downloader.h"
#include "http/http_request.h"
#include "loader/held_package.h"
#include "loader/package_folder.h"
#include "loader/taskbar_progress.h"
#include "loader/transfer_estimate.h"
#include "loader/version_reply.h"
#include "ui/controls/CProgressUI.h"
#include "ui/core/CSkinBuilder.h"
#include "ui/core/CWindowManagerUI.h"
#include "ui/core/CWindowWnd.h"
#include "ui/core/TNoticeUI.h"

// The control that receives the download percentage: the skin's "progress".
using ProgressBar = SkinUI::CProgressUI;

class LoaderWnd : public SkinUI::CWindowWnd,
                  public SkinUI::INotifyUI,
                  public SkinUI::IDialogBuilderCallback {
public:
    // Posted by the download worker to the window, handled on the UI thread: the progress
    // bar is a UI object, and the installer hand-over must run where the window lives. Far
    // from WM_APP + 1, which the window manager posts for its delayed control clean-up.
    static constexpr UINT kProgressMessage = WM_APP + 0x200;   // wParam: percent 0..100
    static constexpr UINT kInstallMessage = WM_APP + 0x201;    // the package is ready to start
    static constexpr UINT kFailureMessage = WM_APP + 0x202;    // wParam: a FailureReason
    static constexpr UINT kRetryMessage = WM_APP + 0x203;      // the player asked for a retry
    static constexpr UINT kQueryDoneMessage = WM_APP + 0x204;  // a retried query has ended

    // Why a run ends with nothing started, as the failure screen tells the player.
    enum class FailureReason : WPARAM {
        kNoConnection,  // the version service gave no usable reply
        kNetworkLogin,  // the network answered with its sign-in page
        kDownload,      // the package could not be downloaded (or not into a safe folder)
        kChecksum,      // the package, or the reply's checksum, was refused
    };

    LoaderWnd();
    ~LoaderWnd();
    LoaderWnd(const LoaderWnd&) = delete;
    LoaderWnd& operator=(const LoaderWnd&) = delete;

    // ---- the window ----
    LPCSTR WindowClassName() const override { return "UIMainFrame"; }
    UINT ClassStyle() const override { return CS_DBLCLKS; }
    LRESULT OnWindowMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    // Clicks on the failure screen's buttons; every other notification is ignored.
    void OnNotify(SkinUI::TNoticeUI& notice) override;
    // The skin names no tag of its own.
    SkinUI::CControlUI* CreateCustomControl(LPCSTR typeName) override;

    // ---- install discovery ----
    // The client's install directory from its Uninstall entry (HKLM, the 32-bit view), when
    // that directory holds the client executable (LOADER_CLIENT_EXE); otherwise empty.
    static std::string FindInstallLocation();
    // The "ProductVersion" of installDir + the client executable for its first translation,
    // or empty.
    std::string ReadInstalledVersion();

    // ---- version check, launch decision, download hand-over ----
    // The version query on this thread (the window is not shown yet), then the decision.
    void StartUpdate();
    // Ends a version query running on its own thread within about a second (at exit).
    void StopQuery() { queryCancel_->store(true); }
    void OnTransferDone(int id, int ok, const std::string& text);
    void LaunchTarget(bool asInstaller);
    int OnTransferProgress(double total, double done, void* user);

    // Fields, in declaration order (the downloader is made before the request, so the
    // process-wide HTTP set-up happens with the first). The entry point sets
    // versionServiceUrl before the window is created; the rest belongs to the update flow.
    SkinUI::CWindowManagerUI manager;
    std::string downloadUrl;
    std::string serverVersion;
    std::string versionServiceUrl;
    std::string targetPath;
    ProgressBar* progressBar = nullptr;
    HttpDownloader downloader;
    HttpRequest request;
    bool installMode = false;
    std::string installDir;
    // Connections for the package (the downloader's thread count): 1 unless the build asks
    // for more; the size table still decides how many parts a package gets.
    int packageConnections = 1;
    // Each transfer takes the route of the player's Windows proxy settings (set by the entry
    // point before the window is created); otherwise libcurl decides, as it always has.
    bool useSystemProxy = false;

    // Trust settings, set by the entry point before the window is created: the version
    // service's public-key pins (empty: none), and whether a package is started only with a
    // valid "sha256" in the reply.
    std::string versionServicePin;
    bool requirePackageSha256 = false;
    // The reply's "sha256": whether it was there at all, and its text when it was a string.
    bool packageSha256Named = false;
    std::string packageSha256;
    // Where the package is downloaded to and started from, held until the window is gone.
    PackageFolder packageFolder;
    // The reply's "mirrors": further package URLs, tried in order after downloadUrl.
    std::vector<std::string> packageMirrors;
    // Why the version query gave no usable reply (None when it did), for the window to tell
    // the player; set on the UI thread when the query has ended.
    loader::QueryFailure queryFailure = loader::QueryFailure::None;
    // The downloaded package from its check until the window is gone.
    HeldPackage heldPackage;
    // Where the run would end with nothing started, the window stays with the reason and the
    // skin's retry and close buttons (set by the entry point before the window is created).
    bool failureScreen = false;
    // The taskbar button shows the download's progress (set by the entry point).
    bool taskbarProgress = false;
    // An unfinished download of a package the reply names by its checksum is kept in the
    // publisher's folder, and the next run goes on from it (set by the entry point).
    bool resumeDownloads = false;

private:
    // What transfer callbacks go through: they may run on the download worker after this
    // object is gone (the worker outlives it), so they reach it only while the gate is open,
    // and reach the window only by posting to the handle recorded before any transfer began.
    struct TransferGate {
        std::recursive_mutex lock;
        LoaderWnd* owner = nullptr;
        HWND window = nullptr;
    };

    // What a version query on its own thread works with: a handle sharing the request's
    // worker, and the gate to report through.
    struct QueryJob {
        HttpRequest query;
        std::shared_ptr<TransferGate> gate;
    };

    // ---- window parts (loader_wnd.cpp, loader_wnd_skin.cpp) ----
    // Offers a message to the manager, then to default processing.
    LRESULT PassOn(UINT message, WPARAM wParam, LPARAM lParam);
    void OnCreate();
    // Loads the skin into the manager (window settings, controls) with builder, which the
    // caller keeps until the update flow has run.
    void BuildSkin(SkinUI::CSkinBuilder& builder);
    void ApplyRoundRegion();
    LRESULT CaptionHitTest(LPARAM lParam);
    void FillMaximisedInfo(MINMAXINFO* info);

    // ---- what the player sees (loader_wnd_status.cpp) ----
    // After the skin is built: the skin's initial texts and value, the taskbar button.
    void PrepareStatus();
    // Messages of the failure screen, the speed line and the taskbar button; true when
    // message was consumed. The progress message is only looked at.
    bool HandleStatusMessage(UINT message, WPARAM wParam);
    // The run ends with nothing started: with the failure screen on, the window stays and
    // says why; otherwise it closes. From any thread.
    void EndWithNothingStarted(FailureReason reason);
    void ShowFailure(FailureReason reason);
    // Everything from the version query on, again, after the player asked for it.
    void Retry();
    // Shows or hides the skin's control of that name, when there is one.
    void ShowControl(const char* name, bool visible);
    // The download's figures for the speed line, from the download worker.
    void NoteTransferProgress(double total, double done);
    void RefreshSpeedLine();
    void StopSpeedLine();

    // Sets up the version query; false when there is no service to ask (the run ends).
    bool PrepareQuery();
    // The query again on a thread of its own, so the shown window stays live (a retry);
    // AfterQuery runs when its outcome is posted back.
    void StartQueryInBackground();
    static unsigned RunQuery(void* job);
    // A transfer's outcome to OnTransferDone, while this object lives (from any thread).
    ResultCallback GatedResultCallback();
    // Everything after the version query: the log line, discovery and the decision.
    void AfterQuery();

    // The update flow's own messages; true when message was one of them (and consumed).
    bool HandleUpdateMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // Posts to the window recorded in the gate; nothing when there is none.
    void PostToWindow(UINT message, WPARAM wParam = 0);
    // The progress bar of this window, or null.
    ProgressBar* FindProgressBar();
    // The download's figures and outcome, to the diagnostic log when it is on.
    void LogDownloadOutcome(bool ok);
    // Whether the reply allows a package to be started at all: with a "sha256" named, or
    // one required, it must be 64 hexadecimal digits.
    bool PackageChecksumUsable() const;
    // Holds the downloaded package at targetPath and, when a checksum applies, hashes the
    // held bytes; true when the package may be started. mismatch: the bytes were hashed and
    // are not the reply's package.
    bool HoldAndCheckPackage(bool& mismatch);
    // With resumeDownloads: where the download is kept across runs, and for which package;
    // nothing is kept for a package the reply does not name by its checksum.
    void ConfigureResume();
    // Downloads the package (downloadUrl, then packageMirrors) into a new file of the
    // package folder, from the downloader's thread; false when the download could not start.
    bool StartPackageDownload();
    // After a checksum mismatch: the download again from the host after the one that served
    // it, when there is one (true); the window shows again meanwhile.
    bool DownloadFromNextHost();
    // Built with the pin or the required checksum: nothing found through a search order is
    // ever started.
    bool SecureBuild() const { return !versionServicePin.empty() || requirePackageSha256; }
    // Starts the held package suspended from its own folder, and lets it run only when its
    // image is the held file; false when it was not (it is ended before it ran).
    bool StartHeldPackage(const std::string& commandText);

    std::shared_ptr<TransferGate> gate_ = std::make_shared<TransferGate>();
    std::shared_ptr<std::atomic<bool>> queryCancel_ = std::make_shared<std::atomic<bool>>(false);
    ULONGLONG queryStarted_ = 0;  // GetTickCount64 when the version query began
    // The percentage last posted to the window; -1 before the first report of a download.
    int lastPostedPercent_ = -1;
    ULONGLONG downloadStarted_ = 0;  // GetTickCount64 when the download began

    // The skin's initial bar value and speed line, shown again when a run starts afresh.
    int skinProgressValue_ = 0;
    std::string speedIdleText_;
    std::string speedPattern_;  // the speed line's userdata: "{speed}" and "{left}" filled in
    bool speedTimer_ = false;
    bool failureShown_ = false;  // a second click on retry, already queued, does nothing
    // The download's bytes as last reported by the worker, for the speed line.
    std::mutex transferFiguresLock_;
    double transferTotal_ = 0;
    double transferDone_ = 0;
    loader::RateEstimator rate_;
    ULONGLONG speedLogged_ = 0;  // GetTickCount64 of the last speed line in the log
    TaskbarProgress taskbar_;
};
