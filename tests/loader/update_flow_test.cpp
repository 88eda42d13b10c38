// The whole update flow under wine, as the entry point runs it: the window is created (the
// version query, discovery and decision run inside), shown, and its message loop runs until
// it quits. Real Uninstall entries, stand-in clients with version resources, an installer
// package and the version reply served over HTTPS by the local test server.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "loader/loader_wnd.h"
#include "loader_test_support.h"
#include "support/server_client.h"
#include "support/test_env.h"

namespace {

using loadertest::ClientFolder;
using loadertest::kView32;
using loadertest::LoggedMessage;
using loadertest::Record;
using loadertest::UninstallEntry;

constexpr char kQueryTail[] = "&tail=?version=1.0.0.1&channel=1002";
constexpr DWORD kRunTimeoutMs = 20000;

class UpdateFlow : public ::testing::Test {
protected:
    void SetUp() override {
        loadertest::DrainMessages();
        loadertest::RemoveUninstallEntries();
        SetEnvironmentVariableA("INSTALLPATH", nullptr);
        serviceToken = testenv::UniqueToken("service");
        packageToken = testenv::UniqueToken("package");
    }
    void TearDown() override {
        loadertest::RemoveUninstallEntries();
        SetEnvironmentVariableA("INSTALLPATH", nullptr);
        SetEnvironmentVariableA("LOADER_TEST_WINDOW", nullptr);
        if (!packagePath.empty()) DeleteFileA(packagePath.c_str());
    }

    void InstallClient(const std::string& variant) {
        entry =
            std::make_unique<UninstallEntry>(HKEY_LOCAL_MACHINE, kView32, ClientFolder(variant));
        ASSERT_TRUE(entry->ok());
    }

    std::string InstallerPackage(const std::string& extraQuery = "") {
        const std::string bytes = loadertest::ReadFileBytes(testenv::Env("LOADER_TEST_FIXTURES") +
                                                            "/installer/installer.exe");
        EXPECT_GT(bytes.size(), 1000u);
        installerBytes = bytes;
        // The installer looks at the loader window when it starts: keep the window until then.
        log.HoldCloseUntil([this] { return !records.Wait(1, 0).empty(); });
        return loadertest::StorePackage(bytes, packageToken, extraQuery);
    }

    static std::string Reply(const std::string& url, const std::string& version) {
        return "{\"url\":\"" + url + "\",\"version\":\"" + version + "\"}";
    }

    // A reply whose "sha256" member holds the JSON value sha256 (none when empty).
    static std::string Reply(const std::string& url, const std::string& version,
                             const std::string& sha256) {
        std::string text = Reply(url, version);
        if (!sha256.empty()) text.insert(text.size() - 1, ",\"sha256\":" + sha256);
        return text;
    }

    // Creates, shows and runs the window; true when its message loop ended.
    bool Run(const std::string& serviceBase, DWORD timeoutMs = kRunTimeoutMs) {
        loader->versionServiceUrl = serviceBase;
        // The entry point's style; the decision runs inside this call.
        window = loader->Create(nullptr, "Loader", 0x96C80000, 0, 0, 0, 100, 100);
        if (window == nullptr) return false;
        log.Watch(window);
        char handle[32];
        std::snprintf(handle, sizeof(handle), "%lx",
                      static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(window)));
        SetEnvironmentVariableA("LOADER_TEST_WINDOW", handle);
        ::ShowWindow(window, SW_SHOW);
        const bool quit = loadertest::PumpUntilQuit(timeoutMs);
        if (loader->installMode) packagePath = loader->targetPath;
        return quit;
    }

    bool RunWithReply(const std::string& reply, DWORD timeoutMs = kRunTimeoutMs) {
        return Run(loadertest::ServiceBase(reply, serviceToken), timeoutMs);
    }

    // Position of the first logged message, or -1.
    int IndexOf(UINT message, WPARAM wParam) const {
        const std::vector<LoggedMessage> messages = log.Messages();
        for (std::size_t i = 0; i < messages.size(); ++i) {
            if (messages[i].message == message && messages[i].wParam == wParam) {
                return static_cast<int>(i);
            }
        }
        return -1;
    }

    std::vector<unsigned> ProgressValues() const {
        std::vector<unsigned> values;
        for (const LoggedMessage& m : log.Messages()) {
            if (m.message == LoaderWnd::kProgressMessage) values.push_back(m.wParam);
        }
        return values;
    }

