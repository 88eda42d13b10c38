// The worker behind HttpDownloader: the size probe, the driver that fetches the resource as
// one transfer or as ranged parts on threads of their own, written in place into one
// temporary file, and the libcurl callbacks of the parts.
#pragma once

#include <curl/curl.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "http/http_callbacks.h"
#include "http/platform_thread.h"
#include "http/prefix_hasher.h"
#include "http/proxy_rule.h"
#include "http/reply_headers.h"
#include "http/resume_journal.h"
#include "http/retry_policy.h"
#include "http/transfer_bounds.h"

class DownloadHelper;
class HttpDownloader;
class HttpLock;

struct CurlListFree {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using CurlList = std::unique_ptr<curl_slist, CurlListFree>;

// One part of a download; created by the driver, deleted by RunPart when its transfer ends.
struct DownloadPart {
    std::FILE* file = nullptr;    // the temporary file, shared by all parts
    std::size_t index = 0;        // its place in the plan
    std::int64_t nextOffset = 0;  // where the next received byte goes
    std::int64_t lastOffset = 0;  // the part's last byte; -1 to the end; 0 whole, no range
    DownloadHelper* worker = nullptr;
    CURL* easy = nullptr;  // the part's transfer, whose reply the first bytes are checked on
    ReplyHeaders reply;    // headers of the current try's last response
    // Offset the current try's range starts at; -1 when it asked for no range.
    std::int64_t requestedFrom = -1;
    bool replyChecked = false;  // the current try's reply has been checked
    // The resource changed under a single transfer: start again from byte 0 without a range.
    bool restart = false;
    std::string fault;  // why the part refused its reply, when it did
    CurlList headers;   // the If-Range line of the current try
    // The current try's Retry-After in milliseconds, when its reply was a 429 or 503 naming
    // one; -1 otherwise.
    long long retryAfterMs = -1;
};

class DownloadHelper {
public:
    DownloadHelper();
    ~DownloadHelper();
    DownloadHelper(const DownloadHelper&) = delete;
    DownloadHelper& operator=(const DownloadHelper&) = delete;

    // Settings; change them only while the worker is not busy.
    void SetUrl(const std::string& url) { url_ = url; }
    void SetFilePath(const std::string& path) { filePath_ = path; }
    void SetId(int id) { id_ = id; }
    void SetThreadCount(int count) { threadCount_ = count; }
    void SetTimeout(int seconds) { timeout_ = seconds; }
    void SetProbeBounds(const TransferBounds& bounds) { probeBounds_ = bounds; }
    void SetProgressUser(void* user) { progressUser_ = user; }
    void SetReleaseWhenFinished(bool release) { releaseWhenFinished_ = release; }
    void SetResultCallback(ResultCallback callback);
    void SetProgressCallback(ProgressCallback callback);
    void SetJitterSource(JitterSource source) { jitter_ = std::move(source); }
    void SetRetryNote(RetryNote note) { retryNote_ = std::move(note); }
    // Asked for the route of each host before its probe; without one libcurl decides.
    void SetProxyResolver(ProxyResolver resolver) { proxyResolver_ = std::move(resolver); }
    // Makes every transfer of the running download stop within about a second (at its next
    // write or progress report), which ends the download as a failure.
    void RequestCancel() {
        userCancelled_ = true;
        cancelRequested_ = true;
    }
    // Whether the file's SHA-256 is computed while it downloads (see Digest).
    void SetHashWhileDownloading(bool hash) { hashWhileDownloading_ = hash; }
    // After a successful download with hashing on: the SHA-256 of the file's bytes as they
    // were written (through a handle no other may write through); false when none was made.
    bool Digest(Sha256Digest& digest) const {
        if (digestValid_) digest = digest_;
        return digestValid_;
    }
    // Keeps an unfinished download for a later run: the partial file at partialPath (instead
    // of the file path plus ".dl") and its record at recordPath, for a resource that must turn
    // out to be identity. The next download with the same identity goes on from the bytes
    // kept when the server still has the same version. Empty paths: nothing is kept.
    void SetResume(const std::string& partialPath, const std::string& recordPath,
                   const std::string& identity) {
        journal_.Configure(partialPath, recordPath, identity);
    }
    // What became of kept bytes in the last download, for the log; empty when not resuming.
    const std::string& ResumeText() const { return resumeText_; }
    // Further URLs of the same resource, tried in order after the URL when it fails.
    void SetMirrorUrls(const std::vector<std::string>& urls) { mirrors_ = urls; }

