// Where skin files come from: the process-wide resource path, resource zip and kept-open
// archive that the window manager's static settings own. The parser reads them here, so it
// depends on no window code; the window manager's setters and getters write and read this
// same record.
#pragma once

#include <string>

namespace SkinUI {

class CZipArchive;

struct TSkinSource {
    std::string resourcePath;  // prefix of every skin file name (ANSI)
    std::string resourceZip;   // archive under resourcePath holding the skin files; empty = none
    CZipArchive* cachedZip = nullptr;  // archive kept open for every load; not owned here
};

// The one record of the process (UI thread only).
TSkinSource& SkinSource();

}  // namespace SkinUI
