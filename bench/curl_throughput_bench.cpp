// curl_throughput_bench URL [repeats]: bare libcurl transfer rate into memory, the baseline
// that the product's HTTP layer is compared against.
#include <curl/curl.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

size_t Count(char*, size_t size, size_t count, void* user) {
    *static_cast<size_t*>(user) += size * count;
    return size * count;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: curl_throughput_bench URL [repeats]\n");
        return 2;
    }
    int repeats = argc > 2 ? std::atoi(argv[2]) : 3;
    curl_global_init(CURL_GLOBAL_ALL);
    double best = 0;
    for (int i = 0; i < repeats; ++i) {
        size_t bytes = 0;
        CURL* curl = curl_easy_init();
        curl_easy_setopt(curl, CURLOPT_URL, argv[1]);
        curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &Count);
        curl_easy_setopt(curl, CURLOPT_WRITEDATA, &bytes);
        curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 0L);
        curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 0L);
        auto t0 = std::chrono::steady_clock::now();
        CURLcode rc = curl_easy_perform(curl);
        double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        curl_easy_cleanup(curl);
        if (rc != CURLE_OK) {
            std::fprintf(stderr, "transfer failed: %s\n", curl_easy_strerror(rc));
            return 1;
        }
        double mbps = bytes / 1e6 / secs;
        if (mbps > best) best = mbps;
    }
    std::printf("%.1f\n", best);
    curl_global_cleanup();
    return 0;
}
