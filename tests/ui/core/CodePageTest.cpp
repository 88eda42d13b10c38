// The code page seam: stepping and conversions, in a double-byte and a single-byte code page.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "XmlTestSupport.h"
#include "ui/core/CodePage.h"

namespace {

std::string ToAnsi(const std::u16string& text) {
    std::unique_ptr<char[]> out;
    std::size_t length = 0;
    EXPECT_TRUE(SkinUI::Utf16ToAnsi(text.data(), text.size(), out, length));
    return std::string(out.get(), length);
}

std::u16string FromUtf8(const std::string& bytes) {
    std::vector<char16_t> out;
    EXPECT_TRUE(SkinUI::Utf8ToUtf16(bytes.data(), bytes.size(), out));
    return std::u16string(out.begin(), out.end());
}

}  // namespace

TEST(CodePage, DoubleByteStepping) {
    XMLTEST_IN_CODE_PAGE(936);
    const char text[] = "a\xD6\xD0\x81<\xFF\x01\x80z\xD6";
    const char* p = text;
    std::vector<int> steps;
    while (*p != '\0') {
        const char* next = SkinUI::CharNextAnsi(p);
        steps.push_back(static_cast<int>(next - p));
        p = next;
    }
    // 0x80 is a single-byte character in 936; 0xFF is not a lead byte either; a lead byte
    // before the NUL is one byte.
    EXPECT_EQ((std::vector<int>{1, 2, 2, 1, 1, 1, 1, 1}), steps);
    EXPECT_EQ(p, SkinUI::CharNextAnsi(p)) << "never past the NUL";
}

TEST(CodePage, SingleByteStepping) {
    XMLTEST_IN_CODE_PAGE(1252);
    const char text[] = "\xD6\xD0\x81<";
    const char* p = text;
    int steps = 0;
    while (*p != '\0') {
        EXPECT_EQ(p + 1, SkinUI::CharNextAnsi(p));
        p = SkinUI::CharNextAnsi(p);
        ++steps;
    }
    EXPECT_EQ(4, steps);
}

TEST(CodePage, Utf8DecodingAndReplacement) {
    EXPECT_EQ(u"a\u00E9\u4E2D\U0001F600", FromUtf8("a\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80"));
    // A stray continuation byte, a truncated sequence before ASCII, an overlong form and an
    // encoded surrogate each give replacement characters; the ASCII around them survives.
    std::u16string bad = FromUtf8("x\x80y\xE4\xB8z");
    EXPECT_EQ(u"x\uFFFDy\uFFFDz", bad);
    EXPECT_EQ(std::u16string::npos, FromUtf8("\xC0\xAF").find(u'/'));
    EXPECT_EQ(std::u16string::npos, FromUtf8("\xED\xA0\x80").find(u'\xD800'));
    EXPECT_EQ(u"", FromUtf8(""));
}

TEST(CodePage, ToTheDoubleByteCodePage) {
    XMLTEST_IN_CODE_PAGE(936);
    EXPECT_EQ("a\xD6\xD0\xCE\xC4", ToAnsi(u"a\u4E2D\u6587"));
    EXPECT_EQ("", ToAnsi(u""));
    // Outside the code page: one "?" per code unit, as the system does.
    EXPECT_EQ("??b", ToAnsi(u"\U0001F600b"));
    EXPECT_EQ("?c", ToAnsi(u"\xD800"
                           u"c"));
}

TEST(CodePage, ToTheSingleByteCodePage) {
    XMLTEST_IN_CODE_PAGE(1252);
    EXPECT_EQ("\xE9\x80z", ToAnsi(u"\u00E9\u20ACz"));
    EXPECT_EQ("??", ToAnsi(u"\u4E2D\u6587"));
}
