// Downloads one URL into one file on a thread of its own, as one transfer or as up to ten
// ranged parts, with progress and result callbacks. A thin handle: copies share one worker,
// and a running download outlives the handle.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "http/http_callbacks.h"
#include "http/proxy_route.h"
#include "http/retry_policy.h"
#include "http/sha256.h"

class DownloadHelper;

class HttpDownloader {
public:
    HttpDownloader();

    void SetDownloadUrl(const std::string& url);
    // Further URLs of the same file, tried in order, each once, after the download URL fails
    // (no answer, an error status, a body shorter than announced, or a length other than the
    // first host's); none by default. The temporary file starts afresh for each.
    void SetMirrorUrls(const std::vector<std::string>& urls);
    // The final file; the download is written to this path with ".dl" appended first.
    void SetFilePath(const std::string& path);
    void SetRequestId(int id);
    // Upper bound on the number of parts; each download lowers it to the count it chose.
    void SetThreadCount(int count);
    void SetResultCallback(ResultCallback callback);
    void SetProgressCallback(ProgressCallback callback);
    // Starts the download on a new thread; an opaque handle, or null when nothing started
    // (no worker, a download still running, or no thread to be had).
    void* StartDownload();

    // Limit in seconds for every part transfer (default 0: none).
    void SetTimeout(int seconds);
    // Limits of the size probe: connect time-out, low-speed rule (under 1 byte/s for
    // stallSeconds) and an overall limit for all its tries together. Default 15 s, 15 s, 30 s;
    // running out fails the download.
    void SetProbeBounds(long connectMs, long stallSeconds, long totalMs);
    // Third argument of the progress callback.
    void SetProgressUser(void* user);
    // Drop the worker from the download registry once the running download has ended. Every
    // StartDownload clears this, so it is set while (or from a callback of) a download.
    void SetReleaseWhenFinished(bool release);
    // Makes the running download stop within about a second and fail (its temporary file is
    // deleted, and the result callback reports it).
    void CancelDownload();

    // Retries wait first (see retry_policy.h): a time-out for a jittered back-off, a 429 or
    // 503 with Retry-After for what the server asked, at most
    // RetryPolicy::kPackageRetryAfterCapMs; a cancel ends any wait. The random draws come
    // from source (default: the worker's own), and note hears of every wait (from the
    // thread that waits).
    void SetJitterSource(JitterSource source);
    void SetRetryNote(RetryNote note);
    // Computes the file's SHA-256 while it downloads, from the bytes as written (see
    // GetSha256); the check after the download then costs next to nothing.
    void SetHashWhileDownloading(bool hash);
    // Keeps an unfinished download for a later run (the partial file at partialPath, its
    // record at recordPath), for a resource that must turn out to be identity (see
    // DownloadHelper::SetResume); empty paths keep nothing, as by default.
    void SetResume(const std::string& partialPath, const std::string& recordPath,
                   const std::string& identity);
    // Decides each host's route (a proxy or none) before its probe; by default libcurl does.
    void SetProxyResolver(ProxyResolver resolver);

    // The state of the worker; the outcome of the last download once it is no longer busy.
    bool IsBusy() const;
    int GetRequestId() const;
    int GetThreadCount() const;
    long GetHttpStatus() const;
    // The size probe's status (0 before any answer); GetHttpStatus is the last transfer's.
    long GetProbeHttpStatus() const;
    double GetTotalSize() const;
    // After a successful download with hashing on: its SHA-256; false when none was made
    // (then the caller must hash the file itself).
    bool GetSha256(Sha256Digest& digest) const;
    // What became of kept bytes in the last download ("resumed: ..." or "not resumed (why)");
    // empty when not resuming.
    std::string GetResumeText() const;
    // Which host delivered the last download: 0 for its URL, k for its k-th mirror; -1 none.
    int GetServingHost() const;
    // Bytes written to the file so far, all parts together.
    double GetDownloadedBytes() const;
    std::string GetErrorText() const;

private:
    std::shared_ptr<DownloadHelper> helper_;
};
