// CWindowManagerUI: process-wide state, the message loop and its pre-translation step,
// binding to a window and a control tree, window settings, lists and destruction. Fonts and
// images live in CWindowManagerUIResources.cpp; timers, focus and notifications in
// CWindowManagerUIFocus.cpp.
//
//   1. Process-wide state
//   2. Construction and destruction
//   3. Message loop
//   4. Binding and tree
//   5. Window settings
//   6. Lists
#include "ui/core/CWindowManagerUI.h"

#include <algorithm>

#include "ui/controls/CControlUI.h"
#include "ui/controls/COptionUI.h"
#include "ui/controls/CRenderer.h"
#include "ui/controls/RenderGeometry.h"
#include "ui/core/ProcAddress.h"
#include "ui/core/SkinSource.h"

namespace SkinUI {

// ---------------------------------------------------------------------------------------------
// 1. Process-wide state
// ---------------------------------------------------------------------------------------------

namespace {

struct ProcessState {
    HINSTANCE instance = nullptr;
    HINSTANCE resourceInstance = nullptr;
    // Resource path and zip live in the parser's skin-source record, so both read one value.
    bool cachedZip = false;
    void* zipHandle = nullptr;
    std::vector<ControlFactoryFn> factories;
    // Every manager attached to a window, in order of attachment.
    std::vector<CWindowManagerUI*> managers;
    std::string defaultFontFace;
    HPEN dirtyPen = nullptr;  // lives as long as the process
    bool initialised = false;
};

ProcessState& State() {
    static ProcessState state;
    return state;
}

// What the first manager does once for the whole process.
void InitialiseProcess() {
    ProcessState& state = State();
    if (state.initialised) return;
    state.initialised = true;
    state.dirtyPen = ::CreatePen(PS_SOLID, 1, RGB(220, 0, 0));
    // The renderer looks its blend and gradient entry points up in the loaded module.
    // From System32 only (see Msimg32.cpp).
    ::LoadLibraryExA("msimg32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
}

}  // namespace

// Loading and initialising the common controls costs tens of milliseconds under wine, and
// nothing before the first mouse move needs them (mouse tracking and the tooltip), so they
// are set up then rather than in the way of the window's first paint.
HMODULE CWindowManagerUI::CommonControls() {
    static const HMODULE comctl = [] {
        // From System32 only (the manifest's version 6 still applies): not from the
        // program's folder or the current directory.
        HMODULE module = ::LoadLibraryExA("comctl32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        // The common controls' initialisation export, ordinal 17; it takes no arguments.
        using InitFn = void(WINAPI*)();
        if (auto init =
                ProcAddress<InitFn>(module, reinterpret_cast<LPCSTR>(static_cast<ULONG_PTR>(17))))
            init();
        return module;
    }();
    return comctl;
}

void CWindowManagerUI::SetInstance(HINSTANCE instance) {
    State().instance = instance;
}
HINSTANCE CWindowManagerUI::GetInstance() {
    return State().instance;
}
void CWindowManagerUI::SetResourceInstance(HINSTANCE instance) {
    State().resourceInstance = instance;
}
HINSTANCE CWindowManagerUI::GetResourceInstance() {
    return State().resourceInstance != nullptr ? State().resourceInstance : State().instance;
}
void CWindowManagerUI::SetResourcePath(const std::string& path) {
    SkinSource().resourcePath = path;
}
const std::string& CWindowManagerUI::GetResourcePath() {
    return SkinSource().resourcePath;
}
void CWindowManagerUI::SetResourceZip(const std::string& zipName, bool cached) {
    SkinSource().resourceZip = zipName;
    State().cachedZip = cached;
    SkinSource().cachedZip = cached ? static_cast<CZipArchive*>(State().zipHandle) : nullptr;
}
const std::string& CWindowManagerUI::GetResourceZip() {
    return SkinSource().resourceZip;
}
bool CWindowManagerUI::IsCachedResourceZip() {
    return State().cachedZip;
}
void CWindowManagerUI::SetResourceZipHandle(void* archive) {
    State().zipHandle = archive;
    SkinSource().cachedZip = State().cachedZip ? static_cast<CZipArchive*>(archive) : nullptr;
}
void* CWindowManagerUI::GetResourceZipHandle() {
    return State().zipHandle;
}
void CWindowManagerUI::AddControlFactory(ControlFactoryFn factory) {
    State().factories.push_back(factory);
}
const std::vector<ControlFactoryFn>& CWindowManagerUI::GetControlFactories() {
    return State().factories;
}
void CWindowManagerUI::SetDefaultFontFace(const std::string& face) {
    State().defaultFontFace = face;
}

void CWindowManagerUI::GetHSL(short* hue, short* saturation, short* lightness) {
    // Nothing in this system changes them: (180, 100, 100) leaves every colour as it is.
    *hue = 180;
    *saturation = 100;
    *lightness = 100;
}

// ---------------------------------------------------------------------------------------------
// 2. Construction and destruction
// ---------------------------------------------------------------------------------------------

CWindowManagerUI::CWindowManagerUI() {
    InitialiseProcess();

    LOGFONTA lf = {};
    ::GetObjectA(::GetStockObject(DEFAULT_GUI_FONT), sizeof(lf), &lf);
    lf.lfCharSet = DEFAULT_CHARSET;
    const std::string& face = State().defaultFontFace;
    if (!face.empty()) {
        lstrcpynA(lf.lfFaceName, face.c_str(), LF_FACESIZE);
    }
    defaultFont_.font.reset(::CreateFontIndirectA(&lf));
    defaultFont_.faceName = lf.lfFaceName;
    defaultFont_.size = -lf.lfHeight;
    defaultFont_.bold = lf.lfWeight >= FW_BOLD;
    defaultFont_.underline = lf.lfUnderline != 0;
    defaultFont_.italic = lf.lfItalic != 0;
}

CWindowManagerUI::~CWindowManagerUI() {
    // Controls waiting for deletion first: their destructors still reach this manager.
    DeleteDelayedCleanup();

    pendingNotices_.clear();
    names_.clear();
    CControlUI* root = root_;
    root_ = nullptr;
    delete root;

    defaultFont_.font.reset();
    fonts_.clear();
    images_.clear();
    defaultAttributes_.clear();
    // Options outside the tree outlive this manager: they must not leave its groups later.
    for (const auto& group : optionGroups_) {
        for (CControlUI* member : group.second) {
            if (auto* option = static_cast<COptionUI*>(member->QueryType("Option"))) {
                option->ForgetGroupManager(this);
            }
        }
    }
    optionGroups_.clear();
    for (const auto& timer : timers_) {
        if (!timer->killed && ::IsWindow(timer->window)) {
            ::KillTimer(timer->window, timer->nativeId);
        }
    }
    timers_.clear();
    if (tooltipWindow_ != nullptr && ::IsWindow(tooltipWindow_)) {
        ::DestroyWindow(tooltipWindow_);
    }
    tooltipWindow_ = nullptr;
    offscreenDC_.reset();
    backgroundDC_.reset();
    offscreenBitmap_.reset();
    backgroundBitmap_.reset();
    paintDC_.reset();

    auto& managers = State().managers;
    managers.erase(std::remove(managers.begin(), managers.end(), this), managers.end());
}

// ---------------------------------------------------------------------------------------------
// 3. Message loop
// ---------------------------------------------------------------------------------------------

void CWindowManagerUI::MessageLoop() {
    MSG msg = {};
    // GetMessage answers -1 on failure; looping on it would spin on a message that never came.
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (!PreTranslateMessage(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }
}

bool CWindowManagerUI::PreTranslateMessage(const MSG* message) {
    const auto& managers = State().managers;
    CWindowManagerUI* target = nullptr;
    const LONG style = ::GetWindowLongA(message->hwnd, GWL_STYLE);
    if ((style & WS_CHILD) != 0) {
        for (CWindowManagerUI* manager : managers) {
            const HWND own = manager->GetPaintWindow();
            for (HWND ancestor = ::GetParent(message->hwnd); ancestor != nullptr;
                 ancestor = ::GetParent(ancestor)) {
                if (message->hwnd == own || ancestor == own) {
                    target = manager;
                    break;
                }
            }
            if (target != nullptr) break;
        }
    } else {
        for (CWindowManagerUI* manager : managers) {
            if (manager->GetPaintWindow() == message->hwnd) {
                target = manager;
                break;
            }
        }
    }
    if (target == nullptr) return false;
    MSG copy = *message;
    if (target->TranslateAccelerator(&copy)) return true;
    LRESULT ignored = 0;
    return target->PreMessageHandler(message->message, message->wParam, message->lParam, ignored);
}

// ---------------------------------------------------------------------------------------------
// 4. Binding and tree
// ---------------------------------------------------------------------------------------------

void CWindowManagerUI::AttachWindow(HWND window) {
    window_ = window;
    paintDC_.reset(window);
    SetDpi(WindowDpi(window));
    auto& managers = State().managers;
    // Attaching again must not list the manager twice.
    if (std::find(managers.begin(), managers.end(), this) == managers.end()) {
        managers.push_back(this);
    }
}

bool CWindowManagerUI::AttachRoot(CControlUI* control) {
    SetFocus(nullptr);
    key_ = nullptr;
    hover_ = nullptr;
    click_ = nullptr;
    if (root_ != nullptr) {
        postPaint_.clear();
        AddDelayedCleanup(root_);
    }
    root_ = control;
    firstLayout_ = true;
    updateNeeded_ = true;
    focusNeeded_ = true;
    return InitControls(control, nullptr);
}

namespace {

CControlUI* RegisterName(CControlUI* control, void* data) {
    auto* names = static_cast<std::unordered_map<std::string, CControlUI*>*>(data);
    const std::string name = control->GetName();
    if (!name.empty()) (*names)[name] = control;
    return nullptr;  // visit every control
}

CControlUI* HitTest(CControlUI* control, void* data) {
    const RECT& bounds = control->GetBounds();
    return ::PtInRect(&bounds, *static_cast<const POINT*>(data)) ? control : nullptr;
}

}  // namespace

bool CWindowManagerUI::InitControls(CControlUI* control, CControlUI* parent) {
    if (control == nullptr) return false;
    control->AttachManager(this, parent != nullptr ? parent : control->GetParent(), true);
    control->LocateControl(RegisterName, &names_, LocateAll);
    return true;
}

void CWindowManagerUI::Invalidate(const RECT& rect) {
    // InvalidateRect with no window would invalidate every window of the desktop.
    if (window_ != nullptr) ::InvalidateRect(window_, &rect, FALSE);
}

CControlUI* CWindowManagerUI::FindControlAt(POINT point) const {
    if (root_ == nullptr) return nullptr;
    return root_->LocateControl(HitTest, &point, LocateVisible | LocateHitTest | LocateTopFirst);
}

CControlUI* CWindowManagerUI::FindControlByName(const std::string& name) const {
    auto it = names_.find(name);
    return it != names_.end() ? it->second : nullptr;
}

void CWindowManagerUI::SetCapture() {
    if (window_ == nullptr) return;
    ::SetCapture(window_);
    captured_ = true;
}

void CWindowManagerUI::ReleaseCapture() {
    ::ReleaseCapture();
    captured_ = false;
}

bool CWindowManagerUI::SetResourceParent(CWindowManagerUI* parent) {
    for (CWindowManagerUI* up = parent; up != nullptr; up = up->resourceParent_) {
        if (up == this) return false;  // a cycle would make every look-up endless
    }
    resourceParent_ = parent;
    return true;
}

CWindowManagerUI* CWindowManagerUI::TopResourceManager() {
    CWindowManagerUI* top = this;
    while (top->resourceParent_ != nullptr) top = top->resourceParent_;
    return top;
}

const CWindowManagerUI* CWindowManagerUI::TopResourceManager() const {
    const CWindowManagerUI* top = this;
    while (top->resourceParent_ != nullptr) top = top->resourceParent_;
    return top;
}

// ---------------------------------------------------------------------------------------------
// 5. Window settings
// ---------------------------------------------------------------------------------------------

void CWindowManagerUI::SetInitialSize(int cx, int cy) {
    initialSize_ = SIZE{Scale(cx), Scale(cy)};
    if (window_ != nullptr && root_ == nullptr) {
        ::SetWindowPos(window_, nullptr, 0, 0, initialSize_.cx, initialSize_.cy,
                       SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
    }
}

// ---------------------------------------------------------------------------------------------
// Display scale
// ---------------------------------------------------------------------------------------------

int CWindowManagerUI::Scale(int value) const {
    return ScaleForDpi(value, 96, dpi_);
}

RECT CWindowManagerUI::Scale(const RECT& rect) const {
    RECT scaled = rect;
    CControlUI::ScaleRect(scaled, 96, dpi_);
    return scaled;
}

int CWindowManagerUI::WindowDpi(HWND window) {
    // Windows 10 1607 and later answer per monitor for a per-monitor aware program; older
    // systems have one DPI for the whole screen.
    using DpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto dpiForWindow =
        ProcAddress<DpiForWindowFn>(::GetModuleHandleA("User32.dll"), "GetDpiForWindow");
    int dpi = 0;
    if (dpiForWindow != nullptr && window != nullptr) dpi = static_cast<int>(dpiForWindow(window));
    if (dpi <= 0) {
        if (HDC screen = ::GetDC(nullptr)) {
            dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
            ::ReleaseDC(nullptr, screen);
        }
    }
    // Anything outside what displays use is a broken answer, not a scale to draw at.
    return dpi >= 48 && dpi <= 960 ? dpi : 96;
}

namespace {

CControlUI* ScaleControl(CControlUI* control, void* data) {
    control->ScaleTo(*static_cast<const int*>(data));
    return nullptr;  // visit every control
}

}  // namespace

void CWindowManagerUI::SetDpi(int dpi) {
    if (dpi <= 0 || dpi == dpi_) return;
    const int from = dpi_;
    dpi_ = dpi;
    auto scale = [from, dpi](LONG& v) { v = ScaleForDpi(v, from, dpi); };
    scale(initialSize_.cx);
    scale(initialSize_.cy);
    scale(minTrack_.cx);
    scale(minTrack_.cy);
    scale(maxTrack_.cx);
    scale(maxTrack_.cy);
    scale(roundCorner_.cx);
    scale(roundCorner_.cy);
    CControlUI::ScaleRect(sizeBox_, from, dpi);
    CControlUI::ScaleRect(caption_, from, dpi);
    for (auto& font : fonts_) RecreateFont(*font);
    if (skinDefaultFont_) RecreateFont(defaultFont_);
    if (root_ != nullptr) {
        root_->LocateControl(ScaleControl, &dpi_, LocateAll);
        root_->MarkForLayout();
        updateNeeded_ = true;
        if (window_ != nullptr) ::InvalidateRect(window_, nullptr, FALSE);
    }
}

void CWindowManagerUI::SetOpacity(int alpha) {
    opacity_ = std::max(0, std::min(255, alpha));
    if (window_ == nullptr) return;
    using SetLayeredFn = BOOL(WINAPI*)(HWND, COLORREF, BYTE, DWORD);
    static const auto setLayered =
        ProcAddress<SetLayeredFn>(::GetModuleHandleA("User32.dll"), "SetLayeredWindowAttributes");
    if (setLayered == nullptr) return;
    const bool inRange = alpha >= 0 && alpha <= 255;
    const LONG style = ::GetWindowLongA(window_, GWL_EXSTYLE);
    const LONG wanted = inRange ? (style | WS_EX_LAYERED) : (style & ~WS_EX_LAYERED);
    if (wanted != style) ::SetWindowLongA(window_, GWL_EXSTYLE, wanted);
    if (inRange) setLayered(window_, 0, static_cast<BYTE>(alpha), LWA_ALPHA);
}

void CWindowManagerUI::SetShadowPlacement(const int values[6]) {
    std::copy(values, values + 6, shadowPlacement_);
}

DWORD CWindowManagerUI::GetDefaultDisabledColor() const {
    return TopResourceManager()->colors_.disabled;
}
DWORD CWindowManagerUI::GetDefaultFontColor() const {
    return TopResourceManager()->colors_.text;
}
DWORD CWindowManagerUI::GetDefaultLinkFontColor() const {
    return TopResourceManager()->colors_.link;
}
DWORD CWindowManagerUI::GetDefaultLinkHoverFontColor() const {
    return TopResourceManager()->colors_.linkHover;
}
DWORD CWindowManagerUI::GetDefaultSelectedBkColor() const {
    return TopResourceManager()->colors_.selectedBack;
}

// ---------------------------------------------------------------------------------------------
// 6. Lists
// ---------------------------------------------------------------------------------------------

namespace {

template <class T>
bool RemoveFirst(std::vector<T>& list, const T& item) {
    auto it = std::find(list.begin(), list.end(), item);
    if (it == list.end()) return false;
    list.erase(it);
    return true;
}

}  // namespace

bool CWindowManagerUI::AddNotifier(INotifyUI* notifier) {
    notifiers_.push_back(notifier);
    return true;
}

bool CWindowManagerUI::AddMessageFilter(IMessageFilterUI* filter) {
    messageFilters_.push_back(filter);
    return true;
}

bool CWindowManagerUI::RemoveMessageFilter(IMessageFilterUI* filter) {
    return RemoveFirst(messageFilters_, filter);
}

bool CWindowManagerUI::AddPostPaint(CControlUI* control) {
    postPaint_.push_back(control);
    return true;
}

bool CWindowManagerUI::RemovePostPaint(CControlUI* control) {
    return RemoveFirst(postPaint_, control);
}

bool CWindowManagerUI::AddTranslateAccelerator(ITranslateAccelerator* translator) {
    translators_.push_back(translator);
    return true;
}

bool CWindowManagerUI::RemoveTranslateAccelerator(ITranslateAccelerator* translator) {
    return RemoveFirst(translators_, translator);
}

bool CWindowManagerUI::TranslateAccelerator(MSG* message) {
    for (ITranslateAccelerator* translator : translators_) {
        if (translator->TranslateAccelerator(message) == 0) return true;
    }
    return false;
}

bool CWindowManagerUI::AddOptionGroup(const std::string& group, CControlUI* control) {
    auto& members = optionGroups_[group];
    if (std::find(members.begin(), members.end(), control) != members.end()) return false;
    members.push_back(control);
    return true;
}

const std::vector<CControlUI*>* CWindowManagerUI::GetOptionGroup(const std::string& group) const {
    auto it = optionGroups_.find(group);
    return it != optionGroups_.end() ? &it->second : nullptr;
}

void CWindowManagerUI::RemoveOptionGroup(const std::string& group, CControlUI* control) {
    auto it = optionGroups_.find(group);
    if (it == optionGroups_.end()) return;
    RemoveFirst(it->second, control);
    if (it->second.empty()) optionGroups_.erase(it);
}

void CWindowManagerUI::AddDelayedCleanup(CControlUI* control) {
    control->AttachManager(this, nullptr, false);
    delayedCleanup_.push_back(control);
    if (window_ != nullptr) ::PostMessageA(window_, WM_APP + 1, 0, 0);
}

void CWindowManagerUI::DeleteDelayedCleanup() {
    // One at a time off the list itself: deleting one control reaps every other entry that
    // its destruction deletes too (a queued control inside a queued subtree).
    while (!delayedCleanup_.empty()) {
        CControlUI* control = delayedCleanup_.front();
        delayedCleanup_.erase(delayedCleanup_.begin());
        delete control;
    }
}

HPEN CWindowManagerUI::GetDirtyFramePen() {
    return State().dirtyPen;
}

}  // namespace SkinUI
