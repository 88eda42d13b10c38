// LaunchTarget and the progress report on a real window: what a started program receives
// (command line, "INSTALLPATH", current directory), and that the window hides and closes.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "loader/loader_wnd.h"
#include "loader_test_support.h"

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
    loader.targetPath = loadertest::ClientFolder("installer") + "installer.exe";
    loader.LaunchTarget(true);
    ASSERT_TRUE(PumpUntilQuit(10000));
    const auto started = records.Wait(1);
    ASSERT_EQ(started.size(), 1u);
    EXPECT_EQ(started[0].at("cmdline"), "silenceignore-update");
    EXPECT_EQ(started[0].at("installpath-state"), "set");
    EXPECT_EQ(started[0].at("installpath"), loader.installDir);
    EXPECT_STRCASEEQ(started[0].at("cwd").c_str(), CurrentDirectory().c_str());
}

TEST_F(LaunchTarget, InstallerWithoutInstallationGetsAnEmptyInstallPath) {
    loader.targetPath = loadertest::ClientFolder("installer") + "installer.exe";
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

}  // namespace
