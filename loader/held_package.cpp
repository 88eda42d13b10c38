// The held package and its CNG SHA-256 (see held_package.h).
#include "loader/held_package.h"

#include <bcrypt.h>

#include <memory>
#include <vector>

#include "loader/owned_handle.h"
#include "loader/plain_entry.h"

namespace {

// Large reads keep the system calls few; the hash itself is the cost.
constexpr DWORD kReadSize = 1 << 20;

bool Succeeded(NTSTATUS status) {
    return status >= 0;
}

struct AlgorithmCloser {
    void operator()(void* algorithm) const { BCryptCloseAlgorithmProvider(algorithm, 0); }
};
struct HashCloser {
    void operator()(void* hash) const { BCryptDestroyHash(hash); }
};

}  // namespace

bool HeldPackage::Hold(const std::string& path) {
    Release();
    // No FILE_SHARE_WRITE and no FILE_SHARE_DELETE: writing, deleting and renaming are
    // refused to everyone else while the handle is open. A reparse point is opened itself,
    // and refused below.
    file_ = CreateFileA(
        path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
        FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (!IsHeld()) return false;
    if (!loader::IsPlainEntryAt(file_, path, loader::EntryKind::File)) Release();
    return IsHeld();
}

void HeldPackage::Discard(const std::string& path) {
    Release();
    loader::DeletePlainFile(path);
}

bool HeldPackage::IsImageOf(HANDLE process) const {
    if (!IsHeld()) return false;
    std::vector<wchar_t> image(32768);
    DWORD size = static_cast<DWORD>(image.size());
    if (!QueryFullProcessImageNameW(process, 0, image.data(), &size)) return false;
    const OwnedHandle opened(CreateFileW(
        image.data(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION started = {}, held = {};
    return opened.get() != INVALID_HANDLE_VALUE &&
           GetFileInformationByHandle(opened.get(), &started) &&
           GetFileInformationByHandle(file_, &held) &&
           started.dwVolumeSerialNumber == held.dwVolumeSerialNumber &&
           started.nFileIndexHigh == held.nFileIndexHigh &&
           started.nFileIndexLow == held.nFileIndexLow;
}

long long HeldPackage::Size() const {
    LARGE_INTEGER size = {};
    return IsHeld() && GetFileSizeEx(file_, &size) ? size.QuadPart : -1;
}

void HeldPackage::Release() {
    if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
    file_ = INVALID_HANDLE_VALUE;
}

bool HeldPackage::ComputeSha256(loader::Sha256Digest& digest) const {
    if (!IsHeld()) return false;
    BCRYPT_ALG_HANDLE rawAlgorithm = nullptr;
    if (!Succeeded(BCryptOpenAlgorithmProvider(&rawAlgorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0)))
        return false;
    std::unique_ptr<void, AlgorithmCloser> algorithm(rawAlgorithm);
    BCRYPT_HASH_HANDLE rawHash = nullptr;
    if (!Succeeded(BCryptCreateHash(rawAlgorithm, &rawHash, nullptr, 0, nullptr, 0, 0)))
        return false;
    std::unique_ptr<void, HashCloser> hash(rawHash);

    LARGE_INTEGER start = {};
    if (!SetFilePointerEx(file_, start, nullptr, FILE_BEGIN)) return false;
    std::vector<unsigned char> buffer(kReadSize);
    for (;;) {
        DWORD read = 0;
        if (!ReadFile(file_, buffer.data(), kReadSize, &read, nullptr)) return false;
        if (read == 0) break;
        if (!Succeeded(BCryptHashData(rawHash, buffer.data(), read, 0))) return false;
    }
    loader::Sha256Digest result{};
    if (!Succeeded(BCryptFinishHash(rawHash, result.data(), result.size(), 0))) return false;
    digest = result;
    return true;
}
