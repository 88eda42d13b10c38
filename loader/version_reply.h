// Reads the version service's reply: a JSON object whose string members "url" and "version"
// name the installer package and the current client version, and whose optional member
// "sha256" is the package's checksum.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace loader {

struct VersionReply {
    bool parsed = false;          // the text is one well-formed JSON value
    std::size_t errorOffset = 0;  // where parsing failed (when not parsed)
    bool hasUrl = false;          // the root is an object whose first "url" is a string
    std::string url;
    bool hasVersion = false;  // the root is an object whose first "version" is a string
    std::string version;
    // The root is an object with a member "sha256", of whatever type: a publisher who sends
    // it means the package to be checked, so a value that is no checksum must fail the check
    // rather than count as absent.
    bool hasSha256 = false;
    std::string sha256;  // its text when the first "sha256" is a string; empty otherwise
    // Further package URLs, tried in order after "url": the string elements of the first
    // "mirrors" member when it is an array (anything else in it is skipped); none otherwise.
    std::vector<std::string> mirrors;
};

// Why a version query gave no usable reply: for the diagnostic log and for the window, which
// may tell the player.
enum class QueryFailure {
    None,         // a reply arrived and was read
    NoAnswer,     // no HTTP answer at all (no connection, time-out, TLS failure)
    ErrorStatus,  // the service answered with a status other than 200
    WebPage,      // the network answered with a web page (a hotel's or cafe's sign-in page)
    NotJson,      // the reply was no JSON text
};

// The reason in words, as the log writes it.
const char* QueryFailureReason(QueryFailure failure);

// Whether a reply is a web page rather than the service's JSON: an HTML content type
// (text/html or application/xhtml+xml, in any case, with or without parameters), or a body
// whose first character after white space is '<'. Networks that hold traffic until the
// player signs in answer every address with such a page.
bool LooksLikeWebPage(const std::string& contentType, const std::string& body);

// The failure of a query from its outcome (ok: the request succeeded), the status of its
// answer (0: none), the reply's content type and body. A web page from a network that
// intercepts (a 2xx reply, or 511 "network authentication required") is named as such before
// any other reason; an answer that broke off counts as none. NotJson is the caller's to find.
QueryFailure ClassifyQuery(bool ok, long status, const std::string& contentType,
                           const std::string& body);

// Parses text as standard JSON (one root value, only white space after it). A "url" or
// "version" that is missing, not a string, or in a root that is not an object counts as
// absent. When a name occurs more than once, its first occurrence decides.
VersionReply ParseVersionReply(const std::string& text);

}  // namespace loader
