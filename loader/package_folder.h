// The elevated loader's own folder for a downloaded package. The package used to lie in the
// user's temporary folder, where any program of that user can add a DLL beside it, swap it
// for a link, or redirect the folder itself while the loader checks and starts it. This
// folder is <ProgramData>\<Uninstall key>\<run>\: the ProgramData known folder (never the
// environment), the publisher's folder under it, and a folder made new for this run. Both
// folders of the loader's own carry the access list below, which lets only SYSTEM and the
// Administrators in; no reparse point is accepted on the way; and both stay open (neither can
// be renamed or removed) while this object lives. The installer starts there, so the only
// files beside it are the ones the loader put there.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

class PackageFolder {
public:
    // The folders' security descriptor: owner Administrators, a protected access list (no
    // entry inherited from ProgramData, which lets every user create folders) granting full
    // control to SYSTEM and Administrators, inherited by everything inside, and nothing to
    // anyone else.
    static constexpr wchar_t kSecurityText[] = L"O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)";

    PackageFolder() = default;
    ~PackageFolder() { Release(); }
    PackageFolder(const PackageFolder&) = delete;
    PackageFolder& operator=(const PackageFolder&) = delete;

    // Makes the folders for key (the publisher's folder may exist already: it is then taken
    // over, its owner and access list set again); false when they cannot be made safe. An
    // earlier folder is released first.
    bool Prepare(const std::string& key);
    // The run's folder in the ANSI code page, ending in a backslash; empty when not prepared.
    const std::string& Path() const { return path_; }

    // After Prepare: the publisher's folder for a download kept across runs,
    // <publisher>\resume\, with the same owner and access list (taken over again when it
    // exists) and held like the others. What it holds under the names given is taken over
    // too: a plain file of a single name gets the loader's owner and access list (its bytes
    // are checked by the package's checksum); anything else there makes the folder unusable
    // (false), as does any failure. The other runs' cleaning never touches this folder.
    bool PrepareResume(const std::vector<std::string>& names);
    // That folder in the ANSI code page, ending in a backslash; empty when not prepared.
    const std::string& ResumePath() const { return resumePath_; }
    void Release();

private:
    HANDLE publisherFolder_ = INVALID_HANDLE_VALUE;
    HANDLE runFolder_ = INVALID_HANDLE_VALUE;
    HANDLE resumeFolder_ = INVALID_HANDLE_VALUE;
    std::wstring publisherPath_;
    std::string path_;
    std::string resumePath_;
};
