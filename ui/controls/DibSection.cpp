// DIB section creation; see DibSection.h.
#include "ui/controls/DibSection.h"

#include <climits>

namespace SkinUI {

UniqueBitmap CreateDib32(HDC dc, int width, int height, uint32_t** bits) {
    *bits = nullptr;
    if (width <= 0 || height <= 0 || static_cast<long long>(width) * height > INT_MAX / 4)
        return UniqueBitmap();
    BITMAPINFO bmi = {};
    bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bmi.bmiHeader.biWidth = width;
    bmi.bmiHeader.biHeight = -height;  // top-down
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    bmi.bmiHeader.biCompression = BI_RGB;
    bmi.bmiHeader.biSizeImage = static_cast<DWORD>(width) * height * 4;
    void* p = nullptr;
    HBITMAP bmp = ::CreateDIBSection(dc, &bmi, DIB_RGB_COLORS, &p, nullptr, 0);
    if (bmp == nullptr || p == nullptr) {
        if (bmp != nullptr) ::DeleteObject(bmp);
        return UniqueBitmap();
    }
    *bits = static_cast<uint32_t*>(p);
    return UniqueBitmap(bmp);
}

}  // namespace SkinUI
