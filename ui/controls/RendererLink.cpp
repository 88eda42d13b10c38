// The renderer's calls into the window manager; see RendererLink.h.
#include "ui/controls/RendererLink.h"

#include "ui/core/CWindowManagerUI.h"

namespace SkinUI {
namespace RendererLink {

namespace {

TFontRef ToRef(const TFontInfo* info, HDC dc) {
    TFontRef ref;
    if (info == nullptr) return ref;
    ref.font = info->font.get();
    ref.face = info->faceName;
    ref.size = info->size;
    ref.bold = info->bold;
    ref.underline = info->underline;
    ref.italic = info->italic;
    ref.metrics = info->metrics;
    if (ref.metrics.tmHeight == 0 && dc != nullptr && ref.font != nullptr) {
        SelectGuard selected(dc, ref.font);
        ::GetTextMetricsA(dc, &ref.metrics);
    }
    return ref;
}

}  // namespace

HINSTANCE ResourceModule() {
    return CWindowManagerUI::GetResourceInstance();
}
std::string ResourcePath() {
    return CWindowManagerUI::GetResourcePath();
}
std::string ResourceZip() {
    return CWindowManagerUI::GetResourceZip();
}
CZipArchive* CachedZip() {
    if (!CWindowManagerUI::IsCachedResourceZip()) return nullptr;
    return static_cast<CZipArchive*>(CWindowManagerUI::GetResourceZipHandle());
}

const TImageInfo* GetImageOrLoad(CWindowManagerUI* manager, const char* name, const char* type,
                                 DWORD mask, bool gray) {
    return manager->GetImageOrLoad(name, type, mask, gray);
}

TFontRef DefaultFont(CWindowManagerUI* manager, HDC dc) {
    return ToRef(manager->GetDefaultFontInfo(), dc);
}

TFontRef FontAt(CWindowManagerUI* manager, HDC dc, int index) {
    return ToRef(manager->GetFontInfo(index), dc);
}

int Scale(CWindowManagerUI* manager, int value) {
    return manager != nullptr ? manager->Scale(value) : value;
}

int Dpi(CWindowManagerUI* manager) {
    return manager != nullptr ? manager->GetDpi() : 96;
}

TFontRef FindOrAddFont(CWindowManagerUI* manager, HDC dc, const std::string& face, int size,
                       bool bold, bool underline, bool italic) {
    HFONT font = manager->FindFont(face, size, bold, underline, italic);
    if (font == nullptr) font = manager->AddFont(face, size, bold, underline, italic);
    if (font == nullptr) return TFontRef();
    return ToRef(manager->GetFontInfo(font), dc);
}

DWORD LinkColor(CWindowManagerUI* manager) {
    return manager->GetDefaultLinkFontColor();
}
DWORD LinkHoverColor(CWindowManagerUI* manager) {
    return manager->GetDefaultLinkHoverFontColor();
}
DWORD SelectedBkColor(CWindowManagerUI* manager) {
    return manager->GetDefaultSelectedBkColor();
}
POINT MousePos(CWindowManagerUI* manager) {
    return manager->GetMousePos();
}

}  // namespace RendererLink
}  // namespace SkinUI
