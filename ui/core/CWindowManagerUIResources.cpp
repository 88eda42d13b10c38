// CWindowManagerUI resources: fonts (with lazily measured metrics), the image cache keyed by
// name, and the per-tag default attribute lists. Look-ups fall back to the resource parents.
#include <cctype>
#include <cstdlib>

#include "ui/controls/CRenderer.h"
#include "ui/controls/RenderGeometry.h"
#include "ui/core/CWindowManagerUI.h"

namespace SkinUI {

namespace {

// The logical font every skin font starts from; `size` in 96-DPI pixels, drawn at `dpi`.
LOGFONTA BaseLogFont(const std::string& face, int size, bool bold, bool underline, bool italic,
                     int dpi) {
    LOGFONTA lf = {};
    ::GetObjectA(::GetStockObject(DEFAULT_GUI_FONT), sizeof(lf), &lf);
    lstrcpynA(lf.lfFaceName, face.c_str(), LF_FACESIZE);  // at most 31 bytes
    lf.lfHeight = -ScaleForDpi(size, 96, dpi);
    lf.lfCharSet = DEFAULT_CHARSET;
    if (bold) lf.lfWeight += FW_BOLD;
    if (underline) lf.lfUnderline = TRUE;
    if (italic) lf.lfItalic = TRUE;
    return lf;
}

void FillRecord(TFontInfo& info, const std::string& face, int size, bool bold, bool underline,
                bool italic) {
    info.faceName = face;
    info.size = size;
    info.bold = bold;
    info.underline = underline;
    info.italic = italic;
    info.metrics = TEXTMETRICA{};
}

}  // namespace

void CWindowManagerUI::MeasureFont(TFontInfo& info) {
    if (paintDC_.get() == nullptr || !info.font) return;
    SelectGuard select(paintDC_.get(), info.font.get());
    ::GetTextMetricsA(paintDC_.get(), &info.metrics);
}

void CWindowManagerUI::RecreateFont(TFontInfo& info) {
    const LOGFONTA lf =
        BaseLogFont(info.faceName, info.size, info.bold, info.underline, info.italic, dpi_);
    HFONT font = ::CreateFontIndirectA(&lf);
    if (font == nullptr) return;  // the old handle stays usable
    // Controls ask for fonts by index when they draw, so replacing the handle in place is
    // enough; the metrics are measured again on first use.
    info.font.reset(font);
    info.metrics = TEXTMETRICA{};
}

HFONT CWindowManagerUI::AddFont(const std::string& face, int size, bool bold, bool underline,
                                bool italic) {
    const LOGFONTA lf = BaseLogFont(face, size, bold, underline, italic, dpi_);
    HFONT font = ::CreateFontIndirectA(&lf);
    if (font == nullptr) return nullptr;
    auto info = std::make_unique<TFontInfo>();
    info->font.reset(font);
    FillRecord(*info, face, size, bold, underline, italic);
    MeasureFont(*info);
    fonts_.push_back(std::move(info));
    return font;
}

HFONT CWindowManagerUI::SetDefaultFont(const std::string& face, int size, bool bold, bool underline,
                                       bool italic) {
    const LOGFONTA lf = BaseLogFont(face, size, bold, underline, italic, dpi_);
    HFONT font = ::CreateFontIndirectA(&lf);
    if (font == nullptr) return nullptr;
    defaultFont_.font.reset(font);
    FillRecord(defaultFont_, face, size, bold, underline, italic);
    MeasureFont(defaultFont_);
    skinDefaultFont_ = true;
    return font;
}

HFONT CWindowManagerUI::GetFont(int index) {
    if (index >= 0 && index < static_cast<int>(fonts_.size())) return fonts_[index]->font.get();
    return GetDefaultFontInfo()->font.get();
}

TFontInfo* CWindowManagerUI::GetFontInfo(int index) {
    if (index < 0 || index >= static_cast<int>(fonts_.size())) return GetDefaultFontInfo();
    TFontInfo* info = fonts_[index].get();
    if (info->metrics.tmHeight == 0) MeasureFont(*info);
    return info;
}

TFontInfo* CWindowManagerUI::GetFontInfo(HFONT font) {
    for (CWindowManagerUI* m = this; m != nullptr; m = m->resourceParent_) {
        for (auto& info : m->fonts_) {
            if (info->font.get() == font) {
                if (info->metrics.tmHeight == 0) m->MeasureFont(*info);
                return info.get();
            }
        }
    }
    return GetDefaultFontInfo();
}

HFONT CWindowManagerUI::FindFont(const std::string& face, int size, bool bold, bool underline,
                                 bool italic) const {
    for (const CWindowManagerUI* m = this; m != nullptr; m = m->resourceParent_) {
        for (const auto& info : m->fonts_) {
            if (info->faceName == face && info->size == size && info->bold == bold &&
                info->underline == underline && info->italic == italic) {
                return info->font.get();
            }
        }
    }
    return nullptr;
}

TFontInfo* CWindowManagerUI::GetDefaultFontInfo() {
    CWindowManagerUI* top = TopResourceManager();
    if (top->defaultFont_.metrics.tmHeight == 0) top->MeasureFont(top->defaultFont_);
    return &top->defaultFont_;
}

const TImageInfo* CWindowManagerUI::AddImage(const std::string& name, const char* type, DWORD mask,
                                             bool gray) {
    std::unique_ptr<TImageInfo> image;
    if (type != nullptr) {
        // A resource picture is named by its number.
        if (name.empty() || !std::isdigit(static_cast<unsigned char>(name[0]))) return nullptr;
        const auto id = static_cast<WORD>(std::strtoul(name.c_str(), nullptr, 10) & 0xFFFF);
        image = CRenderer::LoadImage(MAKEINTRESOURCEA(id), type, mask, gray);
    } else {
        image = CRenderer::LoadImage(name.c_str(), nullptr, mask, gray);
    }
    if (!image) return nullptr;
    image->resType = type != nullptr ? type : "";
    image->mask = mask;
    image->gray = gray;
    auto inserted = images_.emplace(name, std::move(image));
    // A taken name keeps its picture; the new one is released with `image`'s remains.
    return inserted.second ? inserted.first->second.get() : nullptr;
}

const TImageInfo* CWindowManagerUI::GetImage(const std::string& name) const {
    auto it = images_.find(name);
    return it != images_.end() ? it->second.get() : nullptr;
}

const TImageInfo* CWindowManagerUI::GetImageOrLoad(const std::string& name, const char* type,
                                                   DWORD mask, bool gray) {
    if (const TImageInfo* image = GetImage(name)) return image;
    AddImage(name, type, mask, gray);
    return GetImage(name);
}

void CWindowManagerUI::AddDefaultAttributes(const std::string& tagName, const std::string& list) {
    defaultAttributes_.emplace(tagName, list);  // the first list for a tag stays
}

const std::string* CWindowManagerUI::GetDefaultAttributes(const std::string& tagName) const {
    for (const CWindowManagerUI* m = this; m != nullptr; m = m->resourceParent_) {
        auto it = m->defaultAttributes_.find(tagName);
        if (it != m->defaultAttributes_.end()) return &it->second;
    }
    return nullptr;
}

}  // namespace SkinUI