    static std::string CurrentDirectory() {
        char dir[MAX_PATH] = {};
        GetCurrentDirectoryA(MAX_PATH, dir);
        return dir;
    }

    void ExpectClientStarted(const std::string& variant) {
        const auto started = records.Wait(1);
        ASSERT_EQ(started.size(), 1u);
        EXPECT_STRCASEEQ(started[0].at("exe").c_str(),
                         (ClientFolder(variant) + "Kestrun.exe").c_str());
        EXPECT_EQ(started[0].at("cmdline"), "ignore-update");
        EXPECT_EQ(started[0].at("installpath-state"), "unset");
        EXPECT_STRCASEEQ(started[0].at("cwd").c_str(), CurrentDirectory().c_str());
        EXPECT_FALSE(loader->installMode);
    }

    void ExpectInstallerStarted(const std::string& installDir) {
        const auto started = records.Wait(1);
        ASSERT_EQ(started.size(), 1u);
        const Record& r = started[0];
        // ~un + the tick count's low 16 bits in hex + .tmp, in the loader's own folder for
        // this run under ProgramData, which is also the installer's current directory.
        EXPECT_STRCASEEQ(r.at("exe").c_str(), loader->targetPath.c_str());
        const std::string dir = loader->packageFolder.Path();
        EXPECT_EQ(loader->targetPath.compare(0, dir.size(), dir), 0) << loader->targetPath;
        EXPECT_EQ(dir.rfind("C:\\ProgramData\\Tesmar\\run-", 0), 0u) << dir;
        const std::string name = loader->targetPath.substr(dir.size());
        EXPECT_EQ(name.rfind("~un", 0), 0u) << name;
        EXPECT_EQ(name.substr(name.size() - 4), ".tmp") << name;
        EXPECT_LE(name.size(), 3 + 4 + 4u) << name;
        EXPECT_EQ(name.find_first_not_of("0123456789abcdefABCDEF", 3), name.size() - 4) << name;
        EXPECT_EQ(r.at("cmdline"), "silenceignore-update");
        EXPECT_EQ(r.at("installpath-state"), "set");
        EXPECT_EQ(r.at("installpath"), installDir);
        EXPECT_STRCASEEQ((r.at("cwd") + "\\").c_str(), dir.c_str());
        // Hidden before the start, closed after it.
        EXPECT_EQ(r.at("loader-visible"), "0");
        EXPECT_GE(IndexOf(WM_SHOWWINDOW, FALSE), 0);
        EXPECT_LT(IndexOf(WM_SHOWWINDOW, FALSE), IndexOf(WM_CLOSE, 0));
        EXPECT_TRUE(loader->installMode);
    }

    void ExpectQueriedOnce() {
        const auto requests = testenv::ServerRequests(serviceToken);
        ASSERT_EQ(requests.size(), 1u);
        EXPECT_EQ(requests[0].method, "GET");
        const std::string& path = requests[0].path;
        ASSERT_GE(path.size(), std::strlen(kQueryTail));
        EXPECT_EQ(path.substr(path.size() - std::strlen(kQueryTail)), kQueryTail);
    }

    std::string serviceToken, packageToken, packagePath, installerBytes;
    std::unique_ptr<UninstallEntry> entry;
    loadertest::StartRecords records;
    loadertest::MessageLog log{
        {WM_SHOWWINDOW, WM_CLOSE, LoaderWnd::kProgressMessage, LoaderWnd::kInstallMessage}};
    std::unique_ptr<LoaderWnd> loader = std::make_unique<LoaderWnd>();
    HWND window = nullptr;
};

// ---- decision --------------------------------------------------------------------------------

TEST_F(UpdateFlow, EqualVersionsStartTheClientWithoutDownloading) {
    InstallClient("v1.2.0.3");
    ASSERT_TRUE(RunWithReply(Reply(InstallerPackage(), "1.2.0.3")));
    ExpectClientStarted("v1.2.0.3");
    ExpectQueriedOnce();
    EXPECT_TRUE(testenv::ServerRequests(packageToken).empty());
    EXPECT_EQ(loader->serverVersion, "1.2.0.3");
}

TEST_F(UpdateFlow, VersionsCompareByteWiseNotNumerically) {
    InstallClient("v1.0.0.9");
    ASSERT_TRUE(RunWithReply(Reply(InstallerPackage(), "1.0.0.10")));
    ExpectClientStarted("v1.0.0.9");
    EXPECT_TRUE(testenv::ServerRequests(packageToken).empty());
}

