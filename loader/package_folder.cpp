// The loader's private package folder (see package_folder.h).
#include "loader/package_folder.h"

#include <aclapi.h>
#include <sddl.h>
#include <shlobj.h>

#include <memory>
#include <vector>

#include "loader/plain_entry.h"

namespace {

constexpr DWORD kOpenFlags = FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT;
// Not FILE_SHARE_DELETE: while the loader holds a folder, nobody renames or removes it.
constexpr DWORD kHoldSharing = FILE_SHARE_READ | FILE_SHARE_WRITE;
constexpr int kRunNameAttempts = 16;

struct LocalFreer {
    void operator()(void* memory) const { LocalFree(memory); }
};
struct CoTaskFreer {
    void operator()(wchar_t* text) const { CoTaskMemFree(text); }
};

using Security = std::unique_ptr<void, LocalFreer>;

// The folders' security descriptor (PackageFolder::kSecurityText); null on failure.
Security MakeSecurity() {
    PSECURITY_DESCRIPTOR raw = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(PackageFolder::kSecurityText,
                                                              SDDL_REVISION_1, &raw, nullptr)) {
        return Security();
    }
    return Security(raw);
}

// Sets owner and access list of what handle (opened with WRITE_DAC and WRITE_OWNER) is open
// on to security's: whoever made it first, it is the loader's from now on.
bool TakeOver(HANDLE handle, PSECURITY_DESCRIPTOR security) {
    PSID owner = nullptr;
    PACL accessList = nullptr;
    BOOL present = FALSE, defaulted = FALSE;
    return GetSecurityDescriptorOwner(security, &owner, &defaulted) &&
           GetSecurityDescriptorDacl(security, &present, &accessList, &defaulted) &&
           SetSecurityInfo(handle, SE_FILE_OBJECT,
                           OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION |
                               PROTECTED_DACL_SECURITY_INFORMATION,
                           owner, nullptr, accessList, nullptr) == ERROR_SUCCESS;
}

void Close(HANDLE& handle) {
    if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    handle = INVALID_HANDLE_VALUE;
}

// Opens the folder at path itself, never what a reparse point there leads to, and checks that
// it is a plain folder and that the system's final name of it is path: a link, a junction or
// a mount point anywhere on the way (a Unix symbolic link under wine, which reports no
// reparse point for one) would make that name another.
HANDLE OpenPlainFolder(const std::wstring& path, DWORD access, DWORD sharing) {
    HANDLE folder =
        CreateFileW(path.c_str(), access, sharing, nullptr, OPEN_EXISTING, kOpenFlags, nullptr);
    if (folder != INVALID_HANDLE_VALUE &&
        !loader::IsPlainEntryAt(folder, path, loader::EntryKind::Folder)) {
        Close(folder);
    }
    return folder;
}

// The ANSI text of path, or empty when the code page cannot spell it exactly.
std::string Narrow(const std::wstring& path) {
    BOOL lossy = FALSE;
    const int size = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, path.c_str(), -1, nullptr, 0,
                                         nullptr, &lossy);
    if (size <= 1 || lossy) return {};
    std::string text(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, path.c_str(), -1, &text[0], size, nullptr,
                        &lossy);
    text.resize(static_cast<std::size_t>(size - 1));
    return lossy ? std::string() : text;
}

// The folders of earlier runs and the packages in them: every update would otherwise leave its
// installer behind under ProgramData, which no cleaner empties. Only plain folders named run-*
// and the plain files in them go; a link, anything a user may have put there before the
// folder became the loader's, and a package still running are left alone.
void RemoveEarlierRuns(const std::wstring& publisher) {
    WIN32_FIND_DATAW run = {};
    HANDLE runs = FindFirstFileExW((publisher + L"\\run-*").c_str(), FindExInfoBasic, &run,
                                   FindExSearchNameMatch, nullptr, 0);
    if (runs == INVALID_HANDLE_VALUE) return;
    do {
        if ((run.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 ||
            (run.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
            continue;
        }
        const std::wstring folder = publisher + L"\\" + run.cFileName;
        HANDLE held = OpenPlainFolder(folder, FILE_LIST_DIRECTORY, kHoldSharing);
        if (held == INVALID_HANDLE_VALUE) continue;
        bool emptied = true;
        WIN32_FIND_DATAW entry = {};
        HANDLE entries = FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &entry,
                                          FindExSearchNameMatch, nullptr, 0);
        if (entries != INVALID_HANDLE_VALUE) {
            do {
                const std::wstring name = entry.cFileName;
                if (name == L"." || name == L"..") continue;
                if (!loader::DeletePlainFile(folder + L"\\" + name)) emptied = false;
            } while (FindNextFileW(entries, &entry));
            FindClose(entries);
        }
        Close(held);
        if (emptied) RemoveDirectoryW(folder.c_str());
    } while (FindNextFileW(runs, &run));
    FindClose(runs);
}

}  // namespace

