// The version service's reply: which members count, and which texts are not JSON.
#include "loader/version_reply.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using loader::ParseVersionReply;
using loader::VersionReply;

TEST(VersionReply, ReadsStringMembersAndIgnoresOthers) {
    VersionReply r = ParseVersionReply(
        R"( {"a":[1,{"url":"x"}],"version":"1.0.0.10","url":"https://p/i.exe"} )");
    ASSERT_TRUE(r.parsed);
    EXPECT_TRUE(r.hasUrl);
    EXPECT_EQ(r.url, "https://p/i.exe");
    EXPECT_TRUE(r.hasVersion);
    EXPECT_EQ(r.version, "1.0.0.10");
}

TEST(VersionReply, FirstOfDuplicateNamesWinsAndNamesMatchExactly) {
    VersionReply r = ParseVersionReply(R"({"URL":"u0","url":"u1","url":"u2","Version":"v"})");
    ASSERT_TRUE(r.parsed);
    EXPECT_EQ(r.url, "u1");
    EXPECT_FALSE(r.hasVersion);
}

TEST(VersionReply, MissingOrNonStringMembersAreAbsent) {
    for (const char* text : {R"({})", R"({"url":1,"version":null})", R"({"url":{},"version":[]})",
                             R"({"url":true,"version":1.5})"}) {
        VersionReply r = ParseVersionReply(text);
        EXPECT_TRUE(r.parsed) << text;
        EXPECT_FALSE(r.hasUrl) << text;
        EXPECT_FALSE(r.hasVersion) << text;
    }
    // A non-string first occurrence is not skipped in favour of a later string.
    VersionReply r = ParseVersionReply(R"({"url":5,"url":"later"})");
    EXPECT_FALSE(r.hasUrl);
}

TEST(VersionReply, RootThatIsNotAnObjectParsesWithNoMembers) {
    for (const char* text : {R"("url")", "[{\"url\":\"x\"}]", "42", "null"}) {
        VersionReply r = ParseVersionReply(text);
        EXPECT_TRUE(r.parsed) << text;
        EXPECT_FALSE(r.hasUrl) << text;
        EXPECT_FALSE(r.hasVersion) << text;
    }
}

TEST(VersionReply, InvalidJsonIsReportedWithItsOffset) {
    struct Case {
        std::string text;
        std::size_t offset;
    };
    const Case cases[] = {
        {"", 0},
        {"   ", 3},
        {R"({"url":"x"} trailing)", 12},
        {R"({"url":"x"}{})", 11},
        {R"({"url":"x",})", 11},
        {"{/*c*/}", 1},
        {R"({'url':'x'})", 1},
        {"<html>502</html>", 0},
    };
    for (const Case& c : cases) {
        VersionReply r = ParseVersionReply(c.text);
        EXPECT_FALSE(r.parsed) << c.text;
        EXPECT_EQ(r.errorOffset, c.offset) << c.text;
        EXPECT_FALSE(r.hasUrl);
        EXPECT_FALSE(r.hasVersion);
    }
}

TEST(VersionReply, ARawNulByteEndsTheTextAsInRapidJson) {
    VersionReply r = ParseVersionReply(std::string("{\"url\":\"x\"}\0garbage", 19));
    EXPECT_TRUE(r.parsed);
    EXPECT_EQ(r.url, "x");
    EXPECT_FALSE(ParseVersionReply(std::string("{\"url\":\0\"x\"}", 12)).parsed);
}

TEST(VersionReply, KeepsEmbeddedNulAndEscapes) {
    VersionReply r = ParseVersionReply(R"({"version":"1\u00002","url":"a\/b\"c"})");
    ASSERT_TRUE(r.parsed);
    EXPECT_EQ(r.version, std::string("1\0"
                                     "2",
                                     3));
    EXPECT_EQ(r.url, "a/b\"c");
}

TEST(VersionReply, DeepNestingDoesNotExhaustTheStack) {
    // Far deeper than any recursive descent survives on a thread's stack.
    const std::size_t depth = 2000000;
    std::string text(depth, '[');
    EXPECT_TRUE(ParseVersionReply(text + std::string(depth, ']')).parsed);
    EXPECT_FALSE(ParseVersionReply("{\"a\":" + text).parsed);
}

// A sign-in page of a hotel's or cafe's network is told apart from the service's errors.
TEST(VersionReply, AWebPageFromAnInterceptingNetworkHasItsOwnReason) {
    using loader::ClassifyQuery;
    using loader::QueryFailure;
    struct Case {
        bool ok;
        long status;
        const char* contentType;
        const char* body;
        QueryFailure failure;
    };
    const Case cases[] = {
        {true, 200, "application/json", R"({"url":"u"})", QueryFailure::None},
        {true, 200, "Text/HTML; charset=utf-8", R"({"url":"u"})", QueryFailure::WebPage},
        {true, 200, "application/xhtml+xml", "x", QueryFailure::WebPage},
        {true, 200, "", " \r\n\t<!DOCTYPE html><html>", QueryFailure::WebPage},
        {true, 200, "text/plain", "<html>", QueryFailure::WebPage},
        {true, 200, "text/htmlx", "{}", QueryFailure::None},
        {false, 204, "text/html", "", QueryFailure::WebPage},
        {false, 511, "", "<html>sign in</html>", QueryFailure::WebPage},
        // An error page of the service itself stays an error status.
        {false, 503, "text/html", "<html>busy</html>", QueryFailure::ErrorStatus},
        {false, 404, "application/json", "{}", QueryFailure::ErrorStatus},
        {false, 200, "application/json", "{\"url", QueryFailure::NoAnswer},
        {false, 0, "", "", QueryFailure::NoAnswer},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ClassifyQuery(c.ok, c.status, c.contentType, c.body), c.failure)
            << c.status << " " << c.contentType << " " << c.body;
    }
    EXPECT_STREQ(loader::QueryFailureReason(QueryFailure::WebPage),
                 "the network answered with a web page");
}

TEST(VersionReply, MirrorsAreTheStringsOfTheFirstMirrorsArray) {
    EXPECT_TRUE(ParseVersionReply(R"({"url":"u"})").mirrors.empty());
    EXPECT_TRUE(ParseVersionReply(R"({"mirrors":"m"})").mirrors.empty());
    EXPECT_EQ(ParseVersionReply(R"({"mirrors":["a",1,null,"b",["c"]],"mirrors":["z"]})").mirrors,
              (std::vector<std::string>{"a", "b"}));
}

}  // namespace
