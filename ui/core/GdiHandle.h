// Owning wrappers for GDI handles (objects, memory DCs, window DCs). Every wrapper that holds a
// handle is counted, so tests can prove that a paint/destroy cycle gives back every handle
// (wine's GetGuiResources cannot count them).
#pragma once

#include <windows.h>

#include <utility>

namespace SkinUI {

// Live GDI handles owned by the wrappers below, process-wide; UI code is single-threaded.
int& GdiLiveCount();

// HFONT, HBITMAP, HPEN, HBRUSH, HRGN: released with DeleteObject.
template <class Handle>
class GdiObject {
public:
    GdiObject() = default;
    explicit GdiObject(Handle handle) : handle_(handle) {
        if (handle_ != nullptr) ++GdiLiveCount();
    }
    ~GdiObject() { reset(); }
    GdiObject(GdiObject&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    GdiObject& operator=(GdiObject&& other) noexcept {
        if (this != &other) {
            reset();
            handle_ = std::exchange(other.handle_, nullptr);
        }
        return *this;
    }
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;

    Handle get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }
    void reset(Handle handle = nullptr) {
        if (handle_ != nullptr) {
            ::DeleteObject(handle_);
            --GdiLiveCount();
        }
        handle_ = handle;
        if (handle_ != nullptr) ++GdiLiveCount();
    }

private:
    Handle handle_ = nullptr;
};

using UniqueFont = GdiObject<HFONT>;
using UniqueBitmap = GdiObject<HBITMAP>;
using UniquePen = GdiObject<HPEN>;
using UniqueBrush = GdiObject<HBRUSH>;
using UniqueRegion = GdiObject<HRGN>;

// A memory DC from CreateCompatibleDC, released with DeleteDC.
class UniqueMemoryDC {
public:
    UniqueMemoryDC() = default;
    explicit UniqueMemoryDC(HDC dc) : dc_(dc) {
        if (dc_ != nullptr) ++GdiLiveCount();
    }
    ~UniqueMemoryDC() { reset(); }
    UniqueMemoryDC(const UniqueMemoryDC&) = delete;
    UniqueMemoryDC& operator=(const UniqueMemoryDC&) = delete;

    HDC get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }
    void reset(HDC dc = nullptr) {
        if (dc_ != nullptr) {
            ::DeleteDC(dc_);
            --GdiLiveCount();
        }
        dc_ = dc;
        if (dc_ != nullptr) ++GdiLiveCount();
    }

private:
    HDC dc_ = nullptr;
};

// A window's DC from GetDC, released with ReleaseDC.
class WindowDC {
public:
    WindowDC() = default;
    ~WindowDC() { reset(); }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;

    HDC get() const { return dc_; }
    void reset(HWND window = nullptr) {
        if (dc_ != nullptr) {
            ::ReleaseDC(window_, dc_);
            --GdiLiveCount();
        }
        window_ = window;
        dc_ = window != nullptr ? ::GetDC(window) : nullptr;
        if (dc_ != nullptr) ++GdiLiveCount();
    }

private:
    HWND window_ = nullptr;
    HDC dc_ = nullptr;
};

// Selects an object into a DC for one scope and puts the previous one back.
class SelectGuard {
public:
    SelectGuard(HDC dc, HGDIOBJ object) : dc_(dc), previous_(::SelectObject(dc, object)) {}
    ~SelectGuard() {
        if (previous_ != nullptr && previous_ != HGDI_ERROR) ::SelectObject(dc_, previous_);
    }
    SelectGuard(const SelectGuard&) = delete;
    SelectGuard& operator=(const SelectGuard&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

}  // namespace SkinUI
