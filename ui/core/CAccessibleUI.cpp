// CAccessibleUI: which controls are exposed and how, the IAccessible methods over them, the
// deferred default action and the events raised for changes.
//
// Sections:
//   Life and the manager's side
//   IUnknown and IDispatch
//   IAccessible: the tree
//   IAccessible: what an element is
//   IAccessible: actions
#include "ui/core/CAccessibleUI.h"

#include <new>
#include <string>

#include "ui/controls/CButtonUI.h"
#include "ui/controls/COptionUI.h"
#include "ui/controls/CProgressUI.h"
#include "ui/core/CWindowManagerUI.h"
#include "ui/core/ProcAddress.h"

namespace SkinUI {

namespace {

using LresultFromObjectFn = LRESULT(WINAPI*)(REFIID, WPARAM, LPUNKNOWN);
using CreateStdAccessibleObjectFn = HRESULT(WINAPI*)(HWND, LONG, REFIID, void**);

struct Oleacc {
    LresultFromObjectFn lresultFromObject = nullptr;
    CreateStdAccessibleObjectFn createStdAccessibleObject = nullptr;
};

const Oleacc& OleaccEntries() {
    static const Oleacc entries = [] {
        Oleacc o;
        // From System32 only: an oleacc.dll beside the program or in the current directory
        // would otherwise be the one found, inside an elevated process. Looked up rather than
        // imported, so a program that is never asked for its accessible object never loads it.
        HMODULE module = ::LoadLibraryExA("oleacc.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        o.lresultFromObject = ProcAddress<LresultFromObjectFn>(module, "LresultFromObject");
        o.createStdAccessibleObject =
            ProcAddress<CreateStdAccessibleObjectFn>(module, "CreateStdAccessibleObject");
        return o;
    }();
    return entries;
}

// A private message, registered so it can never be taken for one of the program's own.
UINT ActionMessage() {
    static const UINT message = ::RegisterWindowMessageA("SkinUI.AccessibleDefaultAction");
    return message;
}

enum class Kind { kNone, kText, kProgress, kPushButton, kCheckButton, kRadioButton };

Kind KindOf(CControlUI* control) {
    if (control->QueryType("Progress") != nullptr) return Kind::kProgress;
    if (auto* option = static_cast<COptionUI*>(control->QueryType("Option"))) {
        return option->GetGroup().empty() ? Kind::kCheckButton : Kind::kRadioButton;
    }
    if (control->QueryType("Button") != nullptr) return Kind::kPushButton;
    // A label without text is decoration (a picture, a spacer): nothing to read.
    if (control->QueryType("Label") != nullptr && !control->GetText().empty()) return Kind::kText;
    return Kind::kNone;
}

bool IsButton(Kind kind) {
    return kind == Kind::kPushButton || kind == Kind::kCheckButton || kind == Kind::kRadioButton;
}

CControlUI* CollectExposed(CControlUI* control, void* data) {
    if (KindOf(control) != Kind::kNone) {
        static_cast<std::vector<CControlUI*>*>(data)->push_back(control);
    }
    return nullptr;  // on through the whole tree
}

// The exposed controls of the manager's tree in reading order (the tree's order); hidden
// controls and everything inside hidden containers are left out.
bool CollectFrom(CWindowManagerUI* manager, std::vector<CControlUI*>& controls) noexcept {
    controls.clear();
    CControlUI* root = manager != nullptr ? manager->GetRoot() : nullptr;
    if (root == nullptr) return true;
    try {
        root->LocateControl(CollectExposed, &controls, LocateVisible);
        return true;
    } catch (...) {
        controls.clear();
        return false;
    }
}

long IdOf(const std::vector<CControlUI*>& controls, CControlUI* control) {
    for (std::size_t i = 0; i < controls.size(); ++i) {
        if (controls[i] == control) return static_cast<long>(i + 1);
    }
    return 0;
}

// A BSTR of text in the ANSI code page (the framework's text); S_FALSE with no string for
// empty text.
HRESULT AnsiAnswer(const std::string& text, BSTR* out) {
    *out = nullptr;
    if (text.empty()) return S_FALSE;
    const int length = static_cast<int>(text.size());
    const int units = ::MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0);
    if (units <= 0) return E_FAIL;
    BSTR answer = ::SysAllocStringLen(nullptr, static_cast<UINT>(units));
    if (answer == nullptr) return E_OUTOFMEMORY;
    ::MultiByteToWideChar(CP_ACP, 0, text.data(), length, answer, units);
    *out = answer;
    return S_OK;
}

HRESULT WideAnswer(const wchar_t* text, BSTR* out) {
    *out = nullptr;
    if (text == nullptr || *text == L'\0') return S_FALSE;
    *out = ::SysAllocString(text);
    return *out != nullptr ? S_OK : E_OUTOFMEMORY;
}

// The percentage the bar shows: its value's share of its range, clamped to the range as the
// bar is painted; an empty or inverted range shows nothing filled.
std::string PercentText(const CProgressUI& bar) {
    const long long low = bar.GetMinValue(), high = bar.GetMaxValue();
    long long value = bar.GetValue();
    long long percent = 0;
    if (high > low) {
        if (value < low) value = low;
        if (value > high) value = high;
        percent = (value - low) * 100 / (high - low);
    }
    return std::to_string(percent) + "%";
}

void SetEmpty(VARIANT* v) {
    ::VariantInit(v);
}

void SetI4(VARIANT* v, long value) {
    ::VariantInit(v);
    v->vt = VT_I4;
    v->lVal = value;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Life and the manager's side
// ---------------------------------------------------------------------------------------------

CAccessibleUI* CAccessibleUI::Create(CWindowManagerUI* manager) noexcept {
    return new (std::nothrow) CAccessibleUI(manager);
}

void CAccessibleUI::DisconnectAndRelease(CAccessibleUI* object) noexcept {
    if (object == nullptr) return;
    object->manager_ = nullptr;
    object->pendingActions_.clear();
    // Remote clients' proxies are cut off too, and the references they held are dropped.
    ::CoDisconnectObject(static_cast<IAccessible*>(object), 0);
    object->Release();
}

LRESULT CAccessibleUI::AnswerGetObject(WPARAM wParam) noexcept {
    const Oleacc& oleacc = OleaccEntries();
    if (oleacc.lresultFromObject == nullptr || manager_ == nullptr) return 0;
    const LRESULT answer =
        oleacc.lresultFromObject(__uuidof(IAccessible), wParam, static_cast<IAccessible*>(this));
    return answer > 0 ? answer : 0;  // an error code: the default answer instead
}

bool CAccessibleUI::HandleMessage(UINT message) noexcept {
    if (message != ActionMessage() || message == 0) return false;
    AddRef();  // an action may end the window, and the manager's reference with it
    while (manager_ != nullptr && !pendingActions_.empty()) {
        CControlUI* control = pendingActions_.front();
        pendingActions_.erase(pendingActions_.begin());
        // As a click ends: Activate refuses a control hidden or disabled since.
        control->Activate();
    }
    Release();
    return true;
}

void CAccessibleUI::ForgetControl(CControlUI* control) noexcept {
    for (auto it = pendingActions_.begin(); it != pendingActions_.end();) {
        it = *it == control ? pendingActions_.erase(it) : it + 1;
    }
}

void CAccessibleUI::NotifyEvent(CControlUI* control, DWORD event) noexcept {
    CWindowManagerUI* manager = control != nullptr ? control->GetManager() : nullptr;
    HWND window = manager != nullptr ? manager->GetPaintWindow() : nullptr;
    // The walk for the child id only when some client listens.
    if (window == nullptr || !::IsWinEventHookInstalled(event)) return;
    std::vector<CControlUI*> controls;
    if (!CollectFrom(manager, controls)) return;
    const long id = IdOf(controls, control);
    if (id != 0) ::NotifyWinEvent(event, window, OBJID_CLIENT, id);
}

void CAccessibleUI::NotifyStructure(CControlUI* control) noexcept {
    CWindowManagerUI* manager = control != nullptr ? control->GetManager() : nullptr;
    HWND window = manager != nullptr ? manager->GetPaintWindow() : nullptr;
    if (window != nullptr)
        ::NotifyWinEvent(EVENT_OBJECT_REORDER, window, OBJID_CLIENT, CHILDID_SELF);
}

bool CAccessibleUI::Collect(std::vector<CControlUI*>& controls) const noexcept {
    return CollectFrom(manager_, controls);
}

HRESULT CAccessibleUI::Resolve(const VARIANT& child, CControlUI** control) const noexcept {
    *control = nullptr;
    if (manager_ == nullptr || !::IsWindow(manager_->GetPaintWindow())) {
        return CO_E_OBJNOTCONNECTED;
    }
    if (child.vt != VT_I4) return E_INVALIDARG;
    if (child.lVal == CHILDID_SELF) return S_OK;
    std::vector<CControlUI*> controls;
    if (!Collect(controls)) return E_OUTOFMEMORY;
    if (child.lVal < 1 || static_cast<std::size_t>(child.lVal) > controls.size()) {
        return E_INVALIDARG;
    }
    *control = controls[static_cast<std::size_t>(child.lVal) - 1];
    return S_OK;
}

// ---------------------------------------------------------------------------------------------
// IUnknown and IDispatch
// ---------------------------------------------------------------------------------------------

HRESULT CAccessibleUI::QueryInterface(REFIID iid, void** object) {
    if (object == nullptr) return E_POINTER;
    if (iid == __uuidof(IUnknown) || iid == __uuidof(IDispatch) || iid == __uuidof(IAccessible)) {
        *object = static_cast<IAccessible*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG CAccessibleUI::AddRef() {
    return static_cast<ULONG>(::InterlockedIncrement(&references_));
}

ULONG CAccessibleUI::Release() {
    const LONG left = ::InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}

HRESULT CAccessibleUI::GetTypeInfoCount(UINT* count) {
    if (count == nullptr) return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT CAccessibleUI::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info != nullptr) *info = nullptr;
    return E_NOTIMPL;
}

HRESULT CAccessibleUI::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
    return E_NOTIMPL;
}

HRESULT CAccessibleUI::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                              UINT*) {
    return E_NOTIMPL;
}

// ---------------------------------------------------------------------------------------------
// IAccessible: the tree
// ---------------------------------------------------------------------------------------------

HRESULT CAccessibleUI::get_accParent(IDispatch** parent) {
    if (parent == nullptr) return E_POINTER;
    *parent = nullptr;
    if (manager_ == nullptr) return CO_E_OBJNOTCONNECTED;
    const Oleacc& oleacc = OleaccEntries();
    if (oleacc.createStdAccessibleObject == nullptr) return S_FALSE;
    // The window object, as the system's own client object has it.
    return oleacc.createStdAccessibleObject(manager_->GetPaintWindow(), OBJID_WINDOW,
                                            __uuidof(IDispatch), reinterpret_cast<void**>(parent));
}

HRESULT CAccessibleUI::get_accChildCount(long* count) {
    if (count == nullptr) return E_POINTER;
    *count = 0;
    if (manager_ == nullptr) return CO_E_OBJNOTCONNECTED;
    std::vector<CControlUI*> controls;
    if (!Collect(controls)) return E_OUTOFMEMORY;
    *count = static_cast<long>(controls.size());
    return S_OK;
}

HRESULT CAccessibleUI::get_accChild(VARIANT child, IDispatch** object) {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    CControlUI* control = nullptr;
    const HRESULT found = Resolve(child, &control);
    if (FAILED(found)) return found;
    // The children are simple elements, reached through this object with their ids.
    return control != nullptr ? S_FALSE : E_INVALIDARG;
}

HRESULT CAccessibleUI::accNavigate(long direction, VARIANT start, VARIANT* end) {
    if (end == nullptr) return E_POINTER;
    SetEmpty(end);
    CControlUI* control = nullptr;
    const HRESULT found = Resolve(start, &control);
    if (FAILED(found)) return found;
    std::vector<CControlUI*> controls;
    if (!Collect(controls)) return E_OUTOFMEMORY;
    const long count = static_cast<long>(controls.size());
    const long from = control != nullptr ? IdOf(controls, control) : CHILDID_SELF;
    long to = 0;
    switch (direction) {
        case NAVDIR_FIRSTCHILD:
        case NAVDIR_LASTCHILD:
            if (from != CHILDID_SELF) return E_INVALIDARG;
            to = direction == NAVDIR_FIRSTCHILD ? 1 : count;
            break;
        case NAVDIR_NEXT:
        case NAVDIR_PREVIOUS:
            // The client area's own siblings are the window's business, not this object's.
            if (from == CHILDID_SELF) return S_FALSE;
            to = direction == NAVDIR_NEXT ? from + 1 : from - 1;
            break;
        default:
            return E_NOTIMPL;  // no spatial navigation
    }
    if (to < 1 || to > count) return S_FALSE;
    SetI4(end, to);
    return S_OK;
}

HRESULT CAccessibleUI::accHitTest(long left, long top, VARIANT* child) {
    if (child == nullptr) return E_POINTER;
    SetEmpty(child);
    if (manager_ == nullptr) return CO_E_OBJNOTCONNECTED;
    const HWND window = manager_->GetPaintWindow();
    POINT point = {left, top};
    RECT client;
    if (!::ScreenToClient(window, &point) || !::GetClientRect(window, &client)) return E_FAIL;
    if (!::PtInRect(&client, point)) return S_FALSE;
    std::vector<CControlUI*> controls;
    if (!Collect(controls)) return E_OUTOFMEMORY;
    // Later controls are painted over earlier ones.
    for (std::size_t i = controls.size(); i-- > 0;) {
        const RECT& bounds = controls[i]->GetBounds();
        if (::PtInRect(&bounds, point)) {
            SetI4(child, static_cast<long>(i + 1));
            return S_OK;
        }
    }
    SetI4(child, CHILDID_SELF);
    return S_OK;
}

HRESULT CAccessibleUI::get_accFocus(VARIANT* child) {
    if (child == nullptr) return E_POINTER;
    SetEmpty(child);
    if (manager_ == nullptr) return CO_E_OBJNOTCONNECTED;
    if (::GetFocus() != manager_->GetPaintWindow()) return S_FALSE;
    std::vector<CControlUI*> controls;
    if (!Collect(controls)) return E_OUTOFMEMORY;
    SetI4(child, IdOf(controls, manager_->GetFocus()));  // the client area itself when 0
    return S_OK;
}

HRESULT CAccessibleUI::get_accSelection(VARIANT* children) {
    if (children == nullptr) return E_POINTER;
    SetEmpty(children);
    return manager_ == nullptr ? CO_E_OBJNOTCONNECTED : DISP_E_MEMBERNOTFOUND;
}

// ---------------------------------------------------------------------------------------------
// IAccessible: what an element is
// ---------------------------------------------------------------------------------------------

HRESULT CAccessibleUI::get_accName(VARIANT child, BSTR* name) {
    if (name == nullptr) return E_POINTER;
    *name = nullptr;
    CControlUI* control = nullptr;
    const HRESULT found = Resolve(child, &control);
    if (FAILED(found)) return found;
    try {
        if (control == nullptr) {
            // The window's caption text, as the system's client object is named.
            const HWND window = manager_->GetPaintWindow();
            std::wstring title(static_cast<std::size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
            ::GetWindowTextW(window, &title[0], static_cast<int>(title.size()));
            return WideAnswer(title.c_str(), name);
        }
        const std::string text = control->GetText();
        // A button without text (a picture) is named by its tooltip, if anything.
        return AnsiAnswer(text.empty() ? control->GetToolTip() : text, name);
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

HRESULT CAccessibleUI::get_accValue(VARIANT child, BSTR* value) {
    if (value == nullptr) return E_POINTER;
    *value = nullptr;
    CControlUI* control = nullptr;
    const HRESULT found = Resolve(child, &control);
    if (FAILED(found)) return found;
    auto* bar =
        control != nullptr ? static_cast<CProgressUI*>(control->QueryType("Progress")) : nullptr;
    if (bar == nullptr) return DISP_E_MEMBERNOTFOUND;
    try {
        return AnsiAnswer(PercentText(*bar), value);
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

HRESULT CAccessibleUI::get_accDescription(VARIANT child, BSTR* description) {
    if (description == nullptr) return E_POINTER;
    *description = nullptr;
    CControlUI* control = nullptr;
    const HRESULT found = Resolve(child, &control);
    if (FAILED(found)) return found;
    if (control == nullptr) return S_FALSE;
    try {
        // The tooltip, unless it already serves as the name.
        if (control->GetText().empty()) return S_FALSE;
        return AnsiAnswer(control->GetToolTip(), description);
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

HRESULT CAccessibleUI::get_accRole(VARIANT child, VARIANT* role) {
    if (role == nullptr) return E_POINTER;
    SetEmpty(role);
    CControlUI* control = nullptr;
    const HRESULT found = Resolve(child, &control);
    if (FAILED(found)) return found;
    long answer = ROLE_SYSTEM_CLIENT;
    if (control != nullptr) {
        switch (KindOf(control)) {
            case Kind::kProgress:
                answer = ROLE_SYSTEM_PROGRESSBAR;
                break;
            case Kind::kPushButton:
                answer = ROLE_SYSTEM_PUSHBUTTON;
                break;
            case Kind::kCheckButton:
                answer = ROLE_SYSTEM_CHECKBUTTON;
                break;
            case Kind::kRadioButton:
                answer = ROLE_SYSTEM_RADIOBUTTON;
                break;
            case Kind::kText:
            case Kind::kNone:  // not reached: only exposed controls have ids
                answer = ROLE_SYSTEM_STATICTEXT;
                break;
        }
    }
    SetI4(role, answer);
    return S_OK;
}

HRESULT CAccessibleUI::get_accState(VARIANT child, VARIANT* state) {
    if (state == nullptr) return E_POINTER;
    SetEmpty(state);
    CControlUI* control = nullptr;
    const HRESULT found = Resolve(child, &control);
    if (FAILED(found)) return found;
    const HWND window = manager_->GetPaintWindow();
    long answer = 0;
    if (control == nullptr) {
        answer = STATE_SYSTEM_FOCUSABLE;
        if (::GetFocus() == window) answer |= STATE_SYSTEM_FOCUSED;
        if (!::IsWindowVisible(window)) answer |= STATE_SYSTEM_INVISIBLE;
        SetI4(state, answer);
        return S_OK;
    }
    const Kind kind = KindOf(control);
    if (!control->IsEnabled()) answer |= STATE_SYSTEM_UNAVAILABLE;
    if (!IsButton(kind)) answer |= STATE_SYSTEM_READONLY;
    if ((control->GetInputFlags() & InputTabStop) != 0) answer |= STATE_SYSTEM_FOCUSABLE;
    if (control->IsFocused()) answer |= STATE_SYSTEM_FOCUSED;
    if (auto* button = static_cast<CButtonUI*>(control->QueryType("Button"))) {
        if ((button->GetButtonState() & ButtonHot) != 0) answer |= STATE_SYSTEM_HOTTRACKED;
        if ((button->GetButtonState() & ButtonPushed) != 0) answer |= STATE_SYSTEM_PRESSED;
    }
    if (auto* option = static_cast<COptionUI*>(control->QueryType("Option"))) {
        if (option->IsSelected()) answer |= STATE_SYSTEM_CHECKED;
    }
    SetI4(state, answer);
    return S_OK;
}

HRESULT CAccessibleUI::get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) {
    if (shortcut == nullptr) return E_POINTER;
    *shortcut = nullptr;
    CControlUI* control = nullptr;
    const HRESULT found = Resolve(child, &control);
    if (FAILED(found)) return found;
    const char key = control != nullptr ? control->GetShortcut() : 0;
    if (key == 0) return S_FALSE;
    try {
        return AnsiAnswer(std::string("Alt+") + key, shortcut);  // the manager's WM_SYSCHAR
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

HRESULT CAccessibleUI::get_accHelp(VARIANT, BSTR* help) {
    if (help == nullptr) return E_POINTER;
    *help = nullptr;
    return manager_ == nullptr ? CO_E_OBJNOTCONNECTED : DISP_E_MEMBERNOTFOUND;
}

HRESULT CAccessibleUI::get_accHelpTopic(BSTR* file, VARIANT, long* topic) {
    if (file == nullptr || topic == nullptr) return E_POINTER;
    *file = nullptr;
    *topic = 0;
    return manager_ == nullptr ? CO_E_OBJNOTCONNECTED : DISP_E_MEMBERNOTFOUND;
}

HRESULT CAccessibleUI::accLocation(long* left, long* top, long* width, long* height,
                                   VARIANT child) {
    if (left == nullptr || top == nullptr || width == nullptr || height == nullptr) {
        return E_POINTER;
    }
    *left = *top = *width = *height = 0;
    CControlUI* control = nullptr;
    const HRESULT found = Resolve(child, &control);
    if (FAILED(found)) return found;
    const HWND window = manager_->GetPaintWindow();
    RECT bounds;
    if (control != nullptr) {
        bounds = control->GetBounds();
    } else if (!::GetClientRect(window, &bounds)) {
        return E_FAIL;
    }
    POINT origin = {bounds.left, bounds.top};
    if (!::ClientToScreen(window, &origin)) return E_FAIL;
    *left = origin.x;
    *top = origin.y;
    *width = bounds.right - bounds.left;
    *height = bounds.bottom - bounds.top;
    return S_OK;
}

// ---------------------------------------------------------------------------------------------
// IAccessible: actions
// ---------------------------------------------------------------------------------------------

HRESULT CAccessibleUI::get_accDefaultAction(VARIANT child, BSTR* action) {
    if (action == nullptr) return E_POINTER;
    *action = nullptr;
    CControlUI* control = nullptr;
    const HRESULT found = Resolve(child, &control);
    if (FAILED(found)) return found;
    if (control == nullptr || !IsButton(KindOf(control))) return DISP_E_MEMBERNOTFOUND;
    return WideAnswer(L"Press", action);
}

HRESULT CAccessibleUI::accDoDefaultAction(VARIANT child) {
    CControlUI* control = nullptr;
    const HRESULT found = Resolve(child, &control);
    if (FAILED(found)) return found;
    if (control == nullptr || !IsButton(KindOf(control))) return DISP_E_MEMBERNOTFOUND;
    if (!control->IsEnabled() || ActionMessage() == 0) return E_FAIL;
    // Run from the window's own queue, as a click would be, not inside the client's call:
    // the client waits for this answer, and the click may do anything, the window's end
    // included.
    try {
        pendingActions_.push_back(control);
    } catch (...) {
        return E_OUTOFMEMORY;
    }
    if (!::PostMessageA(manager_->GetPaintWindow(), ActionMessage(), 0, 0)) {
        pendingActions_.pop_back();
        return E_FAIL;
    }
    return S_OK;
}

HRESULT CAccessibleUI::accSelect(long, VARIANT) {
    return manager_ == nullptr ? CO_E_OBJNOTCONNECTED : DISP_E_MEMBERNOTFOUND;
}

HRESULT CAccessibleUI::put_accName(VARIANT, BSTR) {
    return E_NOTIMPL;
}

HRESULT CAccessibleUI::put_accValue(VARIANT, BSTR) {
    return E_NOTIMPL;
}

}  // namespace SkinUI
