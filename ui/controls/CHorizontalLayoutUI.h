// CHorizontalLayoutUI: stacks its non-float children left to right, sharing the free width
// among children without a fixed width; optionally the user resizes the layout by dragging a
// separator strip at its right (or left) edge.
#pragma once

#include "ui/controls/CContainerUI.h"

namespace SkinUI {

class CHorizontalLayoutUI : public CContainerUI {
public:
    LPCSTR GetTypeName() const override;
    void* QueryType(LPCSTR name) override;
    UINT GetInputFlags() override;
    void SetBounds(const RECT& rect) override;
    void ProcessEvent(TEventUI& event) override;
    void ApplyAttribute(LPCSTR name, LPCSTR value) override;
    void PaintOverlay(HDC dc, const RECT& paint) override;

    void SetSepWidth(int width) { sepSize_ = width; }
    int GetSepWidth() const { return sepSize_; }
    void SetSepImmMode(bool immediate) { immediate_ = immediate; }
    bool IsSepImmMode() const { return immediate_; }
    RECT GetThumbRect(const RECT& of) const;

private:
    int sepSize_ = 0;
    UINT buttonState_ = 0;
    POINT lastMouse_ = {0, 0};
    RECT newPos_ = {0, 0, 0, 0};
    bool immediate_ = false;
};

}  // namespace SkinUI
