// CControlUI: geometry, state, attributes, events and the five paint steps of every control.
//
//   1. Construction, destruction, identity
//   2. Geometry and layout requests
//   3. State flags
//   4. Look (colours, images, borders)
//   5. Search, events, attributes
//   6. Painting
#include "ui/controls/CControlUI.h"

#include <cstring>

#include "ui/controls/AttributeValue.h"
#include "ui/controls/CRenderer.h"
#include "ui/controls/RenderGeometry.h"
#include "ui/core/CAccessibleUI.h"
#include "ui/core/CWindowManagerUI.h"

namespace SkinUI {

namespace {

bool Intersect(RECT& out, const RECT& a, const RECT& b) {
    return ::IntersectRect(&out, &a, &b) != FALSE;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// 1. Construction, destruction, identity
// ---------------------------------------------------------------------------------------------

CControlUI::CControlUI() = default;

CControlUI::~CControlUI() {
    if (DestroyListeners) {
        DestroyListeners(this);
    }
    if (manager_ != nullptr) {
        manager_->ReapObjects(this);
    }
}

std::string CControlUI::GetName() const {
    return name_;
}
void CControlUI::SetName(const std::string& name) {
    name_ = name;
}
LPCSTR CControlUI::GetTypeName() const {
    return "ControlUI";
}

void* CControlUI::QueryType(LPCSTR name) {
    return std::strcmp(name, "Control") == 0 ? this : nullptr;
}

UINT CControlUI::GetInputFlags() {
    return 0;
}

bool CControlUI::Activate() {
    return IsVisible() && IsEnabled();
}

CWindowManagerUI* CControlUI::GetManager() const {
    return manager_;
}

void CControlUI::AttachManager(CWindowManagerUI* manager, CControlUI* parent, bool initialise) {
    manager_ = manager;
    parent_ = parent;
    if (manager_ != nullptr) ScaleTo(manager_->GetDpi());
    if (initialise && parent_ != nullptr) {
        Initialise();
    }
}

CControlUI* CControlUI::GetParent() const {
    return parent_;
}
std::string CControlUI::GetText() const {
    return text_;
}

void CControlUI::SetText(const std::string& text) {
    if (text_ == text) return;
    text_ = text;
    Invalidate();
}

// ---------------------------------------------------------------------------------------------
// 2. Geometry and layout requests
// ---------------------------------------------------------------------------------------------

const RECT& CControlUI::GetBounds() const {
    return bounds_;
}

void CControlUI::SetBounds(const RECT& rect) {
    RECT r = rect;
    if (r.right < r.left) r.right = r.left;
    if (r.bottom < r.top) r.bottom = r.top;

    RECT invalid = bounds_;
    if (::IsRectEmpty(&invalid)) invalid = r;

    bounds_ = r;
    if (manager_ == nullptr) return;

    if (!inSizeListeners_) {
        inSizeListeners_ = true;
        if (SizeListeners) SizeListeners(this);
        inSizeListeners_ = false;
    }

    if (float_ && parent_ != nullptr) {
        // Keep the anchoring: a non-negative offset counts from the parent's left/top, a
        // negative one from its right/bottom.
        const RECT& p = parent_->GetBounds();
        // Coordinates may lie far apart at the ends of the range: differences in 64 bits.
        auto difference = [](LONG a, LONG b) { return SaturateInt(static_cast<long long>(a) - b); };
        floatOffset_.cx = floatOffset_.cx >= 0 ? difference(bounds_.left, p.left)
                                               : difference(bounds_.right, p.right);
        floatOffset_.cy = floatOffset_.cy >= 0 ? difference(bounds_.top, p.top)
                                               : difference(bounds_.bottom, p.bottom);
        fixedSize_.cx = difference(bounds_.right, bounds_.left);
        fixedSize_.cy = difference(bounds_.bottom, bounds_.top);
    }

    needsLayout_ = false;

    ::UnionRect(&invalid, &invalid, &bounds_);
    for (CControlUI* up = parent_; up != nullptr; up = up->GetParent()) {
        RECT clipped;
        if (!Intersect(clipped, invalid, up->GetBounds())) return;
        invalid = clipped;
    }
    manager_->Invalidate(invalid);
}

int CControlUI::GetWidth() const {
    return bounds_.right - bounds_.left;
}
int CControlUI::GetHeight() const {
    return bounds_.bottom - bounds_.top;
}
int CControlUI::GetLeft() const {
    return bounds_.left;
}
int CControlUI::GetTop() const {
    return bounds_.top;
}
RECT CControlUI::GetPadding() const {
    return padding_;
}

void CControlUI::SetPadding(const RECT& padding) {
    padding_ = padding;
    MarkParentForLayout();
}

SIZE CControlUI::GetFloatOffset() const {
    return floatOffset_;
}

void CControlUI::SetFloatOffset(SIZE offset) {
    floatOffset_ = offset;
    if (float_) {
        MarkForLayout();
    } else {
        MarkParentForLayout();
    }
}

int CControlUI::GetFixedWidth() const {
    return fixedSize_.cx;
}

void CControlUI::SetFixedWidth(int cx) {
    if (cx < 0) return;
    fixedSize_.cx = cx;
    if (float_) {
        MarkForLayout();
    } else {
        MarkParentForLayout();
    }
}

int CControlUI::GetFixedHeight() const {
    return fixedSize_.cy;
}

void CControlUI::SetFixedHeight(int cy) {
    if (cy < 0) return;
    fixedSize_.cy = cy;
    if (float_) {
        MarkForLayout();
    } else {
        MarkParentForLayout();
    }
}

namespace {

// The shared rule of the min/max setters: ignored if negative or unchanged.
template <class Control>
void SetLimit(Control* control, LONG& field, int value) {
    if (value < 0 || field == value) return;
    field = value;
    if (control->IsFloat()) {
        control->MarkForLayout();
    } else {
        control->MarkParentForLayout();
    }
}

}  // namespace

int CControlUI::GetMinWidth() const {
    return minSize_.cx;
}
void CControlUI::SetMinWidth(int cx) {
    SetLimit(this, minSize_.cx, cx);
}
int CControlUI::GetMaxWidth() const {
    return maxSize_.cx;
}
void CControlUI::SetMaxWidth(int cx) {
    SetLimit(this, maxSize_.cx, cx);
}
int CControlUI::GetMinHeight() const {
    return minSize_.cy;
}
void CControlUI::SetMinHeight(int cy) {
    SetLimit(this, minSize_.cy, cy);
}
int CControlUI::GetMaxHeight() const {
    return maxSize_.cy;
}
void CControlUI::SetMaxHeight(int cy) {
    SetLimit(this, maxSize_.cy, cy);
}

void CControlUI::ScaleTo(int dpi) {
    if (dpi <= 0 || dpi == dpi_) return;
    ScaleGeometry(dpi_, dpi);
    dpi_ = dpi;
    if (float_) {
        MarkForLayout();
    } else {
        MarkParentForLayout();
    }
}

int CControlUI::Px(int skinPixels) const {
    return ScaleForDpi(skinPixels, 96, dpi_);
}

void CControlUI::ScaleRect(RECT& rect, int from, int to) {
    rect.left = ScaleForDpi(rect.left, from, to);
    rect.top = ScaleForDpi(rect.top, from, to);
    rect.right = ScaleForDpi(rect.right, from, to);
    rect.bottom = ScaleForDpi(rect.bottom, from, to);
}

void CControlUI::ScaleGeometry(int from, int to) {
    auto scale = [from, to](LONG& v) { v = ScaleForDpi(v, from, to); };
    auto scaleRect = [from, to](RECT& r) { ScaleRect(r, from, to); };
    // The "no limit" maximum stays what it is at every scale.
    auto scaleLimit = [&scale](LONG& v) {
        if (v < 9999) scale(v);
    };
    scaleRect(bounds_);
    scaleRect(padding_);
    scaleRect(sideBorders_);
    scale(floatOffset_.cx);
    scale(floatOffset_.cy);
    scale(fixedSize_.cx);
    scale(fixedSize_.cy);
    scale(minSize_.cx);
    scale(minSize_.cy);
    scaleLimit(maxSize_.cx);
    scaleLimit(maxSize_.cy);
    scale(borderRound_.cx);
    scale(borderRound_.cy);
    scale(relative_.base.cx);
    scale(relative_.base.cy);
    borderSize_ = ScaleForDpi(borderSize_, from, to);
}

void CControlUI::SetRelativeRule(int moveX, int moveY, int zoomX, int zoomY) {
    relative_.enabled = true;
    relative_.moveX = moveX;
    relative_.moveY = moveY;
    relative_.zoomX = zoomX;
    relative_.zoomY = zoomY;
}

void CControlUI::SetRelativeBase(int cx, int cy) {
    relative_.base = SIZE{cx, cy};
}
TRelativePos CControlUI::GetRelativeRule() const {
    return relative_;
}
bool CControlUI::HasRelativeRule() const {
    return relative_.enabled;
}

void CControlUI::Invalidate() {
    if (!IsVisible() || manager_ == nullptr) return;
    RECT invalid = bounds_;
    for (CControlUI* up = parent_; up != nullptr; up = up->GetParent()) {
        RECT clipped;
        if (!Intersect(clipped, invalid, up->GetBounds())) return;
        invalid = clipped;
    }
    manager_->Invalidate(invalid);
}

void CControlUI::MarkForLayout() {
    if (!IsVisible()) return;
    needsLayout_ = true;
    Invalidate();
    if (manager_ != nullptr) manager_->NeedUpdate();
}

void CControlUI::MarkParentForLayout() {
    if (parent_ != nullptr) {
        parent_->MarkForLayout();
        parent_->Invalidate();
    } else {
        MarkForLayout();
    }
    if (manager_ != nullptr) manager_->NeedUpdate();
}

// ---------------------------------------------------------------------------------------------
// 3. State flags
// ---------------------------------------------------------------------------------------------

std::string CControlUI::GetToolTip() const {
    return toolTip_;
}

void CControlUI::SetToolTip(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        if (text.compare(i, 3, "<n>") == 0) {
            out += "\r\n";
            i += 3;
        } else {
            out += text[i++];
        }
    }
    toolTip_ = out;
}

void CControlUI::SetToolTipWidth(int width) {
    toolTipWidth_ = width;
}
int CControlUI::GetToolTipWidth() const {
    return toolTipWidth_;
}
char CControlUI::GetShortcut() const {
    return shortcut_;
}
void CControlUI::SetShortcut(char key) {
    shortcut_ = key;
}
bool CControlUI::HasContextMenu() const {
    return contextMenu_;
}
void CControlUI::SetContextMenu(bool menu) {
    contextMenu_ = menu;
}
std::string CControlUI::GetUserData() const {
    return userData_;
}
void CControlUI::SetUserData(const std::string& data) {
    userData_ = data;
}
UINT_PTR CControlUI::GetTag() const {
    return tag_;
}
void CControlUI::SetTag(UINT_PTR tag) {
    tag_ = tag;
}

bool CControlUI::IsVisible() const {
    return visible_ && parentVisible_;
}

void CControlUI::SetVisible(bool visible) {
    if (visible_ == visible) return;
    const bool wasVisible = IsVisible();
    visible_ = visible;
    focused_ = false;
    if (!visible && manager_ != nullptr && manager_->GetFocus() == this) {
        manager_->SetFocus(nullptr);
    }
    if (IsVisible() != wasVisible) {
        MarkParentForLayout();
        CAccessibleUI::NotifyStructure(this);
    }
}

void CControlUI::SetParentVisible(bool visible) {
    parentVisible_ = visible;
    if (!visible && manager_ != nullptr && manager_->GetFocus() == this) {
        manager_->SetFocus(nullptr);
    }
}

bool CControlUI::IsEnabled() const {
    return enabled_;
}

void CControlUI::SetEnabled(bool enabled) {
    if (enabled_ == enabled) return;
    enabled_ = enabled;
    Invalidate();
}

bool CControlUI::IsMouseEnabled() const {
    return mouseEnabled_;
}
void CControlUI::SetMouseEnabled(bool enabled) {
    mouseEnabled_ = enabled;
}
bool CControlUI::IsKeyboardEnabled() const {
    return keyboardEnabled_;
}
void CControlUI::SetKeyboardEnabled(bool enabled) {
    keyboardEnabled_ = enabled;
}
bool CControlUI::IsFocused() const {
    return focused_;
}

void CControlUI::SetFocus() {
    if (manager_ != nullptr) manager_->SetFocus(this);
}

bool CControlUI::IsFloat() const {
    return float_;
}

void CControlUI::SetFloat(bool isFloat) {
    if (float_ == isFloat) return;
    float_ = isFloat;
    MarkParentForLayout();
}

// ---------------------------------------------------------------------------------------------
// 4. Look (colours, images, borders)
// ---------------------------------------------------------------------------------------------

namespace {

template <class Control>
void SetColor(Control* control, DWORD& field, DWORD color) {
    if (field == color) return;
    field = color;
    control->Invalidate();
}

}  // namespace

void CControlUI::SetBkColor(DWORD color) {
    SetColor(this, backColor1_, color);
}
void CControlUI::SetBkColor2(DWORD color) {
    SetColor(this, backColor2_, color);
}
void CControlUI::SetBkColor3(DWORD color) {
    SetColor(this, backColor3_, color);
}
void CControlUI::SetBorderColor(DWORD color) {
    SetColor(this, borderColor_, color);
}
void CControlUI::SetFocusBorderColor(DWORD color) {
    SetColor(this, focusBorderColor_, color);
}

void CControlUI::SetBkImage(const std::string& image) {
    if (backImage_ == image) return;
    backImage_ = image;
    Invalidate();
}

void CControlUI::SetForeImage(const std::string& image) {
    if (foreImage_ == image) return;
    foreImage_ = image;
    Invalidate();
}

void CControlUI::SetColorHSL(bool hsl) {
    if (colorHSL_ == hsl) return;
    colorHSL_ = hsl;
    Invalidate();
}

void CControlUI::SetBorderSize(int size) {
    if (borderSize_ == size) return;
    borderSize_ = size;
    Invalidate();
}

void CControlUI::SetBorderSize(const RECT& sides) {
    sideBorders_ = sides;
    Invalidate();
}

void CControlUI::SetLeftBorderSize(int size) {
    sideBorders_.left = size;
    Invalidate();
}

void CControlUI::SetTopBorderSize(int size) {
    sideBorders_.top = size;
    Invalidate();
}

void CControlUI::SetRightBorderSize(int size) {
    sideBorders_.right = size;
    Invalidate();
}

void CControlUI::SetBottomBorderSize(int size) {
    sideBorders_.bottom = size;
    Invalidate();
}

void CControlUI::SetBorderStyle(int style) {
    borderStyle_ = style;
    Invalidate();
}

void CControlUI::SetBorderRound(SIZE round) {
    borderRound_ = round;
    Invalidate();
}

void CControlUI::SetVirtualWnd(const std::string& name) {
    virtualWnd_ = name;
    if (manager_ != nullptr) manager_->SetUsedVirtualWnd(true);
}

DWORD CControlUI::AdjustColor(DWORD color) const {
    if (!colorHSL_) return color;
    short h = 180, s = 100, l = 100;
    CWindowManagerUI::GetHSL(&h, &s, &l);
    return CRenderer::AdjustColor(color, h, s, l);
}

bool CControlUI::DrawImage(HDC dc, const std::string& descriptor, LPCSTR modifier) {
    return CRenderer::DrawImageString(dc, manager_, bounds_, paintRect_, descriptor.c_str(),
                                      modifier);
}

// ---------------------------------------------------------------------------------------------
// 5. Search, events, attributes
// ---------------------------------------------------------------------------------------------

CControlUI* CControlUI::LocateControl(LocatePredicate predicate, void* data, UINT flags) {
    if ((flags & LocateVisible) != 0 && !IsVisible()) return nullptr;
    if ((flags & LocateEnabled) != 0 && !IsEnabled()) return nullptr;
    if ((flags & LocateHitTest) != 0 &&
        (!mouseEnabled_ || !::PtInRect(&bounds_, *static_cast<const POINT*>(data)))) {
        return nullptr;
    }
    return predicate(this, data);
}

void CControlUI::Initialise() {
    OnInitialise();
    if (InitListeners) InitListeners(this);
}

void CControlUI::OnInitialise() {}

void CControlUI::HandleEvent(TEventUI& event) {
    if (EventListeners && !EventListeners(&event)) return;
    ProcessEvent(event);
}

void CControlUI::ProcessEvent(TEventUI& event) {
    switch (event.type) {
        case EventSetCursor:
            ::SetCursor(::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW)));
            return;
        case EventSetFocus:
        case EventKillFocus:
            focused_ = event.type == EventSetFocus;
            Invalidate();
            return;
        case EventTimer:
            if (manager_ != nullptr) {
                manager_->SendNotify(this, "timer", event.wParam, event.lParam);
            }
            return;
        case EventContextMenu:
            if (HasContextMenu()) {
                if (manager_ != nullptr) {
                    manager_->SendNotify(this, "menu", event.wParam, event.lParam);
                }
                return;
            }
            break;
        default:
            break;
    }
    if (parent_ != nullptr) parent_->ProcessEvent(event);
}

