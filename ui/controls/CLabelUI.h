// CLabelUI: a single line of text with padding, alignment, colours and a font index, drawn as
// plain text or with inline markup, and an optional anti-aliased effect mode (GDI+) with
// gradient brushes, a shadow and an outline. The base of every text-bearing control.
#pragma once

#include "ui/controls/CControlUI.h"

namespace SkinUI {

// GDI text format flags the text controls keep in their style.
enum TextStyle : UINT {
    TextLeft = 0x0,
    TextCenter = 0x1,
    TextRight = 0x2,
    TextVCenter = 0x4,
    TextBottom = 0x8,
    TextWordBreak = 0x10,
    TextSingleLine = 0x20,
    TextCalcRect = 0x400,
    TextEndEllipsis = 0x8000,
};

class CLabelUI : public CControlUI {
public:
    CLabelUI();
    ~CLabelUI() override;

    LPCSTR GetTypeName() const override;
    void* QueryType(LPCSTR name) override;
    // Neither lets a failure out: a window procedure may be on the stack, and nothing may
    // unwind through it. GetText then answers empty text; SetText keeps the old text.
    std::string GetText() const noexcept override;
    void SetText(const std::string& text) noexcept override;
    void ProcessEvent(TEventUI& event) override;
    void ApplyAttribute(LPCSTR name, LPCSTR value) override;
    SIZE MeasureSize(SIZE available) override;
    void PaintText(HDC dc) override;

    // ---- Plain look --------------------------------------------------------------------------
    UINT GetTextStyle() const { return textStyle_; }
    void SetTextStyle(UINT style);
    int GetFont() const { return font_; }
    void SetFont(int index);
    DWORD GetTextColor() const { return textColor_; }
    void SetTextColor(DWORD color);
    DWORD GetDisabledTextColor() const { return disabledTextColor_; }
    void SetDisabledTextColor(DWORD color);
    RECT GetTextPadding() const { return textPadding_; }
    void SetTextPadding(const RECT& padding);
    bool IsShowHtml() const { return showHtml_; }
    void SetShowHtml(bool show = true);

    // ---- Effect mode (the setters only store) ---------------------------------------------
    bool IsEnabledEffect() const { return effectEnabled_; }
    void SetEnabledEffect(bool enabled) { effectEnabled_ = enabled; }
    bool IsEnabledStroke() const { return strokeEnabled_; }
    void SetEnabledStroke(bool enabled) { strokeEnabled_ = enabled; }
    bool IsEnabledShadow() const { return shadowEnabled_; }
    void SetEnabledShadow(bool enabled) { shadowEnabled_ = enabled; }
    DWORD GetTextColor1() const { return textColor2_; }
    void SetTextColor1(DWORD color) { textColor2_ = color; }
    DWORD GetTextShadowColorA() const { return shadowColorA_; }
    void SetTextShadowColorA(DWORD color) { shadowColorA_ = color; }
    DWORD GetTextShadowColorB() const { return shadowColorB_; }
    void SetTextShadowColorB(DWORD color) { shadowColorB_ = color; }
    DWORD GetStrokeColor() const { return strokeColor_; }
    void SetStrokeColor(DWORD color) { strokeColor_ = color; }
    int GetGradientAngle() const { return gradientAngle_; }
    void SetGradientAngle(int angle) { gradientAngle_ = angle; }
    int GetGradientLength() const { return gradientLength_; }
    void SetGradientLength(int length) { gradientLength_ = length; }
    int GetTransShadow() const { return shadowAlpha1_; }
    void SetTransShadow(int alpha) { shadowAlpha1_ = alpha; }
    int GetTransShadow1() const { return shadowAlpha2_; }
    void SetTransShadow1(int alpha) { shadowAlpha2_ = alpha; }
    int GetTransText() const { return textAlpha1_; }
    void SetTransText(int alpha) { textAlpha1_ = alpha; }
    int GetTransText1() const { return textAlpha2_; }
    void SetTransText1(int alpha) { textAlpha2_ = alpha; }
    int GetTransStroke() const { return strokeAlpha_; }
    void SetTransStroke(int alpha) { strokeAlpha_ = alpha; }
    int GetTextRenderingHint() const { return renderingHint_; }
    void SetTextRenderingHint(int hint) { renderingHint_ = (hint >= 0 && hint <= 5) ? hint : 0; }
    int GetEffectHAlign() const { return effectHAlign_; }
    int GetEffectVAlign() const { return effectVAlign_; }
    float GetShadowOffsetX() const { return shadowOffsetX_; }
    float GetShadowOffsetY() const { return shadowOffsetY_; }
    const std::string& GetEffectText() const { return effectText_; }
    // The GDI+ start-up of this label succeeded (effect mode draws nothing otherwise).
    bool IsGdiplusStarted() const { return gdiplusToken_ != 0; }

protected:
    void ScaleGeometry(int from, int to) override;
    // Fills in the manager's default colours for colours still 0 (once; they are stored).
    void FillDefaultColors();
    // Text-metric height of this label's font; 0 without a manager.
    int FontHeight() const;
    // Plain or markup text in `rect` with the given colour and style.
    void DrawLabelText(HDC dc, RECT rect, DWORD color, UINT style);
    RECT TextRect() const;

    DWORD textColor_ = 0;
    DWORD disabledTextColor_ = 0;
    int font_ = -1;
    UINT textStyle_ = TextVCenter;
    RECT textPadding_ = {0, 0, 0, 0};
    bool showHtml_ = false;

private:
    void PaintEffectText(HDC dc, const RECT& rect);
    void ApplyShadowOffset(int offset, int angle);

    int effectHAlign_ = 0;
    int effectVAlign_ = 1;
    int shadowAlpha1_ = 60;
    int shadowAlpha2_ = 60;
    int textAlpha1_ = 168;
    int textAlpha2_ = 168;
    int strokeAlpha_ = 255;
    int gradientLength_ = 0;
    int gradientAngle_ = 0;
    bool effectEnabled_ = false;
    bool strokeEnabled_ = false;
    bool shadowEnabled_ = false;
    DWORD textColor2_ = 0xFFFFFFFF;
    DWORD shadowColorA_ = 0xFF000000;
    DWORD shadowColorB_ = 0xFFFFFFFF;
    DWORD strokeColor_ = 0;
    float shadowOffsetX_ = 0.0f;
    float shadowOffsetY_ = 0.0f;
    std::string effectText_;
    ULONG_PTR gdiplusToken_ = 0;
    int renderingHint_ = 0;
};

}  // namespace SkinUI
