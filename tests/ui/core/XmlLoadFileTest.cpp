// Loading skins from files under the resource path and from entries of the resource zip.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "XmlTestSupport.h"
#include "ui/core/SkinSource.h"
#include "ui/core/XmlDocument.h"
#include "ui/core/XmlNode.h"
#include "ui/core/ZipArchive.h"

using SkinUI::CXmlDocument;
using SkinUI::CZipArchive;
using SkinUI::TSkinSource;

namespace {

constexpr std::size_t kLimit = 4 * 1024 * 1024;

// A valid skin of exactly `size` bytes.
std::string SizedSkin(std::size_t size) {
    std::string head = "<Window>", tail = "</Window>";
    return head + std::string(size - head.size() - tail.size(), 'x') + tail;
}

// Sets the process-wide skin source for one test and restores it afterwards.
class SkinSourceTest : public ::testing::Test {
protected:
    void SetUp() override { saved_ = SkinUI::SkinSource(); }
    void TearDown() override { SkinUI::SkinSource() = saved_; }
    void Use(const std::string& path, const std::string& zip, CZipArchive* cached = nullptr) {
        SkinUI::SkinSource().resourcePath = path;
        SkinUI::SkinSource().resourceZip = zip;
        SkinUI::SkinSource().cachedZip = cached;
    }
    void ExpectFailure(CXmlDocument& doc, const char* name, const char* message) {
        EXPECT_FALSE(doc.LoadFromFile(name)) << name;
        EXPECT_STREQ(message, doc.GetLastErrorMessage()) << name;
        EXPECT_STREQ("", doc.GetLastErrorLocation()) << name;
        EXPECT_FALSE(doc.GetRootNode().IsValid()) << name;
    }

private:
    TSkinSource saved_;
};

using XmlLoadFile = SkinSourceTest;
using XmlLoadZip = SkinSourceTest;

}  // namespace

TEST_F(XmlLoadFile, ReadsFilesUnderTheResourcePath) {
    xmltest::TempDir dir;
    dir.Write("skin.xml", "\xEF\xBB\xBF<Window><Label text=\"a &amp; b\"/></Window>");
    Use(dir.Path(), "");
    CXmlDocument doc;
    ASSERT_TRUE(doc.LoadFromFile("skin.xml")) << doc.GetLastErrorMessage();
    EXPECT_STREQ("a & b", doc.GetRootNode().FirstChild().AttributeValue(0));

    // The encoding is handed through.
    dir.Write("wide.xml", std::string("\xFE\xFF\0<\0A\0/\0>", 10));
    ASSERT_TRUE(doc.LoadFromFile("wide.xml", SkinUI::XmlEncodingUtf16));
    EXPECT_STREQ("A", doc.GetRootNode().GetName());
}

TEST_F(XmlLoadFile, FileErrors) {
    xmltest::TempDir dir;
    dir.Write("empty.xml", "");
    dir.Write("broken.xml", "<Window");
    Use(dir.Path(), "");
    CXmlDocument doc("<Old/>");
    ExpectFailure(doc, "missing.xml", "Error opening file");
    ExpectFailure(doc, "empty.xml", "File is empty");
    EXPECT_FALSE(doc.LoadFromFile("broken.xml"));
    EXPECT_STREQ("Error parsing element name", doc.GetLastErrorMessage());
    // The resource path is a plain prefix: without it the name is not found.
    Use("", "");
    ExpectFailure(doc, "skin.xml", "Error opening file");
}

TEST_F(XmlLoadFile, SizeLimitIsExactlyFourMebibytes) {
    xmltest::TempDir dir;
    dir.Write("exact.xml", SizedSkin(kLimit));
    dir.Write("over.xml", SizedSkin(kLimit + 1));
    Use(dir.Path(), "");
    CXmlDocument doc;
    EXPECT_TRUE(doc.LoadFromFile("exact.xml", SkinUI::XmlEncodingAnsi));
    EXPECT_STREQ("Window", doc.GetRootNode().GetName());
    ExpectFailure(doc, "over.xml", "File too large");
}

