// CWindowManagerUI: the per-window hub of the UI framework (root control, fonts, images,
// default attribute lists, timers, focus, notifications) and the holder of the framework's
// process-wide state (program instance, resource location, the list of all managers) and of
// the message loop with its pre-translation step.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "ui/core/GdiHandle.h"
#include "ui/core/TEventUI.h"
#include "ui/core/TNoticeUI.h"

namespace SkinUI {

class CAccessibleUI;
class CControlUI;
struct TImageInfo;

// Creates a control for a tag the skin builder does not know, or none.
using ControlFactoryFn = CControlUI* (*)(const char* typeName);

struct TFontInfo {
    UniqueFont font;
    std::string faceName;
    int size = 0;
    bool bold = false;
    bool underline = false;
    bool italic = false;
    TEXTMETRICA metrics = {};  // measured when tmHeight != 0
};

struct TTimerInfo {
    CControlUI* sender = nullptr;
    UINT localId = 0;
    HWND window = nullptr;
    UINT nativeId = 0;
    bool killed = false;
};

// The five default colours.
struct TDefaultColors {
    DWORD disabled = 0xFFA7A6AA;
    DWORD text = 0xFF000000;
    DWORD link = 0xFF0000FF;
    DWORD linkHover = 0xFFD3215F;
    DWORD selectedBack = 0xFFBAE4FF;
};

class CWindowManagerUI {
public:
    CWindowManagerUI();
    ~CWindowManagerUI();
    CWindowManagerUI(const CWindowManagerUI&) = delete;
    CWindowManagerUI& operator=(const CWindowManagerUI&) = delete;

    // ---- Process-wide state -------------------------------------------------------------
    static void SetInstance(HINSTANCE instance);
    static HINSTANCE GetInstance();
    static void SetResourceInstance(HINSTANCE instance);
    static HINSTANCE GetResourceInstance();  // the program instance when none was set
    static void SetResourcePath(const std::string& path);
    static const std::string& GetResourcePath();
    // The archive under the resource path that holds the skin files; empty = plain files.
    // `cached` asks file loads to reuse one open archive handle (set by whoever opens it).
    static void SetResourceZip(const std::string& zipName, bool cached = false);
    static const std::string& GetResourceZip();
    static bool IsCachedResourceZip();
    static void SetResourceZipHandle(void* archive);
    static void* GetResourceZipHandle();
    static void AddControlFactory(ControlFactoryFn factory);
    static const std::vector<ControlFactoryFn>& GetControlFactories();
    static void SetDefaultFontFace(const std::string& face);
    static void GetHSL(short* hue, short* saturation, short* lightness);
    // Frames repainted areas when "show dirty" is on; made by the first manager.
    static HPEN GetDirtyFramePen();

    // Runs until WM_QUIT; every message is first offered to PreTranslateMessage.
    static void MessageLoop();
    static bool PreTranslateMessage(const MSG* message);

    // ---- Binding and tree -----------------------------------------------------------------
    void AttachWindow(HWND window);
    HWND GetPaintWindow() const { return window_; }
    HDC GetPaintDC() const { return paintDC_.get(); }
    bool AttachRoot(CControlUI* control);
    bool InitControls(CControlUI* control, CControlUI* parent = nullptr);
    CControlUI* GetRoot() const { return root_; }
    CControlUI* GetFocus() const { return focus_; }
    POINT GetMousePos() const { return lastMousePos_; }
    void NeedUpdate() { updateNeeded_ = true; }
    void Invalidate(const RECT& rect);
    CControlUI* FindControlAt(POINT point) const;
    CControlUI* FindControlByName(const std::string& name) const;
    void SetCapture();
    void ReleaseCapture();
    bool IsCaptured() const { return captured_; }
    bool SetResourceParent(CWindowManagerUI* parent);
    CWindowManagerUI* GetResourceParent() const { return resourceParent_; }
    void SetUsedVirtualWnd(bool used) { usedVirtualWnd_ = used; }
    bool IsUsedVirtualWnd() const { return usedVirtualWnd_; }

    // ---- Display scale ---------------------------------------------------------------------
    // Skins are written in 96-DPI pixels; the manager keeps everything it holds (window
    // settings, fonts, the controls' geometry) in the pixels of the window's current DPI.
    // Attaching a window takes that window's DPI; SetDpi re-scales everything already held
    // and lays the tree out again (WM_DPICHANGED calls it).
    int GetDpi() const { return dpi_; }
    void SetDpi(int dpi);
    int Scale(int value) const;
    RECT Scale(const RECT& rect) const;
    // The DPI of the window's monitor where the system tells it, else the screen's.
    static int WindowDpi(HWND window);

