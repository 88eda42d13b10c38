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

#include "http/http_callbacks.h"
#include "http/platform_thread.h"

class DownloadHelper;
class HttpLock;

// One part of a download; created by the driver, deleted by RunPart when its transfer ends.
struct DownloadPart {
    std::FILE* file = nullptr;    // the temporary file, shared by all parts
    std::int64_t nextOffset = 0;  // where the next received byte goes
    std::int64_t lastOffset = 0;  // the part's last byte; -1 to the end; 0 whole, no range
    DownloadHelper* worker = nullptr;
    CURL* easy = nullptr;  // the part's transfer, whose status the first bytes are checked on
    // A range starting past the first byte was asked for: only a 206 reply carries those
    // bytes; a 200 carries the resource from its start and must not land at nextOffset.
    bool needsPartialReply = false;
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
    void SetProgressUser(void* user) { progressUser_ = user; }
    void SetReleaseWhenFinished(bool release) { releaseWhenFinished_ = release; }
    void SetResultCallback(ResultCallback callback);
    void SetProgressCallback(ProgressCallback callback);
    // Makes every part refuse further data, which ends the download as a failure.
    void RequestCancel() { cancelRequested_ = true; }

    // Start-up, for StartDownload: claims the worker (false when it is busy), closes the
    // previous thread's handle and resets the outcome of the previous download.
    bool Claim();
    void ResetForStart();
    void AdoptThread(PlatformThread thread) { thread_ = std::move(thread); }
    void Unclaim() { busy_ = false; }

    // The download driver, run on the download thread. Returns whether the worker asked to be
    // released from the registry, as it stood before busy was cleared.
    bool Perform();
    double ProbeFileSize();
    int RunPart(DownloadPart* part);

    static unsigned DownloadThreadProc(void* registryElement);
    static unsigned PartThreadProc(void* part);
    static size_t WritePartData(char* data, size_t size, size_t count, void* part);
    static int ReportProgress(void* part, curl_off_t downloadTotal, curl_off_t downloadNow,
                              curl_off_t uploadTotal, curl_off_t uploadNow);

    // Read while the worker is not busy.
    bool IsBusy() const { return busy_; }
    int Id() const { return id_; }
    int ThreadCount() const { return threadCount_; }
    long HttpStatus() const { return httpStatus_; }
    double TotalSize() const { return totalSize_; }
    bool RangesSupported() const { return rangesSupported_; }
    const std::string& ErrorText() const { return errorText_; }

private:
    int IgnoreProgress(double, double, void*) { return 0; }
    void IgnoreResult(int, bool, const std::string&) {}

    // After a time-out, points the part's handle at the bytes still missing; false when the
    // part already holds all of its bytes.
    bool PrepareRetry(DownloadPart& part, CURL* easy);
    void RecordPartOutcome(CURLcode result, long status);
    void ApplyHttpsRule(CURL* easy) const;

    PlatformThread thread_;
    int retryCount_ = 3;
    int threadCount_ = 4;
    int id_;
    int timeout_ = 0;
    std::string filePath_;
    std::string url_;
    std::string headerText_;
    std::string errorText_;
    std::atomic<bool> releaseWhenFinished_{false};  // may be set while the driver runs
    bool rangesSupported_ = false;
    bool failed_ = true;
    std::atomic<bool> busy_{false};
    std::atomic<bool> cancelRequested_{false};
    void* progressUser_ = nullptr;
    long httpStatus_ = 0;
    double totalSize_ = 0;
    double downloaded_ = 0;
    int partsSucceeded_ = 0;         // guarded by lock_ while parts run
    std::int64_t filePosition_ = 0;  // where the shared file stands; -1 unknown (lock_)
    std::shared_ptr<HttpLock> lock_;
    ProgressCallback progressCallback_;
    ResultCallback resultCallback_;
};
