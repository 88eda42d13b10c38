// The proxy options of every transfer that has a route of its own.
#include "http/proxy_rule.h"

#include "http/curl_option_seam.h"

void ProxyRule::Apply(CURL* easy, const ProxyRoute& route) {
    switch (route.kind) {
        case ProxyRoute::Kind::kLibcurlDecides:
            CurlOptionSeam::SetText(easy, CURLOPT_PROXY, nullptr);
            CurlOptionSeam::SetText(easy, CURLOPT_NOPROXY, nullptr);
            CurlOptionSeam::SetText(easy, CURLOPT_PROXYUSERPWD, nullptr);
            CurlOptionSeam::SetLong(easy, CURLOPT_PROXYAUTH, static_cast<long>(CURLAUTH_BASIC));
            return;
        case ProxyRoute::Kind::kDirect:
            // An empty proxy is libcurl's "none at all", environment variables included.
            CurlOptionSeam::SetText(easy, CURLOPT_PROXY, "");
            return;
        case ProxyRoute::Kind::kThroughProxy: {
            const std::string proxy = "http://" + route.hostPort;
            CurlOptionSeam::SetText(easy, CURLOPT_PROXY, proxy.c_str());
            // The settings' own bypass list has decided already; a NO_PROXY variable must not
            // undo that decision.
            CurlOptionSeam::SetText(easy, CURLOPT_NOPROXY, "");
            CurlOptionSeam::SetLong(easy, CURLOPT_PROXYAUTH,
                                    static_cast<long>(CURLAUTH_NEGOTIATE | CURLAUTH_NTLM));
            // An empty name and password: the security package answers with the logon session's
            // own credentials.
            CurlOptionSeam::SetText(easy, CURLOPT_PROXYUSERPWD, ":");
            return;
        }
    }
}

std::string ProxyRule::RefusalText(CURL* easy) {
    if (!easy) return "";
    long connect = 0;
    curl_easy_getinfo(easy, CURLINFO_HTTP_CONNECTCODE, &connect);
    if (connect >= 300) return " (proxy HTTP " + std::to_string(connect) + ")";
    long status = 0;
    curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
    if (status == 407) return " (proxy HTTP 407)";
    return "";
}
