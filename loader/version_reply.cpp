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

const char* QueryFailureReason(QueryFailure failure) {
    switch (failure) {
        case QueryFailure::None:
            return "none";
        case QueryFailure::NoAnswer:
            return "the service did not answer";
        case QueryFailure::ErrorStatus:
            return "the service answered with an error status";
        case QueryFailure::WebPage:
            return "the network answered with a web page";
        case QueryFailure::NotJson:
            return "the reply is not valid JSON";
    }
    return "unknown";
}

bool LooksLikeWebPage(const std::string& contentType, const std::string& body) {
    std::string type = contentType.substr(0, contentType.find(';'));
    while (!type.empty() && (type.back() == ' ' || type.back() == '\t')) type.pop_back();
    for (char& c : type) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    if (type == "text/html" || type == "application/xhtml+xml") return true;
    const std::size_t first = body.find_first_not_of(" \t\r\n");
    return first != std::string::npos && body[first] == '<';
}

QueryFailure ClassifyQuery(bool ok, long status, const std::string& contentType,
                           const std::string& body) {
    if (status == 0) return QueryFailure::NoAnswer;
    const bool intercepting = (status >= 200 && status < 300) || status == 511;
    if (intercepting && LooksLikeWebPage(contentType, body)) return QueryFailure::WebPage;
    if (ok) return QueryFailure::None;
    return status == 200 ? QueryFailure::NoAnswer : QueryFailure::ErrorStatus;
}

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
    const auto mirrors = document.FindMember("mirrors");
    if (mirrors != document.MemberEnd() && mirrors->value.IsArray()) {
        for (const auto& element : mirrors->value.GetArray()) {
            if (element.IsString()) {
                reply.mirrors.emplace_back(element.GetString(), element.GetStringLength());
            }
        }
    }
    return reply;
}

}  // namespace loader
