// The skin markup parser: tree shape, markup forms, entities, early ends, every error with
// its location, the attribute map and the encodings.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "XmlTestSupport.h"
#include "ui/core/XmlDocument.h"
#include "ui/core/XmlNode.h"

using SkinUI::CXmlDocument;
using SkinUI::CXmlNode;

namespace {

struct Failure {
    std::string message;
    std::string location;
};

Failure ParseFailure(const std::string& text) {
    CXmlDocument doc;
    EXPECT_FALSE(doc.LoadFromString(text.c_str())) << text;
    EXPECT_FALSE(doc.GetRootNode().IsValid()) << "a failed load leaves the document empty";
    return {doc.GetLastErrorMessage(), doc.GetLastErrorLocation()};
}

std::vector<std::string> ChildNames(const CXmlNode& node) {
    std::vector<std::string> names;
    for (CXmlNode c = node.FirstChild(); c.IsValid(); c = c.NextSibling())
        names.push_back(c.GetName());
    return names;
}

// Name and value of every visible attribute as "name=value" items.
std::vector<std::string> Attributes(const CXmlNode& node) {
    std::vector<std::string> items;
    for (int i = 0; i < node.AttributeCount(); ++i)
        items.push_back(std::string(node.AttributeName(i)) + "=" + node.AttributeValue(i));
    return items;
}

using Items = std::vector<std::string>;

}  // namespace

TEST(XmlDocument, BuildsTheTreeWithAttributes) {
    CXmlDocument doc;
    ASSERT_TRUE(
        doc.LoadFromString("<Window size=\"541,402\" caption=\"0,0,0,30\">\n"
                           "  <Font name=\"A\" size=\"12\"/>\n"
                           "  <VerticalLayout>\n"
                           "    <Label text=\"hello world\">ignored text</Label>\n"
                           "    <Progress value=\"5\"></Progress>\n"
                           "  </VerticalLayout>\n"
                           "</Window>\n"));
    CXmlNode root = doc.GetRootNode();
    ASSERT_TRUE(root.IsValid());
    EXPECT_STREQ("Window", root.GetName());
    EXPECT_EQ((Items{"size=541,402", "caption=0,0,0,30"}), Attributes(root));
    EXPECT_EQ((Items{"Font", "VerticalLayout"}), ChildNames(root));
    CXmlNode layout = root.FirstChild().NextSibling();
    EXPECT_TRUE(layout.HasChildren());
    EXPECT_FALSE(layout.HasAttributes());
    EXPECT_EQ((Items{"Label", "Progress"}), ChildNames(layout));
    EXPECT_EQ((Items{"text=hello world"}), Attributes(layout.FirstChild()));
    EXPECT_EQ((Items{"value=5"}), Attributes(layout.FirstChild().NextSibling()));
    EXPECT_FALSE(layout.NextSibling().IsValid());
}

TEST(XmlDocument, TableGrowthKeepsEveryLink) {
    // Crosses the 500 and 1250 row capacities, with nesting on both sides of each.
    std::string text = "<Root>";
    for (int i = 0; i < 1400; ++i) text += "<Item n=\"" + std::to_string(i) + "\"><Sub/></Item>";
    text += "</Root>";
    CXmlDocument doc(text.c_str());
    CXmlNode root = doc.GetRootNode();
    ASSERT_TRUE(root.IsValid());
    int i = 0;
    for (CXmlNode item = root.FirstChild(); item.IsValid(); item = item.NextSibling(), ++i) {
        ASSERT_STREQ(std::to_string(i).c_str(), item.AttributeValue(0));
        ASSERT_STREQ("Sub", item.FirstChild().GetName());
        ASSERT_FALSE(item.FirstChild().NextSibling().IsValid());
    }
    EXPECT_EQ(1400, i);
}

TEST(XmlDocument, DeepNestingDoesNotExhaustTheStack) {
    const int depth = 200000;
    std::string text;
    for (int i = 0; i < depth; ++i) text += "<a>";
    for (int i = 0; i < depth; ++i) text += "</a>";
    CXmlDocument doc;
    ASSERT_TRUE(doc.LoadFromString(text.c_str()));
    int levels = 0;
    for (CXmlNode n = doc.GetRootNode(); n.IsValid(); n = n.FirstChild()) ++levels;
    EXPECT_EQ(depth, levels);
}

