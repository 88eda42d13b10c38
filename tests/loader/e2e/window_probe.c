/* Drives and inspects the running loader window from outside, for the end-to-end tests.
 * One command per run; the answer goes to standard output as one line.
 *   wait TIMEOUT_MS   waits until the visible "Loader" window of class "UIMainFrame" exists;
 *                     prints "left top right bottom clientwidth clientheight" (screen)
 *   hittest X Y       sends WM_NCHITTEST for the client point (X, Y); prints the answer
 *   escape            posts the Escape key press
 *   click X Y         posts a left click (move, press, release) at the client point (X, Y)
 *   taskbar           sends what the shell sends once the window's taskbar button exists
 *   sysclose          posts the system close command
 *   minrestore        minimises the window, then restores it; prints "ok"
 *   region            prints the window region's kind (0 none, 1 empty, 2 simple, 3 complex)
 *                     and whether the four corner pixels and the centre are inside it
 *   progress          prints the native progress control's position, or "none"
 *   accessible        reads the window's client object through the accessibility library
 *                     (from this process, as a screen reader does); prints its name, then
 *                     one line per child: "role<TAB>name<TAB>value" (UTF-8, role as a
 *                     number, "-" for no value); exit code 3 when there is no object
 *   press N           asks the client object for child N's default action; prints the
 *                     answer (an HRESULT in hex)
 *   holdmutex NAME MS creates the mutex NAME as any program of the user can (default
 *                     security), prints "held" and keeps it for MS milliseconds
 *   holdlink NAME MS  puts a symbolic link called NAME in the session's namespace, leading
 *                     to a mutex owned by the Administrators group (as an elevated program's
 *                     would be), prints "held" and keeps both for MS milliseconds
 * Exit code 0 on success, 1 when the window is not there. */
#include <windows.h>

#include <commctrl.h>
#include <oleacc.h>
#include <sddl.h>
#include <winternl.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

NTSTATUS NTAPI NtCreateSymbolicLinkObject(PHANDLE, ACCESS_MASK, POBJECT_ATTRIBUTES,
                                          PUNICODE_STRING);

/* The link NAME ("Local\\<rest>") to another mutex owned by the Administrators group; the
 * mutex's handle goes to *target. */
static HANDLE LinkToAdministratorsMutex(const char* name, HANDLE* target) {
    PSECURITY_DESCRIPTOR descriptor = NULL;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA("O:BAD:(A;;GA;;;WD)", SDDL_REVISION_1,
                                                              &descriptor, NULL)) {
        return NULL;
    }
    SECURITY_ATTRIBUTES attributes = {sizeof(attributes), descriptor, FALSE};
    *target = CreateMutexA(&attributes, FALSE, "Local\\LoaderTestOther.Mutex");
    LocalFree(descriptor);
    if (*target == NULL) return NULL;
    DWORD session = 0;
    ProcessIdToSessionId(GetCurrentProcessId(), &session);
    const char* rest = strchr(name, '\\') != NULL ? strchr(name, '\\') + 1 : name;
    wchar_t linkName[300], targetName[300];
    swprintf(linkName, 300, L"\\Sessions\\%lu\\BaseNamedObjects\\%hs", session, rest);
    swprintf(targetName, 300, L"\\Sessions\\%lu\\BaseNamedObjects\\LoaderTestOther.Mutex", session);
    UNICODE_STRING linkText, targetText;
    RtlInitUnicodeString(&linkText, linkName);
    RtlInitUnicodeString(&targetText, targetName);
    OBJECT_ATTRIBUTES object;
    InitializeObjectAttributes(&object, &linkText, 0, NULL, NULL);
    HANDLE link = NULL;
    if (NtCreateSymbolicLinkObject(&link, 0xF0001 /* all access */, &object, &targetText) != 0) {
        return NULL;
    }
    return link;
}

/* A BSTR as UTF-8 on standard output, "-" for none; frees it. */
static void PrintText(BSTR text) {
    char bytes[1024] = "-";
    if (text != NULL && text[0] != 0) {
        int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, bytes, sizeof(bytes), NULL, NULL);
        if (n <= 0) strcpy(bytes, "?");
    }
    fputs(bytes, stdout);
    SysFreeString(text);
}

static int PrintAccessible(HWND window) {
    IAccessible* client = NULL;
    if (FAILED(
            AccessibleObjectFromWindow(window, OBJID_CLIENT, &IID_IAccessible, (void**)&client))) {
        return 3;
    }
    VARIANT self;
    VariantInit(&self);
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR name = NULL;
    client->lpVtbl->get_accName(client, self, &name);
    PrintText(name);
    fputs("\n", stdout);
    long count = 0;
    client->lpVtbl->get_accChildCount(client, &count);
    VARIANT children[64];
    LONG got = 0;
    if (count > 64) count = 64;
    if (count > 0 && FAILED(AccessibleChildren(client, 0, count, children, &got))) got = 0;
    for (LONG i = 0; i < got; ++i) {
        /* Simple elements come as ids of the client; full objects as their own dispatch. */
        IAccessible* holder = client;
        VARIANT id = self;
        if (children[i].vt == VT_DISPATCH && children[i].pdispVal != NULL) {
            children[i].pdispVal->lpVtbl->QueryInterface(children[i].pdispVal, &IID_IAccessible,
                                                         (void**)&holder);
        } else if (children[i].vt == VT_I4) {
            id = children[i];
        }
        VARIANT role;
        VariantInit(&role);
        BSTR childName = NULL, value = NULL;
        holder->lpVtbl->get_accRole(holder, id, &role);
        holder->lpVtbl->get_accName(holder, id, &childName);
        holder->lpVtbl->get_accValue(holder, id, &value);
        printf("%ld\t", role.vt == VT_I4 ? role.lVal : -1L);
        PrintText(childName);
        fputs("\t", stdout);
        PrintText(value);
        fputs("\n", stdout);
        if (holder != client) holder->lpVtbl->Release(holder);
        VariantClear(&children[i]);
    }
    client->lpVtbl->Release(client);
    return 0;
}

