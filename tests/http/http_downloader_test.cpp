// HttpDownloader against the local test server: whole downloads checked byte for byte, the
// requests the server received, status rules, faults and retries, and concurrency.
//
// Sections:
//   helpers
//   whole downloads
//   status rules
//   faults and retries
//   early exits, refused threads and the rename
//   identifiers, busy workers and the registry
//   the process-wide clean-up at exit (native)
#include "http/http_downloader.h"

#include <curl/curl.h>
#include <gtest/gtest.h>

#include <cstdio>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "http/download_registry.h"
#include "http/http_global.h"
#include "http/http_request.h"
#include "http/https_rule.h"
#include "http/platform_thread.h"
#include "http/sha256.h"
#include "support/server_client.h"
#include "support/test_env.h"
#include "tests/http/download_fixture.h"
#include "tests/http/option_recorder.h"

#ifndef _WIN32
#include <sys/resource.h>

#include <atomic>
#include <cstdlib>

// Defined by the test library, declared in no public header.
GTEST_DECLARE_bool_(death_test_use_fork);
#endif

namespace {

// ---------------------------------------------------------------------------------------------
// helpers
// ---------------------------------------------------------------------------------------------

const char kUserAgent[] = "Mozilla/5.0 (Windows NT 5.1; rv:5.0) Gecko/20100101 Firefox/5.0";

class Downloads : public ::testing::Test {
protected:
    // A downloader for url (on the plain HTTP server unless https) writing to target.
    void Prepare(HttpDownloader& downloader, const std::string& query, bool https = false) {
        downloader.SetDownloadUrl(testenv::ServerUrl(https, query));
        downloader.SetFilePath(target);
    }

    // The whole file holds exactly the generated body of `size` bytes.
    void ExpectTargetHolds(size_t size) {
        const std::string data = dltest::ReadFile(target);
        ASSERT_EQ(data.size(), size);
        EXPECT_EQ(testenv::FirstPatternMismatch(data), std::string::npos);
        EXPECT_FALSE(dltest::Exists(target + ".dl"));
    }

    // Range headers of the GET requests the server saw for token, in arrival order ("" when
    // a GET carried none).
    static std::vector<std::string> GetRanges(const std::string& token) {
        std::vector<std::string> out;
        for (auto& r : testenv::ServerRequests(token)) {
            if (r.method == "GET")
                out.push_back(r.headers.count("Range") ? r.headers["Range"] : "");
        }
        return out;
    }

    dltest::ScratchDir dir;
    std::string target = dir.File("package.bin");
};

// ---------------------------------------------------------------------------------------------
// whole downloads
// ---------------------------------------------------------------------------------------------

TEST_F(Downloads, OneMebibyteArrivesInOneTransferAfterTheRangeProbe) {
    const std::string token = testenv::UniqueToken("one");
    HttpDownloader downloader;
    dltest::DownloadWatch watch(downloader);
    Prepare(downloader, "/data?size=1048576&token=" + token);
    ASSERT_NE(downloader.StartDownload(), nullptr);
    ASSERT_TRUE(watch.WaitForResult());
    EXPECT_TRUE(watch.success()) << watch.text();
    EXPECT_EQ(watch.text(), "");
    ExpectTargetHolds(1048576);
    EXPECT_EQ(downloader.GetThreadCount(), 1);
    EXPECT_EQ(downloader.GetTotalSize(), 1048574.0) << "the probe's range leaves out two bytes";

    auto seen = testenv::ServerRequests(token);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].method, "HEAD");
    EXPECT_EQ(seen[0].headers["Range"], "bytes=2-");
    EXPECT_EQ(seen[1].method, "GET");
    EXPECT_EQ(seen[1].headers.count("Range"), 0u);
    EXPECT_EQ(seen[1].headers["User-Agent"], kUserAgent);
}

TEST_F(Downloads, TwelveMebibytesArriveInFiveRangedPartsWrittenInPlace) {
    const std::string token = testenv::UniqueToken("multi");
    HttpDownloader downloader;
    dltest::DownloadWatch watch(downloader);
    int user = 0;
    downloader.SetProgressUser(&user);
    downloader.SetThreadCount(10);
    Prepare(downloader, "/data?size=12582912&token=" + token);
    ASSERT_NE(downloader.StartDownload(), nullptr);
    ASSERT_TRUE(watch.WaitForResult());
    EXPECT_TRUE(watch.success()) << watch.text();
    ExpectTargetHolds(12582912);
    EXPECT_EQ(downloader.GetThreadCount(), 5);

    auto ranges = GetRanges(token);
    std::sort(ranges.begin(), ranges.end());
    EXPECT_EQ(ranges, (std::vector<std::string>{"bytes=0-2516581", "bytes=10066328-",
                                                "bytes=2516582-5033163", "bytes=5033164-7549745",
                                                "bytes=7549746-10066327"}));
    // Progress reports: never two at once, with the probed total, ending two bytes above it.
    EXPECT_GT(watch.progressCalls(), 0);
    EXPECT_FALSE(watch.progressOverlapped());
    EXPECT_EQ(watch.lastTotal(), 12582910.0);
    EXPECT_EQ(watch.maxDownloaded(), 12582912.0);
    EXPECT_EQ(watch.progressUser(), &user);
}

TEST_F(Downloads, TheSameResourceFromAServerIgnoringRangesArrivesInOneTransfer) {
    const std::string token = testenv::UniqueToken("noranges");
    HttpDownloader downloader;
    dltest::DownloadWatch watch(downloader);
    downloader.SetThreadCount(10);
    Prepare(downloader, "/data?size=12582912&ranges=0&token=" + token);
    ASSERT_NE(downloader.StartDownload(), nullptr);
    ASSERT_TRUE(watch.WaitForResult());
    EXPECT_TRUE(watch.success()) << watch.text();
    ExpectTargetHolds(12582912);
    EXPECT_EQ(GetRanges(token), std::vector<std::string>{""});
    EXPECT_EQ(watch.lastTotal(), 12582912.0);
    EXPECT_EQ(watch.maxDownloaded(), 12582912.0);
}

TEST_F(Downloads, EightMebibytesOverHttpsArriveInThreeParts) {
    const std::string token = testenv::UniqueToken("https");
    HttpDownloader downloader;
    dltest::DownloadWatch watch(downloader);
    Prepare(downloader, "/data?size=8388608&token=" + token, true);
    ASSERT_NE(downloader.StartDownload(), nullptr);
    ASSERT_TRUE(watch.WaitForResult());
    EXPECT_TRUE(watch.success()) << watch.text();
    ExpectTargetHolds(8388608);
    auto ranges = GetRanges(token);
    std::sort(ranges.begin(), ranges.end());
    EXPECT_EQ(ranges, (std::vector<std::string>{"bytes=0-2796201", "bytes=2796202-5592403",
                                                "bytes=5592404-"}));
}

