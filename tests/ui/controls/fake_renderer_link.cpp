// Stand-in for the window manager's side of the renderer; see fake_renderer_link.h.
#include "fake_renderer_link.h"

#include "ui/controls/CRenderer.h"

namespace SkinUI {

namespace {

RendererLink::TFontRef MakeFont(const std::string& face, int size, bool bold, bool underline,
                                bool italic) {
    RendererLink::TFontRef f;
    f.font = ::CreateFontA(-size, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, italic, underline, 0,
                           DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                           NONANTIALIASED_QUALITY, DEFAULT_PITCH, face.c_str());
    f.face = face;
    f.size = size;
    f.bold = bold;
    f.underline = underline;
    f.italic = italic;
    HDC dc = ::CreateCompatibleDC(nullptr);
    HGDIOBJ old = ::SelectObject(dc, f.font);
    ::GetTextMetricsA(dc, &f.metrics);
    ::SelectObject(dc, old);
    ::DeleteDC(dc);
    return f;
}

}  // namespace

TFakeManagerState::TFakeManagerState() {
    Reset();
}

TFakeManagerState::~TFakeManagerState() {
    for (auto& f : fonts) ::DeleteObject(f.font);
}

void TFakeManagerState::Reset() {
    images.clear();
    for (auto& f : fonts) ::DeleteObject(f.font);
    fonts.clear();
    fonts.push_back(MakeFont("Tahoma", 12, false, false, false));
    module = ::GetModuleHandleA(nullptr);
    path.clear();
    zip.clear();
    linkColor = 0xFF0000FF;
    linkHoverColor = 0xFFD3215F;
    selectedBkColor = 0xFFBAE4FF;
    mouse = {-1, -1};
    imageLoads = 0;
    fontsAdded = 0;
}

TFakeManagerState& FakeManager() {
    static TFakeManagerState state;
    return state;
}

CWindowManagerUI* FakeManagerPointer() {
    static int anchor;
    return reinterpret_cast<CWindowManagerUI*>(&anchor);
}

namespace RendererLink {

HINSTANCE ResourceModule() {
    return FakeManager().module;
}
std::string ResourcePath() {
    return FakeManager().path;
}
std::string ResourceZip() {
    return FakeManager().zip;
}
bool ReadZipEntry(const std::string&, std::string&) {
    return false;
}

const TImageInfo* GetImageOrLoad(CWindowManagerUI*, const char* name, const char* type, DWORD mask,
                                 bool gray) {
    auto& images = FakeManager().images;
    auto it = images.find(name);
    if (it != images.end()) return it->second.get();
    std::unique_ptr<TImageInfo> image;
    if (type != nullptr) {
        if (*name < '0' || *name > '9') return nullptr;
        image = CRenderer::LoadImage(MAKEINTRESOURCEA(atoi(name) & 0xFFFF), type, mask, gray);
    } else {
        image = CRenderer::LoadImage(name, nullptr, mask, gray);
    }
    ++FakeManager().imageLoads;
    if (!image) return nullptr;
    const TImageInfo* p = image.get();
    images[name] = std::move(image);
    return p;
}

TFontRef DefaultFont(CWindowManagerUI*) {
    return FakeManager().fonts[0];
}

TFontRef FontAt(CWindowManagerUI*, int index) {
    auto& fonts = FakeManager().fonts;
    if (index < 0 || index + 1 >= static_cast<int>(fonts.size())) return fonts[0];
    return fonts[static_cast<size_t>(index) + 1];
}

TFontRef FindOrAddFont(CWindowManagerUI*, const std::string& face, int size, bool bold,
                       bool underline, bool italic) {
    auto& fonts = FakeManager().fonts;
    for (size_t i = 1; i < fonts.size(); ++i) {
        const TFontRef& f = fonts[i];
        if (f.face == face && f.size == size && f.bold == bold && f.underline == underline &&
            f.italic == italic)
            return f;
    }
    fonts.push_back(MakeFont(face, size, bold, underline, italic));
    ++FakeManager().fontsAdded;
    return fonts.back();
}

DWORD LinkColor(CWindowManagerUI*) {
    return FakeManager().linkColor;
}
DWORD LinkHoverColor(CWindowManagerUI*) {
    return FakeManager().linkHoverColor;
}
DWORD SelectedBkColor(CWindowManagerUI*) {
    return FakeManager().selectedBkColor;
}
POINT MousePos(CWindowManagerUI*) {
    return FakeManager().mouse;
}

}  // namespace RendererLink
}  // namespace SkinUI