TEST_F(UpdateFlow, OutdatedClientDownloadsAndStartsTheInstaller) {
    InstallClient("v1.0.0.10");
    ASSERT_TRUE(RunWithReply(Reply(InstallerPackage(), "1.0.0.9")));
    ExpectInstallerStarted(ClientFolder("v1.0.0.10"));
    ExpectQueriedOnce();
    EXPECT_EQ(loadertest::ReadFileBytes(loader->targetPath), installerBytes);
    // Every report reached the bar within bounds; the last one is complete.
    const std::vector<unsigned> values = ProgressValues();
    ASSERT_FALSE(values.empty());
    for (unsigned v : values) EXPECT_LE(v, 100u);
    EXPECT_EQ(values.back(), 100u);
    // Only changes are posted, so the window's queue cannot fill up with reports.
    for (std::size_t i = 1; i < values.size(); ++i) EXPECT_NE(values[i], values[i - 1]) << i;
    EXPECT_EQ(loader->progressBar->GetValue(), 100);
    EXPECT_LT(IndexOf(LoaderWnd::kInstallMessage, 0), IndexOf(WM_CLOSE, 0));
    // A size probe, then the package in one transfer without a range.
    const auto requests = testenv::ServerRequests(packageToken);
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].method, "HEAD");
    EXPECT_EQ(requests[0].headers.count("Range"), 1u);
    EXPECT_EQ(requests[1].method, "GET");
    EXPECT_EQ(requests[1].headers.count("Range"), 0u);
}

TEST_F(UpdateFlow, NoClientDownloadsWithAnEmptyInstallPath) {
    ASSERT_TRUE(RunWithReply(Reply(InstallerPackage(), "0")));
    ExpectInstallerStarted("");
    EXPECT_EQ(loader->installDir, "");
}

TEST_F(UpdateFlow, ClientWithoutVersionResourceCountsAsNotInstalled) {
    InstallClient("no-version");
    ASSERT_TRUE(RunWithReply(Reply(InstallerPackage(), "1")));
    ExpectInstallerStarted(ClientFolder("no-version"));
}

TEST_F(UpdateFlow, UnreachableServiceStartsAnInstalledClient) {
    InstallClient("v1.2.0.3");
    ASSERT_TRUE(Run("https://127.0.0.1:1/Home/version/"));
    ExpectClientStarted("v1.2.0.3");
    EXPECT_EQ(loader->serverVersion, "");
    EXPECT_EQ(loader->queryFailure, loader::QueryFailure::NoAnswer);
}

TEST_F(UpdateFlow, UnreachableServiceWithoutClientStartsNothingAndCloses) {
    ASSERT_TRUE(Run("https://127.0.0.1:1/Home/version/"));
    EXPECT_GE(IndexOf(WM_CLOSE, 0), 0);
    EXPECT_TRUE(records.AfterGrace().empty());
}

TEST_F(UpdateFlow, ServiceErrorStatusCountsAsAFailedQuery) {
    InstallClient("v1.2.0.3");
    ASSERT_TRUE(Run(testenv::ServerUrl(true, "/data?status=500&token=" + serviceToken + "&body=" +
                                                 loadertest::Escape(Reply("x", "9")) + "&tail=")));
    ExpectClientStarted("v1.2.0.3");
    EXPECT_EQ(loader->serverVersion, "");
    EXPECT_EQ(loader->queryFailure, loader::QueryFailure::ErrorStatus);
}

// A hotel's or cafe's network answers the query with its sign-in page: a failed query whose
// reason the window can name, whatever the page's status or body.
TEST_F(UpdateFlow, ASignInPageOfTheNetworkIsAFailedQueryWithItsOwnReason) {
    InstallClient("v1.2.0.3");
    const std::string page = loadertest::Escape(Reply("x", "9"));
    ASSERT_TRUE(Run(testenv::ServerUrl(
        true, "/data?ctype=text/html&token=" + serviceToken + "&body=" + page + "&tail=")));
    ExpectClientStarted("v1.2.0.3");
    EXPECT_EQ(loader->serverVersion, "");
    EXPECT_EQ(loader->downloadUrl, "");
    EXPECT_EQ(loader->queryFailure, loader::QueryFailure::WebPage);
}

