// One loader per user session (see single_instance.h).
#include "loader/single_instance.h"

#include <aclapi.h>
#include <sddl.h>
#include <winternl.h>

#include <cstring>
#include <string>

namespace {

// Owner Administrators; full access for SYSTEM and Administrators, nobody else.
constexpr char kDescriptor[] = "O:BAD:P(A;;GA;;;SY)(A;;GA;;;BA)";
constexpr char kLocalPrefix[] = "Local\\";

HANDLE CreateLoaderMutex(const char* name, DWORD& error) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(kDescriptor, SDDL_REVISION_1,
                                                              &descriptor, nullptr)) {
        error = GetLastError();
        return nullptr;
    }
    SECURITY_ATTRIBUTES attributes = {sizeof(attributes), descriptor, FALSE};
    const HANDLE mutex = CreateMutexA(&attributes, FALSE, name);
    error = GetLastError();
    LocalFree(descriptor);
    return mutex;
}

bool OwnedByAdministrators(HANDLE object) {
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetSecurityInfo(object, SE_KERNEL_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr,
                        nullptr, nullptr, &descriptor) != ERROR_SUCCESS) {
        return false;
    }
    BYTE administrators[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof(administrators);
    const bool owned =
        owner != nullptr &&
        CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, administrators, &size) &&
        EqualSid(owner, administrators);
    LocalFree(descriptor);
    return owned;
}

// The object manager's name for "Local\<rest>" in this process's session.
std::wstring SessionObjectName(const char* name) {
    DWORD session = 0;
    ProcessIdToSessionId(GetCurrentProcessId(), &session);
    std::string full = session == 0
                           ? "\\BaseNamedObjects\\"
                           : "\\Sessions\\" + std::to_string(session) + "\\BaseNamedObjects\\";
    full += name + (std::strncmp(name, kLocalPrefix, sizeof(kLocalPrefix) - 1) == 0
                        ? sizeof(kLocalPrefix) - 1
                        : 0);
    // In the ANSI code page, as CreateMutexA reads the name.
    const int length = MultiByteToWideChar(CP_ACP, 0, full.c_str(), -1, nullptr, 0);
    if (length <= 1) return L"";
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, full.c_str(), -1, &wide[0], length);
    wide.resize(static_cast<size_t>(length - 1));
    return wide;
}

// Whether object is known to the system by exactly the name it was opened with: a symbolic
// link planted under that name leads to an object with a name of its own.
bool NamedAs(HANDLE object, const char* name) {
    using QueryObject = NTSTATUS(NTAPI*)(HANDLE, OBJECT_INFORMATION_CLASS, PVOID, ULONG, PULONG);
    const HMODULE ntdll = GetModuleHandleA("ntdll.dll");  // in every process, never loaded here
    const auto query = ntdll == nullptr ? nullptr
                                        : reinterpret_cast<QueryObject>(reinterpret_cast<void*>(
                                              GetProcAddress(ntdll, "NtQueryObject")));
    if (query == nullptr) return false;
    // ObjectNameInformation: a UNICODE_STRING followed by its characters.
    alignas(UNICODE_STRING) BYTE buffer[2048];
    ULONG length = 0;
    if (query(object, static_cast<OBJECT_INFORMATION_CLASS>(1), buffer, sizeof(buffer), &length) !=
        0) {
        return false;
    }
    const auto* text = reinterpret_cast<const UNICODE_STRING*>(buffer);
    const std::wstring actual(text->Buffer, text->Length / sizeof(wchar_t));
    return actual == SessionObjectName(name);
}

}  // namespace

SingleInstance::SingleInstance(const char* name) : SingleInstance(ClaimName(name)) {}

SingleInstance::SingleInstance(const Claim& claim)
    : mutex_(claim.held), anotherRuns_(claim.anotherRuns), squatted_(claim.squatted) {}

SingleInstance::Claim SingleInstance::ClaimName(const char* name) {
    Claim claim;
    DWORD error = 0;
    const HANDLE mutex = CreateLoaderMutex(name, error);
    if (mutex == nullptr) {
        // A genuine loader's mutex always opens for an elevated loader: one that does not was
        // made by someone else. Without a mutex (no rights, no memory) the loader runs too:
        // one too many is better than none.
        claim.squatted = error == ERROR_ACCESS_DENIED;
        return claim;
    }
    if (error != ERROR_ALREADY_EXISTS) {
        claim.held = mutex;
        return claim;
    }
    // Someone else's mutex is not held: it guards nothing of this loader's.
    const OwnedHandle existing(mutex);
    if (OwnedByAdministrators(existing.get()) && NamedAs(existing.get(), name)) {
        claim.anotherRuns = true;
    } else {
        claim.squatted = true;
    }
    return claim;
}

void SingleInstance::BringToFront(const char* windowClass, const char* title) {
    const HWND window = FindWindowA(windowClass, title);
    if (window == nullptr || !IsWindowVisible(window)) return;
    if (IsIconic(window)) ShowWindow(window, SW_RESTORE);
    SetForegroundWindow(window);
}
