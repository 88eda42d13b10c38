// CRenderer picture loading: bytes from a resource, a file under the resource path or an
// archived skin, decoded with stb_image and turned into a premultiplied top-down 32-bit DIB.
#include <cmath>
#include <cstring>

#include "ui/controls/CRenderer.h"
#include "ui/controls/StbImage.h"
#include "ui/core/CWindowManagerUI.h"

namespace SkinUI {

namespace {

ZipEntryReader& ZipReader() {
    static ZipEntryReader reader = nullptr;
    return reader;
}

bool ReadResource(LPCSTR name, LPCSTR type, std::vector<unsigned char>& bytes) {
    const HINSTANCE module = CWindowManagerUI::GetResourceInstance();
    HRSRC info = ::FindResourceA(module, name, type);
    if (info == nullptr) return false;
    HGLOBAL loaded = ::LoadResource(module, info);
    if (loaded == nullptr) return false;
    const DWORD size = ::SizeofResource(module, info);
    const void* data = ::LockResource(loaded);
    if (size == 0 || data == nullptr) {
        ::FreeResource(loaded);
        return false;
    }
    const auto* begin = static_cast<const unsigned char*>(data);
    bytes.assign(begin, begin + size);
    ::FreeResource(loaded);
    return true;
}

bool ReadWholeFile(const std::string& path, std::vector<unsigned char>& bytes) {
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    const DWORD size = ::GetFileSize(file, nullptr);
    bool ok = false;
    if (size != INVALID_FILE_SIZE && size > 0) {
        bytes.resize(size);
        DWORD read = 0;
        ok = ::ReadFile(file, bytes.data(), size, &read, nullptr) && read == size;
        if (!ok) bytes.clear();  // a short read is worth nothing
    }
    ::CloseHandle(file);
    return ok;
}

bool ReadNamedPicture(LPCSTR name, std::vector<unsigned char>& bytes) {
    const std::string& zip = CWindowManagerUI::GetResourceZip();
    if (zip.empty()) {
        if (ReadWholeFile(CWindowManagerUI::GetResourcePath() + name, bytes)) return true;
    } else if (ZipReader() != nullptr) {
        if (ZipReader()(CWindowManagerUI::GetResourcePath() + zip, name, bytes) && !bytes.empty()) {
            return true;
        }
    }
    bytes.clear();
    return ReadWholeFile(name, bytes);
}

}  // namespace

void CRenderer::SetZipEntryReader(ZipEntryReader reader) {
    ZipReader() = reader;
}

std::unique_ptr<TImageInfo> CRenderer::LoadImage(LPCSTR name, LPCSTR type, DWORD mask, bool gray) {
    std::vector<unsigned char> bytes;
    const bool found = type != nullptr ? ReadResource(name, type, bytes)
                                       : name != nullptr && ReadNamedPicture(name, bytes);
    if (!found || bytes.empty()) return nullptr;

    int width = 0, height = 0, channels = 0;
    unsigned char* pixels = stbi_load_from_memory(bytes.data(), static_cast<int>(bytes.size()),
                                                  &width, &height, &channels, 4);
    bytes.clear();
    if (pixels == nullptr) return nullptr;

    BITMAPINFO bmi = {};
    bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bmi.bmiHeader.biWidth = width;
    bmi.bmiHeader.biHeight = -height;  // top-down
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    bmi.bmiHeader.biCompression = BI_RGB;
    bmi.bmiHeader.biSizeImage = static_cast<DWORD>(width) * height * 4;
    void* bits = nullptr;
    HBITMAP created = ::CreateDIBSection(nullptr, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (created == nullptr || bits == nullptr) {
        if (created != nullptr) ::DeleteObject(created);
        stbi_image_free(pixels);
        return nullptr;
    }
    auto image = std::make_unique<TImageInfo>();
    image->bitmap.reset(created);
    image->width = width;
    image->height = height;

    auto* out = static_cast<unsigned char*>(bits);
    const std::size_t count = static_cast<std::size_t>(width) * height;
    for (std::size_t i = 0; i < count; ++i) {
        const unsigned char* in = pixels + i * 4;  // red, green, blue, alpha
        unsigned char* px = out + i * 4;           // blue, green, red, alpha
        const unsigned a = in[3];
        px[3] = static_cast<unsigned char>(a);
        if (a == 255) {
            px[0] = in[2];
            px[1] = in[1];
            px[2] = in[0];
        } else {
            px[0] = static_cast<unsigned char>(in[2] * a / 255);
            px[1] = static_cast<unsigned char>(in[1] * a / 255);
            px[2] = static_cast<unsigned char>(in[0] * a / 255);
            image->hasAlpha = true;
        }
        if (gray) {
            const auto g =
                static_cast<unsigned char>(0.299 * px[2] + 0.587 * px[1] + 0.114 * px[0]);
            px[0] = px[1] = px[2] = g;
        } else {
            DWORD value;
            std::memcpy(&value, px, 4);
            if (value == mask) {
                std::memset(px, 0, 4);
                image->hasAlpha = true;
            }
        }
    }
    stbi_image_free(pixels);
    return image;
}

}  // namespace SkinUI
