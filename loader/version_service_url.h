// The version service's base URL, built in at build time (CMake cache variable
// LOADER_VERSION_SERVICE_URL): "https://" + host + "/Home/version/".
#pragma once

namespace loader {

// Defined in its own generated source as a fixed-size array, so that every use reads the
// stored text rather than a length the compiler worked out beforehand.
extern const char kVersionServiceUrl[256];

}  // namespace loader
