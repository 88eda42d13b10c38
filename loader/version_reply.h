// Reads the version service's reply: a JSON object whose string members "url" and "version"
// name the installer package and the current client version, and whose optional member
// "sha256" is the package's checksum.
#pragma once

#include <cstddef>
#include <string>

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
};

// Parses text as standard JSON (one root value, only white space after it). A "url" or
// "version" that is missing, not a string, or in a root that is not an object counts as
// absent. When a name occurs more than once, its first occurrence decides.
VersionReply ParseVersionReply(const std::string& text);

}  // namespace loader
