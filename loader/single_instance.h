// One loader per user session and publisher: a named mutex in the session's namespace, held
// for the whole run. A second loader finds it taken, brings the first one's window to the
// front and ends.
//
// Any program of the user can create that name first. Only an elevated process can make
// the Administrators group the owner of what it creates, so the loader's mutex carries that
// owner (and lets only administrators and SYSTEM open it): a mutex of the name with another
// owner, one that cannot be opened, or one reached under another name (through a symbolic
// link in the session's namespace) is not a loader's, and the loader runs regardless.
#pragma once

#include "loader/owned_handle.h"

class SingleInstance {
public:
    // Creates (or opens) the session's mutex called name ("Local\<name>").
    explicit SingleInstance(const char* name);
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // True when another loader of this session already holds the name.
    bool AnotherRuns() const { return anotherRuns_; }
    // True when some other program holds the name (the loader runs without the mutex).
    bool Squatted() const { return squatted_; }

    // Brings the shown window of class windowClass and caption title to the front, if any.
    static void BringToFront(const char* windowClass, const char* title);

private:
    // What creating the mutex found: the mutex to hold (null when none) and whose the name is.
    struct Claim {
        HANDLE held = nullptr;
        bool anotherRuns = false;
        bool squatted = false;
    };
    static Claim ClaimName(const char* name);
    explicit SingleInstance(const Claim& claim);

    OwnedHandle mutex_;
    bool anotherRuns_;
    bool squatted_;
};
