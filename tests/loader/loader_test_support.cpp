// Shared helpers of the loader's Windows tests (see loader_test_support.h).
#include "loader_test_support.h"

#include <bcrypt.h>
#include <curl/curl.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <mutex>
#include <sstream>

#include "support/test_env.h"

namespace loadertest {

// ---------------------------------------------------------------------------------------------
// Files and fixtures
// ---------------------------------------------------------------------------------------------

std::string WindowsPath(const std::string& unixPath) {
    std::string path = "Z:" + unixPath;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

std::string ClientFolder(const std::string& variant) {
    return WindowsPath(testenv::Env("LOADER_TEST_FIXTURES") + "/" + variant) + "\\";
}

std::string ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

bool FileExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string Sha256Hex(const std::string& bytes) {
    unsigned char digest[32] = {};
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    if (BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0) < 0) return {};
    BCRYPT_HASH_HANDLE hash = nullptr;
    if (BCryptCreateHash(algorithm, &hash, nullptr, 0, nullptr, 0, 0) >= 0) {
        BCryptHashData(hash, reinterpret_cast<PUCHAR>(const_cast<char*>(bytes.data())),
                       static_cast<ULONG>(bytes.size()), 0);
        BCryptFinishHash(hash, digest, sizeof(digest), 0);
        BCryptDestroyHash(hash);
    }
    BCryptCloseAlgorithmProvider(algorithm, 0);
    std::string hex;
    for (unsigned char b : digest) {
        char pair[3];
        std::snprintf(pair, sizeof(pair), "%02x", b);
        hex += pair;
    }
    return hex;
}

DWORD OpenForWritingElsewhere(const std::string& path) {
    // The stand-in only tries the open when this variable names a file; only its own
    // environment gets it.
    SetEnvironmentVariableA("LOADER_TEST_TRY_WRITE", path.c_str());
    const std::string program =
        WindowsPath(testenv::Env("LOADER_TEST_FIXTURES") + "/installer/installer.exe");
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    const BOOL started = CreateProcessA(program.c_str(), nullptr, nullptr, nullptr, FALSE, 0,
                                        nullptr, nullptr, &startup, &process);
    SetEnvironmentVariableA("LOADER_TEST_TRY_WRITE", nullptr);
    if (!started) return ~0u;
    WaitForSingleObject(process.hProcess, 10000);
    DWORD code = ~0u;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
}

// ---------------------------------------------------------------------------------------------
// Uninstall entry
// ---------------------------------------------------------------------------------------------

namespace {

constexpr char kSubkey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tesmar";

bool WriteEntry(HKEY root, REGSAM view, const DWORD* type, const std::string* bytes) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(root, kSubkey, 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr, &key,
                        nullptr) != ERROR_SUCCESS) {
        return false;
    }
    LONG status = ERROR_SUCCESS;
    if (type != nullptr) {
        status = RegSetValueExA(key, "InstallLocation", 0, *type,
                                reinterpret_cast<const BYTE*>(bytes->data()),
                                static_cast<DWORD>(bytes->size()));
    }
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

}  // namespace

UninstallEntry::UninstallEntry(HKEY root, REGSAM view) : root_(root), view_(view) {
    ok_ = WriteEntry(root, view, nullptr, nullptr);
}

UninstallEntry::UninstallEntry(HKEY root, REGSAM view, const std::string& location)
    : root_(root), view_(view) {
    const DWORD type = REG_SZ;
    const std::string bytes = location + '\0';
    ok_ = WriteEntry(root, view, &type, &bytes);
}

UninstallEntry::UninstallEntry(HKEY root, REGSAM view, DWORD type, const std::string& bytes)
    : root_(root), view_(view) {
    ok_ = WriteEntry(root, view, &type, &bytes);
}

UninstallEntry::~UninstallEntry() {
    RegDeleteKeyExA(root_, kSubkey, view_, 0);
}

void RemoveUninstallEntries() {
    for (REGSAM view : {kView32, kView64}) {
        RegDeleteKeyExA(HKEY_LOCAL_MACHINE, kSubkey, view, 0);
        RegDeleteKeyExA(HKEY_CURRENT_USER, kSubkey, view, 0);
    }
}

// ---------------------------------------------------------------------------------------------
// Start records
// ---------------------------------------------------------------------------------------------

StartRecords::StartRecords() {
    char dir[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, dir);
    path_ = std::string(dir) + testenv::UniqueToken("loader-start") + ".txt";
    DeleteFileA(path_.c_str());
    SetEnvironmentVariableA("LOADER_TEST_RECORD", path_.c_str());
}

StartRecords::~StartRecords() {
    SetEnvironmentVariableA("LOADER_TEST_RECORD", nullptr);
    DeleteFileA(path_.c_str());
}

