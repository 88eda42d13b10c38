// Clip regions for painting; see RenderClip.h.
#include "ui/controls/RenderClip.h"

#include <utility>

namespace SkinUI {

CRenderClip::CRenderClip(CRenderClip&& o) noexcept
    : dc_(o.dc_), outer_(std::move(o.outer_)), inner_(std::move(o.inner_)) {
    o.dc_ = nullptr;
}

CRenderClip& CRenderClip::operator=(CRenderClip&& o) noexcept {
    if (this != &o) {
        Restore();
        dc_ = o.dc_;
        outer_ = std::move(o.outer_);
        inner_ = std::move(o.inner_);
        o.dc_ = nullptr;
    }
    return *this;
}

CRenderClip CRenderClip::Generate(HDC dc, const RECT& rect) {
    CRenderClip clip;
    if (dc == nullptr) return clip;
    RECT box = {};
    ::GetClipBox(dc, &box);
    clip.outer_.Reset(::CreateRectRgnIndirect(&box));
    clip.inner_.Reset(::CreateRectRgnIndirect(&rect));
    clip.dc_ = dc;
    if (clip.inner_) ::ExtSelectClipRgn(dc, clip.inner_.Get(), RGN_AND);
    return clip;
}

CRenderClip CRenderClip::GenerateRound(HDC dc, const RECT& paint, const RECT& round, int width,
                                       int height) {
    CRenderClip clip;
    if (dc == nullptr) return clip;
    RECT box = {};
    ::GetClipBox(dc, &box);
    clip.outer_.Reset(::CreateRectRgnIndirect(&box));
    clip.inner_.Reset(::CreateRectRgnIndirect(&paint));
    CGdiRegion rounded(::CreateRoundRectRgn(round.left, round.top, round.right + 1,
                                            round.bottom + 1, width, height));
    if (clip.inner_ && rounded)
        ::CombineRgn(clip.inner_.Get(), clip.inner_.Get(), rounded.Get(), RGN_AND);
    clip.dc_ = dc;
    if (clip.inner_) ::ExtSelectClipRgn(dc, clip.inner_.Get(), RGN_AND);
    return clip;
}

void CRenderClip::Restore() {
    if (dc_ == nullptr) return;
    ::SelectClipRgn(dc_, outer_.Get());
    outer_.Reset();
    inner_.Reset();
    dc_ = nullptr;
}

void CRenderClip::UseOuterClip() const {
    if (dc_ != nullptr) ::SelectClipRgn(dc_, outer_.Get());
}

void CRenderClip::UseInnerClip() const {
    if (dc_ != nullptr) ::SelectClipRgn(dc_, inner_.Get());
}

}  // namespace SkinUI