// What each easy handle was asked for, one entry per handle in the order they began; a
// handle's first option is always the share handle.
std::vector<std::vector<CurlOptionRecord>> PerHandle(const std::vector<CurlOptionRecord>& all) {
    std::vector<std::vector<CurlOptionRecord>> groups;
    std::map<CURL*, size_t> current;
    for (const auto& r : all) {
        if (r.option == CURLOPT_SHARE || !current.count(r.handle)) {
            current[r.handle] = groups.size();
            groups.emplace_back();
        }
        groups[current[r.handle]].push_back(r);
    }
    return groups;
}

const CurlOptionRecord* Find(const std::vector<CurlOptionRecord>& group, CURLoption option) {
    for (const auto& r : group) {
        if (r.option == option) return &r;
    }
    return nullptr;
}

// Under wine, Schannel does not reject the test server's certificate either way, so these
// options are the only evidence of the https rule there.
TEST_F(Downloads, ProbeAndPartsGetTheirOptionsAndTheHttpsRuleOnEveryHandle) {
    for (const char* scheme : {"https", "HTTPS"}) {
        const bool ruleApplies = std::string(scheme) == "https";
        OptionRecorder recorder;
        HttpDownloader downloader;
        dltest::DownloadWatch watch(downloader);
        downloader.SetTimeout(30);
        downloader.SetDownloadUrl(std::string(scheme) +
                                  testenv::ServerUrl(true, "/data?size=8388608").substr(5));
        downloader.SetFilePath(target);
        ASSERT_NE(downloader.StartDownload(), nullptr);
        // Natively the capitalised scheme keeps verification on, so the probe fails against the
        // self-signed server and the download ends without a callback; under wine it goes on.
        ASSERT_TRUE(watch.WaitForIdle());
        if (ruleApplies) {
            EXPECT_TRUE(watch.success()) << watch.text();
        }

        auto groups = PerHandle(recorder.Records());
        ASSERT_GE(groups.size(), 1u);
        if (ruleApplies) {
            ASSERT_EQ(groups.size(), 4u);
        }
        std::set<std::string> ranges;
        for (size_t i = 0; i < groups.size(); ++i) {
            const auto& g = groups[i];
            EXPECT_EQ(Find(g, CURLOPT_SSL_VERIFYPEER) != nullptr, ruleApplies) << scheme;
            EXPECT_EQ(Find(g, CURLOPT_SSL_VERIFYHOST) != nullptr, ruleApplies) << scheme;
            ASSERT_NE(Find(g, CURLOPT_DNS_CACHE_TIMEOUT), nullptr);
            EXPECT_EQ(Find(g, CURLOPT_DNS_CACHE_TIMEOUT)->number, 300L);
            ASSERT_NE(Find(g, CURLOPT_RANGE), nullptr);
            if (i == 0) {
                EXPECT_EQ(Find(g, CURLOPT_RANGE)->text, "2-");
                ASSERT_NE(Find(g, CURLOPT_NOBODY), nullptr);
                EXPECT_EQ(Find(g, CURLOPT_NOBODY)->number, 1L);
                EXPECT_EQ(Find(g, CURLOPT_USERAGENT), nullptr) << "the probe sends no user agent";
                continue;
            }
            ranges.insert(Find(g, CURLOPT_RANGE)->text);
            ASSERT_NE(Find(g, CURLOPT_USERAGENT), nullptr);
            EXPECT_EQ(Find(g, CURLOPT_USERAGENT)->text, kUserAgent);
            EXPECT_EQ(Find(g, CURLOPT_TIMEOUT)->number, 30L);
            EXPECT_EQ(Find(g, CURLOPT_LOW_SPEED_LIMIT)->number, 1L);
            EXPECT_EQ(Find(g, CURLOPT_LOW_SPEED_TIME)->number, 5L);
            EXPECT_EQ(Find(g, CURLOPT_NOPROGRESS)->number, 0L);
            EXPECT_EQ(Find(g, CURLOPT_NOSIGNAL)->number, 1L);
            EXPECT_EQ(Find(g, CURLOPT_MAXREDIRS)->number, 5L);
        }
        if (ruleApplies) {
            EXPECT_EQ(ranges, (std::set<std::string>{"0-2796201", "2796202-5592403", "5592404-"}));
        }
    }
}

TEST_F(Downloads, WithPeerVerificationOnProbeAndPartsKeepBothChecksOn) {
    HttpsRule::SetVerifyPeers(true);
    OptionRecorder recorder;
    HttpDownloader downloader;
    dltest::DownloadWatch watch(downloader);
    Prepare(downloader, "/data?size=1000", true);
    const bool started = downloader.StartDownload() != nullptr;
    const bool idle = started && watch.WaitForIdle();
    HttpsRule::SetVerifyPeers(false);
    ASSERT_TRUE(started);
    ASSERT_TRUE(idle);
#ifdef _WIN32
    // Schannel under wine accepts the self-signed certificate: the probe and one part run.
    EXPECT_TRUE(watch.success()) << watch.text();
    const size_t handles = 2;
#else
    // OpenSSL refuses the self-signed certificate: the probe fails, which is reported, and
    // nothing follows.
    EXPECT_EQ(watch.resultCalls(), 1);
    EXPECT_FALSE(watch.success());
    EXPECT_FALSE(dltest::Exists(target));
    const size_t handles = 1;
#endif
    const auto groups = PerHandle(recorder.Records());
    ASSERT_EQ(groups.size(), handles);
    for (const auto& g : groups) {
        ASSERT_NE(Find(g, CURLOPT_SSL_VERIFYPEER), nullptr);
        EXPECT_EQ(Find(g, CURLOPT_SSL_VERIFYPEER)->number, 1L);
        ASSERT_NE(Find(g, CURLOPT_SSL_VERIFYHOST), nullptr);
        EXPECT_EQ(Find(g, CURLOPT_SSL_VERIFYHOST)->number, 2L);
    }
}

