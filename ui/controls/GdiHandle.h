// Owners for GDI handles: objects (bitmaps, fonts, pens, brushes, regions), memory device
// contexts and temporary selections. Every owner adds to one live count while it holds a
// handle, so tests can prove that drawing leaves no GDI object behind (the platform's own
// per-process GDI count is not available everywhere, e.g. under wine).
#pragma once

#include <windows.h>

#include <atomic>
#include <utility>

namespace SkinUI {

namespace gdi_count {
extern std::atomic<long> live;
}

// Number of GDI objects and device contexts currently held by the owners below.
inline long GdiLiveCount() {
    return gdi_count::live.load();
}

template <class H>
class CGdiObject {
public:
    CGdiObject() = default;
    explicit CGdiObject(H handle) { Reset(handle); }
    ~CGdiObject() { Reset(); }
    CGdiObject(CGdiObject&& o) noexcept { Reset(o.Release()); }
    CGdiObject& operator=(CGdiObject&& o) noexcept {
        if (this != &o) Reset(o.Release());
        return *this;
    }
    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;

    // Takes ownership of `handle` (may be null), deleting the one held before.
    void Reset(H handle = nullptr) {
        if (handle_ != nullptr) {
            ::DeleteObject(handle_);
            --gdi_count::live;
        }
        handle_ = handle;
        if (handle_ != nullptr) ++gdi_count::live;
    }
    // Gives up ownership without deleting.
    H Release() {
        H h = handle_;
        if (h != nullptr) --gdi_count::live;
        handle_ = nullptr;
        return h;
    }
    H Get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }

private:
    H handle_ = nullptr;
};

using CGdiBitmap = CGdiObject<HBITMAP>;
using CGdiFont = CGdiObject<HFONT>;
using CGdiPen = CGdiObject<HPEN>;
using CGdiBrush = CGdiObject<HBRUSH>;
using CGdiRegion = CGdiObject<HRGN>;

// A memory device context compatible with another one; deleted with DeleteDC.
class CMemoryDC {
public:
    explicit CMemoryDC(HDC compatibleWith) : dc_(::CreateCompatibleDC(compatibleWith)) {
        if (dc_ != nullptr) ++gdi_count::live;
    }
    ~CMemoryDC() {
        if (dc_ != nullptr) {
            ::DeleteDC(dc_);
            --gdi_count::live;
        }
    }
    CMemoryDC(const CMemoryDC&) = delete;
    CMemoryDC& operator=(const CMemoryDC&) = delete;

    HDC Get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }

private:
    HDC dc_;
};

// Selects an object into a device context for the owner's lifetime.
class CSelectObject {
public:
    CSelectObject(HDC dc, HGDIOBJ object)
        : dc_(dc),
          old_(dc != nullptr && object != nullptr ? ::SelectObject(dc, object) : nullptr) {}
    ~CSelectObject() {
        if (old_ != nullptr && old_ != HGDI_ERROR) ::SelectObject(dc_, old_);
    }
    CSelectObject(const CSelectObject&) = delete;
    CSelectObject& operator=(const CSelectObject&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

// A 32-bit top-down DIB section; `bits` points at width * height pixels.
CGdiBitmap CreateDib32(HDC dc, int width, int height, uint32_t** bits);

}  // namespace SkinUI
