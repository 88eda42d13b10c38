// CLinearLayoutUI: what the vertical and the horizontal layout share, written once for either
// axis: stacking the non-float children along the axis while sharing the free space among
// those without a size of their own, and resizing the layout itself by dragging a separator
// strip at its end (or start) edge. The two layouts only choose the axis, name their type and
// their separator attribute.
#pragma once

#include "ui/controls/CContainerUI.h"

namespace SkinUI {

class CLinearLayoutUI : public CContainerUI {
public:
    UINT GetInputFlags() override;
    void SetBounds(const RECT& rect) override;
    void ProcessEvent(TEventUI& event) override;
    void PaintOverlay(HDC dc, const RECT& paint) override;

    void SetSepImmMode(bool immediate) { immediate_ = immediate; }
    bool IsSepImmMode() const { return immediate_; }
    // The separator strip of a rectangle (the bounds, or the new position while dragging).
    RECT GetThumbRect(const RECT& of) const;

protected:
    void ScaleGeometry(int from, int to) override;
    explicit CLinearLayoutUI(bool vertical) : vertical_(vertical) {}

    int sepSize_ = 0;  // 0: no separator; > 0 at the end edge; < 0 at the start edge

private:
    // Moves the dragged edge of the new position with the mouse; false when the move is
    // ignored.
    bool DragSeparator(POINT pt);

    const bool vertical_;
    UINT buttonState_ = 0;
    POINT lastMouse_ = {0, 0};
    RECT newPos_ = {0, 0, 0, 0};
    bool immediate_ = false;
};

}  // namespace SkinUI
