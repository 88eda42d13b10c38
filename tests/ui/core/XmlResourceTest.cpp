// Windows only: skins compiled into the program's resources (read-only memory) parse in
// both encodings, and the double-byte results match the real code page 936.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "XmlTestSupport.h"
#include "ui/core/XmlDocument.h"
#include "ui/core/XmlNode.h"

using SkinUI::CXmlDocument;
using SkinUI::CXmlNode;

namespace {

// The bytes of resource `id` of type "XML" in this program, as the skin builder finds them.
bool ResourceBytes(int id, const void*& bytes, DWORD& size) {
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), "XML");
    if (found == nullptr) return false;
    HGLOBAL loaded = LoadResource(module, found);
    if (loaded == nullptr) return false;
    bytes = LockResource(loaded);
    size = SizeofResource(module, found);
    return bytes != nullptr && size != 0;
}

}  // namespace

TEST(XmlResource, SkinResourcesParseInBothEncodings) {
    const void* bytes = nullptr;
    DWORD size = 0;
    CXmlDocument utf8, utf16;
    ASSERT_TRUE(ResourceBytes(130, bytes, size));
    ASSERT_TRUE(utf8.LoadFromBuffer(bytes, size, SkinUI::XmlEncodingUtf8));
    // Big-endian UTF-16 in read-only resource memory: decoding must not write to it.
    ASSERT_TRUE(ResourceBytes(131, bytes, size));
    ASSERT_TRUE(utf16.LoadFromBuffer(bytes, size, SkinUI::XmlEncodingUtf16));

    for (CXmlDocument* doc : {&utf8, &utf16}) {
        CXmlNode root = doc->GetRootNode();
        ASSERT_STREQ("Window", root.GetName());
        EXPECT_STREQ("541,402", root.AttributeValue(0));
        EXPECT_STREQ("Label", root.FirstChild().NextSibling().GetName());
    }
    EXPECT_STREQ(utf8.GetRootNode().FirstChild().AttributeValue(0),
                 utf16.GetRootNode().FirstChild().AttributeValue(0));
}

TEST(XmlResource, ChineseTextArrivesInCodePage936) {
    XMLTEST_IN_CODE_PAGE(936);
    const void* bytes = nullptr;
    DWORD size = 0;
    ASSERT_TRUE(ResourceBytes(130, bytes, size));
    CXmlDocument doc;
    ASSERT_TRUE(doc.LoadFromBuffer(bytes, size, SkinUI::XmlEncodingUtf8));
    CXmlNode font = doc.GetRootNode().FirstChild();
    EXPECT_STREQ("\xCE\xA2\xC8\xED\xD1\xC5\xBA\xDA", font.AttributeValue(0));
    char text[13];
    ASSERT_TRUE(font.NextSibling().CopyAttributeValue("text", text, sizeof(text)));
    EXPECT_STREQ("\xD5\xFD\xD4\xDA\xD7\xBC\xB1\xB8\xB0\xB2\xD7\xB0", text);
    // One byte short: the last double-byte character is dropped whole.
    ASSERT_TRUE(font.NextSibling().CopyAttributeValue("text", text, 12));
    EXPECT_STREQ("\xD5\xFD\xD4\xDA\xD7\xBC\xB1\xB8\xB0\xB2", text);
}

TEST(XmlResource, RealCharNextStepsLikeTheParser) {
    XMLTEST_IN_CODE_PAGE(936);
    // The system's own stepping over a lead byte with an ASCII-looking trail byte, and over
    // a lead byte at the end of the text.
    const char text[] = "\x81<a\xD6";
    EXPECT_EQ(text + 2, CharNextA(text));
    EXPECT_EQ(text + 4, CharNextA(text + 3));
    EXPECT_EQ(text + 4, CharNextA(text + 4));
    CXmlDocument doc;
    ASSERT_TRUE(doc.LoadFromString("<A t=\"\x81\"\"/>"));
    EXPECT_STREQ("\x81\"", doc.GetRootNode().AttributeValue(0));
}
