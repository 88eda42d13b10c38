// The one place that decides how every transfer of the product treats a server's certificate:
// the version query, the downloader's size probe and each of its parts all ask here.
//
// By default a URL whose first five characters are exactly "https" switches certificate and
// host-name checks off (a publisher's service may use a self-signed certificate). With peer
// verification on, those checks stay on for every transfer and the system's trust store
// decides.
#pragma once

#include <curl/curl.h>

#include <string>

class HttpsRule {
public:
    // Process-wide; set once at start, before the first transfer (default: off).
    static void SetVerifyPeers(bool verify);
    static bool VerifyPeers();

    // Applies the rule for url to easy.
    static void Apply(CURL* easy, const std::string& url);
};
