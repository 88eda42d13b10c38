// Test-only HTTP client on libcurl's easy interface and the server's /stats endpoint.
#include "support/server_client.h"

#include <curl/curl.h>
#include <rapidjson/document.h>

#include "support/test_env.h"

namespace testenv {
namespace {

size_t Append(char* data, size_t size, size_t count, void* user) {
    static_cast<std::string*>(user)->append(data, size * count);
    return size * count;
}

}  // namespace

FetchResult Fetch(const std::string& url, const std::vector<std::string>& extraHeaders, bool head) {
    FetchResult result;
    CURL* curl = curl_easy_init();
    if (!curl) return result;
    curl_slist* headers = nullptr;
    for (const std::string& line : extraHeaders) headers = curl_slist_append(headers, line.c_str());
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(curl, CURLOPT_NOBODY, head ? 1L : 0L);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &Append);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &result.body);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 0L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 0L);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, 60L);
    result.curlCode = curl_easy_perform(curl);
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &result.status);
    curl_slist_free_all(headers);
    curl_easy_cleanup(curl);
    return result;
}

std::vector<RecordedRequest> ServerRequests(const std::string& token) {
    std::vector<RecordedRequest> out;
    FetchResult r = Fetch(ServerUrl(false, "/stats?token=" + token));
    rapidjson::Document doc;
    doc.Parse(r.body.c_str());
    if (doc.HasParseError() || !doc.IsObject() || !doc.HasMember("requests") ||
        !doc["requests"].IsArray()) {
        return out;
    }
    for (const auto& entry : doc["requests"].GetArray()) {
        RecordedRequest req;
        if (entry.HasMember("method") && entry["method"].IsString())
            req.method = entry["method"].GetString();
        if (entry.HasMember("path") && entry["path"].IsString())
            req.path = entry["path"].GetString();
        if (entry.HasMember("time") && entry["time"].IsNumber())
            req.time = entry["time"].GetDouble();
        if (entry.HasMember("headers") && entry["headers"].IsObject()) {
            for (const auto& h : entry["headers"].GetObject()) {
                if (h.value.IsString()) req.headers[h.name.GetString()] = h.value.GetString();
            }
        }
        out.push_back(std::move(req));
    }
    return out;
}

}  // namespace testenv