TEST(XmlDocument, DeclarationsAndCommentsAreSkippedAnywhere) {
    CXmlDocument doc;
    ASSERT_TRUE(doc.LoadFromString(
        "<?xml version=\"1.0\" encoding=\"utf-8\"?><!-- a <b> \"c\" -->\n"
        "<Window><!-- first --><A/><?pi x?>\n<!--x--><B>text<!-- inside --></B></Window>\n"
        "<!-- after -->"));
    EXPECT_EQ((Items{"A", "B"}), ChildNames(doc.GetRootNode()));
    // A document type declaration runs to the next "->" like a comment.
    ASSERT_TRUE(doc.LoadFromString("<!DOCTYPE Window <x> --><Window/>"));
    EXPECT_STREQ("Window", doc.GetRootNode().GetName());
    // Only comments: loads, with no root.
    ASSERT_TRUE(doc.LoadFromString("<!-- nothing -->"));
    EXPECT_FALSE(doc.GetRootNode().IsValid());
}

TEST(XmlDocument, EmptyElementForms) {
    CXmlDocument doc;
    ASSERT_TRUE(doc.LoadFromString(
        "<W><Font name=\"A\" size=\"12\" underline=\"true\"/><Control /><Control/><End/></W>"));
    CXmlNode font = doc.GetRootNode().FirstChild();
    EXPECT_EQ((Items{"name=A", "size=12", "underline=true"}), Attributes(font));
    EXPECT_EQ((Items{"Font", "Control", "Control", "End"}), ChildNames(doc.GetRootNode()));
    for (CXmlNode c = font.NextSibling(); c.IsValid(); c = c.NextSibling()) {
        EXPECT_FALSE(c.HasChildren());
        EXPECT_EQ(0, c.AttributeCount()) << c.GetName();
    }
    EXPECT_FALSE(font.HasChildren());
}

TEST(XmlDocument, SpacesAroundEqualsAndOnlyDoubleQuotes) {
    CXmlDocument doc;
    ASSERT_TRUE(doc.LoadFromString("<A visible = \"true\"\tx\n=\n\"1\"/>"));
    EXPECT_EQ((Items{"visible=true", "x=1"}), Attributes(doc.GetRootNode()));

    Failure f = ParseFailure("<A visible='true'/>");
    EXPECT_EQ("Expected attribute value", f.message);
    EXPECT_EQ("true'/>", f.location);
}

TEST(XmlDocument, EntitiesInValuesAndContent) {
    CXmlDocument doc;
    ASSERT_TRUE(doc.LoadFromString(
        "<A v=\"&amp;&lt;&gt;\" q=\"&quot;&apos;\" u=\"&copy; &amp &AMP; &&amp;\" last=\"x\">"
        "a &lt; b &amp;&amp; c</A>"));
    CXmlNode a = doc.GetRootNode();
    EXPECT_EQ((Items{"v=&<>", "q=\"'", "u=&copy; &amp &AMP; &&", "last=x"}), Attributes(a));
}

TEST(XmlDocument, ValuesKeepTheirWhitespace) {
    CXmlDocument doc;
    ASSERT_TRUE(doc.LoadFromString("<A t=\"a\tb\n c  d\"/>"));
    EXPECT_STREQ("a\tb\n c  d", doc.GetRootNode().AttributeValue(0));
}

TEST(XmlDocument, TextMayEndWithoutTheRootsOrItsChildrensEndTags) {
    CXmlDocument doc;
    ASSERT_TRUE(doc.LoadFromString("<Window a=\"1\"><A/><B x=\"2\"></B>\n"));
    EXPECT_EQ((Items{"A", "B"}), ChildNames(doc.GetRootNode()));

    // Ends inside the text of a child of the root; the names stay cleanly terminated.
    ASSERT_TRUE(doc.LoadFromString("<Window><A/><Label>some text"));
    EXPECT_EQ((Items{"A", "Label"}), ChildNames(doc.GetRootNode()));
    ASSERT_TRUE(doc.LoadFromString("<Window>text"));
    EXPECT_STREQ("Window", doc.GetRootNode().GetName());

    // A child of the root that has children of its own must be closed.
    Failure f = ParseFailure("<Window><Layout><A/>");
    EXPECT_EQ("Expected start tag", f.message);
    EXPECT_EQ("", f.location);
    f = ParseFailure("<Window><Layout><A>text");
    EXPECT_EQ("Expected end-tag start", f.message);
}