TEST_F(Downloads, AnEmptyResourceGivesAnEmptyFile) {
    HttpDownloader downloader;
    dltest::DownloadWatch watch(downloader);
    Prepare(downloader, "/data?size=0");
    ASSERT_NE(downloader.StartDownload(), nullptr);
    ASSERT_TRUE(watch.WaitForResult());
    EXPECT_TRUE(watch.success()) << watch.text();
    EXPECT_TRUE(dltest::Exists(target));
    ExpectTargetHolds(0);
}

TEST_F(Downloads, TheLoweredThreadCountBoundsLaterDownloadsOfTheSameWorker) {
    HttpDownloader downloader;
    dltest::DownloadWatch watch(downloader);
    Prepare(downloader, "/data?size=1048576");
    ASSERT_NE(downloader.StartDownload(), nullptr);
    ASSERT_TRUE(watch.WaitForResult());
    EXPECT_EQ(downloader.GetThreadCount(), 1);

    const std::string token = testenv::UniqueToken("lowered");
    // Probed at 4 MiB, this would otherwise be two parts.
    Prepare(downloader, "/data?size=4194306&token=" + token);
    ASSERT_NE(downloader.StartDownload(), nullptr);
    ASSERT_TRUE(watch.WaitForResult());
    ASSERT_TRUE(watch.WaitForIdle());
    EXPECT_EQ(watch.resultCalls(), 2);
    EXPECT_TRUE(watch.success()) << watch.text();
    ExpectTargetHolds(4194306);
    EXPECT_EQ(GetRanges(token), std::vector<std::string>{""});
}

// ---------------------------------------------------------------------------------------------
// status rules
// ---------------------------------------------------------------------------------------------

TEST_F(Downloads, APartSucceedsOnStatusesFromTwoHundredToThreeHundred) {
    struct Case {
        int status;
        bool success;
    };
    // 199 cannot be shown over the wire: libcurl takes any 1xx reply as an interim one and
    // waits for the final reply, so such a status never ends a transfer.
    for (const Case c : {Case{200, true}, Case{206, true}, Case{300, true}, Case{301, false}}) {
        dltest::WriteFile(target, "old");
        HttpDownloader downloader;
        dltest::DownloadWatch watch(downloader);
        Prepare(downloader, "/data?size=5000&ranges=0&status=" + std::to_string(c.status));
        ASSERT_NE(downloader.StartDownload(), nullptr);
        ASSERT_TRUE(watch.WaitForResult(std::chrono::seconds(30))) << c.status;
        EXPECT_EQ(watch.success(), c.success) << c.status << " " << watch.text();
        if (c.success) {
            ExpectTargetHolds(5000);
        } else {
            EXPECT_EQ(dltest::ReadFile(target), "old") << c.status;
            EXPECT_FALSE(dltest::Exists(target + ".dl")) << c.status;
        }
    }
}

TEST_F(Downloads, AProbeAnswered404WithALengthGoesOnAndFailsWithNoError) {
    const std::string token = testenv::UniqueToken("404");
    HttpDownloader downloader;
    dltest::DownloadWatch watch(downloader);
    Prepare(downloader, "/data?size=3000&status=404&token=" + token);
    ASSERT_NE(downloader.StartDownload(), nullptr);
    ASSERT_TRUE(watch.WaitForResult());
    EXPECT_FALSE(watch.success());
    EXPECT_EQ(watch.text(), "No error");
    EXPECT_EQ(downloader.GetHttpStatus(), 404);
    EXPECT_FALSE(dltest::Exists(target));
    EXPECT_FALSE(dltest::Exists(target + ".dl"));
    EXPECT_EQ(testenv::ServerRequests(token).size(), 2u);
}

// ---------------------------------------------------------------------------------------------
// faults and retries
// ---------------------------------------------------------------------------------------------

TEST_F(Downloads, ADroppedPartFailsTheDownloadAndKeepsTheExistingFile) {
    dltest::WriteFile(target, "the installed package");
    HttpDownloader downloader;
    dltest::DownloadWatch watch(downloader);
    // The probe is spared; the first part transfer to arrive is cut off.
    Prepare(downloader,
            "/data?size=8388608&drop=300000&after=1&first=1&token=" + testenv::UniqueToken("drop"));
    ASSERT_NE(downloader.StartDownload(), nullptr);
    ASSERT_TRUE(watch.WaitForResult());
    EXPECT_FALSE(watch.success());
    EXPECT_EQ(watch.text(), curl_easy_strerror(CURLE_PARTIAL_FILE));
    EXPECT_EQ(dltest::ReadFile(target), "the installed package");
    EXPECT_FALSE(dltest::Exists(target + ".dl"));
}

// A server that honours the probe's range and the first parts' ranges but answers the last
// part with the whole resource: that body starts at byte 0 and must not be written at the
// last part's offset as if it were the tail.
TEST_F(Downloads, ALastPartAnsweredWithTheWholeResourceFailsInsteadOfCorruptingTheFile) {
    dltest::WriteFile(target, "the installed package");
    HttpDownloader downloader;
    dltest::DownloadWatch watch(downloader);
    Prepare(downloader, "/data?size=8388608&full_from=5000000");
    ASSERT_NE(downloader.StartDownload(), nullptr);
    ASSERT_TRUE(watch.WaitForResult());
    EXPECT_FALSE(watch.success());
    EXPECT_EQ(watch.text(), "The server answered with other bytes than were asked for");
    EXPECT_EQ(dltest::ReadFile(target), "the installed package");
    EXPECT_FALSE(dltest::Exists(target + ".dl"));
}

// A resumed single transfer whose server now ignores the range starts again from byte 0: the
// file is emptied and the whole body written from its start.
TEST_F(Downloads, AResumeAnsweredWithTheWholeResourceStartsTheFileOver) {
    const std::string token = testenv::UniqueToken("resume-full");
    HttpDownloader downloader;
    dltest::DownloadWatch watch(downloader);
    downloader.SetThreadCount(1);
    downloader.SetTimeout(1);
    Prepare(downloader,
            "/data?size=1048576&chunk=65536&chunk_delay=3000&after=1&first=1"
            "&full_from=3&token=" +
                token);
    ASSERT_NE(downloader.StartDownload(), nullptr);
    ASSERT_TRUE(watch.WaitForResult());
    EXPECT_TRUE(watch.success()) << watch.text();
    ExpectTargetHolds(1048576);
    EXPECT_EQ(GetRanges(token), (std::vector<std::string>{"", "bytes=65536-"}));
}

