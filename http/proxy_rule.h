// How a transfer reaches its server when the program takes the route from somewhere else (the
// player's Windows proxy settings): the route for one URL, and the one place that hands it to
// libcurl. Without a resolver nothing here is used and libcurl decides as always (its
// environment variables included).
#pragma once

#include <curl/curl.h>

#include <string>

#include "http/proxy_route.h"

class ProxyRule {
public:
    // Sets every proxy option of easy for route, so a reused handle keeps no earlier choice.
    // A proxy that asks for authentication gets the logged-on user's credentials (Negotiate,
    // then NTLM, through the system's security package): nothing is stored or sent in clear.
    static void Apply(CURL* easy, const ProxyRoute& route);

    // " (proxy HTTP <status>)" when a proxy answered the last transfer of easy with an error
    // status (a refused tunnel, or a 407 for a plain request), else empty: the support desk
    // must tell a proxy's refusal from the server's.
    static std::string RefusalText(CURL* easy);
};
