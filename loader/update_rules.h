// The update decision's rules that need no window and no platform: the version query's
// address, the version comparison, the command line handed to a started program and the
// progress percentage. They build in both trees so the sanitizers can run over them.
#pragma once

#include <string>

namespace loader {

// Switch words and the variable that tell a started program how it was started.
inline constexpr char kIgnoreUpdateSwitch[] = "ignore-update";
inline constexpr char kSilenceSwitch[] = "silence";
inline constexpr char kInstallPathVariable[] = "INSTALLPATH";

// The text after the last '.' of source (the whole text when it has none).
std::string ChannelOf(const std::string& source);

// base + "?version=" + kQueryVersion + "&channel=" + kChannel (the publisher's settings;
// ?version=1.0.0.1&channel=1002 by default), concatenated as is: nothing is escaped.
std::string VersionQueryUrl(const std::string& base);

// True when an installed client of version local needs no update from the service's
// version: local is not empty and is byte-wise (unsigned, lexicographic) equal to or
// greater than server. An empty server version is smaller than any installed one.
bool IsInstalledVersionCurrent(const std::string& local, const std::string& server);

// "ignore-update" for the client; "silenceignore-update" (one word) for an installer.
std::string LaunchCommandLine(bool asInstaller);

// Integer part of done * 100 / total, clamped to 0..100. A total that is not positive, or a
// quotient that is NaN or negative, gives 0; an infinite quotient gives 100.
unsigned ProgressPercent(double total, double done);

}  // namespace loader
