// What the loader's Windows tests share: the client's Uninstall entry in the real registry,
// the stand-in programs' records, the local service's addresses, and running a LoaderWnd's
// message loop with a record of the messages its window got.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace loadertest {

// ---- files and fixtures ----
// A Unix path as wine's Z: drive sees it.
std::string WindowsPath(const std::string& unixPath);
// The folder of a stand-in client variant (fixtures/<variant>), with a trailing backslash.
std::string ClientFolder(const std::string& variant);
std::string ReadFileBytes(const std::string& path);
bool FileExists(const std::string& path);
// SHA-256 of bytes as 64 lower-case hexadecimal digits (straight from CNG, for expectations).
std::string Sha256Hex(const std::string& bytes);
// Has another process (the stand-in installer) open path for writing, sharing everything;
// its error code: 0 when the open succeeded, 32 for a sharing violation.
DWORD OpenForWritingElsewhere(const std::string& path);

// ---- the Uninstall entry ----
// Writes Software\...\Uninstall\Tesmar under root in the given registry view and removes it
// again when destroyed. Without a location the key is created with no "InstallLocation".
class UninstallEntry {
public:
    UninstallEntry(HKEY root, REGSAM view);
    UninstallEntry(HKEY root, REGSAM view, const std::string& location);
    // A value of any type and bytes, stored as given.
    UninstallEntry(HKEY root, REGSAM view, DWORD type, const std::string& bytes);
    ~UninstallEntry();
    UninstallEntry(const UninstallEntry&) = delete;
    UninstallEntry& operator=(const UninstallEntry&) = delete;
    bool ok() const { return ok_; }

private:
    HKEY root_;
    REGSAM view_;
    bool ok_ = false;
};
// Removes the entry from every place a test may have put it (left over from a crashed run).
void RemoveUninstallEntries();
// The 32-bit view of the machine key, where the loader looks.
inline constexpr REGSAM kView32 = KEY_WOW64_32KEY;
inline constexpr REGSAM kView64 = KEY_WOW64_64KEY;

// ---- records of started stand-ins ----
using Record = std::map<std::string, std::string>;
// Gives started stand-ins (through the inherited environment) a fresh record file and
// removes it when destroyed.
class StartRecords {
public:
    StartRecords();
    ~StartRecords();
    StartRecords(const StartRecords&) = delete;
    StartRecords& operator=(const StartRecords&) = delete;
    // The records written so far, waiting up to timeoutMs for at least count of them.
    std::vector<Record> Wait(std::size_t count, DWORD timeoutMs = 10000) const;
    // The records after a short grace period, for tests that expect none.
    std::vector<Record> AfterGrace(DWORD graceMs = 500) const { return Wait(~0u, graceMs); }

private:
    std::string path_;
};

// ---- the local service ----
// %-escapes everything but unreserved characters.
std::string Escape(const std::string& text);
// A version service base URL whose reply is body (as JSON). The query string the loader
// appends lands in the parameter "tail"; the request is recorded under token.
std::string ServiceBase(const std::string& body, const std::string& token);
// Keeps bytes on the test server; the returned URL serves them (recorded under token).
std::string StorePackage(const std::string& bytes, const std::string& token,
                         const std::string& extraQuery = "");

// ---- running the window ----
struct LoggedMessage {
    UINT message;
    WPARAM wParam;
};
// Records, for one thread, the messages of interest that reach window (sent or retrieved).
class MessageLog {
public:
    explicit MessageLog(const std::vector<UINT>& interesting);
    ~MessageLog();
    MessageLog(const MessageLog&) = delete;
    MessageLog& operator=(const MessageLog&) = delete;
    void Watch(HWND window);
    // Holds the watched window's WM_CLOSE (for up to 10 s) until ready() is true, so that a
    // started program can still look at the window before it is destroyed.
    void HoldCloseUntil(std::function<bool()> ready);
    std::vector<LoggedMessage> Messages() const;
};

// Dispatches messages until WM_QUIT (true) or until timeoutMs has passed (false).
bool PumpUntilQuit(DWORD timeoutMs);
// Dispatches messages for the given time; a WM_QUIT stays queued.
void PumpFor(DWORD milliseconds);
// Dispatches what is queued and drops a pending WM_QUIT: a test starts with an empty queue.
void DrainMessages();

}  // namespace loadertest
