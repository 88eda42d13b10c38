// Checks shared by everything the elevated loader opens, writes or deletes by name in a folder
// a user may have touched: the entry must be itself, not a link. A handle opened with
// FILE_FLAG_OPEN_REPARSE_POINT is the entry at the name, never what a reparse point leads to;
// its final name must still be the name it was opened by, since a Unix symbolic link under
// wine (which reports no reparse point) or a link anywhere on the way makes that name another.
#pragma once

#include <windows.h>

#include <string>

namespace loader {

enum class EntryKind { File, Folder };

// text (ANSI code page) as UTF-16; empty when it is empty or not valid in that code page, so
// a name that cannot be converted exactly is never opened as another.
std::wstring Widen(const std::string& text);

// Whether handle (opened on the entry itself) is a plain file or folder of the given kind with
// no reparse point whose final name is path (compared without regard to case). With
// singleName, a file must also have no second name (a hard link would let it be another's).
bool IsPlainEntryAt(HANDLE handle, const std::wstring& path, EntryKind kind,
                    bool singleName = false);
// The same for a path in the ANSI code page.
bool IsPlainEntryAt(HANDLE handle, const std::string& path, EntryKind kind,
                    bool singleName = false);

// Deletes the plain file at path through a handle opened on the entry itself and checked as
// above, never by name again; false when it is anything else, or cannot go (a running image).
bool DeletePlainFile(const std::wstring& path);
bool DeletePlainFile(const std::string& path);

}  // namespace loader