TEST_F(UpdateFlow, EmptyServiceUrlEndsTheLoopAndDoesNothingElse) {
    InstallClient("v1.2.0.3");
    ASSERT_TRUE(Run(""));
    EXPECT_EQ(loader->installDir, "");
    EXPECT_NE(loader->progressBar, nullptr);
    EXPECT_TRUE(records.AfterGrace().empty());
    DestroyWindow(window);
    EXPECT_TRUE(loadertest::PumpUntilQuit(1000));  // the quit of the window's destruction
}

// ---- replies ---------------------------------------------------------------------------------

TEST_F(UpdateFlow, DuplicateUrlUsesTheFirst) {
    const std::string first = InstallerPackage();
    const std::string otherToken = testenv::UniqueToken("other");
    const std::string second = testenv::ServerUrl(true, "/data?size=10&token=" + otherToken);
    ASSERT_TRUE(
        RunWithReply("{\"url\":\"" + first + "\",\"version\":\"5\",\"url\":\"" + second + "\"}"));
    EXPECT_EQ(loader->downloadUrl, first);
    ExpectInstallerStarted("");
    EXPECT_TRUE(testenv::ServerRequests(otherToken).empty());
}

TEST_F(UpdateFlow, MissingUrlDownloadsFromTheWholeReply) {
    const std::string reply = "{\"version\":\"5\"}";
    // The reply is no URL: the download fails, which is reported, and the window closes
    // with nothing started.
    EXPECT_TRUE(RunWithReply(reply));
    EXPECT_EQ(loader->downloadUrl, reply);
    EXPECT_TRUE(loader->installMode);
    EXPECT_TRUE(records.AfterGrace(500).empty());
}

TEST_F(UpdateFlow, MissingVersionStartsAnInstalledClient) {
    InstallClient("v1.0.0.9");
    ASSERT_TRUE(RunWithReply("{\"url\":\"https://127.0.0.1:1/x\"}"));
    ExpectClientStarted("v1.0.0.9");
    EXPECT_EQ(loader->serverVersion, "");
    EXPECT_EQ(loader->downloadUrl, "https://127.0.0.1:1/x");
}

TEST_F(UpdateFlow, InvalidJsonClosesButStillStartsAnInstalledClient) {
    InstallClient("v1.2.0.3");
    const std::string reply = "{\"url\":\"x\",\"version\":\"9\"} trailing";
    ASSERT_TRUE(RunWithReply(reply));
    ExpectClientStarted("v1.2.0.3");
    EXPECT_EQ(loader->downloadUrl, reply);
    EXPECT_EQ(loader->serverVersion, "");
    EXPECT_EQ(loader->queryFailure, loader::QueryFailure::NotJson);
}

TEST_F(UpdateFlow, InvalidJsonWithoutClientStartsNothingAndCloses) {
    // Served as JSON, but a page all the same.
    ASSERT_TRUE(RunWithReply("  <html>bad gateway</html>"));
    EXPECT_GE(IndexOf(WM_CLOSE, 0), 0);
    EXPECT_TRUE(records.AfterGrace().empty());
    EXPECT_EQ(loader->queryFailure, loader::QueryFailure::WebPage);
}

TEST_F(UpdateFlow, NonObjectRootIsAReplyWithoutMembers) {
    InstallClient("v1.0.0.9");
    ASSERT_TRUE(RunWithReply("[\"1.0.0.99\"]"));
    ExpectClientStarted("v1.0.0.9");
    EXPECT_EQ(loader->serverVersion, "");
    EXPECT_EQ(loader->downloadUrl, "[\"1.0.0.99\"]");
}

TEST_F(UpdateFlow, NonStringMembersAreAbsent) {
    InstallClient("v1.0.0.9");
    const std::string reply = "{\"url\":7,\"version\":{\"v\":\"9\"}}";
    ASSERT_TRUE(RunWithReply(reply));
    ExpectClientStarted("v1.0.0.9");
    EXPECT_EQ(loader->serverVersion, "");
    EXPECT_EQ(loader->downloadUrl, reply);
}

// ---- download branch -------------------------------------------------------------------------

TEST_F(UpdateFlow, FailedDownloadStartsNothingAndCloses) {
    const std::string package =
        testenv::ServerUrl(true, "/data?size=100&status=404&token=" + packageToken);
    ASSERT_TRUE(RunWithReply(Reply(package, "1")));
    EXPECT_GE(IndexOf(WM_CLOSE, 0), 0);
    EXPECT_LT(IndexOf(LoaderWnd::kInstallMessage, 0), 0);
    EXPECT_FALSE(loadertest::FileExists(loader->targetPath));
    EXPECT_TRUE(records.AfterGrace().empty());
    EXPECT_FALSE(testenv::ServerRequests(packageToken).empty());
}

