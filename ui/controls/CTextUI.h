// CTextUI: a word-wrapping label whose markup may hold links. It reports which link the mouse
// is over (the hand cursor, a repaint for the hover colour) and sends "link" with the link's
// index when a link is clicked.
#pragma once

#include <string>

#include "ui/controls/CLabelUI.h"

namespace SkinUI {

class CTextUI : public CLabelUI {
public:
    static constexpr int kMaxLinks = 8;

    CTextUI();

    LPCSTR GetTypeName() const override;
    void* QueryType(LPCSTR name) override;
    UINT GetInputFlags() override;
    void ProcessEvent(TEventUI& event) override;
    SIZE MeasureSize(SIZE available) override;
    void PaintText(HDC dc) override;

    int GetLinkCount() const { return linkCount_; }
    // The link's rectangle and text as found at the last paint; an empty result past the end.
    RECT GetLinkRect(int index) const;
    std::string GetLinkText(int index) const;
    int GetHoveredLink() const { return hoveredLink_; }

private:
    // The link whose rectangle holds the point, or -1.
    int LinkAt(POINT point) const;
    // The rectangle the text needs inside `rect` (its right edge is the wrapping width).
    RECT MeasureText(RECT rect);

    int linkCount_ = 0;
    RECT links_[kMaxLinks] = {};
    std::string linkTexts_[kMaxLinks];
    int hoveredLink_ = -1;
};

}  // namespace SkinUI
