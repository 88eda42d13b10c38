// The downloaded package, held open from its check until its start. The package lies in the
// user's temporary folder while the elevated loader checks and starts it; any program of that
// user could replace it in between. While held, no process can open it for writing, delete or
// rename it, so the bytes that were hashed are the bytes that start.
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

    // Opens path for reading, sharing only reading; false when it cannot be opened so. An
    // earlier hold is released first.
    bool Hold(const std::string& path);
    bool IsHeld() const { return file_ != INVALID_HANDLE_VALUE; }
    // The SHA-256 of the held file's bytes, from the platform's CNG; false on any failure.
    bool ComputeSha256(loader::Sha256Digest& digest) const;
    void Release();

private:
    HANDLE file_ = INVALID_HANDLE_VALUE;
};