    // ---- Window settings (setters take 96-DPI pixels) ---------------------------------------
    void SetInitialSize(int cx, int cy);
    SIZE GetInitialSize() const { return initialSize_; }
    void SetSizeBox(const RECT& box) { sizeBox_ = Scale(box); }
    RECT GetSizeBox() const { return sizeBox_; }
    void SetCaptionRect(const RECT& caption) { caption_ = Scale(caption); }
    RECT GetCaptionRect() const { return caption_; }
    void SetRoundCorner(int cx, int cy) { roundCorner_ = SIZE{Scale(cx), Scale(cy)}; }
    SIZE GetRoundCorner() const { return roundCorner_; }
    void SetMinTrackSize(int cx, int cy) { minTrack_ = SIZE{Scale(cx), Scale(cy)}; }
    SIZE GetMinTrackSize() const { return minTrack_; }
    void SetMaxTrackSize(int cx, int cy) { maxTrack_ = SIZE{Scale(cx), Scale(cy)}; }
    SIZE GetMaxTrackSize() const { return maxTrack_; }
    void SetShowDirty(bool show) { showDirty_ = show; }
    bool IsShowDirty() const { return showDirty_; }
    void SetAlphaBackground(bool alpha) { alphaBackground_ = alpha; }
    bool IsAlphaBackground() const { return alphaBackground_; }
    void SetOpacity(int alpha);
    int GetOpacity() const { return opacity_; }
    void SetShadow(bool show) { shadow_ = show; }
    bool IsShadow() const { return shadow_; }
    void SetShadowImage(const std::string& image) { shadowImage_ = image; }
    const std::string& GetShadowImage() const { return shadowImage_; }
    void SetShadowPlacement(const int values[6]);

    DWORD GetDefaultDisabledColor() const;
    void SetDefaultDisabledColor(DWORD color) { colors_.disabled = color; }
    DWORD GetDefaultFontColor() const;
    void SetDefaultFontColor(DWORD color) { colors_.text = color; }
    DWORD GetDefaultLinkFontColor() const;
    void SetDefaultLinkFontColor(DWORD color) { colors_.link = color; }
    DWORD GetDefaultLinkHoverFontColor() const;
    void SetDefaultLinkHoverFontColor(DWORD color) { colors_.linkHover = color; }
    DWORD GetDefaultSelectedBkColor() const;
    void SetDefaultSelectedBkColor(DWORD color) { colors_.selectedBack = color; }

    // ---- Resources ----------------------------------------------------------------------------
    HFONT AddFont(const std::string& face, int size, bool bold, bool underline, bool italic);
    HFONT SetDefaultFont(const std::string& face, int size, bool bold, bool underline, bool italic);
    HFONT GetFont(int index);
    TFontInfo* GetFontInfo(int index);
    TFontInfo* GetFontInfo(HFONT font);
    HFONT FindFont(const std::string& face, int size, bool bold, bool underline, bool italic) const;
    TFontInfo* GetDefaultFontInfo();
    int GetFontCount() const { return static_cast<int>(fonts_.size()); }

    const TImageInfo* AddImage(const std::string& name, const char* type = nullptr, DWORD mask = 0,
                               bool gray = false);
    const TImageInfo* GetImage(const std::string& name) const;
    const TImageInfo* GetImageOrLoad(const std::string& name, const char* type = nullptr,
                                     DWORD mask = 0, bool gray = false);

    void AddDefaultAttributes(const std::string& tagName, const std::string& list);
    const std::string* GetDefaultAttributes(const std::string& tagName) const;

    // ---- Lists ------------------------------------------------------------------------------
    bool AddNotifier(INotifyUI* notifier);
    bool AddMessageFilter(IMessageFilterUI* filter);
    bool RemoveMessageFilter(IMessageFilterUI* filter);
    bool AddPostPaint(CControlUI* control);
    bool RemovePostPaint(CControlUI* control);
    const std::vector<CControlUI*>& GetPostPaintControls() const { return postPaint_; }
    bool AddTranslateAccelerator(ITranslateAccelerator* translator);
    bool RemoveTranslateAccelerator(ITranslateAccelerator* translator);
    bool TranslateAccelerator(MSG* message);
    bool AddOptionGroup(const std::string& group, CControlUI* control);
    const std::vector<CControlUI*>* GetOptionGroup(const std::string& group) const;
    void RemoveOptionGroup(const std::string& group, CControlUI* control);
    void AddDelayedCleanup(CControlUI* control);

    // ---- Timers -------------------------------------------------------------------------------
    bool SetTimer(CControlUI* control, UINT localId, UINT elapse);
    bool KillTimer(CControlUI* control, UINT localId);
    void KillTimer(CControlUI* control);

