// CButtonUI: a label with mouse and keyboard states (hot, pushed, focused, disabled), a picture
// and text colour per state, and the "click" notification, sent only when a press and its
// release both happen inside the button (or on Space/Return).
#pragma once

#include <string>

#include "ui/controls/CLabelUI.h"

namespace SkinUI {

// Bits of a button's state.
enum ButtonState : UINT {
    ButtonFocused = 0x01,
    ButtonSelected = 0x02,
    ButtonDisabled = 0x04,
    ButtonHot = 0x08,
    ButtonPushed = 0x10,
    ButtonCaptured = 0x40,
};

class CButtonUI : public CLabelUI {
public:
    CButtonUI();

    LPCSTR GetTypeName() const override;
    void* QueryType(LPCSTR name) override;
    UINT GetInputFlags() override;
    bool Activate() override;
    void SetEnabled(bool enabled = true) override;
    void ProcessEvent(TEventUI& event) override;
    void ApplyAttribute(LPCSTR name, LPCSTR value) override;
    SIZE MeasureSize(SIZE available) override;
    void PaintStateImage(HDC dc) override;
    void PaintText(HDC dc) override;

    UINT GetButtonState() const { return state_; }

    const std::string& GetNormalImage() const { return normalImage_; }
    void SetNormalImage(const std::string& image);
    const std::string& GetHotImage() const { return hotImage_; }
    void SetHotImage(const std::string& image);
    const std::string& GetHotForeImage() const { return hotForeImage_; }
    void SetHotForeImage(const std::string& image);
    const std::string& GetPushedImage() const { return pushedImage_; }
    void SetPushedImage(const std::string& image);
    const std::string& GetPushedForeImage() const { return pushedForeImage_; }
    void SetPushedForeImage(const std::string& image);
    const std::string& GetFocusedImage() const { return focusedImage_; }
    void SetFocusedImage(const std::string& image);
    const std::string& GetDisabledImage() const { return disabledImage_; }
    void SetDisabledImage(const std::string& image);

    DWORD GetHotBkColor() const { return hotBackColor_; }
    void SetHotBkColor(DWORD color) { hotBackColor_ = color; }
    DWORD GetHotTextColor() const { return hotTextColor_; }
    void SetHotTextColor(DWORD color) { hotTextColor_ = color; }
    DWORD GetPushedTextColor() const { return pushedTextColor_; }
    void SetPushedTextColor(DWORD color) { pushedTextColor_ = color; }
    DWORD GetFocusedTextColor() const { return focusedTextColor_; }
    void SetFocusedTextColor(DWORD color) { focusedTextColor_ = color; }

protected:
    // The focused and disabled bits follow the control's own flags at every paint.
    void RefreshStateBits();
    // Draws a picture; one that fails is emptied so it is not tried again.
    bool DrawOrDrop(HDC dc, std::string& image);
    // Text in the bounds less padding with the button's style.
    void DrawButtonText(HDC dc, DWORD color);

    UINT state_ = 0;

private:
    void DrawForeImage(HDC dc);

    DWORD hotBackColor_ = 0;
    DWORD hotTextColor_ = 0;
    DWORD pushedTextColor_ = 0;
    DWORD focusedTextColor_ = 0;
    std::string normalImage_;
    std::string hotImage_;
    std::string hotForeImage_;
    std::string pushedImage_;
    std::string pushedForeImage_;
    std::string focusedImage_;
    std::string disabledImage_;
};

}  // namespace SkinUI