void CControlUI::ApplyAttribute(LPCSTR name, LPCSTR value) {
    auto is = [name](const char* attribute) { return std::strcmp(name, attribute) == 0; };
    int v[4] = {0, 0, 0, 0};
    if (is("pos")) {
        ReadIntegers(value, v, 4);
        for (int& x : v) x = Px(x);
        SetFloatOffset(SIZE{v[0] >= 0 ? v[0] : v[2], v[1] >= 0 ? v[1] : v[3]});
        // Differences of skin values, in 64 bits: a wrapped one could pass as a valid size.
        SetFixedWidth(SaturateInt(static_cast<long long>(v[2]) - v[0]));
        SetFixedHeight(SaturateInt(static_cast<long long>(v[3]) - v[1]));
    } else if (is("relativepos")) {
        ReadIntegers(value, v, 4);
        SetRelativeRule(v[0], v[1], v[2], v[3]);
    } else if (is("padding")) {
        ReadIntegers(value, v, 4);
        SetPadding(RECT{Px(v[0]), Px(v[1]), Px(v[2]), Px(v[3])});
    } else if (is("bkcolor") || is("bkcolor1")) {
        SetBkColor(ReadColor(value));
    } else if (is("bkcolor2")) {
        SetBkColor2(ReadColor(value));
    } else if (is("bkcolor3")) {
        SetBkColor3(ReadColor(value));
    } else if (is("bordercolor")) {
        SetBorderColor(ReadColorNoSkip(value));
    } else if (is("focusbordercolor")) {
        SetFocusBorderColor(ReadColorNoSkip(value));
    } else if (is("colorhsl")) {
        SetColorHSL(AttributeIsTrue(value));
    } else if (is("bordersize")) {
        if (std::strchr(value, ',') != nullptr) {
            ReadIntegers(value, v, 4);
            SetBorderSize(RECT{Px(v[0]), Px(v[1]), Px(v[2]), Px(v[3])});
        } else {
            ReadIntegers(value, v, 1);
            SetBorderSize(Px(v[0]));
            SetBorderSize(RECT{0, 0, 0, 0});
        }
    } else if (is("leftbordersize")) {
        ReadIntegers(value, v, 1);
        SetLeftBorderSize(Px(v[0]));
    } else if (is("topbordersize")) {
        ReadIntegers(value, v, 1);
        SetTopBorderSize(Px(v[0]));
    } else if (is("rightbordersize")) {
        ReadIntegers(value, v, 1);
        SetRightBorderSize(Px(v[0]));
    } else if (is("bottombordersize")) {
        ReadIntegers(value, v, 1);
        SetBottomBorderSize(Px(v[0]));
    } else if (is("borderstyle")) {
        ReadIntegers(value, v, 1);
        SetBorderStyle(v[0]);
    } else if (is("borderround")) {
        ReadIntegers(value, v, 2);
        SetBorderRound(SIZE{Px(v[0]), Px(v[1])});
    } else if (is("bkimage")) {
        SetBkImage(value);
    } else if (is("width")) {
        ReadIntegers(value, v, 1);
        SetFixedWidth(Px(v[0]));
    } else if (is("height")) {
        ReadIntegers(value, v, 1);
        SetFixedHeight(Px(v[0]));
    } else if (is("minwidth")) {
        ReadIntegers(value, v, 1);
        SetMinWidth(Px(v[0]));
    } else if (is("minheight")) {
        ReadIntegers(value, v, 1);
        SetMinHeight(Px(v[0]));
    } else if (is("maxwidth")) {
        ReadIntegers(value, v, 1);
        SetMaxWidth(v[0] < 9999 ? Px(v[0]) : v[0]);
    } else if (is("maxheight")) {
        ReadIntegers(value, v, 1);
        SetMaxHeight(v[0] < 9999 ? Px(v[0]) : v[0]);
    } else if (is("name")) {
        SetName(value);
    } else if (is("text")) {
        SetText(value);
    } else if (is("tooltip")) {
        SetToolTip(value);
    } else if (is("userdata")) {
        SetUserData(value);
    } else if (is("enabled")) {
        SetEnabled(AttributeIsTrue(value));
    } else if (is("mouse")) {
        SetMouseEnabled(AttributeIsTrue(value));
    } else if (is("keyboard")) {
        SetKeyboardEnabled(AttributeIsTrue(value));
    } else if (is("visible")) {
        SetVisible(AttributeIsTrue(value));
    } else if (is("float")) {
        SetFloat(AttributeIsTrue(value));
    } else if (is("shortcut")) {
        SetShortcut(value[0]);
    } else if (is("menu")) {
        SetContextMenu(AttributeIsTrue(value));
    } else if (is("virtualwnd")) {
        SetVirtualWnd(value);
    }
}

