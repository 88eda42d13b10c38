// The opt-in diagnostic log for support desks: one line per step of a run, each with the
// local time in milliseconds and the thread, appended to loader.log in the folder <folder>
// under the user's local application data (the shell's known folder, not the environment's
// LOCALAPPDATA). Lines are written whole and reach the file at once (a crash keeps what came
// before), from any thread. Past 1 MB the file becomes loader.old.log and a new one starts.
// Nothing is written unless Open was called (builds with LOADER_LOG); a log that cannot be
// written, or whose folder or file is a link (see LogFolder), is silently skipped and never
// changes what the loader does.
#pragma once

#include <string>

class DiagnosticLog {
public:
    // Turns the log on, in the folder called folderName under the user's local application
    // data (created when missing).
    static void Open(const std::string& folderName);
    static bool Enabled();
    // Appends one line (no line end in text).
    static void Line(const std::string& text);

    // The system's text for a Win32 error code, on one line.
    static std::string SystemErrorText(unsigned long code);
};
