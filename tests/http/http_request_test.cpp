// HttpRequest against the local test server: the https rule, redirects, the success rule,
// time-out retries, repeated performs, identifiers and concurrent use of the DNS share.
#include "http/http_request.h"

#include <curl/curl.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "http/http_global.h"
#include "http/https_rule.h"
#include "http/retry_policy.h"
#include "support/server_client.h"
#include "support/test_env.h"
#include "tests/http/option_recorder.h"

namespace {

struct Outcome {
    int calls = 0;
    int id = -1;
    bool success = false;
    std::string text;
};

// A request whose callback records into outcome.
void Prepare(HttpRequest& request, Outcome& outcome, const std::string& url) {
    request.SetRequestUrl(url);
    request.SetResultCallback([&outcome](int id, bool success, const std::string& text) {
        ++outcome.calls;
        outcome.id = id;
        outcome.success = success;
        outcome.text = text;
    });
}

// Peer verification on (as a product built with LOADER_TLS_VERIFY=ON) for its lifetime.
struct VerifyPeersOn {
    VerifyPeersOn() { HttpsRule::SetVerifyPeers(true); }
    ~VerifyPeersOn() { HttpsRule::SetVerifyPeers(false); }
};

int CountOccurrences(const std::string& text, const std::string& what) {
    int n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

// ---------------------------------------------------------------------------------------------
// The https rule
// ---------------------------------------------------------------------------------------------

TEST(HttpRequestHttpsRule, OnlyTheExactLowerCaseSchemeTurnsVerificationOff) {
    struct Case {
        const char* url;
        bool verificationOff;
    };
    const Case cases[] = {
        {"https://127.0.0.1/x", true},
        {"https", true},
        {"HTTPS://127.0.0.1/x", false},
        {"Https://127.0.0.1/x", false},
        {"http://127.0.0.1/x", false},
        {"http", false},
        {"", false},
    };
    for (const Case& c : cases) {
        HttpRequest request;
        OptionRecorder recorder;
        request.SetRequestUrl(c.url);
        auto records = recorder.Records();
        std::vector<CURLoption> expected;
        if (c.verificationOff) expected = {CURLOPT_SSL_VERIFYPEER, CURLOPT_SSL_VERIFYHOST};
        expected.push_back(CURLOPT_URL);
        EXPECT_EQ(recorder.Options(), expected) << c.url;
        for (const auto& r : records) {
            if (r.option == CURLOPT_URL) {
                EXPECT_EQ(r.text, c.url);
            } else {
                EXPECT_EQ(r.number, 0L) << c.url;
            }
        }
    }
}

TEST(HttpRequestHttpsRule, HttpAfterHttpsOnOneWorkerLeavesVerificationOff) {
    HttpRequest request;
    OptionRecorder recorder;
    request.SetRequestUrl("https://127.0.0.1/a");
    request.SetRequestUrl("http://127.0.0.1/b");
    EXPECT_EQ(recorder.Options(),
              (std::vector<CURLoption>{CURLOPT_SSL_VERIFYPEER, CURLOPT_SSL_VERIFYHOST, CURLOPT_URL,
                                       CURLOPT_URL}));
}

TEST(HttpRequestHttpsRule, WithPeerVerificationOnHttpsKeepsBothChecksOn) {
    VerifyPeersOn on;
    HttpRequest request;
    OptionRecorder recorder;
    request.SetRequestUrl("https://127.0.0.1/a");
    request.SetRequestUrl("http://127.0.0.1/b");
    const auto records = recorder.Records();
    ASSERT_EQ(recorder.Options(),
              (std::vector<CURLoption>{CURLOPT_SSL_VERIFYPEER, CURLOPT_SSL_VERIFYHOST, CURLOPT_URL,
                                       CURLOPT_URL}));
    EXPECT_EQ(records[0].number, 1L);
    EXPECT_EQ(records[1].number, 2L);
}

// What the rule means on the wire. libcurl reads the scheme case-insensitively, so an
// "HTTPS://" URL is a real https request that keeps libcurl's default verification on.
TEST(HttpRequestHttpsRule, SelfSignedServerIsRejectedUnlessTheRuleTurnedChecksOff) {
#ifdef _WIN32
    GTEST_SKIP() << "Under wine, Schannel (backed by GnuTLS) accepts untrusted certificates even "
                    "with verification on, so the rejection cannot be shown here; the option "
                    "tests above show what the request asks libcurl for.";
#else
    const std::string path = "/data?size=100";
    const std::string upper = "HTTPS" + testenv::ServerUrl(true, path).substr(5);
    {
        HttpRequest request;
        Outcome outcome;
        Prepare(request, outcome, upper);
        request.PerformRequest();
        EXPECT_EQ(outcome.calls, 1);
        EXPECT_FALSE(outcome.success);
        EXPECT_EQ(request.GetErrorText(), curl_easy_strerror(CURLE_PEER_FAILED_VERIFICATION));
    }
    {
        HttpRequest request;
        Outcome outcome;
        Prepare(request, outcome, testenv::ServerUrl(true, path));
        request.PerformRequest();
        EXPECT_TRUE(outcome.success) << request.GetErrorText();
        // The checks stay off on this worker for a later URL in capitals.
        request.SetRequestUrl(upper);
        request.PerformRequest();
        EXPECT_EQ(outcome.calls, 2);
        EXPECT_TRUE(outcome.success) << request.GetErrorText();
    }
    {
        // With peer verification on, the lower-case scheme keeps the checks as well.
        VerifyPeersOn on;
        HttpRequest request;
        Outcome outcome;
        Prepare(request, outcome, testenv::ServerUrl(true, path));
        request.PerformRequest();
        EXPECT_EQ(outcome.calls, 1);
        EXPECT_FALSE(outcome.success);
        EXPECT_EQ(request.GetErrorText(), curl_easy_strerror(CURLE_PEER_FAILED_VERIFICATION));
    }
#endif
}

// ---------------------------------------------------------------------------------------------
// What one perform asks libcurl for
// ---------------------------------------------------------------------------------------------

TEST(HttpRequestOptions, PerformSetsTheDesignedOptionsInOrderAndNoTimeOutOrUserAgent) {
    HttpRequest request;
    Outcome outcome;
    Prepare(request, outcome, testenv::ServerUrl(false, "/data?size=10"));
    OptionRecorder recorder;
    request.PerformRequest();
    EXPECT_TRUE(outcome.success);
    EXPECT_EQ(
        recorder.Options(),
        (std::vector<CURLoption>{CURLOPT_MAXREDIRS, CURLOPT_FOLLOWLOCATION, CURLOPT_HEADERFUNCTION,
                                 CURLOPT_HEADERDATA, CURLOPT_WRITEFUNCTION, CURLOPT_WRITEDATA,
                                 CURLOPT_NOPROGRESS, CURLOPT_NOSIGNAL, CURLOPT_CONNECTTIMEOUT_MS}));
    auto records = recorder.Records();
    ASSERT_EQ(records.size(), 9u);
    EXPECT_EQ(records[0].number, 5L);
    EXPECT_EQ(records[1].number, 1L);
    EXPECT_EQ(records[6].number, 1L);
    EXPECT_EQ(records[7].number, 1L);
    EXPECT_EQ(records[8].number, 0L);
}

TEST(HttpRequestOptions, NewWorkerAttachesTheShareHandleThatExistsAtThatMoment) {
    HttpRequest first;  // makes sure the process-wide set-up exists
    OptionRecorder recorder;
    HttpRequest request;
    auto records = recorder.Records();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].option, CURLOPT_SHARE);
    EXPECT_EQ(records[0].pointer, HttpGlobal::ShareHandle());
    EXPECT_NE(records[0].pointer, nullptr);
    EXPECT_EQ(records[1].option, CURLOPT_DNS_CACHE_TIMEOUT);
    EXPECT_EQ(records[1].number, 300L);
}