    // Read while the worker is not busy.
    bool IsBusy() const { return busy_; }
    int Id() const { return id_; }
    int ThreadCount() const { return threadCount_; }
    long HttpStatus() const { return httpStatus_; }
    long ProbeStatus() const { return probeStatus_; }
    // Which host delivered the last download: 0 for its URL, k for its k-th mirror; -1 none.
    int ServingHost() const { return servingHost_; }
    double TotalSize() const { return totalSize_; }
    double Downloaded() const { return downloaded_; }
    bool RangesSupported() const { return rangesSupported_; }
    const std::string& ErrorText() const { return errorText_; }

private:
    friend class HttpDownloader;

    // Start-up, for StartDownload: claims the worker (false when it is busy), closes the
    // previous thread's handle and resets the outcome of the previous download.
    bool Claim();
    void ResetForStart();
    void AdoptThread(PlatformThread thread) { thread_ = std::move(thread); }
    void Unclaim() { busy_ = false; }

    // The download driver, run on the download thread; registryElement is its own entry.
    void Perform(void* registryElement);
    // The whole download from the current URL: probe, transfer, rename or delete. firstLength
    // is the length the first host reported (-1 before); true when the next host may be
    // tried (this one failed, and not for a cause no host can mend).
    bool FetchFromHost(std::int64_t& firstLength);
    void ResetForNextHost();
    // The outcome and the resource's details of a transfer, as before the first one.
    void ResetTransferState();
    // Reports the outcome, leaves the registry when asked to, then clears busy.
    void Finish(void* registryElement);
    double ProbeFileSize();
    // From the probe's reply: the whole resource's length and the bound on what is written.
    void ExpectProbedSize(long status, const ReplyHeaders& reply, curl_off_t length);
    int RunPart(DownloadPart* part);

    static unsigned DownloadThreadProc(void* registryElement);
    static unsigned PartThreadProc(void* part);
    static size_t WritePartData(char* data, size_t size, size_t count, void* part);
    static int ReportProgress(void* part, curl_off_t downloadTotal, curl_off_t downloadNow,
                              curl_off_t uploadTotal, curl_off_t uploadNow);
    static int ProbeProgress(void* worker, curl_off_t, curl_off_t, curl_off_t, curl_off_t);

    int IgnoreProgress(double, double, void*) { return 0; }
    void IgnoreResult(int, bool, const std::string&) {}

    // One try of a part: forgets the previous try's reply, then performs.
    CURLcode TryPart(DownloadPart& part, CURL* easy);
    // Asks for the part's bytes from its next offset (no range for a whole resource at 0).
    void AimPart(DownloadPart& part, CURL* easy);
    // After a time-out, points the part's handle at the bytes still missing; false when the
    // part already holds all of its bytes.
    bool PrepareRetry(DownloadPart& part, CURL* easy);
    // Empties the file and uncounts the part's bytes: the whole resource comes again.
    void StartOver(DownloadPart& part);
    // On the first bytes of a try: whether they may be written where the part stands.
    bool AcceptReply(DownloadPart& part);
    // Keeps the whole resource's validator and length: a resumption must find the same version.
    void RememberVersion(const DownloadPart& part);
    // After a try that libcurl counts as complete: whether the part holds all its bytes.
    bool PartComplete(DownloadPart& part, long status) const;
    void RecordPartOutcome(const DownloadPart& part, CURLcode result, long status, bool ok);
    // The certificate rule and the host's route, for the probe and every part.
    void ApplyUrlRules(CURL* easy) const;
    // Retry waits (see retry_policy.h): a random draw; whether easy's reply is a 429 or 503
    // with a readable Retry-After (its delay in afterMs); that reply in a few words; and the
    // wait itself, told to the retry note, ended early by a cancel (then false).
    double Draw();
    static bool RetryAfterOf(CURL* easy, const ReplyHeaders& reply, long long& afterMs);
    static std::string BusyText(CURL* easy, const ReplyHeaders& reply);
    bool WaitBeforeRetry(const std::string& why, long waitMs, int retry);

