// What the player sees of the run beyond the bar: the failure screen (LOADER_FAILURE_SCREEN),
// the speed line and the taskbar button.
//
// Every text comes from the skin, so a publisher's skin says it in the player's language:
//   "failure"            label that shows the reason (hidden until then)
//   "retry", "close"     buttons (hidden until then): the run again from the version query,
//                        and the end of the loader
//   "failure_connect", "failure_login", "failure_download", "failure_checksum"
//                        hidden labels whose texts are the reasons
//   "status", "progress" hidden while the failure screen shows
//   "speed"              label for the speed and time left: its userdata is the pattern
//                        ("{speed}" and "{left}" are filled in), its text shows until there
//                        is an estimate
// A skin without the failure screen's buttons closes the window as a build without the
// option does: a screen without a way out would only puzzle the player.
#include <string>

#include "loader/diagnostic_log.h"
#include "loader/loader_wnd.h"
#include "ui/controls/CControlUI.h"

namespace {

constexpr char kFailureLabel[] = "failure";
constexpr char kRetryButton[] = "retry";
constexpr char kCloseButton[] = "close";
constexpr char kStatusLabel[] = "status";
constexpr char kProgressName[] = "progress";
constexpr char kSpeedLabel[] = "speed";
// Far above the window manager's own timer ids (0 to 254).
constexpr UINT_PTR kSpeedTimer = 0x4C44;
// How long a finished download's worker may take to become idle before a retry starts one.
constexpr int kWorkerIdleWaitMs = 2000;
// The speed line in the diagnostic log at most this often.
constexpr ULONGLONG kSpeedLogMs = 5000;

const char* TextNameOf(LoaderWnd::FailureReason reason) {
    switch (reason) {
        case LoaderWnd::FailureReason::kNoConnection:
            return "failure_connect";
        case LoaderWnd::FailureReason::kNetworkLogin:
            return "failure_login";
        case LoaderWnd::FailureReason::kDownload:
            return "failure_download";
        case LoaderWnd::FailureReason::kChecksum:
            return "failure_checksum";
    }
    return "failure_download";
}

const char* LogWordsOf(LoaderWnd::FailureReason reason) {
    switch (reason) {
        case LoaderWnd::FailureReason::kNoConnection:
            return "no usable reply from the version service";
        case LoaderWnd::FailureReason::kNetworkLogin:
            return "the network answered with a web page";
        case LoaderWnd::FailureReason::kDownload:
            return "the download failed";
        case LoaderWnd::FailureReason::kChecksum:
            return "the package was refused by its checksum";
    }
    return "the download failed";
}

}  // namespace

void LoaderWnd::PrepareStatus() {
    if (ProgressBar* bar = FindProgressBar()) skinProgressValue_ = bar->GetValue();
    if (SkinUI::CControlUI* speed = manager.FindControlByName(kSpeedLabel)) {
        speedIdleText_ = speed->GetText();
        speedPattern_ = speed->GetUserData();
    }
    if (taskbarProgress) taskbar_.Attach(GetHWND());
}

void LoaderWnd::OnNotify(SkinUI::TNoticeUI& notice) {
    if (notice.type != "click" || notice.sender == nullptr) return;
    const std::string name = notice.sender->GetName();
    if (name == kRetryButton) {
        // Not from inside the button's own click: the run holds this thread for its query.
        PostToWindow(kRetryMessage);
    } else if (name == kCloseButton) {
        DiagnosticLog::Line("window: closed from the failure screen");
        PostToWindow(WM_CLOSE);
    }
}

bool LoaderWnd::HandleStatusMessage(UINT message, WPARAM wParam) {
    if (message == kFailureMessage) {
        ShowFailure(static_cast<FailureReason>(wParam));
        return true;
    }
    if (message == kRetryMessage) {
        Retry();
        return true;
    }
    if (message == kProgressMessage) {
        taskbar_.ShowProgress(static_cast<int>(wParam));
        // The first report of a download: the speed line follows it from here on.
        if (!speedTimer_ && !speedPattern_.empty() &&
            SetTimer(GetHWND(), kSpeedTimer, static_cast<UINT>(loader::RateEstimator::kRefreshMs),
                     nullptr) != 0) {
            speedTimer_ = true;
        }
        return false;  // the update flow moves the bar
    }
    if (message == WM_TIMER && wParam == kSpeedTimer) {
        RefreshSpeedLine();
        return true;
    }
    const UINT buttonCreated = TaskbarProgress::ButtonCreatedMessage();
    if (buttonCreated != 0 && message == buttonCreated) {
        taskbar_.OnButtonCreated();
        return true;
    }
    if (message == WM_DESTROY) StopSpeedLine();
    return false;
}