// ---------------------------------------------------------------------------------------------
// Redirects and the success rule
// ---------------------------------------------------------------------------------------------

TEST(HttpRequestRedirects, FiveAreFollowedWithEveryResponsesHeadersAndASixthFails) {
    const std::string token = testenv::UniqueToken("redir");
    HttpRequest request;
    Outcome outcome;
    Prepare(request, outcome,
            testenv::ServerUrl(false, "/data?body=end&redirects=5&token=" + token));
    request.PerformRequest();
    EXPECT_TRUE(outcome.success) << request.GetErrorText();
    EXPECT_EQ(outcome.text, "end");
    const std::string headers = request.GetHeaderText();
    EXPECT_EQ(CountOccurrences(headers, "HTTP/1.1 302"), 5);
    EXPECT_EQ(CountOccurrences(headers, "HTTP/1.1 200"), 1);
    EXPECT_EQ(CountOccurrences(headers, "Location: /data?"), 5);
    EXPECT_EQ(CountOccurrences(headers, "\r\n\r\n"), 6) << "the blank end line of every response";
    EXPECT_EQ(testenv::ServerRequests(token).size(), 6u);

    const std::string token6 = testenv::UniqueToken("redir6");
    HttpRequest six;
    Outcome outcome6;
    Prepare(six, outcome6, testenv::ServerUrl(false, "/data?body=end&redirects=6&token=" + token6));
    six.PerformRequest();
    EXPECT_EQ(outcome6.calls, 1);
    EXPECT_FALSE(outcome6.success);
    EXPECT_EQ(six.GetErrorText(), curl_easy_strerror(CURLE_TOO_MANY_REDIRECTS));
    EXPECT_EQ(testenv::ServerRequests(token6).size(), 6u);
}

