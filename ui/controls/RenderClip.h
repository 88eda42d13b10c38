// A clip region installed for painting and restored afterwards. It remembers the device
// context's clip box (the outer clip) and the area it narrowed the clip to (the inner clip), so
// a container can let its overflowing children paint outside its own area and then go back.
#pragma once

#include <windows.h>

#include "ui/controls/GdiHandle.h"

namespace SkinUI {

class CRenderClip {
public:
    CRenderClip() = default;
    ~CRenderClip() { Restore(); }
    CRenderClip(CRenderClip&& o) noexcept;
    CRenderClip& operator=(CRenderClip&& o) noexcept;
    CRenderClip(const CRenderClip&) = delete;
    CRenderClip& operator=(const CRenderClip&) = delete;

    // Narrows `dc`'s clip to `rect`.
    static CRenderClip Generate(HDC dc, const RECT& rect);
    // Narrows `dc`'s clip to `paint` intersected with a rounded rectangle.
    static CRenderClip GenerateRound(HDC dc, const RECT& paint, const RECT& round, int width,
                                     int height);

    // Puts the outer clip back and deletes both regions; later calls do nothing.
    void Restore();
    void UseOuterClip() const;
    void UseInnerClip() const;

private:
    HDC dc_ = nullptr;
    CGdiRegion outer_;
    CGdiRegion inner_;
};

}  // namespace SkinUI
