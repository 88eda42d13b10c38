// The zip reader on archives Python wrote, some of them damaged on purpose.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "XmlTestSupport.h"
#include "ui/core/ZipArchive.h"

using SkinUI::CZipArchive;

namespace {

const std::string kSkin =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
    "<Window size=\"541,402\">\n  <Label name=\"title\" text=\"&lt;zip&gt;\"/>\n</Window>\n";

std::string Fixture(const char* name) {
    return xmltest::FixtureDir() + name;
}

// Unzips a whole entry found by name; returns the result code.
int UnzipEntry(CZipArchive& zip, const char* name, std::string& data) {
    int index = -1;
    std::uint32_t size = 0;
    if (!zip.FindEntry(name, index, size)) return -1;
    data.assign(size, '\0');
    return zip.Unzip(index, &data[0], size);
}

}  // namespace

TEST(ZipArchive, FindsEntriesIgnoringCaseAndInflatesThem) {
    CZipArchive zip;
    ASSERT_TRUE(zip.Open(Fixture("skin.zip").c_str()));
    EXPECT_EQ(10, zip.EntryCount());
    int index = -1;
    std::uint32_t size = 0;
    ASSERT_TRUE(zip.FindEntry("skin/MAIN.xml", index, size));
    EXPECT_EQ(0, index);
    EXPECT_EQ(kSkin.size(), size);
    ASSERT_TRUE(zip.FindEntry("STORED.xml", index, size));
    EXPECT_EQ(1, index);
    EXPECT_FALSE(zip.FindEntry("Skin/Main.xm", index, size));
    EXPECT_EQ(-1, index);

    std::string data;
    EXPECT_EQ(CZipArchive::kOk, UnzipEntry(zip, "Skin/Main.xml", data));
    EXPECT_EQ(kSkin, data);
    EXPECT_EQ(CZipArchive::kOk, UnzipEntry(zip, "Stored.XML", data));
    EXPECT_EQ(kSkin, data);
    EXPECT_EQ(CZipArchive::kOk, UnzipEntry(zip, "exact.xml", data));
    EXPECT_EQ(4u * 1024 * 1024, data.size());
    EXPECT_EQ(CZipArchive::kOk, UnzipEntry(zip, "empty.xml", data));
    EXPECT_TRUE(data.empty());
}

TEST(ZipArchive, SmallBufferGivesMoreDataWithTheStart) {
    CZipArchive zip;
    ASSERT_TRUE(zip.Open(Fixture("skin.zip").c_str()));
    for (int index : {0, 1}) {  // deflated and stored
        std::vector<char> part(10);
        EXPECT_EQ(CZipArchive::kMoreData, zip.Unzip(index, part.data(), part.size()));
        EXPECT_EQ(kSkin.substr(0, 10), std::string(part.begin(), part.end()));
        // A second call starts again from the beginning.
        EXPECT_EQ(CZipArchive::kMoreData, zip.Unzip(index, part.data(), part.size()));
        EXPECT_EQ(kSkin.substr(0, 10), std::string(part.begin(), part.end()));
    }
    // A buffer larger than the entry is filled with the entry only.
    std::string big(kSkin.size() + 100, '#');
    EXPECT_EQ(CZipArchive::kOk, zip.Unzip(0, &big[0], big.size()));
    EXPECT_EQ(kSkin + std::string(100, '#'), big);
}

TEST(ZipArchive, DamagedEntriesFailCleanly) {
    CZipArchive zip;
    ASSERT_TRUE(zip.Open(Fixture("skin.zip").c_str()));
    std::string data;
    EXPECT_EQ(CZipArchive::kCorrupt, UnzipEntry(zip, "corrupt.xml", data));
    EXPECT_EQ(CZipArchive::kCorrupt, UnzipEntry(zip, "badcrc.xml", data));
    char byte;
    EXPECT_EQ(CZipArchive::kBadArgument, zip.Unzip(-1, &byte, 1));
    EXPECT_EQ(CZipArchive::kBadArgument, zip.Unzip(zip.EntryCount(), &byte, 1));

    // Header fields that point past the end of the file.
    for (const char* name : {"lying.zip", "badoffset.zip"}) {
        CZipArchive lying;
        ASSERT_TRUE(lying.Open(Fixture(name).c_str())) << name;
        EXPECT_EQ(CZipArchive::kCorrupt, UnzipEntry(lying, "a.xml", data)) << name;
    }
}

TEST(ZipArchive, RefusesWhatIsNotAnArchive) {
    CZipArchive zip;
    for (const char* name : {"missing.zip", "truncated.zip", "notazip.zip"}) {
        EXPECT_FALSE(zip.Open(Fixture(name).c_str())) << name;
        EXPECT_FALSE(zip.IsOpen());
    }
    EXPECT_FALSE(zip.Open(nullptr));
    char byte;
    EXPECT_EQ(CZipArchive::kBadArgument, zip.Unzip(0, &byte, 1));
    ASSERT_TRUE(zip.Open(Fixture("skin.zip").c_str()));
    zip.Close();
    EXPECT_FALSE(zip.IsOpen());
    EXPECT_EQ(0, zip.EntryCount());
}

TEST(ZipArchive, Utf8NamesAreComparedInTheAnsiCodePage) {
    XMLTEST_IN_CODE_PAGE(936);
    CZipArchive zip;
    ASSERT_TRUE(zip.Open(Fixture("skin.zip").c_str()));
    int index = -1;
    std::uint32_t size = 0;
    // U+540D U+5B57 in code page 936.
    ASSERT_TRUE(zip.FindEntry("\xC3\xFB\xD7\xD6.XML", index, size));
    EXPECT_EQ(6, index);
}

TEST(ZipArchive, CaseFoldingLeavesDoubleByteCharactersAlone) {
    XMLTEST_IN_CODE_PAGE(936);
    CZipArchive zip;
    ASSERT_TRUE(zip.Open(Fixture("skin.zip").c_str()));
    int index = -1;
    std::uint32_t size = 0;
    // U+4E64 is 81 61 in code page 936; 81 41 is another character, though 0x61 and 0x41
    // are "a" and "A" on their own.
    ASSERT_TRUE(zip.FindEntry("\x81\x61.XML", index, size));
    EXPECT_EQ(7, index);
    EXPECT_FALSE(zip.FindEntry("\x81\x41.xml", index, size));
}
