// LaunchTarget and the progress report on a real window: what a started program receives
// (command line, "INSTALLPATH", current directory), and that the window hides and closes.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "loader/loader_wnd.h"
#include "loader_test_support.h"

// After windows.h (from the loader's header): these two need its definitions.
#include <sddl.h>
#include <shlwapi.h>

namespace {

using loadertest::ClientFolder;
using loadertest::LoggedMessage;
using loadertest::PumpUntilQuit;

class LaunchTarget : public ::testing::Test {
protected:
    void SetUp() override {
        loadertest::DrainMessages();
        SetEnvironmentVariableA("INSTALLPATH", nullptr);
        // Without a service URL the update flow only asks the message loop to end.
        window =
            loader.Create(nullptr, "Loader", WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, 0, 0, 541, 402);
        ASSERT_NE(window, nullptr);
        ASSERT_TRUE(PumpUntilQuit(2000));
        log.Watch(window);
        ::ShowWindow(window, SW_SHOW);
    }
    void TearDown() override { SetEnvironmentVariableA("INSTALLPATH", nullptr); }

    // Position of the first logged message, or -1.
    int IndexOf(UINT message, WPARAM wParam) {
        const std::vector<LoggedMessage> messages = log.Messages();
        for (std::size_t i = 0; i < messages.size(); ++i) {
            if (messages[i].message == message && messages[i].wParam == wParam) {
                return static_cast<int>(i);
            }
        }
        return -1;
    }

    static std::string CurrentDirectory() {
        char dir[MAX_PATH] = {};
        GetCurrentDirectoryA(MAX_PATH, dir);
        return dir;
    }

    // The stand-in installer as a downloaded package in the loader's folder for this run.
    void PlaceInstaller() {
        ASSERT_TRUE(loader.packageFolder.Prepare("Tesmar"));
        loader.targetPath = loader.packageFolder.Path() + "installer.exe";
        ASSERT_TRUE(CopyFileA((ClientFolder("installer") + "installer.exe").c_str(),
                              loader.targetPath.c_str(), FALSE));
    }

