// The opt-in diagnostic log (see diagnostic_log.h).
#include "loader/diagnostic_log.h"

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <mutex>

#include "loader/owned_handle.h"

namespace {

constexpr unsigned long long kCapBytes = 1024 * 1024;

std::atomic<bool> enabled{false};
std::mutex writing;
std::string logPath;  // set once by Open, before enabled
std::string oldPath;

}  // namespace

void DiagnosticLog::Open(const std::string& folderName) {
    char base[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableA("LOCALAPPDATA", base, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return;
    const std::string folder = std::string(base) + "\\" + folderName;
    CreateDirectoryA(folder.c_str(), nullptr);  // may exist already; a failure shows at writing
    std::lock_guard<std::mutex> hold(writing);
    logPath = folder + "\\loader.log";
    oldPath = folder + "\\loader.old.log";
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
    WIN32_FILE_ATTRIBUTE_DATA info;
    if (GetFileAttributesExA(logPath.c_str(), GetFileExInfoStandard, &info)) {
        const unsigned long long size =
            (static_cast<unsigned long long>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
        if (size + line.size() > kCapBytes) {
            MoveFileExA(logPath.c_str(), oldPath.c_str(), MOVEFILE_REPLACE_EXISTING);
        }
    }
    // Opened for each line: every line is on disk as soon as it is written, and another
    // program (a support tool) may read or delete the file between lines.
    OwnedHandle file(CreateFileA(logPath.c_str(), FILE_APPEND_DATA,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(file.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
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