static int PressChild(HWND window, long id) {
    IAccessible* client = NULL;
    if (FAILED(
            AccessibleObjectFromWindow(window, OBJID_CLIENT, &IID_IAccessible, (void**)&client))) {
        return 3;
    }
    VARIANT child;
    VariantInit(&child);
    child.vt = VT_I4;
    child.lVal = id;
    printf("%08lx\n", (unsigned long)client->lpVtbl->accDoDefaultAction(client, child));
    client->lpVtbl->Release(client);
    return 0;
}

static HWND FindLoader(void) {
    HWND window = FindWindowA("UIMainFrame", "Loader");
    return window != NULL && IsWindowVisible(window) ? window : NULL;
}

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    const char* command = argv[1];
    HWND window = FindLoader();
    if (strcmp(command, "wait") == 0) {
        DWORD limit = argc > 2 ? (DWORD)strtoul(argv[2], NULL, 10) : 10000;
        DWORD start = GetTickCount();
        while (window == NULL && GetTickCount() - start < limit) {
            Sleep(20);
            window = FindLoader();
        }
        if (window == NULL) return 1;
        RECT bounds = {0, 0, 0, 0}, client = {0, 0, 0, 0};
        // The window may be gone again already (a launch closes it at once).
        if (!GetWindowRect(window, &bounds) || !GetClientRect(window, &client)) return 1;
        printf("%ld %ld %ld %ld %ld %ld\n", bounds.left, bounds.top, bounds.right, bounds.bottom,
               client.right, client.bottom);
        return 0;
    }
    if ((strcmp(command, "holdmutex") == 0 || strcmp(command, "holdlink") == 0) && argc > 3) {
        HANDLE target = NULL;
        HANDLE held = strcmp(command, "holdmutex") == 0
                          ? CreateMutexA(NULL, FALSE, argv[2])
                          : LinkToAdministratorsMutex(argv[2], &target);
        if (held == NULL) return 1;
        printf("held\n");
        fflush(stdout);
        Sleep((DWORD)strtoul(argv[3], NULL, 10));
        CloseHandle(held);
        if (target != NULL) CloseHandle(target);
        return 0;
    }
    if (window == NULL) return 1;
    if (strcmp(command, "hittest") == 0 && argc > 3) {
        POINT point = {atoi(argv[2]), atoi(argv[3])};
        ClientToScreen(window, &point);
        LRESULT answer =
            SendMessageA(window, WM_NCHITTEST, 0, MAKELPARAM((short)point.x, (short)point.y));
        printf("%ld\n", (long)answer);
    } else if (strcmp(command, "click") == 0 && argc > 3) {
        LPARAM point = MAKELPARAM(atoi(argv[2]), atoi(argv[3]));
        PostMessageA(window, WM_MOUSEMOVE, 0, point);
        PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, point);
        PostMessageA(window, WM_LBUTTONUP, 0, point);
        printf("ok\n");
    } else if (strcmp(command, "taskbar") == 0) {
        SendMessageA(window, RegisterWindowMessageA("TaskbarButtonCreated"), 0, 0);
        printf("ok\n");
    } else if (strcmp(command, "escape") == 0) {
        PostMessageA(window, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
        printf("ok\n");
    } else if (strcmp(command, "sysclose") == 0) {
        PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
        printf("ok\n");
    } else if (strcmp(command, "minrestore") == 0) {
        ShowWindow(window, SW_MINIMIZE);
        Sleep(200);
        ShowWindow(window, SW_RESTORE);
        Sleep(200);
        printf("ok\n");
    } else if (strcmp(command, "region") == 0) {
        HRGN region = CreateRectRgn(0, 0, 0, 0);
        int kind = GetWindowRgn(window, region);
        RECT bounds;
        GetWindowRect(window, &bounds);
        int w = bounds.right - bounds.left, h = bounds.bottom - bounds.top;
        printf("%d %d%d%d%d %d\n", kind, PtInRegion(region, 0, 0) ? 1 : 0,
               PtInRegion(region, w - 1, 0) ? 1 : 0, PtInRegion(region, 0, h - 1) ? 1 : 0,
               PtInRegion(region, w - 1, h - 1) ? 1 : 0, PtInRegion(region, w / 2, h / 2) ? 1 : 0);
        DeleteObject(region);
    } else if (strcmp(command, "accessible") == 0 || (strcmp(command, "press") == 0 && argc > 2)) {
        CoInitialize(NULL);
        int code = argv[1][0] == 'a' ? PrintAccessible(window) : PressChild(window, atol(argv[2]));
        CoUninitialize();
        return code;
    } else if (strcmp(command, "progress") == 0) {
        HWND bar = FindWindowExA(window, NULL, "msctls_progress32", NULL);
        if (bar == NULL) {
            printf("none\n");
        } else {
            printf("%ld\n", (long)SendMessageA(bar, PBM_GETPOS, 0, 0));
        }
    } else {
        return 2;
    }
    return 0;
}