std::vector<Record> StartRecords::Wait(std::size_t count, DWORD timeoutMs) const {
    const DWORD start = GetTickCount();
    std::vector<Record> records;
    for (;;) {
        records.clear();
        std::istringstream in(ReadFileBytes(path_));
        Record current;
        std::string line;
        while (std::getline(in, line)) {
            const std::size_t eq = line.find('=');
            if (eq == std::string::npos) continue;
            const std::string key = line.substr(0, eq);
            if (key == "end") {
                records.push_back(current);
                current.clear();
            } else {
                current[key] = line.substr(eq + 1);
            }
        }
        if (records.size() >= count || GetTickCount() - start >= timeoutMs) return records;
        Sleep(20);
    }
}

// ---------------------------------------------------------------------------------------------
// Local service
// ---------------------------------------------------------------------------------------------

std::string Escape(const std::string& text) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : text) {
        if (std::isalnum(c) || c == '-' || c == '_' || c == '.' || c == '~') {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    return out;
}

std::string ServiceBase(const std::string& body, const std::string& token) {
    return testenv::ServerUrl(
        true, "/data?ctype=application/json&token=" + token + "&body=" + Escape(body) + "&tail=");
}

namespace {

size_t Discard(char*, size_t size, size_t count, void*) {
    return size * count;
}

}  // namespace

std::string StorePackage(const std::string& bytes, const std::string& token,
                         const std::string& extraQuery) {
    const std::string name = testenv::UniqueToken("package");
    CURL* curl = curl_easy_init();
    if (curl == nullptr) return {};
    const std::string url = testenv::ServerUrl(false, "/store?name=" + name);
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_POSTFIELDS, bytes.data());
    curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(bytes.size()));
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &Discard);
    const CURLcode result = curl_easy_perform(curl);
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    curl_easy_cleanup(curl);
    if (result != CURLE_OK || status != 200) return {};
    return testenv::ServerUrl(true, "/data?stored=" + name + "&token=" + token + extraQuery);
}

// ---------------------------------------------------------------------------------------------
// Message log and pumping
// ---------------------------------------------------------------------------------------------

namespace {

// Hook procedures have no user pointer: one log per process, which is all a test needs.
std::mutex gLogLock;
std::vector<UINT> gInteresting;
std::vector<LoggedMessage> gLogged;
HWND gWatched = nullptr;
HHOOK gSentHook = nullptr;
HHOOK gPostedHook = nullptr;
std::function<bool()> gCloseHold;  // used on the hooked thread only

void Note(HWND window, UINT message, WPARAM wParam) {
    std::lock_guard<std::mutex> hold(gLogLock);
    if (window == nullptr || window != gWatched) return;
    if (std::find(gInteresting.begin(), gInteresting.end(), message) == gInteresting.end()) return;
    gLogged.push_back({message, wParam});
}

LRESULT CALLBACK SentHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION) {
        const CWPSTRUCT* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
        Note(sent->hwnd, sent->message, sent->wParam);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK PostedHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && wParam == PM_REMOVE) {
        const MSG* posted = reinterpret_cast<const MSG*>(lParam);
        Note(posted->hwnd, posted->message, posted->wParam);
        if (posted->message == WM_CLOSE && gCloseHold) {
            const DWORD start = GetTickCount();
            while (!gCloseHold() && GetTickCount() - start < 10000) Sleep(10);
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

MessageLog::MessageLog(const std::vector<UINT>& interesting) {
    std::lock_guard<std::mutex> hold(gLogLock);
    gInteresting = interesting;
    gLogged.clear();
    gWatched = nullptr;
    gSentHook = SetWindowsHookExA(WH_CALLWNDPROC, &SentHook, nullptr, GetCurrentThreadId());
    gPostedHook = SetWindowsHookExA(WH_GETMESSAGE, &PostedHook, nullptr, GetCurrentThreadId());
}

MessageLog::~MessageLog() {
    UnhookWindowsHookEx(gSentHook);
    UnhookWindowsHookEx(gPostedHook);
    gCloseHold = nullptr;
    std::lock_guard<std::mutex> hold(gLogLock);
    gWatched = nullptr;
}

void MessageLog::Watch(HWND window) {
    std::lock_guard<std::mutex> hold(gLogLock);
    gWatched = window;
}

void MessageLog::HoldCloseUntil(std::function<bool()> ready) {
    gCloseHold = std::move(ready);
}

std::vector<LoggedMessage> MessageLog::Messages() const {
    std::lock_guard<std::mutex> hold(gLogLock);
    return gLogged;
}

bool PumpUntilQuit(DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) return true;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= timeoutMs) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, timeoutMs - elapsed, QS_ALLINPUT);
    }
}

void PumpFor(DWORD milliseconds) {
    const DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(msg.wParam));
                return;
            }
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= milliseconds) return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, milliseconds - elapsed, QS_ALLINPUT);
    }
}

void DrainMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

}  // namespace loadertest
