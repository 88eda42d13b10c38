// The update decision's platform-free rules (see update_rules.h).
#include "loader/update_rules.h"

#include <cstring>

#include "loader/publisher_settings.h"

namespace loader {

std::string ChannelOf(const std::string& source) {
    // npos + 1 wraps to 0: without a dot the whole text is the channel.
    return source.substr(source.rfind('.') + 1);
}

std::string VersionQueryUrl(const std::string& base) {
    return base + "?version=" + kQueryVersion + "&channel=" + kChannel;
}

bool IsInstalledVersionCurrent(const std::string& local, const std::string& server) {
    if (local.empty()) return false;
    // memcmp compares as unsigned bytes, whatever the signedness of char.
    const std::size_t common = local.size() < server.size() ? local.size() : server.size();
    const int order = std::memcmp(local.data(), server.data(), common);
    if (order != 0) return order > 0;
    return local.size() >= server.size();
}

std::string LaunchCommandLine(bool asInstaller) {
    std::string line = asInstaller ? kSilenceSwitch : "";
    return line + kIgnoreUpdateSwitch;
}

unsigned ProgressPercent(double total, double done) {
    // An empty or unknown total says nothing about how far the transfer is.
    if (!(total > 0.0)) return 0;
    const double quotient = done * 100.0 / total;
    // Clamp while still a double: converting NaN or a value outside the unsigned range to
    // an integer is undefined. NaN fails every comparison and lands on 0; an infinite
    // quotient (done far beyond total) counts as complete.
    if (!(quotient > 0.0)) return 0;
    if (quotient >= 100.0) return 100;
    return static_cast<unsigned>(quotient);
}

}  // namespace loader
