// Proves the ground both trees stand on: libcurl links and has HTTPS (through Schannel in
// the Windows build), and it fetches exact bytes from the local test server.
#include <curl/curl.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "support/server_client.h"
#include "support/test_env.h"

namespace {

TEST(CurlSmoke, LibraryHasHttpsAndTheExpectedTlsBackend) {
    const curl_version_info_data* info = curl_version_info(CURLVERSION_NOW);
    ASSERT_NE(info, nullptr);
    EXPECT_TRUE(info->features & CURL_VERSION_SSL);
    bool https = false;
    for (const char* const* p = info->protocols; *p; ++p) https |= std::strcmp(*p, "https") == 0;
    EXPECT_TRUE(https);
    ASSERT_NE(info->ssl_version, nullptr);
#ifdef _WIN32
    EXPECT_NE(std::string(info->ssl_version).find("Schannel"), std::string::npos)
        << info->ssl_version;
#endif
}

TEST(CurlSmoke, FetchesGeneratedBodiesExactlyOverHttpAndHttps) {
    ASSERT_NE(testenv::ServerPort(false), 0) << "the test script starts the local server";
    for (bool https : {false, true}) {
        testenv::FetchResult r = testenv::Fetch(testenv::ServerUrl(https, "/data?size=3000000"));
        ASSERT_EQ(r.curlCode, CURLE_OK) << (https ? "https" : "http");
        EXPECT_EQ(r.status, 200);
        ASSERT_EQ(r.body.size(), 3000000u);
        EXPECT_EQ(testenv::FirstPatternMismatch(r.body), std::string::npos);
    }
}

TEST(CurlSmoke, ServerRecordsTheExactRangeHeaderSent) {
    const std::string token = testenv::UniqueToken("smoke");
    testenv::FetchResult r = testenv::Fetch(
        testenv::ServerUrl(false, "/data?size=1000&token=" + token), {"Range: bytes=10-19"});
    ASSERT_EQ(r.curlCode, CURLE_OK);
    EXPECT_EQ(r.status, 206);
    EXPECT_EQ(testenv::FirstPatternMismatch(r.body, 10), std::string::npos);
    auto requests = testenv::ServerRequests(token);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].headers["Range"], "bytes=10-19");
}

}  // namespace
