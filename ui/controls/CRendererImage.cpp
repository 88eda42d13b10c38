// CRenderer: loading pictures (resource, file or zip entry; decoded into premultiplied DIB
// sections) and drawing image descriptors.
#include <cstdint>
#include <string>
#include <vector>

#include "ui/controls/CRenderer.h"
#include "ui/controls/DibSection.h"
#include "ui/controls/ImageDescriptor.h"
#include "ui/controls/PixelConvert.h"
#include "ui/controls/RendererLink.h"
#include "ui/core/ZipArchive.h"

namespace SkinUI {

namespace {

class CFileHandle {
public:
    explicit CFileHandle(HANDLE h) : h_(h) {}
    ~CFileHandle() {
        if (h_ != INVALID_HANDLE_VALUE) ::CloseHandle(h_);
    }
    CFileHandle(const CFileHandle&) = delete;
    CFileHandle& operator=(const CFileHandle&) = delete;
    HANDLE get() const { return h_; }

private:
    HANDLE h_;
};

bool ReadWholeFile(const std::string& path, std::string& bytes) {
    CFileHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) return false;
    const DWORD size = ::GetFileSize(file.get(), nullptr);
    if (size == INVALID_FILE_SIZE || size == 0) return false;
    bytes.resize(size);
    DWORD read = 0;
    if (!::ReadFile(file.get(), &bytes[0], size, &read, nullptr) || read != size) {
        bytes.clear();
        return false;
    }
    return true;
}

bool ReadResource(const char* name, const char* type, std::string& bytes) {
    HMODULE module = RendererLink::ResourceModule();
    HRSRC res = ::FindResourceA(module, name, type);
    if (res == nullptr) return false;
    HGLOBAL global = ::LoadResource(module, res);
    if (global == nullptr) return false;
    const DWORD size = ::SizeofResource(module, res);
    const void* data = ::LockResource(global);
    if (size > 0 && data != nullptr) bytes.assign(static_cast<const char*>(data), size);
    ::FreeResource(global);
    return !bytes.empty();
}

// An entry of the resource zip: from the archive the manager keeps open, or from the archive
// at resource path + zip name, opened for this one read.
bool ReadZipEntry(const std::string& name, std::string& bytes) {
    CZipArchive own;
    CZipArchive* zip = RendererLink::CachedZip();
    if (zip == nullptr || !zip->IsOpen()) {
        if (!own.Open((RendererLink::ResourcePath() + RendererLink::ResourceZip()).c_str()))
            return false;
        zip = &own;
    }
    int index = 0;
    std::uint32_t size = 0;
    if (!zip->FindEntry(name.c_str(), index, size) || size == 0) return false;
    bytes.resize(size);
    const int result = zip->Unzip(index, &bytes[0], size);
    if (result != CZipArchive::kOk && result != CZipArchive::kMoreData) {
        bytes.clear();
        return false;
    }
    return true;
}

bool IsResourceNumber(const char* name) {
    return (reinterpret_cast<ULONG_PTR>(name) >> 16) == 0;
}

}  // namespace

std::unique_ptr<TImageInfo> CRenderer::LoadImage(const char* name, const char* type, DWORD mask,
                                                 bool gray) {
    if (name == nullptr) return nullptr;
    std::string bytes;
    if (type != nullptr) {
        if (!ReadResource(name, type, bytes)) return nullptr;
    } else {
        if (IsResourceNumber(name)) return nullptr;
        if (RendererLink::ResourceZip().empty())
            ReadWholeFile(RendererLink::ResourcePath() + name, bytes);
        else
            ReadZipEntry(name, bytes);
        if (bytes.empty()) ReadWholeFile(name, bytes);
        if (bytes.empty()) return nullptr;
    }
    return LoadImageFromMemory(bytes.data(), bytes.size(), mask, gray);
}

std::unique_ptr<TImageInfo> CRenderer::LoadImageFromMemory(const void* bytes, size_t size,
                                                           DWORD mask, bool gray) {
    CDecodedRgba decoded;
    if (!decoded.Decode(static_cast<const uint8_t*>(bytes), size)) return nullptr;
    uint32_t* bits = nullptr;
    UniqueBitmap bitmap = CreateDib32(nullptr, decoded.Width(), decoded.Height(), &bits);
    if (!bitmap) return nullptr;
    auto image = std::make_unique<TImageInfo>();
    image->hasAlpha =
        ConvertPixels(decoded.Pixels(), static_cast<size_t>(decoded.Width()) * decoded.Height(),
                      mask, gray, bits);
    image->bitmap = std::move(bitmap);
    image->width = decoded.Width();
    image->height = decoded.Height();
    return image;
}

bool CRenderer::DrawImageFile(HDC dc, CWindowManagerUI* manager, const RECT& bounds,
                              const RECT& paint, const std::string& name, LPCSTR type,
                              const RECT& dest, const RECT& source, const RECT& corner, DWORD mask,
                              BYTE fade, bool hole, bool xtiled, bool ytiled, bool gray,
                              const RECT* destCorner, bool smooth) {
    if (name.empty() || manager == nullptr) return false;
    const TImageInfo* image = RendererLink::GetImageOrLoad(
        manager, name.c_str(), type != nullptr && *type != '\0' ? type : nullptr, mask, gray);
    if (image == nullptr) return false;
    RECT src = source;
    if (src.left == 0 && src.top == 0 && src.right == 0 && src.bottom == 0) {
        src.right = image->width;
        src.bottom = image->height;
    }
    if (src.right > image->width) src.right = image->width;
    if (src.bottom > image->height) src.bottom = image->height;
    RECT meet;
    if (!::IntersectRect(&meet, &dest, &bounds)) return true;
    if (!::IntersectRect(&meet, &dest, &paint)) return true;
    DrawBitmap(dc, image->bitmap.get(), dest, paint, src, corner, image->hasAlpha, fade, hole,
               xtiled, ytiled, destCorner, smooth);
    return true;
}

bool CRenderer::DrawImageString(HDC dc, CWindowManagerUI* manager, const RECT& bounds,
                                const RECT& paint, const char* descriptor, const char* modifier) {
    if (dc == nullptr || manager == nullptr) return false;
    const TRectI b = MakeRect(bounds.left, bounds.top, bounds.right, bounds.bottom);
    ParseImageDescriptor(
        descriptor, modifier, b,
        [&](const TImageDrawParams& p) {
            const RECT dest = {p.dest.left, p.dest.top, p.dest.right, p.dest.bottom};
            const RECT source = {p.source.left, p.source.top, p.source.right, p.source.bottom};
            const RECT corner = {p.corner.left, p.corner.top, p.corner.right, p.corner.bottom};
            const RECT drawnCorner = {p.destCorner.left, p.destCorner.top, p.destCorner.right,
                                      p.destCorner.bottom};
            DrawImageFile(dc, manager, bounds, paint, p.name, p.type.c_str(), dest, source, corner,
                          p.mask, p.fade, p.hole, p.xtiled, p.ytiled, p.gray, &drawnCorner,
                          RendererLink::Dpi(manager) != 96);
        },
        RendererLink::Dpi(manager));
    return true;
}

}  // namespace SkinUI
