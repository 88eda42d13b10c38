// CProgressUI: a label whose fore image covers the part of its bounds that matches its value,
// horizontally from the left or vertically from the bottom, either squeezed into that part
// ("isstretchfore") or cut to it.
#pragma once

#include <string>

#include "ui/controls/CLabelUI.h"

namespace SkinUI {

class CProgressUI : public CLabelUI {
public:
    CProgressUI();

    LPCSTR GetTypeName() const override;
    void* QueryType(LPCSTR name) override;
    void ApplyAttribute(LPCSTR name, LPCSTR value) override;
    void PaintStateImage(HDC dc) override;

    bool IsHorizontal() const { return horizontal_; }
    void SetHorizontal(bool horizontal = true);
    bool IsStretchForeImage() const { return stretchForeImage_; }
    void SetStretchForeImage(bool stretch = true);
    int GetMinValue() const { return min_; }
    void SetMinValue(int value);
    int GetMaxValue() const { return max_; }
    void SetMaxValue(int value);
    int GetValue() const { return value_; }
    void SetValue(int value);
    // Hides the base's setter: invalidates only when the picture changes.
    void SetForeImage(const std::string& image);
    // The modifier of the last paint: the part of the bounds the fore image was drawn into.
    const std::string& GetForeImageModifier() const { return foreModifier_; }

private:
    bool horizontal_ = true;
    bool stretchForeImage_ = true;
    int max_ = 100;
    int min_ = 0;
    int value_ = 0;
    std::string foreModifier_;
};

}  // namespace SkinUI