// The low-speed rule (under 1 byte/s for 5 s) ends a transfer that gets no answer with a
// time-out, and the transfer is tried again.
TEST_F(Downloads, ATransferStalledPastTheLowSpeedRuleIsTriedAgain) {
    const std::string token = testenv::UniqueToken("stall");
    HttpDownloader downloader;
    dltest::DownloadWatch watch(downloader);
    Prepare(downloader, "/data?size=1048576&delay=8000&after=1&first=1&token=" + token);
    ASSERT_NE(downloader.StartDownload(), nullptr);
    ASSERT_TRUE(watch.WaitForResult());
    EXPECT_TRUE(watch.success()) << watch.text();
    ExpectTargetHolds(1048576);
    EXPECT_EQ(GetRanges(token), (std::vector<std::string>{"", ""}));
}

// A single transfer from a server that answers ranges continues after the bytes it has, and
// every byte is counted once.
TEST_F(Downloads, ATimedOutSingleTransferResumesAfterTheBytesItHas) {
    const std::string token = testenv::UniqueToken("resume");
    HttpDownloader downloader;
    dltest::DownloadWatch watch(downloader);
    downloader.SetThreadCount(1);
    downloader.SetTimeout(1);
    Prepare(downloader,
            "/data?size=1048576&chunk=65536&chunk_delay=3000&after=1&first=1&token=" + token);
    ASSERT_NE(downloader.StartDownload(), nullptr);
    ASSERT_TRUE(watch.WaitForResult());
    EXPECT_TRUE(watch.success()) << watch.text();
    ExpectTargetHolds(1048576);
    EXPECT_EQ(GetRanges(token), (std::vector<std::string>{"", "bytes=65536-"}));
    EXPECT_EQ(watch.maxDownloaded(), 1048576.0);
}

TEST_F(Downloads, ATimedOutPartResumesAtItsNextOffset) {
    const std::string token = testenv::UniqueToken("partretry");
    HttpDownloader downloader;
    dltest::DownloadWatch watch(downloader);
    // Two seconds leave the parts that are not held back ample time on a busy machine.
    downloader.SetTimeout(2);
    Prepare(downloader,
            "/data?size=8388608&chunk=65536&chunk_delay=5000&after=1&first=1&token=" + token);
    ASSERT_NE(downloader.StartDownload(), nullptr);
    ASSERT_TRUE(watch.WaitForResult());
    EXPECT_TRUE(watch.success()) << watch.text();
    ExpectTargetHolds(8388608);
    EXPECT_EQ(watch.maxDownloaded(), 8388608.0);

    const std::set<std::string> parts = {"bytes=0-2796201", "bytes=2796202-5592403",
                                         "bytes=5592404-"};
    const std::set<std::string> resumed = {"bytes=65536-2796201", "bytes=2861738-5592403",
                                           "bytes=5657940-"};
    auto ranges = GetRanges(token);
    ASSERT_EQ(ranges.size(), 4u);
    EXPECT_EQ(parts.count(ranges[0]), 1u) << ranges[0];
    int fromParts = 0, fromResumed = 0;
    for (const auto& r : ranges) {
        fromParts += static_cast<int>(parts.count(r));
        fromResumed += static_cast<int>(resumed.count(r));
    }
    EXPECT_EQ(fromParts, 3);
    EXPECT_EQ(fromResumed, 1);
}

// The fault matrix: whatever the server does, a download ends either with a byte-exact file
// or with a reported failure, never leaves its temporary file, and never touches the file
// already at the target path unless it succeeds. "single" rows fetch 1 MiB in one transfer,
// "multi" rows 8 MiB in three ranged parts; the probe (the first request) is spared unless
// the row is about the probe. A changed resource is the generated body shifted by 1000.
// Nothing is ever written past the resource's length, not even by a failing transfer. The
// SHA-256 made while downloading is that of the finished file's bytes (parts that arrive out
// of order, retries and a file started over included), and there is none after a failure.
TEST_F(Downloads, FaultMatrixEndsByteExactOrReported) {
    enum Outcome { kFailure, kOriginal, kChangedVersion };
    struct Row {
        const char* name;
        bool multi;
        std::string faults;
        Outcome outcome;
        int timeout;         // seconds per part transfer, 0 none
        size_t changedSize;  // size of the changed version
    };
    const Row rows[] = {
        {"drop mid-body", false, "&drop=300000&after=1&first=1", kFailure, 0, 0},
        {"drop mid-body", true, "&drop=300000&after=1&first=1", kFailure, 0, 0},
        {"stall past the low-speed rule", false, "&delay=8000&after=1&first=1", kOriginal, 0, 0},
        {"stall past the low-speed rule", true, "&delay=8000&after=1&first=1", kOriginal, 0, 0},
        {"short ranged reply", true, "&short=100000&after=1&first=1", kFailure, 0, 0},
        {"short resumed reply", false, "&chunk=65536&chunk_delay=3000&after=1&first=2&short=1000",
         kFailure, 1, 0},
        {"wrong Content-Range start", true, "&shift=1000&after=1&first=1", kFailure, 0, 0},
        {"changed between tries, ETag", false,
         "&chunk=65536&chunk_delay=3000&after=1&first=1&changed_at=3&etag=1", kChangedVersion, 1,
         1048576},
        {"changed between tries, new length", false,
         "&chunk=65536&chunk_delay=3000&after=1&first=1&changed_at=3&size2=1000000",
         kChangedVersion, 1, 1000000},
        {"changed between tries, ETag", true,
         "&chunk=65536&chunk_delay=5000&after=1&first=1&changed_at=5&etag=1", kFailure, 2, 0},
        {"changed between tries, new length", true,
         "&chunk=65536&chunk_delay=5000&after=1&first=1&changed_at=5&size2=8000000", kFailure, 2,
         0},
        {"404 on a retry", false,
         "&chunk=65536&chunk_delay=3000&after=1&first=1&status_at=3&status=404", kFailure, 1, 0},
        {"404 on a retry", true,
         "&chunk=65536&chunk_delay=5000&after=1&first=1&status_at=5&status=404", kFailure, 2, 0},
        {"body cut short without a length", false, "&nolength=1&drop=500000&after=1", kFailure, 0,
         0},
        {"endless chunked body", false, "&endless=1&after=1", kFailure, 0, 0},
        {"endless chunked last part", true, "&endless=1&after=1", kFailure, 0, 0},
        {"no length on the probe", false, "&nolength=1", kFailure, 0, 0},
        {"probe never answered", false, "&delay=60000", kFailure, 0, 0},
    };
    for (const Row& row : rows) {
        const std::string label = std::string(row.name) + (row.multi ? " (multi)" : " (single)");
        const size_t size = row.multi ? 8388608 : 1048576;
        dltest::WriteFile(target, "the installed package");
        HttpDownloader downloader;
        dltest::DownloadWatch watch(downloader);
        downloader.SetThreadCount(row.multi ? 4 : 1);
        downloader.SetTimeout(row.timeout);
        downloader.SetProbeBounds(2000, 1, 3000);
        downloader.SetHashWhileDownloading(true);
        Prepare(downloader, "/data?size=" + std::to_string(size) + row.faults +
                                "&token=" + testenv::UniqueToken("matrix"));
        ASSERT_NE(downloader.StartDownload(), nullptr) << label;
        ASSERT_TRUE(watch.WaitForResult()) << label << ": no outcome reported";
        EXPECT_FALSE(dltest::Exists(target + ".dl")) << label;
        EXPECT_LE(watch.maxDownloaded(), static_cast<double>(size))
            << label << ": written past the resource's length";
        if (row.outcome == kFailure) {
            EXPECT_FALSE(watch.success()) << label;
            EXPECT_FALSE(watch.text().empty()) << label;
            EXPECT_TRUE(dltest::ReadFile(target) == "the installed package") << label;
            Sha256Digest none;
            EXPECT_FALSE(downloader.GetSha256(none)) << label;
            continue;
        }
        EXPECT_TRUE(watch.success()) << label << ": " << watch.text();
        const std::string data = dltest::ReadFile(target);
        const bool changed = row.outcome == kChangedVersion;
        EXPECT_EQ(data.size(), changed ? row.changedSize : size) << label;
        EXPECT_EQ(testenv::FirstPatternMismatch(data, changed ? 1000 : 0), std::string::npos)
            << label;
        Sha256 whole(false);
        whole.Update(data.data(), data.size());
        Sha256Digest streamed{};
        EXPECT_TRUE(downloader.GetSha256(streamed)) << label;
        EXPECT_TRUE(streamed == whole.Final()) << label;
    }
}

