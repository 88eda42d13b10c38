// CVerticalLayoutUI: stacks its non-float children top to bottom, sharing the free height
// among children without a fixed height; optionally the user resizes the layout by dragging a
// separator strip at its bottom (or top) edge.
#pragma once

#include "ui/controls/CLinearLayoutUI.h"

namespace SkinUI {

class CVerticalLayoutUI : public CLinearLayoutUI {
public:
    CVerticalLayoutUI() : CLinearLayoutUI(true) {}

    LPCSTR GetTypeName() const override;
    void* QueryType(LPCSTR name) override;
    void ApplyAttribute(LPCSTR name, LPCSTR value) override;

    void SetSepHeight(int size) { sepSize_ = size; }
    int GetSepHeight() const { return sepSize_; }
};

}  // namespace SkinUI
