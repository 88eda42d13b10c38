// One loader per user session: a named mutex in the session's namespace, held for the whole
// run. A second loader finds it taken, brings the first one's window to the front and ends.
#pragma once

#include <windows.h>

class SingleInstance {
public:
    // Creates (or opens) the session's mutex called name.
    explicit SingleInstance(const char* name);
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // True when another loader of this session already holds the name.
    bool AnotherRuns() const { return anotherRuns_; }

    // Brings the shown window of class windowClass and caption title to the front, if any.
    static void BringToFront(const char* windowClass, const char* title);

private:
    HANDLE mutex_ = nullptr;
    bool anotherRuns_ = false;
};