TEST(XmlDocument, EveryParseErrorWithItsLocation) {
    struct Case {
        const char* text;
        const char* message;
        const char* location;
    } cases[] = {
        {"<A/>junk", "Expected start tag", "junk"},
        {"text", "Expected start tag", "text"},
        {"<Abc", "Error parsing element name", ""},
        {"<A x=\"1\"/ >", "Expected start-tag closing", "/ >"},
        {"<A x=\"1\"", "Expected start-tag closing", ""},
        {"<A><B></A>", "Unmatched closing tag", "A>"},
        {"<A></B>", "Unmatched closing tag", "B>"},
        {"<A></AB>", "Unmatched closing tag", ">"},
        {"<A></A", "Unmatched closing tag", ""},
        {"<A x y=\"1\"/>", "Error while parsing attributes", "y=\"1\"/>"},
        {"<A x=1/>", "Expected attribute value", "/>"},
        {"<A x=\"abc", "Error while parsing attribute string", ""},
        {"<W><A><B>x", "Expected end-tag start", ""},
    };
    for (const Case& c : cases) {
        Failure f = ParseFailure(c.text);
        EXPECT_EQ(c.message, f.message) << c.text;
        EXPECT_EQ(c.location, f.location) << c.text;
    }
}

TEST(XmlDocument, ErrorTextsAreBoundedAndSurviveClear) {
    CXmlDocument doc;
    std::string text = "<A/>" + std::string(200, 'z');
    EXPECT_FALSE(doc.LoadFromString(text.c_str()));
    EXPECT_EQ(std::string(49, 'z'), doc.GetLastErrorLocation());
    doc.Clear();
    EXPECT_STREQ("Expected start tag", doc.GetLastErrorMessage());
    // A later successful load starts with clean error texts.
    ASSERT_TRUE(doc.LoadFromString("<A/>"));
    EXPECT_STREQ("", doc.GetLastErrorMessage());
    EXPECT_STREQ("", doc.GetLastErrorLocation());
}

TEST(XmlDocument, AttributeMapShowsAtMost64) {
    std::string text = "<A";
    for (int i = 0; i < 65; ++i)
        text += " a" + std::to_string(i) + "=\"v" + std::to_string(i) + "\"";
    text += "/>";
    CXmlDocument doc(text.c_str());
    CXmlNode a = doc.GetRootNode();
    EXPECT_EQ(64, a.AttributeCount());
    EXPECT_STREQ("a63", a.AttributeName(63));
    EXPECT_STREQ("v63", a.AttributeValue(63));
    EXPECT_STREQ("", a.AttributeName(64));
    EXPECT_STREQ("", a.AttributeValue(-1));
    char value[8];
    EXPECT_FALSE(a.CopyAttributeValue("a64", value, sizeof(value)));
}

TEST(XmlDocument, ContentIsNeverMistakenForAttributes) {
    CXmlDocument doc;
    ASSERT_TRUE(doc.LoadFromString("<W><A x=\"1\">\"quoted\" x=\"2\"<B/></A><C>\"</C></W>"));
    CXmlNode a = doc.GetRootNode().FirstChild();
    EXPECT_EQ((Items{"x=1"}), Attributes(a));
    EXPECT_EQ(0, a.NextSibling().AttributeCount());
    EXPECT_EQ(0, doc.GetRootNode().AttributeCount());
}

TEST(XmlDocument, AttributeMapStopsAtTheEndOfTheText) {
    // The content runs to the end of the text right after the name: mapping must not scan
    // past the text's final NUL (found by fuzzing).
    CXmlDocument doc;
    ASSERT_TRUE(doc.LoadFromString("<A\x10>=:/2>"));
    EXPECT_EQ(0, doc.GetRootNode().AttributeCount());
    ASSERT_TRUE(doc.LoadFromString("<A\t>"));
    EXPECT_EQ(0, doc.GetRootNode().AttributeCount());
}

TEST(XmlDocument, CopyAttributeValue) {
    CXmlDocument doc("<A name=\"abcdef\" Name=\"upper\" empty=\"\"/>");
    CXmlNode a = doc.GetRootNode();
    char buffer[10];
    std::memset(buffer, 'x', sizeof(buffer));
    ASSERT_TRUE(a.CopyAttributeValue("name", buffer, sizeof(buffer)));
    EXPECT_EQ(std::string("abcdef\0\0\0\0", 10), std::string(buffer, 10));
    ASSERT_TRUE(a.CopyAttributeValue("Name", buffer, sizeof(buffer)));
    EXPECT_STREQ("upper", buffer);
    // Cut at the caller's size, always NUL-terminated.
    std::memset(buffer, 'x', sizeof(buffer));
    ASSERT_TRUE(a.CopyAttributeValue("name", buffer, 4));
    EXPECT_EQ(std::string("abc\0xx", 6), std::string(buffer, 6));
    ASSERT_TRUE(a.CopyAttributeValue("empty", buffer, sizeof(buffer)));
    EXPECT_STREQ("", buffer);
    EXPECT_FALSE(a.CopyAttributeValue("NAME", buffer, sizeof(buffer)));
    EXPECT_FALSE(CXmlNode().CopyAttributeValue("name", buffer, sizeof(buffer)));
}