void LoaderWnd::EndWithNothingStarted(FailureReason reason) {
    if (failureScreen) {
        PostToWindow(kFailureMessage, static_cast<WPARAM>(reason));
    } else {
        PostToWindow(WM_CLOSE);
    }
}

void LoaderWnd::ShowFailure(FailureReason reason) {
    StopSpeedLine();
    taskbar_.ShowError();
    SkinUI::CControlUI* label = manager.FindControlByName(kFailureLabel);
    SkinUI::CControlUI* text = manager.FindControlByName(TextNameOf(reason));
    if (manager.FindControlByName(kRetryButton) == nullptr ||
        manager.FindControlByName(kCloseButton) == nullptr) {
        DiagnosticLog::Line(std::string("window: the skin has no failure screen; closing (") +
                            LogWordsOf(reason) + ")");
        PostToWindow(WM_CLOSE);
        return;
    }
    const std::string shown = text != nullptr ? text->GetText() : std::string();
    if (label != nullptr) label->SetText(shown);
    DiagnosticLog::Line(std::string("window: failure screen, ") + LogWordsOf(reason) + ": \"" +
                        shown + "\"");
    ShowControl(kStatusLabel, false);
    ShowControl(kProgressName, false);
    ShowControl(kSpeedLabel, false);
    ShowControl(kFailureLabel, true);
    ShowControl(kRetryButton, true);
    ShowControl(kCloseButton, true);
    failureShown_ = true;
    // The package's check hid the window before it failed.
    ShowWindow(true);
}

void LoaderWnd::Retry() {
    if (!failureShown_) return;
    failureShown_ = false;
    DiagnosticLog::Line("window: retry from the failure screen");
    ShowControl(kFailureLabel, false);
    ShowControl(kRetryButton, false);
    ShowControl(kCloseButton, false);
    ShowControl(kStatusLabel, true);
    ShowControl(kProgressName, true);
    ShowControl(kSpeedLabel, true);
    if (ProgressBar* bar = FindProgressBar()) bar->SetValue(skinProgressValue_);
    if (SkinUI::CControlUI* speed = manager.FindControlByName(kSpeedLabel)) {
        speed->SetText(speedIdleText_);
    }
    taskbar_.Clear();
    // Everything the last run learnt goes: the next one asks and decides afresh.
    downloadUrl.clear();
    serverVersion.clear();
    targetPath.clear();
    installMode = false;
    installDir.clear();
    packageSha256Named = false;
    packageSha256.clear();
    packageMirrors.clear();
    queryFailure = loader::QueryFailure::None;
    heldPackage.Release();
    lastPostedPercent_ = -1;
    rate_.Reset();
    {
        std::lock_guard<std::mutex> hold(transferFiguresLock_);
        transferTotal_ = transferDone_ = 0;
    }
    // The worker reports a failure before it is idle again; a start in between is refused.
    for (int waited = 0; downloader.IsBusy() && waited < kWorkerIdleWaitMs; ++waited) Sleep(1);
    // The window stays live while the query runs (up to its bound): it repaints, moves, and
    // Escape or the close command end the loader at once.
    StartQueryInBackground();
}

void LoaderWnd::ShowControl(const char* name, bool visible) {
    if (SkinUI::CControlUI* control = manager.FindControlByName(name)) control->SetVisible(visible);
}

void LoaderWnd::NoteTransferProgress(double total, double done) {
    std::lock_guard<std::mutex> hold(transferFiguresLock_);
    transferTotal_ = total;
    transferDone_ = done;
}

void LoaderWnd::RefreshSpeedLine() {
    double total = 0, done = 0;
    {
        std::lock_guard<std::mutex> hold(transferFiguresLock_);
        total = transferTotal_;
        done = transferDone_;
    }
    const ULONGLONG now = GetTickCount64();
    if (!rate_.Observe(now, done, total)) return;
    const loader::TransferEstimate& estimate = rate_.Estimate();
    if (SkinUI::CControlUI* speed = manager.FindControlByName(kSpeedLabel)) {
        speed->SetText(estimate.ready ? loader::FillEstimate(speedPattern_, estimate)
                                      : speedIdleText_);
    }
    if (estimate.ready && now - speedLogged_ >= kSpeedLogMs) {
        speedLogged_ = now;
        DiagnosticLog::Line("download: speed line " + loader::FormatRate(estimate.bytesPerSecond) +
                            ", " + loader::FormatDuration(estimate.secondsLeft) + " left");
    }
}

void LoaderWnd::StopSpeedLine() {
    if (!speedTimer_) return;
    KillTimer(GetHWND(), kSpeedTimer);
    speedTimer_ = false;
}
