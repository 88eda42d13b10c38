// CControlUI: the root of every element of a skinned window. It holds the geometry rules
// (fixed/min/max size, padding, float placement, relative moves), the state flags, the look
// (back colours, back image, borders, round corners), applies skin attributes uniformly and
// paints itself in five fixed steps.
#pragma once

#include <windows.h>

#include <string>

#include "ui/core/CListenerList.h"
#include "ui/core/TEventUI.h"

namespace SkinUI {

class CWindowManagerUI;

// Relative placement of a float child: moves and zooms in percent of the parent's growth
// since the rule was last applied.
struct TRelativePos {
    bool enabled = false;
    SIZE base = {0, 0};
    int moveX = 0;
    int moveY = 0;
    int zoomX = 0;
    int zoomY = 0;
};

// Predicate of LocateControl: answers the control it was looking for (stopping the walk), or
// none to go on.
using LocatePredicate = CControlUI* (*)(CControlUI* control, void* data);

enum LocateFlags : UINT {
    LocateAll = 0,
    LocateVisible = 0x00000001,
    LocateEnabled = 0x00000002,
    LocateHitTest = 0x00000004,  // data points to a POINT
    LocateTopFirst = 0x00000008,
    LocateMeFirst = 0x80000000,  // test a container before its children
};

// Bits of GetInputFlags.
enum InputFlags : UINT {
    InputTabStop = 0x01,
    InputSetCursor = 0x02,
    InputWantReturn = 0x04,
};

class CControlUI {
public:
    CControlUI();
    CControlUI(const CControlUI&) = delete;
    CControlUI& operator=(const CControlUI&) = delete;

    // ---- Virtual operations, in their fixed order ----------------------------------------
    virtual ~CControlUI();
    virtual std::string GetName() const;
    virtual void SetName(const std::string& name);
    virtual LPCSTR GetTypeName() const;
    virtual void* QueryType(LPCSTR name);
    virtual UINT GetInputFlags();
    virtual bool Activate();
    virtual CWindowManagerUI* GetManager() const;
    virtual void AttachManager(CWindowManagerUI* manager, CControlUI* parent, bool initialise);
    virtual CControlUI* GetParent() const;
    virtual std::string GetText() const;
    virtual void SetText(const std::string& text);
    virtual const RECT& GetBounds() const;
    virtual void SetBounds(const RECT& rect);
    virtual int GetWidth() const;
    virtual int GetHeight() const;
    virtual int GetLeft() const;
    virtual int GetTop() const;
    virtual RECT GetPadding() const;
    virtual void SetPadding(const RECT& padding);
    virtual SIZE GetFloatOffset() const;
    virtual void SetFloatOffset(SIZE offset);
    virtual int GetFixedWidth() const;
    virtual void SetFixedWidth(int cx);
    virtual int GetFixedHeight() const;
    virtual void SetFixedHeight(int cy);
    virtual int GetMinWidth() const;
    virtual void SetMinWidth(int cx);
    virtual int GetMaxWidth() const;
    virtual void SetMaxWidth(int cx);
    virtual int GetMinHeight() const;
    virtual void SetMinHeight(int cy);
    virtual int GetMaxHeight() const;
    virtual void SetMaxHeight(int cy);
    virtual void SetRelativeRule(int moveX, int moveY, int zoomX, int zoomY);
    virtual void SetRelativeBase(int cx, int cy);
    virtual TRelativePos GetRelativeRule() const;
    virtual bool HasRelativeRule() const;
    virtual std::string GetToolTip() const;
    virtual void SetToolTip(const std::string& text);
    virtual void SetToolTipWidth(int width);
    virtual int GetToolTipWidth() const;
    virtual char GetShortcut() const;
    virtual void SetShortcut(char key);
    virtual bool HasContextMenu() const;
    virtual void SetContextMenu(bool menu);
    virtual std::string GetUserData() const;
    virtual void SetUserData(const std::string& data);
    virtual UINT_PTR GetTag() const;
    virtual void SetTag(UINT_PTR tag);
    virtual bool IsVisible() const;
    virtual void SetVisible(bool visible = true);
    virtual void SetParentVisible(bool visible = true);
    virtual bool IsEnabled() const;
    virtual void SetEnabled(bool enabled = true);
    virtual bool IsMouseEnabled() const;
    virtual void SetMouseEnabled(bool enabled = true);
    virtual bool IsKeyboardEnabled() const;
    virtual void SetKeyboardEnabled(bool enabled = true);
    virtual bool IsFocused() const;
    virtual void SetFocus();
    virtual bool IsFloat() const;
    virtual void SetFloat(bool isFloat = true);
    virtual CControlUI* LocateControl(LocatePredicate predicate, void* data, UINT flags);
    virtual void Initialise();
    virtual void OnInitialise();
    virtual void HandleEvent(TEventUI& event);
    virtual void ProcessEvent(TEventUI& event);
    virtual void ApplyAttribute(LPCSTR name, LPCSTR value);
    virtual SIZE MeasureSize(SIZE available);
    virtual void Paint(HDC dc, const RECT& paint);
    virtual void PaintBackColor(HDC dc);
    virtual void PaintBackImage(HDC dc);
    virtual void PaintStateImage(HDC dc);
    virtual void PaintText(HDC dc);
    virtual void PaintBorder(HDC dc);
    virtual void PaintOverlay(HDC dc, const RECT& paint);

