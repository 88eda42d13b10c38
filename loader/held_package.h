// The downloaded package, held open from its check until its start. While held, no process
// can open it for writing, delete or rename it, so the bytes that were hashed are the bytes
// that start; and the started process's image is checked to be this very file (same volume,
// same file id) before it may run, so not even a link swapped in for a folder on the way can
// make the loader start another.
#pragma once

#include <windows.h>

#include <string>

#include "loader/package_digest.h"

class HeldPackage {
public:
    HeldPackage() = default;
    ~HeldPackage() { Release(); }
    HeldPackage(const HeldPackage&) = delete;
    HeldPackage& operator=(const HeldPackage&) = delete;

    // Opens path for reading, sharing only reading; false when it cannot be opened so, or
    // when path is not the plain file itself (a reparse point, or a name that resolves to
    // another file). An earlier hold is released first.
    bool Hold(const std::string& path);
    // Whether process (with PROCESS_QUERY_LIMITED_INFORMATION) runs the held file's image.
    bool IsImageOf(HANDLE process) const;
    bool IsHeld() const { return file_ != INVALID_HANDLE_VALUE; }
    // The held file's length in bytes; -1 when none is held.
    long long Size() const;
    // The SHA-256 of the held file's bytes, from the platform's CNG; false on any failure.
    bool ComputeSha256(loader::Sha256Digest& digest) const;
    void Release();
    // Releases the hold and deletes path, but only when path is still a plain file of its
    // own: a link swapped in for a refused package is left alone, never followed (deleting
    // through it would delete, as administrator, whatever it points to).
    void Discard(const std::string& path);

private:
    HANDLE file_ = INVALID_HANDLE_VALUE;
};