CControlUI* CControlUI::ApplyAttributeString(LPCSTR list) {
    // name="value" name="value" ...
    std::string name, value;
    const char* p = list;
    while (p != nullptr && *p != '\0') {
        name.clear();
        value.clear();
        while (*p != '\0' && *p != '=') {
            const char* next = ::CharNextA(p);
            name.append(p, next);
            p = next;
        }
        if (p[0] != '=' || p[1] != '"') break;
        p += 2;
        while (*p != '\0' && *p != '"') {
            const char* next = ::CharNextA(p);
            value.append(p, next);
            p = next;
        }
        if (*p != '"') break;
        ApplyAttribute(name.c_str(), value.c_str());
        ++p;
        if (p[0] != ' ' || p[1] == '\0') break;
        ++p;
    }
    return this;
}

SIZE CControlUI::MeasureSize(SIZE) {
    return fixedSize_;
}

// ---------------------------------------------------------------------------------------------
// 6. Painting
// ---------------------------------------------------------------------------------------------

void CControlUI::Paint(HDC dc, const RECT& paint) {
    if (!Intersect(paintRect_, paint, bounds_)) return;
    auto steps = [this, dc] {
        PaintBackColor(dc);
        PaintBackImage(dc);
        PaintStateImage(dc);
        PaintText(dc);
        PaintBorder(dc);
    };
    if (borderRound_.cx > 0 || borderRound_.cy > 0) {
        CRenderClip clip;
        CRenderClip::GenerateRoundClip(dc, paintRect_, bounds_, borderRound_.cx, borderRound_.cy,
                                       clip);
        steps();
    } else {
        steps();
    }
}