bool PackageFolder::Prepare(const std::string& key) {
    Release();
    wchar_t* rawProgramData = nullptr;
    if (FAILED(SHGetKnownFolderPath(FOLDERID_ProgramData, 0, nullptr, &rawProgramData))) {
        CoTaskMemFree(rawProgramData);
        return false;
    }
    const std::unique_ptr<wchar_t, CoTaskFreer> programData(rawProgramData);
    const std::wstring wideKey = loader::Widen(key);
    if (wideKey.empty() || wideKey.find_first_of(L"\\/:") != std::wstring::npos) return false;

    const Security security = MakeSecurity();
    if (!security) return false;
    SECURITY_ATTRIBUTES attributes = {sizeof(attributes), security.get(), FALSE};

    // ProgramData itself belongs to the system; it must only not be a link.
    const std::wstring base = programData.get();
    HANDLE baseFolder = OpenPlainFolder(base, FILE_READ_ATTRIBUTES,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
    if (baseFolder == INVALID_HANDLE_VALUE) return false;
    Close(baseFolder);

    // The publisher's folder: any user may have made it first (ProgramData lets every user
    // create folders), so whatever it was, its owner and access list are set again.
    const std::wstring publisher = base + L"\\" + wideKey;
    if (!CreateDirectoryW(publisher.c_str(), &attributes) && GetLastError() != ERROR_ALREADY_EXISTS)
        return false;
    publisherFolder_ = OpenPlainFolder(
        publisher, FILE_READ_ATTRIBUTES | READ_CONTROL | WRITE_DAC | WRITE_OWNER, kHoldSharing);
    if (publisherFolder_ == INVALID_HANDLE_VALUE) return false;
    if (!TakeOver(publisherFolder_, security.get())) {
        Release();
        return false;
    }
    publisherPath_ = publisher;

    RemoveEarlierRuns(publisher);
    // What the publisher's folder already holds may have been put there by anyone while it
    // was theirs: the run's folder is new, so it holds only what this run puts in it.
    for (int attempt = 0; attempt < kRunNameAttempts && runFolder_ == INVALID_HANDLE_VALUE;
         ++attempt) {
        wchar_t name[40];
        wsprintfW(name, L"\\run-%08lx-%04x", GetCurrentProcessId(),
                  static_cast<unsigned>((GetTickCount() + attempt) & 0xFFFF));
        const std::wstring run = publisher + name;
        if (!CreateDirectoryW(run.c_str(), &attributes)) {
            if (GetLastError() == ERROR_ALREADY_EXISTS) continue;
            break;
        }
        runFolder_ = OpenPlainFolder(run, FILE_READ_ATTRIBUTES, kHoldSharing);
        if (runFolder_ != INVALID_HANDLE_VALUE) path_ = Narrow(run + L"\\");
    }
    if (path_.empty()) {
        Release();
        return false;
    }
    return true;
}

bool PackageFolder::PrepareResume(const std::vector<std::string>& names) {
    if (!resumePath_.empty()) return true;
    if (publisherFolder_ == INVALID_HANDLE_VALUE) return false;
    const Security security = MakeSecurity();
    if (!security) return false;
    SECURITY_ATTRIBUTES attributes = {sizeof(attributes), security.get(), FALSE};
    const std::wstring resume = publisherPath_ + L"\\resume";
    if (!CreateDirectoryW(resume.c_str(), &attributes) && GetLastError() != ERROR_ALREADY_EXISTS)
        return false;
    resumeFolder_ = OpenPlainFolder(
        resume, FILE_READ_ATTRIBUTES | READ_CONTROL | WRITE_DAC | WRITE_OWNER, kHoldSharing);
    if (resumeFolder_ == INVALID_HANDLE_VALUE || !TakeOver(resumeFolder_, security.get())) {
        Close(resumeFolder_);
        return false;
    }
    for (const std::string& name : names) {
        const std::wstring path = resume + L"\\" + loader::Widen(name);
        HANDLE file =
            CreateFileW(path.c_str(), READ_CONTROL | WRITE_DAC | WRITE_OWNER, FILE_SHARE_READ,
                        nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
        if (file == INVALID_HANDLE_VALUE && GetLastError() == ERROR_FILE_NOT_FOUND) continue;
        const bool taken = file != INVALID_HANDLE_VALUE &&
                           loader::IsPlainEntryAt(file, path, loader::EntryKind::File, true) &&
                           TakeOver(file, security.get());
        Close(file);
        if (!taken) {
            // A link or a second name where the download would write: never written through.
            Close(resumeFolder_);
            return false;
        }
    }
    resumePath_ = Narrow(resume + L"\\");
    if (resumePath_.empty()) Close(resumeFolder_);
    return !resumePath_.empty();
}

void PackageFolder::Release() {
    Close(resumeFolder_);
    Close(runFolder_);
    Close(publisherFolder_);
    publisherPath_.clear();
    path_.clear();
    resumePath_.clear();
}
