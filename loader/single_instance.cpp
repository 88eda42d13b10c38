// One loader per user session (see single_instance.h).
#include "loader/single_instance.h"

SingleInstance::SingleInstance(const char* name) {
    mutex_ = CreateMutexA(nullptr, FALSE, name);
    // Without a mutex (no rights, no memory) the loader runs: one too many is better than none.
    anotherRuns_ = mutex_ != nullptr && GetLastError() == ERROR_ALREADY_EXISTS;
}

SingleInstance::~SingleInstance() {
    if (mutex_ != nullptr) CloseHandle(mutex_);
}

void SingleInstance::BringToFront(const char* windowClass, const char* title) {
    const HWND window = FindWindowA(windowClass, title);
    if (window == nullptr || !IsWindowVisible(window)) return;
    if (IsIconic(window)) ShowWindow(window, SW_RESTORE);
    SetForegroundWindow(window);
}
