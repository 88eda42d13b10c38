// CHorizontalLayoutUI: stacks its non-float children left to right, sharing the free width
// among children without a fixed width; optionally the user resizes the layout by dragging a
// separator strip at its right (or left) edge.
#pragma once

#include "ui/controls/CLinearLayoutUI.h"

namespace SkinUI {

class CHorizontalLayoutUI : public CLinearLayoutUI {
public:
    CHorizontalLayoutUI() : CLinearLayoutUI(false) {}

    LPCSTR GetTypeName() const override;
    void* QueryType(LPCSTR name) override;
    void ApplyAttribute(LPCSTR name, LPCSTR value) override;

    void SetSepWidth(int size) { sepSize_ = size; }
    int GetSepWidth() const { return sepSize_; }
};

}  // namespace SkinUI
