// The route the player's Windows proxy settings give one URL, worked out from the settings'
// own texts: the proxy list ("host:port" for every scheme, or "http=host:port;https=host:port"
// per scheme), the bypass list ("<local>" and host patterns with '*', ';'-separated) and what
// automatic configuration (a PAC script) answered. Window-free, so both trees test it; the
// Windows calls that read the settings are in system_proxy.h.
#pragma once

#include <string>

#include "http/proxy_route.h"

namespace loader {

// The static settings: the list's proxy for url's scheme (an entry of its own, else one for
// every scheme), unless the bypass list names url's host. No entry for the scheme, an
// empty list, or a bypassed host is a direct route. SOCKS entries are not taken.
ProxyRoute RouteFromProxyList(const std::string& url, const std::string& proxyList,
                              const std::string& bypassList);

// What automatic configuration named for a URL: the first proxy of its list, or a direct
// route for an empty list.
ProxyRoute RouteFromAutoProxy(const std::string& proxyList);

// "host:port" of url (the scheme's port when it names none), for the diagnostic log; no
// user name, password, path or query.
std::string HostPortOf(const std::string& url);

}  // namespace loader
