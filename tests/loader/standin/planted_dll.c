/* A DLL planted where the elevated loader or its installer might load it from (beside
 * loader.exe, in the current directory, in the old temporary folder). Copied under the names
 * of real DLLs; when loaded it appends "<its own path> in <the process's image>" and a line
 * end to the file named by LOADER_TEST_PLANTED, so a test sees any load at all. */
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID reserved) {
    char path[MAX_PATH * 2];
    char line[MAX_PATH * 5];
    char host[MAX_PATH * 2];
    DWORD n, written = 0;
    HANDLE file;
    (void)reserved;
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    n = GetEnvironmentVariableA("LOADER_TEST_PLANTED", path, sizeof(path));
    if (n == 0 || n >= sizeof(path)) return TRUE;
    line[0] = '\0';
    GetModuleFileNameA(self, line, MAX_PATH * 2);
    host[0] = '\0';
    GetModuleFileNameA(NULL, host, sizeof(host));
    lstrcatA(line, " in ");
    lstrcatA(line, host);
    lstrcatA(line, "\r\n");
    file = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                       OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) return TRUE;
    WriteFile(file, line, (DWORD)lstrlenA(line), &written, NULL);
    CloseHandle(file);
    return TRUE;
}
