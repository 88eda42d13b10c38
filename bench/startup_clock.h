// The start-up benchmarks' clock: milliseconds since the operating system created this
// process, so the loader's own start (module loading, runtime set-up) is counted too.
#pragma once

#include <windows.h>

namespace startupbench {

inline double MsSinceProcessStart() {
    FILETIME created, exited, kernel, user, now;
    ::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user);
    ::GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER a, b;
    a.LowPart = created.dwLowDateTime;
    a.HighPart = created.dwHighDateTime;
    b.LowPart = now.dwLowDateTime;
    b.HighPart = now.dwHighDateTime;
    return static_cast<double>(b.QuadPart - a.QuadPart) / 10000.0;  // 100 ns units
}

}  // namespace startupbench
