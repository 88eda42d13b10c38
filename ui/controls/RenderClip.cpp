// Clip regions for painting; see RenderClip.h.
#include "ui/controls/RenderClip.h"

#include <utility>

namespace SkinUI {

namespace {

// The device context's clip region as it is now, or none when it has no clip at all.
UniqueRegion CurrentClip(HDC dc) {
    UniqueRegion region(::CreateRectRgn(0, 0, 0, 0));
    if (region && ::GetClipRgn(dc, region.get()) != 1) region.reset();
    return region;
}

}  // namespace

void CRenderClip::Install(HDC dc) {
    dc_ = dc;
    // The clips of enclosing containers stay in force: the outer clip is the one found here,
    // whatever its shape, and the inner clip is the area narrowed within it. Re-selecting
    // the plain inner rectangle later would let a nested float paint over its ancestors.
    if (UniqueRegion found = CurrentClip(dc)) outer_ = std::move(found);
    if (!inner_) return;
    ::ExtSelectClipRgn(dc, inner_.get(), RGN_AND);
    if (UniqueRegion narrowed = CurrentClip(dc)) inner_ = std::move(narrowed);
}

void CRenderClip::GenerateClip(HDC dc, const RECT& rect, CRenderClip& clip) {
    clip.Restore();
    if (dc == nullptr) return;
    RECT box = {};
    ::GetClipBox(dc, &box);
    clip.outer_.reset(::CreateRectRgnIndirect(&box));
    clip.inner_.reset(::CreateRectRgnIndirect(&rect));
    clip.Install(dc);
}

void CRenderClip::GenerateRoundClip(HDC dc, const RECT& paint, const RECT& round, int width,
                                    int height, CRenderClip& clip) {
    clip.Restore();
    if (dc == nullptr) return;
    RECT box = {};
    ::GetClipBox(dc, &box);
    clip.outer_.reset(::CreateRectRgnIndirect(&box));
    clip.inner_.reset(::CreateRectRgnIndirect(&paint));
    UniqueRegion rounded(::CreateRoundRectRgn(round.left, round.top, round.right + 1,
                                              round.bottom + 1, width, height));
    if (clip.inner_ && rounded)
        ::CombineRgn(clip.inner_.get(), clip.inner_.get(), rounded.get(), RGN_AND);
    clip.Install(dc);
}

void CRenderClip::Restore() {
    if (dc_ == nullptr) return;
    ::SelectClipRgn(dc_, outer_.get());
    outer_.reset();
    inner_.reset();
    dc_ = nullptr;
}

void CRenderClip::UseOuterClip() {
    if (dc_ != nullptr) ::SelectClipRgn(dc_, outer_.get());
}

void CRenderClip::UseInnerClip() {
    if (dc_ != nullptr) ::SelectClipRgn(dc_, inner_.get());
}

}  // namespace SkinUI
