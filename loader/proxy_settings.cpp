// Proxy and bypass lists in the form Windows' Internet Settings store them.
#include "loader/proxy_settings.h"

#include <cctype>
#include <vector>

namespace loader {
namespace {

struct UrlParts {
    std::string scheme;  // lower case
    std::string host;    // lower case, without brackets around an IPv6 address
    std::string port;
};

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

UrlParts SplitUrl(const std::string& url) {
    UrlParts parts;
    std::size_t at = url.find("://");
    std::size_t start = 0;
    if (at != std::string::npos) {
        parts.scheme = Lower(url.substr(0, at));
        start = at + 3;
    }
    std::size_t end = url.find_first_of("/?#", start);
    std::string authority = url.substr(start, end == std::string::npos ? end : end - start);
    const std::size_t userEnd = authority.rfind('@');
    if (userEnd != std::string::npos) authority.erase(0, userEnd + 1);
    std::size_t portStart = std::string::npos;
    if (!authority.empty() && authority[0] == '[') {
        const std::size_t close = authority.find(']');
        parts.host = authority.substr(1, close == std::string::npos ? close : close - 1);
        if (close != std::string::npos && close + 1 < authority.size() &&
            authority[close + 1] == ':') {
            portStart = close + 2;
        }
    } else {
        const std::size_t colon = authority.rfind(':');
        parts.host = authority.substr(0, colon);
        if (colon != std::string::npos) portStart = colon + 1;
    }
    parts.host = Lower(parts.host);
    if (portStart != std::string::npos) parts.port = authority.substr(portStart);
    if (parts.port.empty()) parts.port = parts.scheme == "https" ? "443" : "80";
    return parts;
}

std::vector<std::string> Items(const std::string& list, const char* separators) {
    std::vector<std::string> items;
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t end = list.find_first_of(separators, start);
        if (end == std::string::npos) end = list.size();
        if (end > start) items.push_back(list.substr(start, end - start));
        start = end + 1;
    }
    return items;
}

// Case-insensitive match of text against a pattern whose '*' stands for any run of characters.
bool Matches(const std::string& pattern, const std::string& text) {
    std::size_t p = 0, t = 0, star = std::string::npos, resume = 0;
    while (t < text.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            resume = t;
        } else if (p < pattern.size() && std::tolower(static_cast<unsigned char>(pattern[p])) ==
                                             std::tolower(static_cast<unsigned char>(text[t]))) {
            ++p;
            ++t;
        } else if (star != std::string::npos) {
            p = star + 1;
            t = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

bool Bypassed(const UrlParts& url, const std::string& bypassList) {
    for (std::string pattern : Items(bypassList, "; \t\r\n,")) {
        if (Lower(pattern) == "<local>") {
            // A name without a dot is on the local network (an address always has one or a ':').
            if (url.host.find_first_of(".:") == std::string::npos) return true;
            continue;
        }
        const std::size_t scheme = pattern.find("://");
        if (scheme != std::string::npos) {
            if (Lower(pattern.substr(0, scheme)) != url.scheme) continue;
            pattern.erase(0, scheme + 3);
        }
        if (!pattern.empty() && pattern[0] == '[') {  // [v6 address] or [v6 address]:port
            const std::size_t close = pattern.find(']');
            const std::string host =
                pattern.substr(1, close == std::string::npos ? close : close - 1);
            const std::string rest = close == std::string::npos ? "" : pattern.substr(close + 1);
            if (Matches(host, url.host) && (rest.empty() || Matches(rest, ":" + url.port))) {
                return true;
            }
            continue;
        }
        const std::size_t colon = pattern.find(':');
        if (colon == std::string::npos ? Matches(pattern, url.host)
                                       : Matches(pattern, url.host + ":" + url.port)) {
            return true;
        }
    }
    return false;
}

// "host:port" of one proxy entry ("http://user@host:port/" and the like reduced to it); the
// port is 80 when the entry names none. Empty for an entry with no host.
std::string ProxyHostPort(std::string entry) {
    const std::size_t scheme = entry.find("://");
    if (scheme != std::string::npos) entry.erase(0, scheme + 3);
    const UrlParts parts = SplitUrl("http://" + entry);
    if (parts.host.empty()) return "";
    const std::string host =
        parts.host.find(':') != std::string::npos ? "[" + parts.host + "]" : parts.host;
    return host + ":" + parts.port;
}

ProxyRoute Through(const std::string& hostPort) {
    ProxyRoute route;
    if (hostPort.empty()) {
        route.kind = ProxyRoute::Kind::kDirect;
    } else {
        route.kind = ProxyRoute::Kind::kThroughProxy;
        route.hostPort = hostPort;
    }
    return route;
}

}  // namespace

ProxyRoute RouteFromProxyList(const std::string& url, const std::string& proxyList,
                              const std::string& bypassList) {
    const UrlParts parts = SplitUrl(url);
    std::string forScheme, forAll;
    for (const std::string& entry : Items(proxyList, "; \t\r\n")) {
        const std::size_t equals = entry.find('=');
        if (equals == std::string::npos) {
            if (forAll.empty()) forAll = entry;
        } else if (forScheme.empty() && Lower(entry.substr(0, equals)) == parts.scheme) {
            forScheme = entry.substr(equals + 1);
        }
    }
    const std::string chosen = forScheme.empty() ? forAll : forScheme;
    if (chosen.empty() || Bypassed(parts, bypassList)) return Through("");
    return Through(ProxyHostPort(chosen));
}

ProxyRoute RouteFromAutoProxy(const std::string& proxyList) {
    for (const std::string& entry : Items(proxyList, "; \t\r\n")) {
        // A per-scheme entry is the scheme's own; this list was made for one URL already.
        const std::size_t equals = entry.find('=');
        const std::string hostPort =
            ProxyHostPort(equals == std::string::npos ? entry : entry.substr(equals + 1));
        if (!hostPort.empty()) return Through(hostPort);
    }
    return Through("");
}

std::string HostPortOf(const std::string& url) {
    const UrlParts parts = SplitUrl(url);
    const std::string host =
        parts.host.find(':') != std::string::npos ? "[" + parts.host + "]" : parts.host;
    return host + ":" + parts.port;
}

}  // namespace loader
