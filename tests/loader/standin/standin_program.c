/* A stand-in for the programs the loader starts (the game client and a downloaded
 * installer). It appends one record of how it was started to the file named by
 * LOADER_TEST_RECORD, in a single write, so a test can read what the loader handed over:
 *   exe=<own path>  cmdline=<command line>  installpath=<value>|installpath unset
 *   cwd=<current directory>  loader-visible=<1|0|unknown>  end
 * LOADER_TEST_WINDOW (hexadecimal window handle) names the loader window whose visibility
 * at start is recorded.
 * has-version=<1|0> says whether the running image carries a version resource (the client
 * stand-ins do, the installer does not), so a test knows which file actually ran.
 * LOADER_TEST_LOAD_DLL names a DLL it loads by its bare name first, as an installer loading
 * a helper of its own would.
 * With LOADER_TEST_TRY_WRITE set it records nothing: it opens that file for writing (sharing
 * everything) and exits with the open's error code, 0 when the open succeeded. */
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static char record[8192];
static size_t used;

static void Append(const char* key, const char* value) {
    int n = snprintf(record + used, sizeof(record) - used, "%s=%s\n", key, value);
    if (n > 0 && (size_t)n < sizeof(record) - used) used += (size_t)n;
}

int main(void) {
    char buffer[4096];
    char path[MAX_PATH * 2];
    DWORD n;

    n = GetEnvironmentVariableA("LOADER_TEST_TRY_WRITE", path, sizeof(path));
    if (n > 0 && n < sizeof(path)) {
        HANDLE target =
            CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                        NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
        if (target == INVALID_HANDLE_VALUE) return (int)GetLastError();
        CloseHandle(target);
        return 0;
    }

    n = GetEnvironmentVariableA("LOADER_TEST_LOAD_DLL", buffer, sizeof(buffer));
    if (n > 0 && n < sizeof(buffer)) LoadLibraryA(buffer);

    n = GetModuleFileNameA(NULL, buffer, sizeof(buffer));
    buffer[n < sizeof(buffer) ? n : sizeof(buffer) - 1] = '\0';
    Append("exe", buffer);
    Append("cmdline", GetCommandLineA());

    SetLastError(0);
    n = GetEnvironmentVariableA("INSTALLPATH", buffer, sizeof(buffer));
    if (n == 0 && GetLastError() == ERROR_ENVVAR_NOT_FOUND) {
        Append("installpath-state", "unset");
        Append("installpath", "");
    } else {
        Append("installpath-state", "set");
        Append("installpath", n < sizeof(buffer) ? buffer : "(too long)");
    }

    Append("has-version",
           FindResourceA(NULL, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(16)) != NULL ? "1" : "0");

    n = GetCurrentDirectoryA(sizeof(buffer), buffer);
    Append("cwd", n > 0 && n < sizeof(buffer) ? buffer : "");

    n = GetEnvironmentVariableA("LOADER_TEST_WINDOW", buffer, sizeof(buffer));
    if (n > 0 && n < sizeof(buffer)) {
        HWND window = (HWND)(UINT_PTR)strtoul(buffer, NULL, 16);
        Append("loader-visible", !IsWindow(window) ? "gone" : IsWindowVisible(window) ? "1" : "0");
    } else {
        Append("loader-visible", "unknown");
    }
    Append("end", "");

    n = GetEnvironmentVariableA("LOADER_TEST_RECORD", path, sizeof(path));
    if (n == 0 || n >= sizeof(path)) return 2;
    HANDLE file = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) return 3;
    DWORD written = 0;
    WriteFile(file, record, (DWORD)used, &written, NULL);
    CloseHandle(file);
    return 0;
}
