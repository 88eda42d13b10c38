// The opt-in diagnostic log (see diagnostic_log.h).
#include "loader/diagnostic_log.h"

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <memory>
#include <mutex>

#include "loader/log_folder.h"
#include "loader/owned_handle.h"

namespace {

constexpr unsigned long long kCapBytes = 1024 * 1024;
constexpr char kLogName[] = "loader.log";
constexpr char kOldLogName[] = "loader.old.log";

std::atomic<bool> enabled{false};
std::mutex writing;
std::unique_ptr<LogFolder> folder;  // set once by Open, before enabled

// Whether the open log cannot take another addition of bytes without passing the cap.
bool Full(HANDLE file, size_t bytes) {
    LARGE_INTEGER size;
    return GetFileSizeEx(file, &size) &&
           static_cast<unsigned long long>(size.QuadPart) + bytes > kCapBytes;
}

void Append(HANDLE file, const std::string& line) {
    DWORD written = 0;
    WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

}  // namespace

void DiagnosticLog::Open(const std::string& folderName) {
    // A folder that cannot be made or is not safe (a link planted in its place) means no log.
    auto opened = std::make_unique<LogFolder>(folderName);
    if (!opened->Usable()) return;
    std::lock_guard<std::mutex> hold(writing);
    folder = std::move(opened);
    enabled = true;
}

bool DiagnosticLog::Enabled() {
    return enabled;
}

void DiagnosticLog::Line(const std::string& text) {
    if (!enabled) return;
    SYSTEMTIME now;
    GetLocalTime(&now);
    char stamp[64];
    std::snprintf(stamp, sizeof(stamp), "%04u-%02u-%02u %02u:%02u:%02u.%03u [%lu] ", now.wYear,
                  now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds,
                  static_cast<unsigned long>(GetCurrentThreadId()));
    const std::string line = stamp + text + "\r\n";

    std::lock_guard<std::mutex> hold(writing);
    // Opened for each line: every line is on disk as soon as it is written, and another
    // program (a support tool) may read or delete the file between lines. A file that is not
    // a plain one of the log folder (a link planted in its place) is never written.
    {
        const OwnedHandle file(folder->OpenForAppend(kLogName));
        if (file.get() == INVALID_HANDLE_VALUE) return;
        if (!Full(file.get(), line.size())) {
            Append(file.get(), line);
            return;
        }
    }
    if (!folder->Rename(kLogName, kOldLogName)) return;
    const OwnedHandle file(folder->OpenForAppend(kLogName));
    if (file.get() != INVALID_HANDLE_VALUE) Append(file.get(), line);
}

std::string DiagnosticLog::SystemErrorText(unsigned long code) {
    char* buffer = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<LPSTR>(&buffer), 0, nullptr);
    std::string text = length != 0 && buffer != nullptr ? std::string(buffer, length) : "";
    if (buffer != nullptr) LocalFree(buffer);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) {
        text.pop_back();
    }
    return "error " + std::to_string(code) + (text.empty() ? "" : " (" + text + ")");
}
