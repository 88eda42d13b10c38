// CScrollBarUI: the least scroll bar the containers need: an owner, an orientation, and a
// range with a position kept inside it. It paints as a plain control (its attributes give it
// colours and images); thumb dragging belongs to the further controls.
#pragma once

#include "ui/controls/CControlUI.h"

namespace SkinUI {

class CContainerUI;

class CScrollBarUI : public CControlUI {
public:
    CScrollBarUI();

    LPCSTR GetTypeName() const override;
    void* QueryType(LPCSTR name) override;

    CContainerUI* GetOwner() const { return owner_; }
    void SetOwner(CContainerUI* owner) { owner_ = owner; }
    bool IsHorizontal() const { return horizontal_; }
    void SetHorizontal(bool horizontal = true);
    int GetScrollRange() const { return range_; }
    void SetScrollRange(int range);
    int GetScrollPos() const { return pos_; }
    void SetScrollPos(int pos);

private:
    CContainerUI* owner_ = nullptr;
    bool horizontal_ = false;
    int range_ = 100;
    int pos_ = 0;
};

}  // namespace SkinUI
