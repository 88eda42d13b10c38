// Typed look-up of an export that may be missing on some systems.
#pragma once

#include <windows.h>

namespace SkinUI {

template <class Fn>
Fn ProcAddress(HMODULE module, LPCSTR name) {
    if (module == nullptr) return nullptr;
    // Through void*: FARPROC's own signature says nothing about the real one.
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

}  // namespace SkinUI