// The reply's mirrors: the package comes from the first host that delivers it whole.
TEST_F(UpdateFlow, APackageFromAMirrorIsStartedWhenTheFirstHostFails) {
    const std::string failing =
        testenv::ServerUrl(true, "/data?size=100&status=404&token=" + packageToken + "-a");
    std::string reply = Reply(failing, "1");
    reply.insert(reply.size() - 1,
                 ",\"mirrors\":[\"https://127.0.0.1:1/x\",\"" + InstallerPackage() + "\"]");
    ASSERT_TRUE(RunWithReply(reply));
    ExpectInstallerStarted("");
    EXPECT_EQ(loadertest::ReadFileBytes(loader->targetPath), installerBytes);
    EXPECT_FALSE(testenv::ServerRequests(packageToken + "-a").empty());
    EXPECT_FALSE(testenv::ServerRequests(packageToken).empty());
}

// A host serving other bytes than the reply's checksum names is left like a failing one.
TEST_F(UpdateFlow, APackageFailingItsChecksumIsFetchedFromTheNextHost) {
    const std::string good = InstallerPackage();
    std::string stale = installerBytes;
    stale[stale.size() / 2] ^= 0x5a;
    const std::string staleToken = packageToken + "-stale";
    std::string reply = Reply(loadertest::StorePackage(stale, staleToken), "1",
                              "\"" + loadertest::Sha256Hex(installerBytes) + "\"");
    reply.insert(reply.size() - 1, ",\"mirrors\":[\"" + good + "\"]");
    ASSERT_TRUE(RunWithReply(reply));
    ExpectInstallerStarted("");
    EXPECT_EQ(loadertest::ReadFileBytes(loader->targetPath), installerBytes);
    EXPECT_FALSE(testenv::ServerRequests(staleToken).empty());
    // Hidden for the refused package's check, shown again while the next host delivered.
    int hides = 0;
    for (const LoggedMessage& m : log.Messages()) {
        hides += m.message == WM_SHOWWINDOW && m.wParam == FALSE;
    }
    EXPECT_EQ(hides, 2);
}

TEST_F(UpdateFlow, EmptyPackageIsStillHandedOver) {
    const std::string package = testenv::ServerUrl(true, "/data?size=0&token=" + packageToken);
    ASSERT_TRUE(RunWithReply(Reply(package, "1")));
    ASSERT_TRUE(loadertest::FileExists(loader->targetPath));
    EXPECT_EQ(loadertest::ReadFileBytes(loader->targetPath).size(), 0u);
    // The hand-over ran (hide, then close), though an empty file cannot start.
    EXPECT_GE(IndexOf(LoaderWnd::kInstallMessage, 0), 0);
    EXPECT_GE(IndexOf(WM_SHOWWINDOW, FALSE), 0);
    EXPECT_LT(IndexOf(WM_SHOWWINDOW, FALSE), IndexOf(WM_CLOSE, 0));
    for (unsigned v : ProgressValues()) EXPECT_LE(v, 100u);
    EXPECT_TRUE(records.AfterGrace().empty());
}

// ---- package checksum ------------------------------------------------------------------------

TEST_F(UpdateFlow, APackageMatchingItsChecksumIsStarted) {
    loader->requirePackageSha256 = true;
    const std::string package = InstallerPackage();
    std::string digest = loadertest::Sha256Hex(installerBytes);
    ASSERT_EQ(digest.size(), 64u);
    for (char& c : digest) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    ASSERT_TRUE(RunWithReply(Reply(package, "1", "\"" + digest + "\"")));
    ExpectInstallerStarted("");
}

