// The names a publisher sets when configuring the build (CMake cache variables
// LOADER_CLIENT_EXE, LOADER_UNINSTALL_KEY, LOADER_QUERY_VERSION, LOADER_CHANNEL), defined
// in a source generated from publisher_settings.cpp.in. Configuring has checked them.
#pragma once

namespace loader {

// The client executable's file name, appended directly to the install directory.
extern const char kClientExecutable[];
// The client's key name under HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\.
extern const char kUninstallKey[];
// What the version query sends: "?version=" kQueryVersion "&channel=" kChannel.
extern const char kQueryVersion[];
extern const char kChannel[];

}  // namespace loader
