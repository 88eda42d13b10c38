// Reads the version service's reply: a JSON object whose string members "url" and "version"
// name the installer package and the current client version.
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
};

// Parses text as standard JSON (one root value, only white space after it). A member that is
// missing, not a string, or in a root that is not an object counts as absent. When a name
// occurs more than once, its first occurrence decides.
VersionReply ParseVersionReply(const std::string& text);

}  // namespace loader
