// How far the product trusts its network, built in at build time (CMake cache variables
// LOADER_VERSION_SERVICE_PIN, LOADER_TLS_VERIFY and LOADER_REQUIRE_PACKAGE_SHA256).
#pragma once

namespace loader {

// The version service's public-key pins ("sha256//<base64>", several joined by ';'), or
// empty. A fixed-size array like the service URL, so a copy of the product can carry others.
extern const char kVersionServicePin[512];
// Certificate and host-name checks stay on for every https transfer.
extern const bool kTlsVerify;
// A package is started only when the reply names its valid "sha256".
extern const bool kRequirePackageSha256;

}  // namespace loader