void CControlUI::PaintBackColor(HDC dc) {
    if (backColor1_ == 0) return;
    if (backColor2_ == 0) {
        const bool opaque = (backColor1_ >> 24) == 0xFF;
        CRenderer::DrawColor(dc, opaque ? paintRect_ : bounds_, AdjustColor(backColor1_));
        return;
    }
    if (backColor3_ != 0) {
        RECT upper = bounds_;
        upper.bottom = (bounds_.top + bounds_.bottom) / 2;
        CRenderer::DrawGradient(dc, upper, AdjustColor(backColor1_), AdjustColor(backColor2_), true,
                                8);
        RECT lower = bounds_;
        lower.top = upper.bottom;
        CRenderer::DrawGradient(dc, lower, AdjustColor(backColor2_), AdjustColor(backColor3_), true,
                                8);
        return;
    }
    CRenderer::DrawGradient(dc, bounds_, AdjustColor(backColor1_), AdjustColor(backColor2_), true,
                            16);
}

void CControlUI::PaintBackImage(HDC dc) {
    if (backImage_.empty()) return;
    if (!DrawImage(dc, backImage_)) backImage_.clear();
}

void CControlUI::PaintStateImage(HDC) {}
void CControlUI::PaintText(HDC) {}

void CControlUI::PaintBorder(HDC dc) {
    if (borderColor_ == 0 && focusBorderColor_ == 0) return;
    if (borderSize_ > 0 && (borderRound_.cx > 0 || borderRound_.cy > 0)) {
        const DWORD color = focused_ && focusBorderColor_ != 0 ? focusBorderColor_ : borderColor_;
        CRenderer::DrawRoundRect(dc, bounds_, borderSize_, borderRound_.cx, borderRound_.cy,
                                 AdjustColor(color));
        return;
    }
    if (focused_ && focusBorderColor_ != 0 && borderSize_ > 0) {
        CRenderer::DrawRect(dc, bounds_, borderSize_, AdjustColor(focusBorderColor_));
        return;
    }
    const RECT& b = bounds_;
    const RECT& s = sideBorders_;
    if (s.left > 0 || s.top > 0 || s.right > 0 || s.bottom > 0) {
        const DWORD color = AdjustColor(borderColor_);
        if (s.left > 0) {
            CRenderer::DrawLine(dc, RECT{b.left, b.top, b.left, b.bottom}, s.left, color,
                                borderStyle_);
        }
        if (s.top > 0) {
            CRenderer::DrawLine(dc, RECT{b.left, b.top, b.right, b.top}, s.top, color,
                                borderStyle_);
        }
        if (s.right > 0) {
            CRenderer::DrawLine(dc, RECT{b.right, b.top, b.right, b.bottom}, s.right, color,
                                borderStyle_);
        }
        if (s.bottom > 0) {
            CRenderer::DrawLine(dc, RECT{b.left, b.bottom, b.right, b.bottom}, s.bottom, color,
                                borderStyle_);
        }
        return;
    }
    if (borderSize_ > 0) {
        CRenderer::DrawRect(dc, bounds_, borderSize_, AdjustColor(borderColor_));
    }
}

void CControlUI::PaintOverlay(HDC, const RECT&) {}

}  // namespace SkinUI
