// libFuzzer target for the version reply parser: any body must parse or fail cleanly, and a
// member is only ever reported from a parsed reply.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "loader/version_reply.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const loader::VersionReply reply = loader::ParseVersionReply(text);
    if (!reply.parsed && (reply.hasUrl || reply.hasVersion || reply.hasSha256)) std::abort();
    if (!reply.parsed && reply.errorOffset > size) std::abort();
    if (!reply.hasUrl && !reply.url.empty()) std::abort();
    if (!reply.hasVersion && !reply.version.empty()) std::abort();
    if (!reply.hasSha256 && !reply.sha256.empty()) std::abort();
    return 0;
}
