// fetch_tool URL: fetches URL through the project's libcurl build and prints what came back
// (TLS backend, status, size, and the first bytes). Used by the demo script.
#include <curl/curl.h>

#include <cstdio>
#include <string>

#include "support/server_client.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: fetch_tool URL\n");
        return 2;
    }
    curl_global_init(CURL_GLOBAL_ALL);
    const curl_version_info_data* info = curl_version_info(CURLVERSION_NOW);
    std::printf("libcurl %s, TLS: %s\n", info->version, info->ssl_version ? info->ssl_version : "none");
    testenv::FetchResult r = testenv::Fetch(argv[1]);
    std::printf("GET %s\n  result: %s\n  status: %ld\n  bytes:  %zu\n", argv[1],
                curl_easy_strerror(static_cast<CURLcode>(r.curlCode)), r.status, r.body.size());
    std::printf("  body:   %.200s\n", r.body.c_str());
    curl_global_cleanup();
    return r.curlCode == CURLE_OK && r.status == 200 ? 0 : 1;
}