TEST(HttpRequestStatus, OnlyTwoHundredSucceedsAndTheBodyIsPassedEitherWay) {
    struct Case {
        const char* query;
        long status;
        const char* body;
        bool success;
    };
    const Case cases[] = {
        {"/data?body=whole", 200, "whole", true},
        {"/data?size=0&status=204", 204, "", false},
        {"/data?body=partial&status=206", 206, "partial", false},
        {"/data?size=0&status=304", 304, "", false},
        {"/data?body=missing&status=404", 404, "missing", false},
    };
    for (const Case& c : cases) {
        HttpRequest request;
        Outcome outcome;
        Prepare(request, outcome, testenv::ServerUrl(false, c.query));
        request.PerformRequest();
        EXPECT_EQ(outcome.calls, 1) << c.query;
        EXPECT_EQ(outcome.success, c.success) << c.query;
        EXPECT_EQ(outcome.text, c.body) << c.query;
        EXPECT_EQ(request.GetHttpStatus(), c.status) << c.query;
        EXPECT_EQ(request.GetErrorText(), c.success ? "" : "No error") << c.query;
    }
}

// ---------------------------------------------------------------------------------------------
// Time-outs and retries
// ---------------------------------------------------------------------------------------------

// Each retry waits a jittered back-off first: with every draw at one half, 500, 1000 and
// 2000 ms, so no two tries reach the server within the first back-off window.
TEST(HttpRequestTimeouts, ThreeTimeOutsThenSuccessSucceedAndFourFail) {
    const std::string okToken = testenv::UniqueToken("to3");
    HttpRequest recovers;
    Outcome ok;
    std::vector<std::string> notes;
    recovers.SetTimeout(300);
    recovers.SetJitterSource([] { return 0.5; });
    recovers.SetRetryNote([&notes](const std::string& note) { notes.push_back(note); });
    Prepare(recovers, ok,
            testenv::ServerUrl(false, "/data?body=late&delay=1500&first=3&token=" + okToken));
    recovers.PerformRequest();
    EXPECT_EQ(ok.calls, 1);
    EXPECT_TRUE(ok.success) << recovers.GetErrorText();
    EXPECT_EQ(ok.text, "late");
    const auto seen = testenv::ServerRequests(okToken);
    ASSERT_EQ(seen.size(), 4u);
    const double waits[] = {0.5, 1.0, 2.0};
    for (int k = 0; k < 3; ++k) {
        // The 300 ms try, then the wait (less a little for the two clocks' grain).
        EXPECT_GE(seen[k + 1].time - seen[k].time, 0.3 + waits[k] - 0.05) << "retry " << k + 1;
    }
    EXPECT_EQ(notes, (std::vector<std::string>{"timed out, waiting 500 ms before try 2 of 4",
                                               "timed out, waiting 1000 ms before try 3 of 4",
                                               "timed out, waiting 2000 ms before try 4 of 4"}));

    const std::string failToken = testenv::UniqueToken("to4");
    HttpRequest gives_up;
    Outcome failed;
    gives_up.SetTimeout(300);
    gives_up.SetJitterSource([] { return 0.0; });
    Prepare(gives_up, failed,
            testenv::ServerUrl(false, "/data?body=late&delay=1500&first=4&token=" + failToken));
    gives_up.PerformRequest();
    EXPECT_EQ(failed.calls, 1);
    EXPECT_FALSE(failed.success);
    EXPECT_EQ(gives_up.GetErrorText(), "Timeout was reached");
    EXPECT_EQ(testenv::ServerRequests(failToken).size(), 4u);
}