TEST(XmlDocument, InvalidNodeGivesEmptyResults) {
    CXmlDocument doc;
    EXPECT_FALSE(doc.GetRootNode().IsValid());
    CXmlNode n;
    EXPECT_EQ(nullptr, n.GetName());
    EXPECT_FALSE(n.FirstChild().IsValid());
    EXPECT_FALSE(n.NextSibling().IsValid());
    EXPECT_FALSE(n.HasChildren());
    EXPECT_FALSE(n.HasAttributes());
    EXPECT_EQ(0, n.AttributeCount());
    EXPECT_EQ(nullptr, n.AttributeName(0));
    EXPECT_EQ(nullptr, n.AttributeValue(0));
}

TEST(XmlDocument, ReloadReplacesAndFailureEmpties) {
    CXmlDocument doc("<First/>");
    ASSERT_TRUE(doc.GetRootNode().IsValid());
    EXPECT_FALSE(doc.LoadFromString("<Broken"));
    EXPECT_FALSE(doc.GetRootNode().IsValid());
    EXPECT_FALSE(doc.LoadFromString(nullptr));
    ASSERT_TRUE(doc.LoadFromString("<Second/>"));
    EXPECT_STREQ("Second", doc.GetRootNode().GetName());
    ASSERT_TRUE(doc.LoadFromString(""));
    EXPECT_FALSE(doc.GetRootNode().IsValid());
}

// ---------------------------------------------------------------------------------------
// Encodings
// ---------------------------------------------------------------------------------------

namespace {

const char kAsciiSkin[] = "<Window a=\"1\"><B t=\"x &amp; y\"/></Window>";

std::string Utf16(const std::string& ascii, bool bigEndian) {
    std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char c : ascii) {
        if (bigEndian) out += '\0';
        out += c;
        if (!bigEndian) out += '\0';
    }
    return out;
}

}  // namespace

TEST(XmlDocument, Utf8WithAndWithoutByteOrderMark) {
    CXmlDocument plain, marked;
    std::string text = kAsciiSkin;
    std::string bom = "\xEF\xBB\xBF" + text;
    ASSERT_TRUE(plain.LoadFromBuffer(text.data(), text.size(), SkinUI::XmlEncodingUtf8));
    ASSERT_TRUE(marked.LoadFromBuffer(bom.data(), bom.size(), SkinUI::XmlEncodingUtf8));
    EXPECT_STREQ(plain.GetRootNode().GetName(), marked.GetRootNode().GetName());
    EXPECT_STREQ("x & y", marked.GetRootNode().FirstChild().AttributeValue(0));
}

TEST(XmlDocument, Utf16BothByteOrdersGiveTheSameText) {
    for (bool bigEndian : {true, false}) {
        std::string bytes = Utf16(kAsciiSkin, bigEndian) + "!";  // odd trailing byte ignored
        const std::string before = bytes;
        CXmlDocument doc;
        ASSERT_TRUE(doc.LoadFromBuffer(bytes.data(), bytes.size(), SkinUI::XmlEncodingUtf16));
        EXPECT_STREQ("Window", doc.GetRootNode().GetName());
        EXPECT_STREQ("x & y", doc.GetRootNode().FirstChild().AttributeValue(0));
        EXPECT_EQ(before, bytes) << "the caller's bytes are left as they were";
    }
}

TEST(XmlDocument, Utf16WithoutByteOrderMarkFails) {
    std::string noMark = Utf16(kAsciiSkin, false).substr(2);
    CXmlDocument doc("<Old/>");
    EXPECT_FALSE(doc.LoadFromBuffer(noMark.data(), noMark.size(), SkinUI::XmlEncodingUtf16));
    EXPECT_STREQ("Missing UTF-16 byte order mark", doc.GetLastErrorMessage());
    EXPECT_FALSE(doc.GetRootNode().IsValid());
    EXPECT_FALSE(doc.LoadFromBuffer("\xFF", 1, SkinUI::XmlEncodingUtf16));
    EXPECT_FALSE(doc.LoadFromBuffer("", 0, SkinUI::XmlEncodingUtf16));
    // Only the mark: an empty text, which holds no element.
    EXPECT_TRUE(doc.LoadFromBuffer("\xFF\xFE", 2, SkinUI::XmlEncodingUtf16));
    EXPECT_FALSE(doc.GetRootNode().IsValid());
}

