// The download's progress on the taskbar button (see taskbar_progress.h).
#include "loader/taskbar_progress.h"

namespace {

constexpr ULONGLONG kWhole = 100;

}  // namespace

UINT TaskbarProgress::ButtonCreatedMessage() {
    static const UINT message = RegisterWindowMessageA("TaskbarButtonCreated");
    return message;
}

void TaskbarProgress::Attach(HWND window) {
    window_ = window;
    // Looked up: Windows 7 and later have it; where it is missing, so is the button's
    // interface.
    using FilterFn = BOOL(WINAPI*)(HWND, UINT, DWORD, void*);
    const HMODULE user = GetModuleHandleA("user32.dll");
    const auto filter = reinterpret_cast<FilterFn>(reinterpret_cast<void*>(
        user != nullptr ? GetProcAddress(user, "ChangeWindowMessageFilterEx") : nullptr));
    constexpr DWORD kAllow = 1;  // MSGFLT_ALLOW
    if (filter != nullptr) filter(window, ButtonCreatedMessage(), kAllow, nullptr);
}

void TaskbarProgress::OnButtonCreated() {
    if (window_ == nullptr) return;  // not asked for
    ITaskbarList3* list = nullptr;
    if (FAILED(CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskbarList3,
                                reinterpret_cast<void**>(&list))) ||
        list == nullptr) {
        return;
    }
    if (FAILED(list->HrInit())) {
        list->Release();
        return;
    }
    Use(list);
}

void TaskbarProgress::Use(ITaskbarList3* list) {
    list_.reset(list);
    Apply();
}

void TaskbarProgress::ShowProgress(int percent) {
    state_ = State::kNormal;
    percent_ = percent < 0 ? 0 : (percent > 100 ? 100 : percent);
    Apply();
}

void TaskbarProgress::ShowError() {
    state_ = State::kError;
    Apply();
}

void TaskbarProgress::Clear() {
    state_ = State::kNone;
    Apply();
}

void TaskbarProgress::Apply() {
    if (list_ == nullptr || window_ == nullptr) return;
    // Results are not examined: a shell that implements the calls as stubs (wine) changes
    // nothing, which is all that is asked of it.
    switch (state_) {
        case State::kNone:
            list_->SetProgressState(window_, TBPF_NOPROGRESS);
            break;
        case State::kNormal:
            list_->SetProgressState(window_, TBPF_NORMAL);
            list_->SetProgressValue(window_, static_cast<ULONGLONG>(percent_), kWhole);
            break;
        case State::kError:
            // A full red bar: the button shows the run failed.
            list_->SetProgressState(window_, TBPF_ERROR);
            list_->SetProgressValue(window_, kWhole, kWhole);
            break;
    }
}