// Resuming across runs: a download cut off keeps its bytes and a record of them; the next
// download of the same resource asks only for what is missing (one range per gap, with
// If-Range), ends byte-exact and hashes the kept bytes too. A changed resource or another
// package's record starts over, and a finished download leaves neither file behind.
TEST_F(Downloads, AnUnfinishedDownloadIsResumedByTheNextRunOfTheSameResource) {
    struct Row {
        const char* name;
        bool multi;
        const char* faults;          // first run: the cut; the second run comes after it
        const char* secondIdentity;  // the second run's identity
        bool resumes;
        bool changedVersion;  // the second run finds another version
    } const rows[] = {
        {"cut off", false, "&drop=300000&after=1&first=1", "pkg", true, false},
        {"cut off", true, "&drop=300000&after=1&first=1", "pkg", true, false},
        {"changed on the server", false, "&drop=300000&after=1&first=1&changed_at=3", "pkg", false,
         true},
        {"another package", false, "&drop=300000&after=1&first=1", "other", false, false},
    };
    for (const Row& row : rows) {
        const std::string label = std::string(row.name) + (row.multi ? " (multi)" : " (single)");
        const size_t size = row.multi ? 8388608 : 1048576;
        const std::string token = testenv::UniqueToken("resume");
        const std::string partial = dir.File("kept.part"), record = dir.File("kept.state");
        const std::string query =
            "/data?size=" + std::to_string(size) + "&etag=1" + row.faults + "&token=" + token;
        std::remove(target.c_str());
        {
            HttpDownloader first;
            dltest::DownloadWatch watch(first);
            first.SetThreadCount(row.multi ? 4 : 1);
            first.SetResume(partial, record, "pkg");
            Prepare(first, query);
            ASSERT_NE(first.StartDownload(), nullptr) << label;
            ASSERT_TRUE(watch.WaitForResult()) << label;
            ASSERT_FALSE(watch.success()) << label;
            EXPECT_TRUE(dltest::Exists(partial)) << label;
            EXPECT_TRUE(dltest::Exists(record)) << label;
            EXPECT_FALSE(dltest::Exists(target)) << label;
        }
        const std::size_t requestsBefore = GetRanges(token).size();
        HttpDownloader second;
        dltest::DownloadWatch watch(second);
        second.SetThreadCount(row.multi ? 4 : 1);
        second.SetResume(partial, record, row.secondIdentity);
        second.SetHashWhileDownloading(true);
        Prepare(second, query);
        ASSERT_NE(second.StartDownload(), nullptr) << label;
        ASSERT_TRUE(watch.WaitForResult()) << label;
        ASSERT_TRUE(watch.success()) << label << ": " << watch.text();
        const std::string data = dltest::ReadFile(target);
        ASSERT_EQ(data.size(), size) << label;
        EXPECT_EQ(testenv::FirstPatternMismatch(data, row.changedVersion ? 1000 : 0),
                  std::string::npos)
            << label;
        Sha256 whole(false);
        whole.Update(data.data(), data.size());
        Sha256Digest streamed{};
        EXPECT_TRUE(second.GetSha256(streamed) && streamed == whole.Final()) << label;
        EXPECT_FALSE(dltest::Exists(partial)) << label;
        EXPECT_FALSE(dltest::Exists(record)) << label;

        const std::vector<std::string> ranges = GetRanges(token);
        const std::vector<std::string> now(ranges.begin() + requestsBefore, ranges.end());
        EXPECT_EQ(second.GetResumeText().rfind(row.resumes ? "resumed: " : "not resumed (", 0), 0u)
            << label << ": " << second.GetResumeText();
        if (!row.resumes) {
            // The whole resource again, as one transfer.
            EXPECT_EQ(now, std::vector<std::string>{""}) << label;
            continue;
        }
        // Only the missing bytes: every range asked for starts past the first run's cut of
        // its part, and together they are well short of the whole.
        std::int64_t asked = 0;
        ASSERT_FALSE(now.empty()) << label;
        for (std::size_t k = 0; k < now.size(); ++k) {
            ASSERT_EQ(now[k].rfind("bytes=", 0), 0u) << label << ": " << now[k];
            const std::size_t dash = now[k].find('-');
            const std::int64_t from = std::stoll(now[k].substr(6, dash - 6));
            const std::int64_t to = std::stoll(now[k].substr(dash + 1));
            asked += to - from + 1;
        }
        EXPECT_GT(asked, 0) << label;
        EXPECT_LT(asked, static_cast<std::int64_t>(size)) << label;
        EXPECT_LE(asked + 300000, static_cast<std::int64_t>(size)) << label;
    }
}

