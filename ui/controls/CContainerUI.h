// CContainerUI: a control that owns an ordered list of children, places them inside its
// bounds less an inset, paints them clipped to itself, routes searches and hit tests through
// them and can carry a vertical and a horizontal scroll bar.
#pragma once

#include <vector>

#include "ui/controls/CControlUI.h"

namespace SkinUI {

class CScrollBarUI;

class IContainerUI {
public:
    virtual CControlUI* GetItemAt(int index) const = 0;
    virtual int GetItemIndex(CControlUI* control) const = 0;
    virtual bool SetItemIndex(CControlUI* control, int index) = 0;
    virtual int GetCount() const = 0;
    virtual bool Add(CControlUI* control) = 0;
    virtual bool AddAt(CControlUI* control, int index) = 0;
    virtual bool Remove(CControlUI* control) = 0;
    virtual bool RemoveAt(int index) = 0;
    virtual void RemoveAll() = 0;

protected:
    ~IContainerUI() = default;
};

class CContainerUI : public CControlUI, public IContainerUI {
public:
    CContainerUI();
    ~CContainerUI() override;

    // ---- CControlUI overrides ----------------------------------------------------------------
    LPCSTR GetTypeName() const override;
    void* QueryType(LPCSTR name) override;
    void AttachManager(CWindowManagerUI* manager, CControlUI* parent, bool initialise) override;
    void SetBounds(const RECT& rect) override;
    void SetVisible(bool visible = true) override;
    void SetParentVisible(bool visible = true) override;
    void SetMouseEnabled(bool enabled = true) override;
    CControlUI* LocateControl(LocatePredicate predicate, void* data, UINT flags) override;
    void ProcessEvent(TEventUI& event) override;
    void ApplyAttribute(LPCSTR name, LPCSTR value) override;
    void Paint(HDC dc, const RECT& paint) override;

    // ---- IContainerUI -------------------------------------------------------------------------
    CControlUI* GetItemAt(int index) const override;
    int GetItemIndex(CControlUI* control) const override;
    bool SetItemIndex(CControlUI* control, int index) override;
    int GetCount() const override;
    bool Add(CControlUI* control) override;
    bool AddAt(CControlUI* control, int index) override;
    bool Remove(CControlUI* control) override;
    bool RemoveAt(int index) override;
    void RemoveAll() override;

    // ---- Operations appended after the control base's, in this order --------------------------
    virtual RECT GetInset() const;
    virtual void SetInset(const RECT& inset);
    virtual int GetChildPadding() const;
    virtual void SetChildPadding(int padding);
    virtual bool IsAutoDestroy() const;
    virtual void SetAutoDestroy(bool autoDestroy);
    virtual bool IsDelayedDestroy() const;
    virtual void SetDelayedDestroy(bool delayed);
    virtual bool IsMouseChildEnabled() const;
    virtual void SetMouseChildEnabled(bool enabled = true);
    virtual int FindSelectable(int index, bool forward = true) const;
    virtual SIZE GetScrollPos() const;
    virtual SIZE GetScrollRange() const;
    virtual void SetScrollPos(SIZE pos);
    virtual void LineUp();
    virtual void LineDown();
    virtual void PageUp();
    virtual void PageDown();
    virtual void HomeUp();
    virtual void EndDown();
    virtual void LineLeft();
    virtual void LineRight();
    virtual void PageLeft();
    virtual void PageRight();
    virtual void HomeLeft();
    virtual void EndRight();
    virtual void EnableScrollBar(bool vertical = true, bool horizontal = false);
    virtual CScrollBarUI* GetVerticalScrollBar() const;
    virtual CScrollBarUI* GetHorizontalScrollBar() const;
    virtual void SetFloatPos(int index);
    virtual void ProcessScrollBar(RECT rect, int widthNeeded, int heightNeeded);

protected:
    void ScaleGeometry(int from, int to) override;
    // Hands a removed child to the manager's delayed clean-up or deletes it now.
    void DisposeChild(CControlUI* child);
    // Bounds less the inset and the visible scroll bars.
    RECT InnerRect() const;
    // Bounds less the inset.
    RECT InsetBounds() const;

    std::vector<CControlUI*> items_;
    RECT inset_ = {0, 0, 0, 0};
    int childPadding_ = 0;
    bool autoDestroy_ = true;
    bool delayedDestroy_ = true;
    bool mouseChild_ = true;
    // Set while a layout lays the content out again beside a vertical bar it has just shown;
    // the bar stays for that layout.
    bool keepVerticalBar_ = false;
    CScrollBarUI* verticalBar_ = nullptr;
    CScrollBarUI* horizontalBar_ = nullptr;
};

}  // namespace SkinUI
