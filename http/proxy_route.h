// The route of one transfer, as something outside the HTTP layer (the player's Windows proxy
// settings) decides it. Plain data, with no libcurl in sight, so the code that decides it
// needs none.
#pragma once

#include <functional>
#include <string>

struct ProxyRoute {
    enum class Kind {
        kLibcurlDecides,  // nothing said: libcurl's defaults and environment variables
        kDirect,          // straight to the server, whatever the environment says
        kThroughProxy,    // through the HTTP proxy at hostPort
    };
    Kind kind = Kind::kLibcurlDecides;
    std::string hostPort;  // "host:port" for kThroughProxy
};

// Asked on the transfer's own thread, once per URL before its transfer; must be thread-safe.
using ProxyResolver = std::function<ProxyRoute(const std::string& url)>;
