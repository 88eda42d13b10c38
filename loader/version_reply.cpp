// Version reply parsing over RapidJSON (see version_reply.h).
#include "loader/version_reply.h"

#include <rapidjson/document.h>

namespace loader {

namespace {

// The first member called name, when it is a string; RapidJSON must never be asked for the
// string of another type (it asserts).
bool ReadStringMember(const rapidjson::Value& root, const char* name, std::string& out) {
    const auto member = root.FindMember(name);
    if (member == root.MemberEnd() || !member->value.IsString()) return false;
    out.assign(member->value.GetString(), member->value.GetStringLength());
    return true;
}

}  // namespace

VersionReply ParseVersionReply(const std::string& text) {
    VersionReply reply;
    rapidjson::Document document;
    // The iterative parser accepts exactly what the default recursive one accepts, but a
    // deeply nested reply cannot exhaust the stack. (Like every RapidJSON stream, the
    // length form takes a raw NUL byte as the end of the text.)
    document.Parse<rapidjson::kParseIterativeFlag>(text.data(), text.size());
    if (document.HasParseError()) {
        reply.errorOffset = document.GetErrorOffset();
        return reply;
    }
    reply.parsed = true;
    if (!document.IsObject()) return reply;
    reply.hasUrl = ReadStringMember(document, "url", reply.url);
    reply.hasVersion = ReadStringMember(document, "version", reply.version);
    reply.hasSha256 = document.FindMember("sha256") != document.MemberEnd();
    ReadStringMember(document, "sha256", reply.sha256);
    return reply;
}

}  // namespace loader
