// A plain libcurl client for tests: fetches from the local test server and reads its
// per-token statistics (how many requests a token made, with which headers).
#pragma once

#include <map>
#include <string>
#include <vector>

namespace testenv {

struct FetchResult {
    int curlCode = -1;
    long status = 0;
    std::string body;
};

// GET (or HEAD when head is set) with certificate checks off; extraHeaders are full lines.
FetchResult Fetch(const std::string& url, const std::vector<std::string>& extraHeaders = {},
                  bool head = false);

struct RecordedRequest {
    std::string method;
    std::string path;
    std::map<std::string, std::string> headers;
    double time = 0;  // arrival, in seconds on the server's monotonic clock
};

// The requests the server recorded for token, in arrival order.
std::vector<RecordedRequest> ServerRequests(const std::string& token);

}  // namespace testenv