// A cancel flag set by another thread ends a request that would wait 20 s for its reply (the
// bound is generous: only a request left to run on fails it), and every later perform fails at
// once without a request.
TEST(HttpRequestTimeouts, ACancelFlagEndsARunningRequestAndLaterOnes) {
    const std::string token = testenv::UniqueToken("cancel");
    auto flag = std::make_shared<std::atomic<bool>>(false);
    HttpRequest request;
    Outcome outcome;
    request.SetCancelFlag(flag);
    Prepare(request, outcome,
            testenv::ServerUrl(false, "/data?body=late&delay=20000&token=" + token));
    std::thread canceller([flag] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        flag->store(true);
    });
    const auto began = std::chrono::steady_clock::now();
    request.PerformRequest();
    const auto took = std::chrono::steady_clock::now() - began;
    canceller.join();
    EXPECT_EQ(outcome.calls, 1);
    EXPECT_FALSE(outcome.success);
    EXPECT_LT(took, std::chrono::seconds(5));

    const std::string later = testenv::UniqueToken("cancel-later");
    request.SetRequestUrl(testenv::ServerUrl(false, "/data?body=x&token=" + later));
    request.PerformRequest();
    EXPECT_EQ(outcome.calls, 2);
    EXPECT_FALSE(outcome.success);
    EXPECT_TRUE(testenv::ServerRequests(later).empty());
}

// A 429 or 503 naming Retry-After is tried again after that long (plus jitter); without the
// header, or with any other status, the reply is the outcome. Inside an overall limit, a
// Retry-After that does not fit ends the request at once instead of waiting for nothing.
TEST(HttpRequestTimeouts, RetryAfterIsHonouredWithinTheLimitAndOnlyFor429And503) {
    struct Case {
        const char* query;
        long totalMs;  // overall limit, 0 for none
        bool success;
        std::size_t requests;
        double spacing;  // at least this many seconds between two requests
        double within;   // the whole request took at most this long
    };
    const Case cases[] = {
        {"body=ok&status=503&first=2&hdr=Retry-After:1", 0, true, 3, 1.0, 10},
        {"body=ok&status=429&first=1&hdr=Retry-After:1", 30000, true, 2, 1.0, 10},
        {"body=ok&status=503&first=1", 0, false, 1, 0, 10},
        {"body=ok&status=404&first=1&hdr=Retry-After:1", 0, false, 1, 0, 10},
        {"body=ok&status=408&first=1&hdr=Retry-After:1", 0, false, 1, 0, 10},
        {"body=ok&status=503&first=1&hdr=Retry-After:oops", 0, false, 1, 0, 10},
        {"body=ok&status=503&first=1&hdr=Retry-After:100", 3000, false, 1, 0, 1.5},
    };
    for (const Case& c : cases) {
        const std::string token = testenv::UniqueToken("ra");
        HttpRequest request;
        Outcome outcome;
        request.SetJitterSource([] { return 0.25; });
        if (c.totalMs > 0) request.SetBounds(0, 0, c.totalMs);
        Prepare(request, outcome,
                testenv::ServerUrl(false, std::string("/data?") + c.query + "&token=" + token));
        const auto began = std::chrono::steady_clock::now();
        request.PerformRequest();
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - began;
        EXPECT_EQ(outcome.success, c.success) << c.query;
        EXPECT_LE(took.count(), c.within) << c.query;
        const auto seen = testenv::ServerRequests(token);
        ASSERT_EQ(seen.size(), c.requests) << c.query;
        for (std::size_t k = 1; k < seen.size(); ++k) {
            EXPECT_GE(seen[k].time - seen[k - 1].time, c.spacing - 0.05) << c.query;
        }
    }
}

// A try cut off by the time-out after part of the body arrived must not leave that part in
// front of the next try's body.
TEST(HttpRequestTimeouts, RetryStartsWithAnEmptyBody) {
    HttpRequest request;
    Outcome outcome;
    request.SetTimeout(600);
    Prepare(request, outcome,
            testenv::ServerUrl(false,
                               "/data?size=200000&chunk=1000&chunk_delay=2000&first=1"
                               "&token=" +
                                   testenv::UniqueToken("partial")));
    request.PerformRequest();
    EXPECT_TRUE(outcome.success) << request.GetErrorText();
    EXPECT_EQ(outcome.text.size(), 200000u);
    EXPECT_EQ(testenv::FirstPatternMismatch(outcome.text), std::string::npos);
    EXPECT_EQ(CountOccurrences(request.GetHeaderText(), "HTTP/1.1 200"), 1);
}

