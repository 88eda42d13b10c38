// The download's progress on the window's taskbar button (ITaskbarList3): the normal state
// with the percentage while downloading, the error state when the run failed, nothing
// otherwise. Where the shell offers no such interface (older systems, wine), or the window
// has no taskbar button, every call does nothing.
#pragma once

#include <windows.h>

#include <shobjidl.h>

#include <memory>

class TaskbarProgress {
public:
    TaskbarProgress() = default;
    TaskbarProgress(const TaskbarProgress&) = delete;
    TaskbarProgress& operator=(const TaskbarProgress&) = delete;

    // What the shell sends a window once its taskbar button exists: only from then on may the
    // button be changed.
    static UINT ButtonCreatedMessage();
    // The window whose button shows the progress. The elevated loader would never receive the
    // shell's message (the shell runs unelevated), so it is let through for this window.
    void Attach(HWND window);
    // The button exists: takes the shell's interface and shows the state asked for so far
    // (nothing without Attach).
    void OnButtonCreated();
    // Takes list (owned from here on) as the button's interface: OnButtonCreated's, or
    // another one's.
    void Use(ITaskbarList3* list);

    void ShowProgress(int percent);  // 0..100, normal state
    void ShowError();
    void Clear();

private:
    enum class State { kNone, kNormal, kError };
    struct Releaser {
        void operator()(ITaskbarList3* list) const { list->Release(); }
    };
    void Apply();

    std::unique_ptr<ITaskbarList3, Releaser> list_;
    HWND window_ = nullptr;
    State state_ = State::kNone;
    int percent_ = 0;
};