TEST_F(Downloads, ATimedOutTransferWithoutRangesStartsAgainAndCountsOnce) {
    const std::string token = testenv::UniqueToken("restart");
    HttpDownloader downloader;
    dltest::DownloadWatch watch(downloader);
    downloader.SetTimeout(1);
    Prepare(
        downloader,
        "/data?size=1048576&ranges=0&chunk=65536&chunk_delay=3000&after=1&first=1&token=" + token);
    ASSERT_NE(downloader.StartDownload(), nullptr);
    ASSERT_TRUE(watch.WaitForResult());
    EXPECT_TRUE(watch.success()) << watch.text();
    ExpectTargetHolds(1048576);
    EXPECT_EQ(GetRanges(token), (std::vector<std::string>{"", ""}));
    EXPECT_EQ(watch.maxDownloaded(), 1048576.0);
}

TEST_F(Downloads, ProgressCallbackReturningNonZeroOrACancelAbortsAndKeepsTheExistingFile) {
    for (bool cancel : {false, true}) {
        dltest::WriteFile(target, "kept");
        HttpDownloader downloader;
        dltest::DownloadWatch watch(downloader);
        watch.onProgress = [&](double, double downloaded) {
            if (downloaded <= 0) return 0;
            if (!cancel) return 1;
            downloader.CancelDownload();
            return 0;
        };
        Prepare(downloader, "/data?size=8388608&rate=4000000");
        ASSERT_NE(downloader.StartDownload(), nullptr);
        ASSERT_TRUE(watch.WaitForResult());
        EXPECT_FALSE(watch.success());
        EXPECT_EQ(watch.text(), cancel
                                    ? std::string("The download was cancelled")
                                    : std::string(curl_easy_strerror(CURLE_ABORTED_BY_CALLBACK)));
        EXPECT_EQ(dltest::ReadFile(target), "kept");
        EXPECT_FALSE(dltest::Exists(target + ".dl"));
    }
}

// An overloaded service answering 503 with Retry-After, to the probe or to the transfer, is
// asked again after that long (nothing of its reply lands in the file); a cancel ends the
// wait at once rather than after the capped 20 s.
TEST_F(Downloads, ABusyServiceIsWaitedForAndACancelEndsTheWait) {
    for (const char* storm : {"status=503&first=1", "status=503&status_at=2"}) {
        const std::string token = testenv::UniqueToken("busy");
        HttpDownloader downloader;
        dltest::DownloadWatch watch(downloader);
        std::vector<std::string> notes;
        std::mutex notesLock;
        downloader.SetJitterSource([] { return 0.0; });
        downloader.SetRetryNote([&](const std::string& note) {
            std::lock_guard<std::mutex> hold(notesLock);
            notes.push_back(note);
        });
        Prepare(downloader,
                std::string("/data?size=100000&hdr=Retry-After:1&") + storm + "&token=" + token);
        ASSERT_NE(downloader.StartDownload(), nullptr);
        ASSERT_TRUE(watch.WaitForResult());
        EXPECT_TRUE(watch.success()) << storm << ": " << watch.text();
        ExpectTargetHolds(100000);
        const auto seen = testenv::ServerRequests(token);
        ASSERT_EQ(seen.size(), 3u) << storm;
        const std::size_t busy = seen[0].method == "HEAD" && seen[1].method == "HEAD" ? 0 : 1;
        EXPECT_GE(seen[busy + 1].time - seen[busy].time, 0.95) << storm;
        ASSERT_EQ(notes.size(), 1u) << storm;
        EXPECT_NE(notes[0].find("HTTP 503 with Retry-After \"1\", waiting 1000 ms before try 2"),
                  std::string::npos)
            << notes[0];
    }

    target = dir.File("cancelled.bin");
    HttpDownloader downloader;
    dltest::DownloadWatch watch(downloader);
    Prepare(downloader, "/data?size=100000&status=503&hdr=Retry-After:30");
    ASSERT_NE(downloader.StartDownload(), nullptr);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const auto cancelled = std::chrono::steady_clock::now();
    downloader.CancelDownload();
    ASSERT_TRUE(watch.WaitForResult(std::chrono::seconds(5)));
    EXPECT_LT(std::chrono::steady_clock::now() - cancelled, std::chrono::seconds(1));
    EXPECT_FALSE(watch.success());
    EXPECT_EQ(watch.text(), "The download was cancelled");
    EXPECT_FALSE(dltest::Exists(target));
    EXPECT_FALSE(dltest::Exists(target + ".dl"));
}

// Mirrors: each host is tried once, in order, until one delivers the whole file; a host
// that refuses, answers an error, sends a short body or a file of another length than the
// first host's is left, and nothing of it stays on disk. With all failing, the last host's
// failure is reported. The progress reached never falls back when the next host starts.
TEST_F(Downloads, MirrorsAreTriedInOrderUntilOneDeliversTheWholeFile) {
    const std::string refused = "http://127.0.0.1:1/data?size=100000";
    struct Case {
        std::vector<std::string> hosts;  // queries on the test server, or a full URL
        bool success;
        std::size_t left;                   // hosts left for the next one
        std::vector<std::size_t> requests;  // requests each host saw
        const char* error;
    };
    const Case cases[] = {
        {{refused, "size=100000&drop=50000", "size=100000"}, true, 2, {0, 2, 2}, ""},
        {{"size=100000&drop=50000", "size=90000", "size=100000"}, true, 2, {2, 1, 2}, ""},
        {{"size=100000", "size=5"}, true, 0, {2, 0}, ""},
        {{refused, "size=100&status=404", "size=100000&drop=50000"},
         false,
         2,
         {0, 2, 2},
         "Transferred a partial file"},
        {{"size=100000&status=503"}, false, 0, {2}, "No error"},
    };
    for (const Case& c : cases) {
        dltest::WriteFile(target, "kept");
        std::vector<std::string> urls, tokens;
        for (const std::string& host : c.hosts) {
            tokens.push_back(testenv::UniqueToken("mirror"));
            urls.push_back(
                host.rfind("http", 0) == 0
                    ? host
                    : testenv::ServerUrl(false, "/data?" + host + "&token=" + tokens.back()));
        }
        HttpDownloader downloader;
        dltest::DownloadWatch watch(downloader);
        std::vector<std::string> notes;  // the download thread's, read after the result
        downloader.SetRetryNote([&notes](const std::string& note) { notes.push_back(note); });
        double reached = 0;
        bool fellBack = false;
        watch.onProgress = [&reached, &fellBack](double, double done) {
            fellBack = fellBack || done < reached;
            reached = done;
            return 0;
        };
        downloader.SetDownloadUrl(urls[0]);
        downloader.SetMirrorUrls(std::vector<std::string>(urls.begin() + 1, urls.end()));
        downloader.SetFilePath(target);
        ASSERT_NE(downloader.StartDownload(), nullptr);
        ASSERT_TRUE(watch.WaitForResult());
        const std::string label = c.hosts.back();
        EXPECT_EQ(watch.success(), c.success) << label << ": " << watch.text();
        EXPECT_EQ(watch.text(), c.error) << label;
        if (c.success) {
            ExpectTargetHolds(100000);
        } else {
            EXPECT_EQ(dltest::ReadFile(target), "kept") << label;
        }
        EXPECT_FALSE(dltest::Exists(target + ".dl")) << label;
        EXPECT_FALSE(fellBack) << label;
        // Every host left is named, with why.
        std::size_t left = 0;
        for (const std::string& note : notes) {
            if (note.find("package host " + std::to_string(left + 1) + " of ") == 0 &&
                note.find(" left (") != std::string::npos) {
                ++left;
            }
        }
        EXPECT_EQ(left, c.left) << label;
        EXPECT_EQ(notes.size(), c.left) << label;
        for (std::size_t k = 0; k < c.hosts.size(); ++k) {
            if (c.hosts[k].rfind("http", 0) == 0) continue;
            EXPECT_EQ(testenv::ServerRequests(tokens[k]).size(), c.requests[k])
                << label << ", host " << k + 1;
        }
    }
}