    // ---- Non-virtual operations ------------------------------------------------------------
    void Invalidate();
    void MarkForLayout();
    void MarkParentForLayout();
    bool NeedsLayout() const { return needsLayout_; }
    CControlUI* ApplyAttributeString(LPCSTR list);
    DWORD AdjustColor(DWORD color) const;
    bool DrawImage(HDC dc, const std::string& descriptor, LPCSTR modifier = nullptr);
    const RECT& GetPaintRect() const { return paintRect_; }
    // Brings the control's pixel geometry (sizes, padding, offsets, borders) from the DPI it
    // is held in to `dpi`. Skins write 96-DPI pixels; a control attached to a manager takes
    // the manager's DPI, and the manager calls this on every control when the DPI changes.
    void ScaleTo(int dpi);
    int GetDpi() const { return dpi_; }
    // A rectangle's four edges from `from` DPI to `to` DPI (controls' and the manager's own).
    static void ScaleRect(RECT& rect, int from, int to);

    DWORD GetBkColor() const { return backColor1_; }
    void SetBkColor(DWORD color);
    DWORD GetBkColor2() const { return backColor2_; }
    void SetBkColor2(DWORD color);
    DWORD GetBkColor3() const { return backColor3_; }
    void SetBkColor3(DWORD color);
    const std::string& GetBkImage() const { return backImage_; }
    void SetBkImage(const std::string& image);
    const std::string& GetForeImage() const { return foreImage_; }
    void SetForeImage(const std::string& image);
    DWORD GetBorderColor() const { return borderColor_; }
    void SetBorderColor(DWORD color);
    DWORD GetFocusBorderColor() const { return focusBorderColor_; }
    void SetFocusBorderColor(DWORD color);
    bool IsColorHSL() const { return colorHSL_; }
    void SetColorHSL(bool hsl);
    int GetBorderSize() const { return borderSize_; }
    void SetBorderSize(int size);
    RECT GetSideBorderSizes() const { return sideBorders_; }
    void SetBorderSize(const RECT& sides);
    void SetLeftBorderSize(int size);
    void SetTopBorderSize(int size);
    void SetRightBorderSize(int size);
    void SetBottomBorderSize(int size);
    int GetBorderStyle() const { return borderStyle_; }
    void SetBorderStyle(int style);
    SIZE GetBorderRound() const { return borderRound_; }
    void SetBorderRound(SIZE round);
    const std::string& GetVirtualWnd() const { return virtualWnd_; }
    void SetVirtualWnd(const std::string& name);

    // ---- Listener lists ----------------------------------------------------------------------
    CListenerList InitListeners;     // with the control, after Initialise
    CListenerList DestroyListeners;  // with the control, when destroyed
    CListenerList SizeListeners;     // with the control, when SetBounds runs
    CListenerList EventListeners;    // with the event record, before ProcessEvent
    CListenerList NotifyListeners;   // with the notification addressed to the control

protected:
    // Scales this control's own pixel fields; subclasses with more of them extend it.
    virtual void ScaleGeometry(int from, int to);
    // A pixel count of skin text (written for 96 DPI) in this control's pixels. Attributes
    // go through it; the setters take the control's own pixels, as layout code computes them.
    int Px(int skinPixels) const;

    CWindowManagerUI* manager_ = nullptr;
    int dpi_ = 96;
    CControlUI* parent_ = nullptr;
    std::string virtualWnd_;
    std::string name_;
    bool needsLayout_ = true;
    bool contextMenu_ = false;
    RECT bounds_ = {0, 0, 0, 0};
    RECT padding_ = {0, 0, 0, 0};
    SIZE floatOffset_ = {0, 0};
    SIZE fixedSize_ = {0, 0};
    SIZE minSize_ = {0, 0};
    SIZE maxSize_ = {9999, 9999};
    bool visible_ = true;
    bool parentVisible_ = true;
    bool enabled_ = true;
    bool mouseEnabled_ = true;
    bool keyboardEnabled_ = true;
    bool focused_ = false;
    bool float_ = false;
    bool inSizeListeners_ = false;
    TRelativePos relative_;
    std::string text_;
    std::string toolTip_;
    char shortcut_ = 0;
    std::string userData_;
    UINT_PTR tag_ = 0;
    DWORD backColor1_ = 0;
    DWORD backColor2_ = 0;
    DWORD backColor3_ = 0;
    std::string backImage_;
    std::string foreImage_;
    DWORD borderColor_ = 0;
    DWORD focusBorderColor_ = 0;
    bool colorHSL_ = false;
    int borderSize_ = 0;
    int borderStyle_ = 0;
    int toolTipWidth_ = 300;
    SIZE borderRound_ = {0, 0};
    RECT paintRect_ = {0, 0, 0, 0};
    RECT sideBorders_ = {0, 0, 0, 0};
};

}  // namespace SkinUI
