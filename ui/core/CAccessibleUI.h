// CAccessibleUI: the accessible object (MSAA IAccessible) of a skinned window's client area,
// answered to WM_GETOBJECT. Screen readers see nothing of a window whose controls are all
// drawn by the framework; this object names the client area after the window's caption and
// exposes the visible controls worth reading as simple child elements: labels as static
// text, progress bars with their percentage as value, buttons as push buttons (options as
// check or radio buttons) whose default action clicks them.
//
// Child ids are positions (1 to n) in the current list of exposed controls, worked out again
// on every call, so the object never keeps a control between calls and a client that holds
// it after the controls or the window are gone is answered CO_E_OBJNOTCONNECTED or
// E_INVALIDARG, never with freed memory.
#pragma once

#include <windows.h>

#include <oleacc.h>

#include <vector>

namespace SkinUI {

class CControlUI;
class CWindowManagerUI;

class CAccessibleUI final : public IAccessible {
public:
    // A new object for the manager's window holding one reference for the caller, or none
    // when there is no memory for it.
    static CAccessibleUI* Create(CWindowManagerUI* manager) noexcept;
    // Cuts the object off from its manager (every later call answers CO_E_OBJNOTCONNECTED),
    // disconnects its remote clients and drops the caller's reference.
    static void DisconnectAndRelease(CAccessibleUI* object) noexcept;

    // The answer to WM_GETOBJECT for the client area; 0 when the accessibility library is
    // not there or cannot hand the object out (the default answer then applies).
    LRESULT AnswerGetObject(WPARAM wParam) noexcept;
    // Runs a default action posted by accDoDefaultAction; false for any other message.
    bool HandleMessage(UINT message) noexcept;
    // The control is being destroyed: a default action posted for it is dropped.
    void ForgetControl(CControlUI* control) noexcept;

    // Tells accessibility clients that `event` happened to the control, when the control is
    // one of those exposed in a window.
    static void NotifyEvent(CControlUI* control, DWORD event) noexcept;
    // Tells accessibility clients that the set of exposed controls of the control's window
    // may have changed (a control shown or hidden, a label's text emptied or filled).
    static void NotifyStructure(CControlUI* control) noexcept;

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // IDispatch: no type information; clients call the IAccessible methods directly.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                            DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID locale, WORD flags,
                                     DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                                     UINT* argumentError) override;

    // IAccessible
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override;
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override;
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override;
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override;
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override;
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override;
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override;
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override;
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override;
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override;
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override;
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override;
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) override;
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override;
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override;
    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height,
                                          VARIANT child) override;
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override;
    HRESULT STDMETHODCALLTYPE accHitTest(long left, long top, VARIANT* child) override;
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override;
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override;
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override;

private:
    explicit CAccessibleUI(CWindowManagerUI* manager) : manager_(manager) {}
    ~CAccessibleUI() = default;

    // The exposed controls, in reading order; false when the list cannot be made.
    bool Collect(std::vector<CControlUI*>& controls) const noexcept;
    // What `child` names: *control stays null for the client area itself. S_OK, or the
    // error to answer (not connected, a bad child id, no memory).
    HRESULT Resolve(const VARIANT& child, CControlUI** control) const noexcept;

    LONG references_ = 1;
    CWindowManagerUI* manager_;
    std::vector<CControlUI*> pendingActions_;
};

}  // namespace SkinUI
