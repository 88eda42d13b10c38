// Install discovery against the real registry of the wine prefix and real version resources:
// only the machine key's 32-bit view counts, the location is used exactly as stored, and only
// the first translation's "ProductVersion" is read.
#include <gtest/gtest.h>

#include <string>

#include "loader/loader_wnd.h"
#include "loader_test_support.h"

namespace {

using loadertest::ClientFolder;
using loadertest::kView32;
using loadertest::kView64;
using loadertest::UninstallEntry;

class InstallDiscovery : public ::testing::Test {
protected:
    void SetUp() override { loadertest::RemoveUninstallEntries(); }
    void TearDown() override { loadertest::RemoveUninstallEntries(); }

    std::string VersionIn(const std::string& dir) {
        LoaderWnd loader;
        loader.installDir = dir;
        return loader.ReadInstalledVersion();
    }
};

TEST_F(InstallDiscovery, LocationWithTrailingBackslashAndClientIsReturnedExactly) {
    const std::string location = ClientFolder("v2.3.0.11");
    ASSERT_EQ(location.back(), '\\');
    UninstallEntry entry(HKEY_LOCAL_MACHINE, kView32, location);
    ASSERT_TRUE(entry.ok());
    EXPECT_EQ(LoaderWnd::FindInstallLocation(), location);
}

TEST_F(InstallDiscovery, LocationIsNotRepairedOrExpanded) {
    std::string location = ClientFolder("v2.3.0.11");
    location.pop_back();  // ...\v2.3.0.11 + Kestrun.exe names no file
    {
        UninstallEntry entry(HKEY_LOCAL_MACHINE, kView32, location);
        ASSERT_TRUE(entry.ok());
        EXPECT_EQ(LoaderWnd::FindInstallLocation(), "");
    }
    {
        UninstallEntry entry(HKEY_LOCAL_MACHINE, kView32, ClientFolder("no-such-folder"));
        EXPECT_EQ(LoaderWnd::FindInstallLocation(), "");
    }
    {
        // An expandable string is used as stored, not expanded.
        SetEnvironmentVariableA("LOADER_TEST_CLIENT_DIR", ClientFolder("v2.3.0.11").c_str());
        const std::string bytes = std::string("%LOADER_TEST_CLIENT_DIR%") + '\0';
        UninstallEntry entry(HKEY_LOCAL_MACHINE, kView32, REG_EXPAND_SZ, bytes);
        ASSERT_TRUE(entry.ok());
        EXPECT_EQ(LoaderWnd::FindInstallLocation(), "");
        SetEnvironmentVariableA("LOADER_TEST_CLIENT_DIR", nullptr);
    }
}

TEST_F(InstallDiscovery, OnlyTheMachineKeysThirtyTwoBitViewCounts) {
    const std::string location = ClientFolder("v2.3.0.11");
    {
        UninstallEntry entry(HKEY_CURRENT_USER, kView32, location);
        ASSERT_TRUE(entry.ok());
        EXPECT_EQ(LoaderWnd::FindInstallLocation(), "");
    }
    {
        UninstallEntry entry(HKEY_LOCAL_MACHINE, kView64, location);
        ASSERT_TRUE(entry.ok());
        EXPECT_EQ(LoaderWnd::FindInstallLocation(), "");
    }
    {
        // Both views hold an entry: the 32-bit and the 64-bit build alike read the 32-bit one.
        UninstallEntry native(HKEY_LOCAL_MACHINE, kView64, ClientFolder("v1.0.0.10"));
        UninstallEntry redirected(HKEY_LOCAL_MACHINE, kView32, location);
        ASSERT_TRUE(native.ok() && redirected.ok());
        EXPECT_EQ(LoaderWnd::FindInstallLocation(), location);
    }
    EXPECT_EQ(LoaderWnd::FindInstallLocation(), "");  // no key at all
}

TEST_F(InstallDiscovery, KeyWithoutUsableLocationFindsNothing) {
    {
        UninstallEntry entry(HKEY_LOCAL_MACHINE, kView32);  // no "InstallLocation"
        ASSERT_TRUE(entry.ok());
        EXPECT_EQ(LoaderWnd::FindInstallLocation(), "");
    }
    {
        // Longer than the 260-byte buffer: the query fails and nothing of it is used.
        UninstallEntry entry(HKEY_LOCAL_MACHINE, kView32,
                             ClientFolder("v2.3.0.11") + std::string(300, 'x') + "\\");
        ASSERT_TRUE(entry.ok());
        EXPECT_EQ(LoaderWnd::FindInstallLocation(), "");
    }
    {
        // Exactly 260 bytes without a terminator: still read as text ending in the buffer.
        UninstallEntry entry(HKEY_LOCAL_MACHINE, kView32, REG_BINARY, std::string(260, 'A'));
        ASSERT_TRUE(entry.ok());
        EXPECT_EQ(LoaderWnd::FindInstallLocation(), "");
    }
}

TEST_F(InstallDiscovery, ProductVersionOfTheFirstTranslationIsReturnedAsStored) {
    EXPECT_EQ(VersionIn(ClientFolder("v2.3.0.11")), "2.3.0.11");
    EXPECT_EQ(VersionIn(ClientFolder("v1.0.0.10")), "1.0.0.10");
    // The second translation has a "ProductVersion"; the first does not.
    EXPECT_EQ(VersionIn(ClientFolder("second-translation-only")), "");
    EXPECT_EQ(VersionIn(ClientFolder("no-version")), "");
    EXPECT_EQ(VersionIn(ClientFolder("no-such-folder")), "");
    // The bare name resolves through the platform's search, which finds no client here.
    EXPECT_EQ(VersionIn(""), "");
}

}  // namespace