TEST_F(Downloads, AStaleTemporaryFileIsReplaced) {
    dltest::WriteFile(target + ".dl", std::string(3000000, 'x'));
    HttpDownloader downloader;
    dltest::DownloadWatch watch(downloader);
    Prepare(downloader, "/data?size=100000");
    ASSERT_NE(downloader.StartDownload(), nullptr);
    ASSERT_TRUE(watch.WaitForResult());
    EXPECT_TRUE(watch.success()) << watch.text();
    ExpectTargetHolds(100000);
}

// ---------------------------------------------------------------------------------------------
// early exits, refused threads and the rename
// ---------------------------------------------------------------------------------------------

// Every way out reports, so the caller never waits for ever for an outcome.
TEST_F(Downloads, NoSizeOrNoTemporaryFileEndsWithAReportedFailureAndNoFile) {
    const std::string missingDir = dir.File("missing") + "/package.bin";
    struct Case {
        std::string url;
        std::string path;
        std::string text;
    };
    const Case cases[] = {
        {"", target, "No download address was given"},
        {testenv::ServerUrl(false, "/data?size=1000&nolength=1"), target,
         "The server did not report the size of the download"},
        {"http://127.0.0.1:1/nothing-listens-here", target,
         curl_easy_strerror(CURLE_COULDNT_CONNECT)},
        {testenv::ServerUrl(false, "/data?size=1000"), missingDir,
         "The temporary file for the download could not be created"},
    };
    for (const Case& c : cases) {
        HttpDownloader downloader;
        dltest::DownloadWatch watch(downloader);
        downloader.SetDownloadUrl(c.url);
        downloader.SetFilePath(c.path);
        ASSERT_NE(downloader.StartDownload(), nullptr) << c.url;
        ASSERT_TRUE(watch.WaitForResult()) << c.url;
        EXPECT_EQ(watch.resultCalls(), 1) << c.url;
        EXPECT_FALSE(watch.success()) << c.url;
        EXPECT_EQ(watch.text(), c.text) << c.url;
        EXPECT_FALSE(dltest::Exists(c.path)) << c.url;
        EXPECT_FALSE(dltest::Exists(c.path + ".dl")) << c.url;
    }
}

TEST_F(Downloads, APartThreadThatCannotStartFailsTheDownloadAfterTheOthersEnd) {
    dltest::WriteFile(target, "kept");
    HttpDownloader downloader;
    dltest::DownloadWatch watch(downloader);
    Prepare(downloader, "/data?size=8388608");
    PlatformThread::RefuseStartAfter(2);  // the download thread and the first part start
    void* handle = downloader.StartDownload();
    ASSERT_NE(handle, nullptr);
    ASSERT_TRUE(watch.WaitForResult());
    PlatformThread::RefuseStartAfter(-1);
    EXPECT_FALSE(watch.success());
    EXPECT_EQ(watch.text(), "A thread for a part of the download could not be started");
    EXPECT_EQ(dltest::ReadFile(target), "kept");
    EXPECT_FALSE(dltest::Exists(target + ".dl"));
}

TEST_F(Downloads, ADownloadThreadThatCannotStartStartsNothing) {
    HttpDownloader downloader;
    dltest::DownloadWatch watch(downloader);
    Prepare(downloader, "/data?size=1000");
    const size_t before = DownloadRegistry::Count();
    PlatformThread::RefuseStartAfter(0);
    EXPECT_EQ(downloader.StartDownload(), nullptr);
    PlatformThread::RefuseStartAfter(-1);
    EXPECT_FALSE(downloader.IsBusy());
    EXPECT_EQ(DownloadRegistry::Count(), before);
    // The worker is usable afterwards.
    ASSERT_NE(downloader.StartDownload(), nullptr);
    ASSERT_TRUE(watch.WaitForResult());
    EXPECT_TRUE(watch.success()) << watch.text();
}

// A complete transfer that cannot be moved onto its target is a failure, not a success, and
// leaves no temporary file behind.
TEST_F(Downloads, ARenameThatFailsIsReportedAndCleansUp) {
    const std::string blocked = dir.File("blocked");
    std::filesystem::create_directories(blocked);
    HttpDownloader downloader;
    dltest::DownloadWatch watch(downloader);
    downloader.SetDownloadUrl(testenv::ServerUrl(false, "/data?size=5000"));
    downloader.SetFilePath(blocked);
    ASSERT_NE(downloader.StartDownload(), nullptr);
    ASSERT_TRUE(watch.WaitForResult());
    EXPECT_FALSE(watch.success());
    EXPECT_EQ(watch.text(), "The downloaded file could not be moved to its target path");
    EXPECT_TRUE(dltest::IsDirectory(blocked));
    EXPECT_FALSE(dltest::Exists(blocked + ".dl"));
}