    PlatformThread thread_;
    int retryCount_ = 3;
    int threadCount_ = 4;
    int id_;
    int timeout_ = 0;
    std::string filePath_;
    std::string url_;
    std::vector<std::string> mirrors_;
    std::string headerText_;
    std::string errorText_;
    std::atomic<bool> releaseWhenFinished_{false};  // may be set while the driver runs
    bool rangesSupported_ = false;
    bool failed_ = true;
    std::atomic<bool> busy_{false};
    std::atomic<bool> cancelRequested_{false};  // the user's cancel, or a failed part's
    std::atomic<bool> userCancelled_{false};
    void* progressUser_ = nullptr;
    long httpStatus_ = 0;
    int servingHost_ = -1;
    long probeStatus_ = 0;  // the size probe's status, kept when a part's replaces httpStatus_
    double totalSize_ = 0;
    double downloaded_ = 0;
    double progressFloor_ = 0;       // what earlier hosts of this download reported reached
    int partsSucceeded_ = 0;         // guarded by lock_ while parts run
    bool errorRecorded_ = false;     // the first failure's text is kept (lock_)
    std::int64_t filePosition_ = 0;  // where the shared file stands; -1 unknown (lock_)
    // What identifies the version being fetched: the validator for If-Range and the whole
    // resource's size; empty / -1 when unknown. From the probe, or for a single transfer from
    // its first reply.
    std::string validator_;
    std::int64_t resourceSize_ = -1;
    // The length the file must end with, -1 when the probe could not tell, and the offset no
    // byte may be written at or past (lock_). Both come from the probe; a single transfer
    // that starts over on another version takes that version's declared length instead.
    std::int64_t expectedSize_ = -1;
    std::int64_t sizeCap_ = 0;
    bool adoptNextLength_ = false;  // the next remembered version brings its own length
    // The probe: 15 s to connect, under 1 byte/s for 15 s, 30 s in all.
    TransferBounds probeBounds_{15000, 15, 30000};
    std::shared_ptr<HttpLock> lock_;
    ProgressCallback progressCallback_;
    ResultCallback resultCallback_;
    JitterSource jitter_ = RetryPolicy::DefaultJitter();
    RetryNote retryNote_;
    ProxyResolver proxyResolver_;

    // Hashing while downloading: how far each part of the plan has written (lock_), how
    // often the file was cut back to nothing, and the stream the hasher asks to be flushed.
    struct PartReach {
        std::int64_t first = 0;
        std::int64_t next = 0;
        std::int64_t last = 0;  // as in PartRange
    };
    PrefixHasher::Reach HashableReach();
    // The byte ranges written so far, touching ones joined (lock_).
    ResumeJournal::Ranges WrittenRanges() const;
    // Records what is on disk for a later run: at most every few seconds from the parts'
    // progress reports, and once more when the download ends unfinished (force).
    void Checkpoint(bool force);
    // How far the file is complete from its first byte, by the parts' reach (lock_).
    std::int64_t ContiguousReach() const;
    bool hashWhileDownloading_ = false;
    std::vector<PartReach> partReach_;
    unsigned restarts_ = 0;
    std::FILE* openFile_ = nullptr;  // the stream being written (lock_)
    bool hashing_ = false;           // the hasher takes what is written (lock_)
    ResumeJournal journal_;
    std::string resumeText_;
    std::atomic<bool> checkpointing_{false};
    std::atomic<long long> lastCheckpointMs_{0};
    PrefixHasher hasher_;
    Sha256Digest digest_{};
    bool digestValid_ = false;
    ProxyRoute route_;  // the current host's, set before its probe (read by the parts)
};