    loadertest::StartRecords records;
    loadertest::MessageLog log{{WM_SHOWWINDOW, WM_CLOSE}};
    LoaderWnd loader;
    HWND window = nullptr;
};

TEST_F(LaunchTarget, ClientGetsIgnoreUpdateAndTheLoadersDirectory) {
    loader.installDir = ClientFolder("v1.2.0.3");
    loader.targetPath = loader.installDir + "Kestrun.exe";
    loader.LaunchTarget(false);
    ASSERT_TRUE(PumpUntilQuit(10000)) << "the window closes";
    const auto started = records.Wait(1);
    ASSERT_EQ(started.size(), 1u);
    EXPECT_STRCASEEQ(started[0].at("exe").c_str(), loader.targetPath.c_str());
    EXPECT_EQ(started[0].at("cmdline"), "ignore-update");
    EXPECT_EQ(started[0].at("installpath-state"), "unset");
    EXPECT_STRCASEEQ(started[0].at("cwd").c_str(), CurrentDirectory().c_str());
    EXPECT_EQ(started[0].at("loader-visible"), "unknown");
    EXPECT_GE(IndexOf(WM_SHOWWINDOW, FALSE), 0);
    EXPECT_LT(IndexOf(WM_SHOWWINDOW, FALSE), IndexOf(WM_CLOSE, 0));
}

TEST_F(LaunchTarget, InstallerGetsOneSwitchWordAndTheInstallDirectory) {
    loader.installDir = "C:\\Program Files\\Tesmar Game\\";
    PlaceInstaller();
    loader.LaunchTarget(true);
    ASSERT_TRUE(PumpUntilQuit(10000));
    const auto started = records.Wait(1);
    ASSERT_EQ(started.size(), 1u);
    EXPECT_EQ(started[0].at("cmdline"), "silenceignore-update");
    EXPECT_EQ(started[0].at("installpath-state"), "set");
    EXPECT_EQ(started[0].at("installpath"), loader.installDir);
    // It starts in its own folder, where nothing else lies.
    EXPECT_STRCASEEQ((started[0].at("cwd") + "\\").c_str(), loader.packageFolder.Path().c_str());
}

TEST_F(LaunchTarget, InstallerWithoutInstallationGetsAnEmptyInstallPath) {
    PlaceInstaller();
    loader.LaunchTarget(true);
    ASSERT_TRUE(PumpUntilQuit(10000));
    const auto started = records.Wait(1);
    ASSERT_EQ(started.size(), 1u);
    EXPECT_EQ(started[0].at("installpath"), "");
}

TEST_F(LaunchTarget, NothingToStartStillHidesAndCloses) {
    loader.LaunchTarget(false);
    ASSERT_TRUE(PumpUntilQuit(10000));
    EXPECT_GE(IndexOf(WM_SHOWWINDOW, FALSE), 0);
    EXPECT_GE(IndexOf(WM_CLOSE, 0), 0);
    EXPECT_TRUE(records.AfterGrace().empty());
}

TEST_F(LaunchTarget, AFailedStartStillHidesAndCloses) {
    loader.targetPath = ClientFolder("no-such") + "Kestrun.exe";
    loader.LaunchTarget(false);
    ASSERT_TRUE(PumpUntilQuit(10000));
    EXPECT_GE(IndexOf(WM_SHOWWINDOW, FALSE), 0);
    EXPECT_GE(IndexOf(WM_CLOSE, 0), 0);
    EXPECT_TRUE(records.AfterGrace().empty());
}

TEST_F(LaunchTarget, ProgressReportsReachTheBarWithinBounds) {
    ASSERT_NE(loader.progressBar, nullptr);
    struct Report {
        double total, done;
        int shown;
    };
    const Report reports[] = {{1000, 0, 0},     {1000, 505, 50}, {0, 0, 0},      {0, 7, 0},
                              {998, 1000, 100}, {-1, 5, 0},      {1, 1e300, 100}};
    for (const Report& r : reports) {
        EXPECT_EQ(loader.OnTransferProgress(r.total, r.done, nullptr), 0);
        loadertest::PumpFor(0);
        EXPECT_EQ(loader.progressBar->GetValue(), r.shown) << r.total << " " << r.done;
    }
}

// Wine keeps no access list on a file (it reports one made from the Unix mode bits), so what
// Windows enforces on the package folders is checked on the descriptor they are made with.
TEST(PackageFolder, OnlySystemAndAdministratorsGetInAndEveryRunGetsANewFolder) {
    PSECURITY_DESCRIPTOR security = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(
        PackageFolder::kSecurityText, SDDL_REVISION_1, &security, nullptr));
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    ASSERT_TRUE(GetSecurityDescriptorControl(security, &control, &revision));
    EXPECT_NE(control & SE_DACL_PROTECTED, 0) << "nothing inherited from ProgramData";
    PSID owner = nullptr;
    BOOL defaulted = FALSE, present = FALSE;
    ASSERT_TRUE(GetSecurityDescriptorOwner(security, &owner, &defaulted));
    ASSERT_NE(owner, nullptr);
    EXPECT_TRUE(IsWellKnownSid(owner, WinBuiltinAdministratorsSid));
    PACL accessList = nullptr;
    ASSERT_TRUE(GetSecurityDescriptorDacl(security, &present, &accessList, &defaulted));
    ASSERT_TRUE(present);
    ASSERT_NE(accessList, nullptr) << "a null list would let everyone in";
    bool system = false, administrators = false;
    for (DWORD i = 0; i < accessList->AceCount; ++i) {
        void* entry = nullptr;
        ASSERT_TRUE(GetAce(accessList, i, &entry));
        const auto* allowed = static_cast<const ACCESS_ALLOWED_ACE*>(entry);
        ASSERT_EQ(allowed->Header.AceType, ACCESS_ALLOWED_ACE_TYPE);
        const PSID sid = const_cast<DWORD*>(&allowed->SidStart);
        system = system || IsWellKnownSid(sid, WinLocalSystemSid);
        administrators = administrators || IsWellKnownSid(sid, WinBuiltinAdministratorsSid);
        EXPECT_TRUE(IsWellKnownSid(sid, WinLocalSystemSid) ||
                    IsWellKnownSid(sid, WinBuiltinAdministratorsSid))
            << "entry " << i << " lets someone else in";
        // What the folders hold (the package, its partial file) carries the same list.
        EXPECT_EQ(allowed->Header.AceFlags & (OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE),
                  OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE);
    }
    EXPECT_TRUE(system && administrators);
    LocalFree(security);

    PackageFolder first, second;
    ASSERT_TRUE(first.Prepare("Tesmar"));
    ASSERT_TRUE(second.Prepare("Tesmar"));
    EXPECT_NE(first.Path(), second.Path());
    for (const PackageFolder* folder : {&first, &second}) {
        EXPECT_EQ(folder->Path().rfind("C:\\ProgramData\\Tesmar\\run-", 0), 0u) << folder->Path();
        EXPECT_TRUE(PathIsDirectoryEmptyA(folder->Path().c_str())) << folder->Path();
    }
}

}  // namespace