#ifndef _WIN32
// The last bytes of a small file sit in the stream's buffer until the file is closed; a
// failure there (a full disk) must not be reported as a complete download. A file-size limit
// makes that flush fail. There is no such limit to set in the Windows build.
TEST_F(Downloads, AFileThatCannotBeFlushedAtCloseIsAFailure) {
    dltest::WriteFile(target, "kept");
    HttpDownloader downloader;
    dltest::DownloadWatch watch(downloader);
    Prepare(downloader, "/data?size=3000");
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = 1000;
    setrlimit(RLIMIT_FSIZE, &small);
    ASSERT_NE(downloader.StartDownload(), nullptr);
    const bool ended = watch.WaitForResult();
    setrlimit(RLIMIT_FSIZE, &saved);
    ASSERT_TRUE(ended);
    EXPECT_FALSE(watch.success());
    EXPECT_EQ(watch.text(), "The downloaded file could not be written completely");
    EXPECT_EQ(dltest::ReadFile(target), "kept");
    EXPECT_FALSE(dltest::Exists(target + ".dl"));
}
#endif

// ---------------------------------------------------------------------------------------------
// identifiers, busy workers and the registry
// ---------------------------------------------------------------------------------------------

TEST(DownloaderIds, FollowConstructionOrderAcrossRequestsAndDownloaders) {
    HttpRequest a;
    HttpDownloader b;
    HttpDownloader c;
    HttpRequest d;
    EXPECT_EQ(b.GetRequestId(), a.GetRequestId() + 1);
    EXPECT_EQ(c.GetRequestId(), b.GetRequestId() + 1);
    EXPECT_EQ(d.GetRequestId(), c.GetRequestId() + 1);
    EXPECT_EQ(HttpGlobal::CurrentId(), d.GetRequestId() + 1);
}

TEST_F(Downloads, ASecondStartWhileBusyReturnsNullAndChangesNothing) {
    const std::string token = testenv::UniqueToken("busy");
    HttpDownloader downloader;
    dltest::DownloadWatch watch(downloader);
    downloader.SetRequestId(2);
    void* fromCallback = &watch;
    watch.onResult = [&] { fromCallback = downloader.StartDownload(); };
    Prepare(downloader, "/data?size=100000&delay=500&first=1&token=" + token);
    void* first = downloader.StartDownload();
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(downloader.IsBusy());
    EXPECT_EQ(downloader.StartDownload(), nullptr);
    ASSERT_TRUE(watch.WaitForResult());
    EXPECT_EQ(fromCallback, nullptr) << "busy until the result callback has returned";
    EXPECT_EQ(watch.resultCalls(), 1);
    EXPECT_TRUE(watch.success()) << watch.text();
    EXPECT_EQ(watch.id(), 2);
    ExpectTargetHolds(100000);
    EXPECT_EQ(testenv::ServerRequests(token).size(), 2u);
}

TEST_F(Downloads, TheRegistryKeepsWorkersUnlessReleaseWhenFinishedIsSet) {
    const size_t before = DownloadRegistry::Count();
    HttpDownloader kept;
    dltest::DownloadWatch keptWatch(kept);
    Prepare(kept, "/data?size=1000");
    ASSERT_NE(kept.StartDownload(), nullptr);
    ASSERT_TRUE(keptWatch.WaitForResult());
    EXPECT_EQ(DownloadRegistry::Count(), before + 1);

    HttpDownloader released;
    dltest::DownloadWatch releasedWatch(released);
    released.SetReleaseWhenFinished(true);  // cleared by the start below
    released.SetDownloadUrl(testenv::ServerUrl(false, "/data?size=1000&delay=200&first=1"));
    released.SetFilePath(dir.File("other.bin"));
    ASSERT_NE(released.StartDownload(), nullptr);
    released.SetReleaseWhenFinished(true);
    EXPECT_EQ(DownloadRegistry::Count(), before + 2);
    ASSERT_TRUE(releasedWatch.WaitForResult());
    // The entry goes on the download thread just after the driver ends.
    for (int i = 0; i < 2000 && DownloadRegistry::Count() != before + 1; ++i) {
        PlatformThread::Sleep(1);
    }
    EXPECT_EQ(DownloadRegistry::Count(), before + 1);
    EXPECT_TRUE(releasedWatch.success());
}

#ifndef _WIN32
// ---------------------------------------------------------------------------------------------
// the process-wide clean-up at exit (native)
// ---------------------------------------------------------------------------------------------

std::atomic<bool> stalledDownloadEnded{false};

// Another part of the process's exit that takes its time, running after the HTTP layer's
// clean-up: the stalled transfer may end meanwhile.
void WaitForTheStalledDownload() {
    for (int i = 0; i < 500 && !stalledDownloadEnded; ++i) PlatformThread::Sleep(10);
}

void ExitWhileAPartIsStalled(const std::string& path) {
    std::atexit(&WaitForTheStalledDownload);  // before the set-up exists: it runs after it
    const std::string token = testenv::UniqueToken("exit");
    // Made after the set-up, so destroyed before it, as a program's own objects are.
    static HttpDownloader downloader;
    downloader.SetResultCallback(
        [](int, bool, const std::string&) { stalledDownloadEnded = true; });
    // Three parts; the first to ask is held back before its answer.
    downloader.SetDownloadUrl(
        testenv::ServerUrl(false, "/data?size=8388608&delay=1500&after=1&first=1&token=" + token));
    downloader.SetFilePath(path);
    if (downloader.StartDownload() == nullptr) std::exit(3);
    for (int i = 0; i < 1000 && testenv::ServerRequests(token).size() < 2; ++i) {
        PlatformThread::Sleep(10);
    }
    std::exit(0);
}

// Run in a child process of its own (under the sanitizers, a report makes its exit code
// non-zero): the clean-up must not free what the stalled transfer still uses.
TEST(DownloaderExit, TheSetUpDestroyedWhileAPartIsStalledIsClean) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // fork rather than clone: the cloned child's two pages of stack overflow under the address
    // sanitizer's fake stacks before the child even starts.
    GTEST_FLAG_SET(death_test_use_fork, true);
    dltest::ScratchDir dir;
    const std::string path = dir.File("package.bin");
    EXPECT_EXIT(ExitWhileAPartIsStalled(path), ::testing::ExitedWithCode(0), "");
    EXPECT_FALSE(dltest::Exists(path + ".dl")) << "the cancelled download deletes its file";
}
#endif

}  // namespace
