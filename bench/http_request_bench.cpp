// http_request_bench BASE_URL: figures for HttpRequest against a fast local server.
//   (a) 1,000 sequential small GETs (best of three rounds) on one HttpRequest (its easy handle
//   keeps the connection)
//       against a fresh HttpRequest, and so a fresh easy handle and connection, per GET;
//   (b) one 100 MB GET into the response body: HttpRequest against a bare libcurl easy
//       transfer collecting into a string the same way, best of five each, interleaved.
#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

#include "http/http_request.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

size_t Append(char* data, size_t size, size_t count, void* user) {
    static_cast<std::string*>(user)->append(data, size * count);
    return size * count;
}

// Requests per second; -1 when a request failed.
double SmallGets(const std::string& url, int count, bool reuse) {
    bool allGood = true;
    auto onResult = [&allGood](int, bool ok, const std::string& body) {
        allGood = allGood && ok && body == "ok";
    };
    auto t0 = Clock::now();
    if (reuse) {
        HttpRequest request;
        request.SetRequestUrl(url);
        request.SetResultCallback(onResult);
        for (int i = 0; i < count; ++i) request.PerformRequest();
    } else {
        for (int i = 0; i < count; ++i) {
            HttpRequest request;
            request.SetRequestUrl(url);
            request.SetResultCallback(onResult);
            request.PerformRequest();
        }
    }
    double secs = Seconds(t0);
    return allGood ? count / secs : -1;
}

// MB/s of one GET through HttpRequest; -1 on failure.
double RequestTransfer(const std::string& url) {
    HttpRequest request;
    request.SetRequestUrl(url);
    size_t bytes = 0;
    bool ok = false;
    request.SetResultCallback([&](int, bool success, const std::string& body) {
        ok = success;
        bytes = body.size();
    });
    auto t0 = Clock::now();
    request.PerformRequest();
    double secs = Seconds(t0);
    return ok ? bytes / 1e6 / secs : -1;
}

// MB/s of the same GET on a bare easy handle; -1 on failure.
double BareTransfer(const std::string& url) {
    std::string body;
    CURL* curl = curl_easy_init();
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &Append);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &body);
    auto t0 = Clock::now();
    CURLcode rc = curl_easy_perform(curl);
    double secs = Seconds(t0);
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    curl_easy_cleanup(curl);
    return rc == CURLE_OK && status == 200 ? body.size() / 1e6 / secs : -1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: http_request_bench BASE_URL\n");
        return 2;
    }
    const std::string base = argv[1];
    curl_global_init(CURL_GLOBAL_ALL);

    // Best of three rounds each, interleaved: the machine is shared, so the best round is the
    // one least disturbed.
    SmallGets(base + "/small.txt", 20, true);  // warm-up
    double reused = -1, fresh = -1;
    for (int round = 0; round < 3; ++round) {
        reused = std::max(reused, SmallGets(base + "/small.txt", 1000, true));
        fresh = std::max(fresh, SmallGets(base + "/small.txt", 1000, false));
    }
    std::printf("small GETs, one HttpRequest:     %8.0f req/s\n", reused);
    std::printf("small GETs, fresh handle each:   %8.0f req/s\n", fresh);
    std::printf("reuse / fresh:                   %8.2f\n", reused / fresh);

    double bestRequest = -1, bestBare = -1;
    for (int i = 0; i < 5; ++i) {
        double bare = BareTransfer(base + "/100mb.bin");
        double request = RequestTransfer(base + "/100mb.bin");
        if (bare > bestBare) bestBare = bare;
        if (request > bestRequest) bestRequest = request;
    }
    std::printf("100 MB into the body, HttpRequest: %7.1f MB/s\n", bestRequest);
    std::printf("100 MB into a string, bare libcurl: %6.1f MB/s\n", bestBare);
    std::printf("HttpRequest / bare:                %7.2f\n", bestRequest / bestBare);
    curl_global_cleanup();
    return reused > 0 && fresh > 0 && bestRequest > 0 && bestBare > 0 ? 0 : 1;
}