    // ---- Focus --------------------------------------------------------------------------------
    void SetFocus(CControlUI* control);
    void SetFocusNeeded(CControlUI* control);
    bool SetNextTabControl(bool forward = true);

    // ---- Notifications ------------------------------------------------------------------------
    void SendNotify(TNoticeUI& notice, bool async = false);
    void SendNotify(CControlUI* control, const std::string& type, WPARAM wParam = 0,
                    LPARAM lParam = 0, bool async = false);
    // Delivers the queued notifications, including those queued while delivering; the
    // message handling calls it around every message.
    void DeliverPendingNotifications();

    // Drops every reference to a control that is being destroyed.
    void ReapObjects(CControlUI* control);

    // The pre-message step of the message loop: tab order, system keys and shortcuts.
    bool PreMessageHandler(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

    // The window's messages turned into layout, painting and control events. True when
    // handled; `result` then holds what the window procedure returns (left as the caller set
    // it for messages handled without a value of their own).
    bool MessageHandler(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

private:
    CWindowManagerUI* TopResourceManager();
    const CWindowManagerUI* TopResourceManager() const;
    void MeasureFont(TFontInfo& info);
    // Creates the font's handle again at the current DPI.
    void RecreateFont(TFontInfo& info);
    void DeliverNotice(TNoticeUI& notice);
    void DeleteDelayedCleanup();
    void SendFocusEvent(CControlUI* receiver, int kind, CControlUI* sender);
    CControlUI* FindShortcut(char upperCased);
    void Paint();
    void SendMouseEvent(CControlUI* receiver, int kind, POINT point, WPARAM wParam = 0,
                        LPARAM lParam = 0, WORD keyState = 0);
    void ShowToolTip(CControlUI* control);
    static HMODULE CommonControls();

    HWND window_ = nullptr;
    int dpi_ = 96;
    bool skinDefaultFont_ = false;  // the default font came from the skin, so it scales
    int opacity_ = 255;
    WindowDC paintDC_;
    UniqueMemoryDC offscreenDC_;
    UniqueMemoryDC backgroundDC_;
    UniqueBitmap offscreenBitmap_;
    UniqueBitmap backgroundBitmap_;
    HWND tooltipWindow_ = nullptr;
    TOOLINFOA toolInfo_ = {};
    std::string toolTipText_;  // what toolInfo_ points at
    bool showDirty_ = false;
    CControlUI* root_ = nullptr;
    CControlUI* focus_ = nullptr;
    CControlUI* hover_ = nullptr;
    CControlUI* click_ = nullptr;
    CControlUI* key_ = nullptr;
    POINT lastMousePos_ = {-1, -1};
    SIZE minTrack_ = {0, 0};
    SIZE maxTrack_ = {0, 0};
    SIZE initialSize_ = {0, 0};
    RECT sizeBox_ = {0, 0, 0, 0};
    SIZE roundCorner_ = {0, 0};
    RECT caption_ = {0, 0, 0, 0};
    UINT timerCounter_ = 4096;
    bool firstLayout_ = true;
    bool updateNeeded_ = false;
    bool focusNeeded_ = false;
    bool alphaBackground_ = false;
    bool mouseTracking_ = false;
    bool captured_ = false;
    bool usedVirtualWnd_ = false;
    std::vector<INotifyUI*> notifiers_;
    std::vector<std::unique_ptr<TTimerInfo>> timers_;
    std::vector<IMessageFilterUI*> messageFilters_;
    std::vector<CControlUI*> postPaint_;
    std::vector<CControlUI*> delayedCleanup_;
    std::vector<std::unique_ptr<TNoticeUI>> pendingNotices_;
    std::unordered_map<std::string, CControlUI*> names_;
    std::unordered_map<std::string, std::vector<CControlUI*>> optionGroups_;
    CWindowManagerUI* resourceParent_ = nullptr;
    TDefaultColors colors_;
    TFontInfo defaultFont_;
    std::vector<std::unique_ptr<TFontInfo>> fonts_;
    std::unordered_map<std::string, std::unique_ptr<TImageInfo>> images_;
    std::unordered_map<std::string, std::string> defaultAttributes_;
    bool shadow_ = false;
    std::string shadowImage_;
    int shadowPlacement_[6] = {0, 0, 0, 0, 0, 0};
    std::vector<ITranslateAccelerator*> translators_;
    // The client area's accessible object, made at the first WM_GETOBJECT (with its
    // disconnecting release as deleter) and cut off when the window or this manager goes.
    std::unique_ptr<CAccessibleUI, void (*)(CAccessibleUI*)> accessible_{nullptr, nullptr};
};

}  // namespace SkinUI
