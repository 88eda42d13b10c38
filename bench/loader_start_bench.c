/* Start-up and memory figures of a GUI program, measured from outside under wine.
 *   loader_start_bench start CLASS TITLE RUNS EXE   starts EXE RUNS times; prints the median
 *       milliseconds from process creation until a visible window CLASS/TITLE exists, then
 *       sends the window Escape and WM_CLOSE and waits for the process to end
 *   loader_start_bench peak EXE   runs EXE to its end; prints its peak working set (KiB) and
 *       the run's seconds
 *   loader_start_bench window [URL]   a bare Win32 window program ("BareWindow"/"Bare"), the
 *       baseline for the start-up time: registers a class, creates and shows a 541 x 402
 *       popup and runs a message loop until it is closed. With URL it first makes that one
 *       HTTPS GET through the same libcurl as the loader (certificate checks off, as the
 *       loader's query has them), so the query's own cost is compared like for like
 *   loader_start_bench start CLASS TITLE RUNS EXE URL   as start, with the bare program
 *       (EXE = this program) making the request to URL first */
#include <windows.h>

#include <psapi.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <curl/curl.h>

static LRESULT CALLBACK BareProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    if (message == WM_KEYDOWN && wParam == VK_ESCAPE) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

static size_t Discard(char* data, size_t size, size_t count, void* user) {
    (void)data;
    (void)user;
    return size * count;
}

static void FetchOnce(const char* url) {
    CURL* easy = curl_easy_init();
    if (easy == NULL) return;
    curl_easy_setopt(easy, CURLOPT_URL, url);
    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 0L);
    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 0L);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, Discard);
    curl_easy_perform(easy);
    curl_easy_cleanup(easy);
}

static int BareWindow(void) {
    WNDCLASSA windowClass = {0};
    windowClass.lpfnWndProc = BareProc;
    windowClass.hInstance = GetModuleHandleA(NULL);
    windowClass.hCursor = LoadCursor(NULL, IDC_ARROW);
    windowClass.lpszClassName = "BareWindow";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(0, "BareWindow", "Bare", WS_POPUP, 100, 100, 541, 402, NULL, NULL,
                                  windowClass.hInstance, NULL);
    if (window == NULL) return 1;
    ShowWindow(window, SW_SHOW);
    MSG msg;
    while (GetMessageA(&msg, NULL, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}

static BOOL Start(char* commandLine, PROCESS_INFORMATION* process) {
    STARTUPINFOA startup = {0};
    startup.cb = sizeof(startup);
    return CreateProcessA(NULL, commandLine, NULL, NULL, FALSE, 0, NULL, NULL, &startup, process);
}

static int CompareDoubles(const void* a, const void* b) {
    double x = *(const double*)a, y = *(const double*)b;
    return x < y ? -1 : x > y;
}

int main(int argc, char** argv) {
    if (argc >= 2 && strcmp(argv[1], "window") == 0) {
        if (argc >= 3) FetchOnce(argv[2]);
        return BareWindow();
    }
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    if ((argc == 6 || argc == 7) && strcmp(argv[1], "start") == 0) {
        int runs = atoi(argv[4]);
        double times[64];
        if (runs < 1 || runs > 64) return 2;
        for (int i = 0; i < runs; ++i) {
            char commandLine[1024];
            snprintf(commandLine, sizeof(commandLine), "\"%s\"%s%s", argv[5],
                     strstr(argv[5], "loader_start_bench") ? " window " : "",
                     argc == 7 ? argv[6] : "");
            LARGE_INTEGER begin, end;
            PROCESS_INFORMATION process;
            QueryPerformanceCounter(&begin);
            if (!Start(commandLine, &process)) return 1;
            HWND window = NULL;
            while (window == NULL || !IsWindowVisible(window)) {
                window = FindWindowA(argv[2], argv[3]);
                if (WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0) break;
                Sleep(1);
            }
            QueryPerformanceCounter(&end);
            times[i] =
                1000.0 * (double)(end.QuadPart - begin.QuadPart) / (double)frequency.QuadPart;
            if (window != NULL) {
                PostMessageA(window, WM_KEYDOWN, VK_ESCAPE, 0);
                PostMessageA(window, WM_CLOSE, 0, 0);
            }
            if (WaitForSingleObject(process.hProcess, 10000) != WAIT_OBJECT_0) {
                TerminateProcess(process.hProcess, 1);
            }
            CloseHandle(process.hThread);
            CloseHandle(process.hProcess);
        }
        qsort(times, (size_t)runs, sizeof(times[0]), CompareDoubles);
        printf("%.1f\n", times[runs / 2]);
        return 0;
    }
    if (argc == 3 && strcmp(argv[1], "peak") == 0) {
        char commandLine[1024];
        snprintf(commandLine, sizeof(commandLine), "\"%s\"", argv[2]);
        LARGE_INTEGER begin, end;
        PROCESS_INFORMATION process;
        QueryPerformanceCounter(&begin);
        if (!Start(commandLine, &process)) return 1;
        SIZE_T peak = 0;
        for (;;) {
            PROCESS_MEMORY_COUNTERS counters = {0};
            counters.cb = sizeof(counters);
            if (GetProcessMemoryInfo(process.hProcess, &counters, sizeof(counters))) {
                if (counters.PeakWorkingSetSize > peak) peak = counters.PeakWorkingSetSize;
                if (counters.WorkingSetSize > peak) peak = counters.WorkingSetSize;
            }
            if (WaitForSingleObject(process.hProcess, 50) == WAIT_OBJECT_0) break;
        }
        QueryPerformanceCounter(&end);
        printf("%lu %.1f\n", (unsigned long)(peak / 1024),
               (double)(end.QuadPart - begin.QuadPart) / (double)frequency.QuadPart);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        return 0;
    }
    return 2;
}
