// A clip region installed for one paint step and restored when it goes away. It remembers the
// device context's clip box (the outer clip) and the area it narrowed the clip to (the inner
// clip), so a container can let overflowing children paint outside its own area and go back.
#pragma once

#include <windows.h>

#include "ui/core/GdiHandle.h"

namespace SkinUI {

class CRenderClip {
public:
    CRenderClip() = default;
    ~CRenderClip() { Restore(); }
    CRenderClip(const CRenderClip&) = delete;
    CRenderClip& operator=(const CRenderClip&) = delete;

    // Narrows `dc`'s clip to `rect`; `clip` restores it.
    static void GenerateClip(HDC dc, const RECT& rect, CRenderClip& clip);
    // Narrows `dc`'s clip to `paint` intersected with the rounded rectangle `round`.
    static void GenerateRoundClip(HDC dc, const RECT& paint, const RECT& round, int width,
                                  int height, CRenderClip& clip);

    // Puts the outer clip back and deletes both regions; later calls do nothing.
    void Restore();
    void UseOuterClip();
    void UseInnerClip();

private:
    void Install(HDC dc);

    HDC dc_ = nullptr;
    UniqueRegion outer_;
    UniqueRegion inner_;
};

}  // namespace SkinUI