// ---------------------------------------------------------------------------------------------
// Repeated performs, extra header lines and the callback
// ---------------------------------------------------------------------------------------------

TEST(HttpRequestPerform, AgainAfterCompletionRepeatsWithTheSameOptions) {
    const std::string token = testenv::UniqueToken("again");
    HttpRequest request;
    Outcome outcome;
    Prepare(request, outcome, testenv::ServerUrl(false, "/data?size=5000&token=" + token));
    request.AddRequestHeader("X-Once: yes");
    request.PerformRequest();
    request.PerformRequest();
    EXPECT_EQ(outcome.calls, 2);
    EXPECT_TRUE(outcome.success);
    EXPECT_EQ(outcome.text.size(), 5000u) << "the second body replaces the first";
    auto seen = testenv::ServerRequests(token);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].path, seen[1].path);
    EXPECT_EQ(seen[0].headers["X-Once"], "yes");
    EXPECT_EQ(seen[1].headers.count("X-Once"), 0u) << "extra lines apply to one perform only";
}

TEST(HttpRequestPerform, FromInsideTheResultCallbackDoesNothing) {
    const std::string token = testenv::UniqueToken("reentry");
    HttpRequest request;
    int calls = 0;
    request.SetRequestUrl(testenv::ServerUrl(false, "/data?size=10&token=" + token));
    request.SetResultCallback([&](int, bool, const std::string&) {
        ++calls;
        request.PerformRequest();
    });
    request.PerformRequest();
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(testenv::ServerRequests(token).size(), 1u);
    // No longer busy afterwards.
    request.PerformRequest();
    EXPECT_EQ(calls, 2);
}

TEST(HttpRequestPerform, CallbackMayReplaceItselfAndAnEmptyOneIsIgnored) {
    HttpRequest request;
    request.SetRequestUrl(testenv::ServerUrl(false, "/data?body=x"));
    std::string seen;
    const std::string captured(64, 'c');  // lives in the callback object being replaced
    request.SetResultCallback([&request, &seen, captured](int, bool, const std::string& text) {
        request.SetResultCallback([&seen](int, bool, const std::string&) { seen += "second"; });
        seen = captured.substr(0, 1) + text;
    });
    request.PerformRequest();
    EXPECT_EQ(seen, "cx");
    request.PerformRequest();
    EXPECT_EQ(seen, "cxsecond");

    request.SetResultCallback(ResultCallback());
    request.PerformRequest();  // must neither throw nor leave the worker busy
    request.SetResultCallback([&seen](int, bool, const std::string&) { seen = "third"; });
    request.PerformRequest();
    EXPECT_EQ(seen, "third");
}

// ---------------------------------------------------------------------------------------------
// Identifiers, HTTPS bodies and concurrent requests
// ---------------------------------------------------------------------------------------------

TEST(HttpRequestIds, FollowConstructionOrderAndCanBeOverridden) {
    HttpRequest a;
    HttpRequest b;
    HttpRequest c;
    EXPECT_EQ(b.GetRequestId(), a.GetRequestId() + 1);
    EXPECT_EQ(c.GetRequestId(), b.GetRequestId() + 1);
    EXPECT_EQ(HttpGlobal::CurrentId(), c.GetRequestId() + 1);

    Outcome outcome;
    Prepare(b, outcome, testenv::ServerUrl(false, "/data?size=1"));
    b.SetRequestId(1);
    b.PerformRequest();
    EXPECT_EQ(outcome.id, 1);
    HttpRequest copy = b;  // copies share one worker
    EXPECT_EQ(copy.GetRequestId(), 1);
}

TEST(HttpRequestHttps, SeveralMegabytesArriveByteForByte) {
    HttpRequest request;
    Outcome outcome;
    Prepare(request, outcome, testenv::ServerUrl(true, "/data?size=4000000"));
    request.PerformRequest();
    ASSERT_TRUE(outcome.success) << request.GetErrorText();
    ASSERT_EQ(outcome.text.size(), 4000000u);
    EXPECT_EQ(testenv::FirstPatternMismatch(outcome.text), std::string::npos);
}