TEST_F(XmlLoadZip, ReadsEntriesIgnoringCase) {
    Use(xmltest::FixtureDir(), "skin.zip");
    CXmlDocument doc;
    for (const char* name : {"skin/main.XML", "SKIN/MAIN.XML", "stored.xml"}) {
        ASSERT_TRUE(doc.LoadFromFile(name)) << name << ": " << doc.GetLastErrorMessage();
        EXPECT_STREQ("Window", doc.GetRootNode().GetName());
        EXPECT_STREQ("<zip>", doc.GetRootNode().FirstChild().AttributeValue(1));
    }
    ASSERT_TRUE(doc.LoadFromFile("utf16be.xml", SkinUI::XmlEncodingUtf16));
    EXPECT_STREQ("<zip>", doc.GetRootNode().FirstChild().AttributeValue(1));
    EXPECT_TRUE(doc.LoadFromFile("exact.xml"));
}

TEST_F(XmlLoadZip, EntryErrors) {
    Use(xmltest::FixtureDir(), "skin.zip");
    CXmlDocument doc;
    ExpectFailure(doc, "Skin/Other.xml", "Could not find ziped file");
    ExpectFailure(doc, "empty.xml", "File is empty");
    ExpectFailure(doc, "over.xml", "File too large");
    ExpectFailure(doc, "corrupt.xml", "Could not unzip file");
    ExpectFailure(doc, "badcrc.xml", "Could not unzip file");
    for (const char* archive : {"missing.zip", "truncated.zip", "notazip.zip"}) {
        Use(xmltest::FixtureDir(), archive);
        ExpectFailure(doc, "Skin/Main.xml", "Error opening zip file");
    }
}

TEST_F(XmlLoadZip, KeptArchiveIsUsedAndLeftOpen) {
    CZipArchive kept;
    ASSERT_TRUE(kept.Open((xmltest::FixtureDir() + "skin.zip").c_str()));
    // The archive name no longer leads anywhere: only the kept handle can serve the load.
    Use("/nonexistent/", "skin.zip", &kept);
    CXmlDocument doc;
    ASSERT_TRUE(doc.LoadFromFile("Skin/Main.xml")) << doc.GetLastErrorMessage();
    EXPECT_TRUE(kept.IsOpen());
    ExpectFailure(doc, "nothing.xml", "Could not find ziped file");
    EXPECT_TRUE(kept.IsOpen());
}

TEST_F(XmlLoadZip, ArchiveOpenedForTheLoadIsClosedAfterwards) {
    // A private copy: the check opens the archive without sharing, which must not disturb
    // other tests reading the shared fixture at the same time.
    xmltest::TempDir dir;
    std::ifstream in(xmltest::FixtureDir() + "skin.zip", std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_FALSE(bytes.empty());
    const std::string archive = dir.Write("copy.zip", bytes);
    const int baseline = xmltest::OpenFileCount();
    Use(dir.Path(), "copy.zip");
    CXmlDocument doc;
    EXPECT_TRUE(doc.LoadFromFile("Skin/Main.xml"));
    EXPECT_TRUE(xmltest::NothingHoldsOpen(archive, baseline)) << "after a load";
    EXPECT_FALSE(doc.LoadFromFile("corrupt.xml"));
    EXPECT_TRUE(xmltest::NothingHoldsOpen(archive, baseline)) << "after an unzip failure";
    EXPECT_FALSE(doc.LoadFromFile("nothing.xml"));
    EXPECT_TRUE(xmltest::NothingHoldsOpen(archive, baseline)) << "after a missing entry";

    // A kept archive, in contrast, is still held.
    CZipArchive kept;
    ASSERT_TRUE(kept.Open(archive.c_str()));
    SkinUI::SkinSource().cachedZip = &kept;
    EXPECT_TRUE(doc.LoadFromFile("Skin/Main.xml"));
    EXPECT_FALSE(xmltest::NothingHoldsOpen(archive, baseline));
}
