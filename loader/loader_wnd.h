// The loader's only window and the owner of all loader state: install discovery, the
// version query and launch decision, the package download and the installer hand-over.
//
// The window part (construction, message handling, finding the progress bar) sits in
// loader_wnd.cpp; discovery in loader_wnd_discovery.cpp; the update flow in
// loader_wnd_update.cpp.
//
// The update flow needs four things of its window: GetHWND(), ShowWindow(false), the
// ProgressBar type with SetValue(int), and FindProgressBar(); and its window procedure must
// offer every message to HandleUpdateMessage() first. PlainWindow provides them until the
// skinned window base does; swapping the base, the ProgressBar alias and FindProgressBar()
// leaves the flow as it is.
#pragma once

#include <windows.h>

#include <memory>
#include <mutex>
#include <string>

#include "http/http_downloader.h"
#include "http/http_request.h"
#include "loader/plain_window.h"

// The control that receives the download percentage.
using ProgressBar = PlainProgressBar;

class LoaderWnd : public PlainWindow {
public:
    // Posted by the download worker to the window, handled on the UI thread: the progress
    // bar is a UI object, and the installer hand-over must run where the window lives. Far
    // from WM_APP + 1, which the window manager posts for its delayed control clean-up.
    static constexpr UINT kProgressMessage = WM_APP + 0x200;  // wParam: percent 0..100
    static constexpr UINT kInstallMessage = WM_APP + 0x201;   // the package is ready to start

    LoaderWnd();
    ~LoaderWnd();

    // ---- install discovery ----
    // The client's install directory from its Uninstall entry (HKLM, the 32-bit view), when
    // that directory holds Kestrun.exe; otherwise empty.
    static std::string FindInstallLocation();
    // The "ProductVersion" of installDir + Kestrun.exe for its first translation, or empty.
    std::string ReadInstalledVersion();

    // ---- version check, launch decision, download hand-over ----
    void StartUpdate();
    void OnTransferDone(int id, int ok, const std::string& text);
    void LaunchTarget(bool asInstaller);
    int OnTransferProgress(double total, double done, void* user);

    // Fields, in the order the loader's design declares them. The entry point sets
    // versionServiceUrl before the window is created; the rest belongs to the update flow.
    std::string downloadUrl;
    std::string serverVersion;
    std::string versionServiceUrl;
    std::string targetPath;
    ProgressBar* progressBar = nullptr;
    HttpDownloader downloader;
    HttpRequest request;
    bool installMode = false;
    std::string installDir;

protected:
    const char* WindowClassName() const override { return "UIMainFrame"; }
    UINT ClassStyle() const override { return CS_DBLCLKS; }
    LRESULT OnWindowMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // What transfer callbacks go through: they may run on the download worker after this
    // object is gone (the worker outlives it), so they reach it only while the gate is open,
    // and reach the window only by posting to the handle recorded before any transfer began.
    struct TransferGate {
        std::recursive_mutex lock;
        LoaderWnd* owner = nullptr;
        HWND window = nullptr;
    };

    // The update flow's own messages; true when message was one of them (and consumed).
    bool HandleUpdateMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // Posts to the window recorded in the gate; nothing when there is none.
    void PostToWindow(UINT message, WPARAM wParam = 0);
    // The progress bar of this window, or null.
    ProgressBar* FindProgressBar();

    std::shared_ptr<TransferGate> gate_ = std::make_shared<TransferGate>();
    PlainProgressBar plainProgress_;
    bool plainProgressCreated_ = false;
};
