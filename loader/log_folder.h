// The diagnostic log's folder, opened so that nothing the user can plant redirects what the
// elevated loader writes there. The folder is found through the shell's known-folder API (the
// environment's LOCALAPPDATA is the user's to set); it and every file in it are opened
// without following reparse points (junctions, symbolic links) and must then resolve to
// exactly where they were named, which also catches links that a platform follows anyway
// (wine's Unix symbolic links). The folder and its parent stay open without delete sharing,
// so neither can be renamed or replaced while the loader runs.
#pragma once

#include <windows.h>

#include <string>

#include "loader/owned_handle.h"

class LogFolder {
public:
    // Opens folderName under the user's local application data, creating it when missing.
    explicit LogFolder(const std::string& folderName);
    LogFolder(const LogFolder&) = delete;
    LogFolder& operator=(const LogFolder&) = delete;

    // False when the folder could not be opened or is not safe to write in.
    bool Usable() const { return usable_; }
    // Opens fileName in the folder for appending, creating it when missing; an invalid handle
    // when it is anything but a plain file right there (a link, a second name of another file).
    HANDLE OpenForAppend(const std::string& fileName) const;
    // Renames from onto to (replacing it), both in the folder; false when from is not a plain
    // file there or the rename fails.
    bool Rename(const std::string& from, const std::string& to) const;

private:
    LogFolder(const std::string& base, const std::string& folderName);

    std::string path_;       // <local application data>\<folder name>
    OwnedHandle parent_;     // the local application data folder
    OwnedHandle folder_;     // the log folder
    std::string finalPath_;  // the folder as the system resolves its open handle
    bool usable_ = false;
};