// Requests on several threads resolve names through the one shared DNS cache at once.
TEST(HttpRequestConcurrency, RequestsOnSeveralThreadsShareTheDnsCacheSafely) {
    HttpRequest first;  // the share handle exists before the workers below are built
    std::atomic<int> good{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 6; ++t) {
        threads.emplace_back([&good] {
            HttpRequest request;
            request.SetRequestUrl("http://localhost:" + std::to_string(testenv::ServerPort(false)) +
                                  "/data?size=2000");
            std::string body;
            bool success = false;
            request.SetResultCallback([&](int, bool ok, const std::string& text) {
                success = ok;
                body = text;
            });
            for (int i = 0; i < 8; ++i) {
                request.PerformRequest();
                if (success && testenv::FirstPatternMismatch(body) == std::string::npos) ++good;
            }
        });
    }
    for (auto& t : threads) t.join();
    EXPECT_EQ(good.load(), 48);
}

// ---------------------------------------------------------------------------------------------
// The retry policy's decisions, with fixed draws and a fixed clock
// ---------------------------------------------------------------------------------------------

TEST(RetryPolicy, BackOffIsFullJitterOverADoublingCappedWindow) {
    struct Case {
        int retry;
        double draw;
        long waitMs;
    };
    const Case cases[] = {{0, 0.0, 0},     {0, 0.5, 500},  {1, 0.5, 1000},   {2, 0.5, 2000},
                          {3, 0.75, 6000}, {9, 0.5, 4000}, {40, 0.25, 2000}, {0, -1.0, 0}};
    for (const Case& c : cases) {
        EXPECT_EQ(RetryPolicy::JitteredWaitMs(c.retry, c.draw), c.waitMs)
            << c.retry << " " << c.draw;
    }
}

TEST(RetryPolicy, RetryAfterIsSecondsOrAnHttpDateAndIsCapped) {
    const long long now = 784111777;  // Sun, 06 Nov 1994 08:49:37 GMT
    struct Case {
        const char* value;
        bool readable;
        long long delayMs;
    };
    const Case cases[] = {
        {"120", true, 120000},
        {" 3 ", true, 3000},
        {"0", true, 0},
        {"99999999999999999999", true, 999999999000LL},
        {"Sun, 06 Nov 1994 08:49:47 GMT", true, 10000},
        {"Mon, 07 Nov 1994 08:49:37 GMT", true, 86400000},
        {"Sat, 01 Jan 2000 00:00:00 GMT", true, 162573023000LL},
        {"Sun, 06 Nov 1994 08:49:00 GMT", true, 0},  // in the past: at once
        {"Sun, 06 Nov 1994 08:49:47 PST", false, 0},
        {"Sun, 06 Foo 1994 08:49:47 GMT", false, 0},
        {"Sun, 06 Nov 1994 08:49:47 GMT junk", false, 0},
        {"-5", false, 0},
        {"1.5", false, 0},
        {"soon", false, 0},
        {"", false, 0},
    };
    for (const Case& c : cases) {
        long long delayMs = -7;
        EXPECT_EQ(RetryPolicy::ParseRetryAfter(c.value, now, delayMs), c.readable) << c.value;
        if (c.readable) {
            EXPECT_EQ(delayMs, c.delayMs) << c.value;
        }
    }
    // Never before the service asked, jittered after it, never past the cap.
    // The jitter spreads over at least as long as the service asked for; a service still busy
    // when asked again gets twice as long each time, at most eight times what it asked.
    EXPECT_EQ(RetryPolicy::RetryAfterWaitMs(2000, 0, 0.5, 20000), 3000);
    EXPECT_EQ(RetryPolicy::RetryAfterWaitMs(500, 0, 0.5, 20000), 1000);
    EXPECT_EQ(RetryPolicy::RetryAfterWaitMs(2000, 1, 0.0, 20000), 4000);
    EXPECT_EQ(RetryPolicy::RetryAfterWaitMs(1000, 5, 0.25, 20000), 10000);
    EXPECT_EQ(RetryPolicy::RetryAfterWaitMs(999999999000LL, 0, 0.5, 20000), 20000);
    for (long status : {429L, 503L}) EXPECT_TRUE(RetryPolicy::HonoursRetryAfter(status));
    for (long status : {200L, 400L, 404L, 408L, 500L, 502L, 504L}) {
        EXPECT_FALSE(RetryPolicy::HonoursRetryAfter(status)) << status;
    }
}

}  // namespace