TEST_F(UpdateFlow, APackageWithoutAMatchingChecksumIsNeitherStartedNorKept) {
    const std::string bytes = loadertest::ReadFileBytes(testenv::Env("LOADER_TEST_FIXTURES") +
                                                        "/installer/installer.exe");
    const std::string digest = loadertest::Sha256Hex(bytes);
    ASSERT_EQ(digest.size(), 64u);
    std::string other = digest;
    other[10] = other[10] == '0' ? '1' : '0';
    struct Case {
        const char* name;
        std::string sha256;  // the member's JSON value; none when empty
        bool required;
        bool downloads;  // a checksum that can never match ends the run before the download
    };
    const Case cases[] = {
        {"another package's checksum", "\"" + other + "\"", false, true},
        {"63 digits", "\"" + digest.substr(1) + "\"", false, false},
        {"65 digits", "\"" + digest + "0\"", false, false},
        {"not hexadecimal", "\"" + digest.substr(1) + "g\"", false, false},
        {"a number", "5", false, false},
        {"null", "null", false, false},
        {"none, where one is required", "", true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        loader = std::make_unique<LoaderWnd>();
        loader->requirePackageSha256 = c.required;
        const std::string token = testenv::UniqueToken("package");
        const std::string package = loadertest::StorePackage(bytes, token);
        ASSERT_TRUE(RunWithReply(Reply(package, "1", c.sha256)));
        EXPECT_TRUE(loader->installMode);
        EXPECT_FALSE(loadertest::FileExists(loader->targetPath));
        EXPECT_FALSE(loadertest::FileExists(loader->targetPath + ".dl"));
        EXPECT_EQ(testenv::ServerRequests(token).empty(), !c.downloads);
        EXPECT_TRUE(records.AfterGrace(c.downloads ? 500 : 0).empty());
    }
}

TEST_F(UpdateFlow, TheCheckedPackageIsHeldAgainstWritersUntilAfterItsStart) {
    // Not a program: its start fails, so no image of it is mapped and only the loader's own
    // hold can turn a writer away. Larger than one read, so it is hashed in several.
    std::string bytes(3 * 1024 * 1024 + 123, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7 + i / 251);
    const std::string package = loadertest::StorePackage(bytes, packageToken);
    // Runs when the hand-over's WM_CLOSE arrives, after CreateProcessA has returned.
    DWORD writerAtClose = 0;
    log.HoldCloseUntil([this, &writerAtClose] {
        writerAtClose = loadertest::OpenForWritingElsewhere(loader->targetPath);
        return true;
    });
    ASSERT_TRUE(RunWithReply(Reply(package, "1", "\"" + loadertest::Sha256Hex(bytes) + "\"")));
    EXPECT_GE(IndexOf(LoaderWnd::kInstallMessage, 0), 0);
    EXPECT_EQ(writerAtClose, static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    // The hold ends with the window; the package itself stays.
    EXPECT_EQ(loadertest::OpenForWritingElsewhere(loader->targetPath), 0u);
    EXPECT_EQ(loadertest::ReadFileBytes(loader->targetPath), bytes);
}

TEST_F(UpdateFlow, ResultsAfterTheWindowIsClosedHaveNoEffect) {
    ASSERT_FALSE(RunWithReply(Reply(InstallerPackage("&delay=600"), "1"), 200));
    const std::string target = loader->targetPath;
    ASSERT_FALSE(target.empty());
    // The user closes the window while the download runs; the object stays.
    log.HoldCloseUntil(nullptr);
    PostMessageA(window, WM_CLOSE, 0, 0);
    ASSERT_TRUE(loadertest::PumpUntilQuit(5000));
    const DWORD start = GetTickCount();
    while (!loadertest::FileExists(target) && GetTickCount() - start < 15000) Sleep(20);
    EXPECT_TRUE(loadertest::FileExists(target));
    loadertest::PumpFor(300);
    EXPECT_TRUE(records.AfterGrace().empty());
    EXPECT_LT(IndexOf(LoaderWnd::kInstallMessage, 0), 0);
}

TEST_F(UpdateFlow, ResultsAfterTheWindowObjectIsGoneHaveNoEffect) {
    // The service answers at once; the package only after a while.
    ASSERT_FALSE(RunWithReply(Reply(InstallerPackage("&delay=600"), "1"), 200));
    const std::string target = loader->targetPath;
    packagePath = target;
    ASSERT_FALSE(target.empty());
    loader.reset();  // destroys the window and the object while the download runs
    // The worker outlives the object and completes the file; then nothing more happens.
    const DWORD start = GetTickCount();
    while (!loadertest::FileExists(target) && GetTickCount() - start < 15000) Sleep(20);
    EXPECT_TRUE(loadertest::FileExists(target));
    loadertest::PumpFor(300);
    EXPECT_TRUE(records.AfterGrace().empty());
    EXPECT_LT(IndexOf(LoaderWnd::kInstallMessage, 0), 0);
}

}  // namespace
