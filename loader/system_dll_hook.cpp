// Where loader.exe's delay-imported DLLs come from. The DLLs it imports that are not
// KnownDLLs (VERSION, bcrypt, CRYPT32, gdiplus) are delay-loaded (see loader/CMakeLists.txt):
// imported the ordinary way, Windows would resolve them before the first line of WinMain,
// and a DLL of that name beside loader.exe (in a Downloads folder, say) would run as
// administrator. The delay-load helper asks this hook first, and the hook loads each one by
// its full System32 path, so no search order is ever consulted for them.
#include <windows.h>

#include <delayimp.h>

#include <string>

namespace {

FARPROC WINAPI LoadFromSystemFolder(unsigned notice, PDelayLoadInfo info) {
    if (notice != dliNotePreLoadLibrary || info == nullptr || info->szDll == nullptr) {
        return nullptr;
    }
    char folder[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryA(folder, MAX_PATH);
    HMODULE module = nullptr;
    if (length > 0 && length < MAX_PATH) {
        module = LoadLibraryA((std::string(folder) + "\\" + info->szDll).c_str());
    }
    // Returning null would let the helper search for the bare name: a system DLL that is not
    // in the system folder ends the process instead.
    if (module == nullptr) ExitProcess(1);
    return reinterpret_cast<FARPROC>(module);
}

}  // namespace

// The delay-load helper's documented hook; it has to be a variable of this name.
extern "C" {
PfnDliHook __pfnDliNotifyHook2 = LoadFromSystemFolder;
}
