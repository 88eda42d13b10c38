// CUiExercise: feeds one input of the robustness run through the UI framework. A skin is built
// with a manager on a real window, attached, laid out and painted at two sizes and driven with
// the mouse; a markup text is measured and drawn at several widths and styles, directly and
// through a text control.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "ui/core/CWindowManagerUI.h"

namespace uirobust {

class CUiExercise {
public:
    CUiExercise();
    ~CUiExercise();
    CUiExercise(const CUiExercise&) = delete;
    CUiExercise& operator=(const CUiExercise&) = delete;

    bool Ready() const { return window_ != nullptr && dc_ != nullptr; }
    void Skin(const std::string& bytes, uint32_t variant);
    void Markup(const std::string& text, uint32_t variant);

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void Pump();

    HWND window_ = nullptr;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ oldBitmap_ = nullptr;
    std::unique_ptr<SkinUI::CWindowManagerUI> markupManager_;
    unsigned markupTexts_ = 0;
};

}  // namespace uirobust