TEST(XmlDocument, AnsiIsCopiedAsIsAndUnknownEncodingsAreAnsi) {
    const char bytes[] = "<A t=\"\xB0\xA1\"/>\0<Ignored";
    for (int encoding : {2, 7}) {
        CXmlDocument doc;
        ASSERT_TRUE(doc.LoadFromBuffer(bytes, sizeof(bytes) - 1,
                                       static_cast<SkinUI::XmlEncoding>(encoding)));
        EXPECT_STREQ("\xB0\xA1", doc.GetRootNode().AttributeValue(0));
    }
}

TEST(XmlDocument, Utf8IsConvertedToTheDoubleByteCodePage) {
    XMLTEST_IN_CODE_PAGE(936);
    // U+4E2D U+6587 ("zhongwen") in UTF-8 becomes D6D0 CEC4 in code page 936.
    std::string text = "<A t=\"\xE4\xB8\xAD\xE6\x96\x87\">\xE4\xB8\xAD</A>";
    CXmlDocument doc;
    ASSERT_TRUE(doc.LoadFromBuffer(text.data(), text.size(), SkinUI::XmlEncodingUtf8));
    EXPECT_STREQ("\xD6\xD0\xCE\xC4", doc.GetRootNode().AttributeValue(0));
    const char units[] = "\xFF\xFE<\0A\0 \0t\0=\0\"\0\x2D\x4E\x87\x65\"\0/\0>\0";
    std::string utf16(units, sizeof(units) - 1);
    ASSERT_TRUE(doc.LoadFromBuffer(utf16.data(), utf16.size(), SkinUI::XmlEncodingUtf16));
    EXPECT_STREQ("\xD6\xD0\xCE\xC4", doc.GetRootNode().AttributeValue(0));
}

TEST(XmlDocument, Utf8IsConvertedToTheSingleByteCodePage) {
    XMLTEST_IN_CODE_PAGE(1252);
    // e-acute and the euro sign exist in 1252; CJK characters do not.
    std::string text = "<A t=\"\xC3\xA9\xE2\x82\xAC\" u=\"\xE4\xB8\xAD\"/>";
    CXmlDocument doc;
    ASSERT_TRUE(doc.LoadFromBuffer(text.data(), text.size(), SkinUI::XmlEncodingUtf8));
    EXPECT_STREQ("\xE9\x80", doc.GetRootNode().AttributeValue(0));
    EXPECT_STREQ("?", doc.GetRootNode().AttributeValue(1));
}

TEST(XmlDocument, DoubleByteTrailBytesAreNeverDelimiters) {
    XMLTEST_IN_CODE_PAGE(936);
    // Each lead byte 0x81 takes the following "<", ">", "\"", "/" or "&" as its trail byte.
    std::string text =
        "<W><A t=\"\x81\"\x81/\x81>\x81&amp;\" u=\"2\">\x81<\x81>text\x81/</A>"
        "<B v=\"\x81\"\"/></W>";
    CXmlDocument doc;
    ASSERT_TRUE(doc.LoadFromString(text.c_str())) << doc.GetLastErrorMessage();
    CXmlNode a = doc.GetRootNode().FirstChild();
    EXPECT_STREQ("\x81\"\x81/\x81>\x81&amp;", a.AttributeValue(0));
    EXPECT_STREQ("2", a.AttributeValue(1));
    EXPECT_STREQ("\x81\"", a.NextSibling().AttributeValue(0));
    // A lead byte at the very end of a value is a single character.
    ASSERT_TRUE(doc.LoadFromString("<A t=\"\xD6\xD0\xD6\xD0\"/>"));
    char cut[4];
    ASSERT_TRUE(doc.GetRootNode().CopyAttributeValue("t", cut, sizeof(cut)));
    EXPECT_STREQ("\xD6\xD0", cut) << "a double-byte character is never split";
}

TEST(XmlDocument, SingleByteCodePageHasNoTrailBytes) {
    XMLTEST_IN_CODE_PAGE(1252);
    // The same bytes are ordinary characters: 0x81 no longer hides the quote.
    CXmlDocument doc;
    ASSERT_TRUE(doc.LoadFromString("<A t=\"\x81\" u=\"\x81/\"/>"));
    EXPECT_STREQ("\x81", doc.GetRootNode().AttributeValue(0));
    EXPECT_STREQ("\x81/", doc.GetRootNode().AttributeValue(1));
}
