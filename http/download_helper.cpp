// The worker behind HttpDownloader.
//
// Sections:
//   set-up           construction, callbacks, claiming the worker for a new download
//   threads          the download thread and the part threads
//   driver           Perform: probe, split, transfer, rename or delete, result callback
//   probe            ProbeFileSize: the body-less "2-" range request
//   parts            RunPart, its retries, and the write and progress callbacks
#include "http/download_helper.h"

#include <list>
#include <regex>
#include <utility>
#include <vector>

#include "http/append_to_string.h"
#include "http/curl_option_seam.h"
#include "http/download_plan.h"
#include "http/download_registry.h"
#include "http/http_global.h"
#include "http/http_lock.h"
#include "http/https_rule.h"
#include "http/platform_file.h"

namespace {

const char kUserAgent[] = "Mozilla/5.0 (Windows NT 5.1; rv:5.0) Gecko/20100101 Firefox/5.0";
const char kMoveFailed[] = "The downloaded file could not be moved to its target path";
const char kThreadFailed[] = "A thread for a part of the download could not be started";
const char kCloseFailed[] = "The downloaded file could not be written completely";

struct EasyCloser {
    void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};
using EasyHandle = std::unique_ptr<CURL, EasyCloser>;

}  // namespace

// ---------------------------------------------------------------------------------------------
// set-up
// ---------------------------------------------------------------------------------------------

DownloadHelper::DownloadHelper()
    : id_(HttpGlobal::CurrentId()),
      lock_(new HttpLock),
      progressCallback_([this](double total, double downloaded, void* user) {
          return IgnoreProgress(total, downloaded, user);
      }),
      resultCallback_(
          [this](int id, bool ok, const std::string& text) { IgnoreResult(id, ok, text); }) {}

DownloadHelper::~DownloadHelper() = default;

void DownloadHelper::SetResultCallback(ResultCallback callback) {
    resultCallback_ = std::move(callback);
}

void DownloadHelper::SetProgressCallback(ProgressCallback callback) {
    progressCallback_ = std::move(callback);
}

bool DownloadHelper::Claim() {
    // Taken here rather than on the new thread, so a second start in the moments before the
    // thread runs cannot launch a second driver on the same worker.
    bool idle = false;
    return busy_.compare_exchange_strong(idle, true);
}

void DownloadHelper::ResetForStart() {
    thread_.Close();
    releaseWhenFinished_ = false;
    rangesSupported_ = false;
    failed_ = true;
    cancelRequested_ = false;
    httpStatus_ = 0;
    totalSize_ = 0;
    downloaded_ = 0;
    headerText_.clear();
    errorText_.clear();
}

// ---------------------------------------------------------------------------------------------
// threads
// ---------------------------------------------------------------------------------------------

unsigned DownloadHelper::DownloadThreadProc(void* registryElement) {
    // A reference of this thread's own: the registry may be emptied (at process exit) while
    // the driver still runs.
    std::shared_ptr<DownloadHelper> worker;
    {
        ScopedHttpLock guard(DownloadRegistry::Lock());
        worker = *static_cast<std::shared_ptr<DownloadHelper>*>(registryElement);
    }
    PlatformThread::Sleep(10);
    if (worker->Perform()) DownloadRegistry::Remove(worker);
    return 1;
}

unsigned DownloadHelper::PartThreadProc(void* part) {
    auto* p = static_cast<DownloadPart*>(part);
    return static_cast<unsigned>(p->worker->RunPart(p));
}

// ---------------------------------------------------------------------------------------------
// driver
// ---------------------------------------------------------------------------------------------

bool DownloadHelper::Perform() {
    busy_ = true;
    totalSize_ = ProbeFileSize();
    if (totalSize_ < 0) {
        const bool release = releaseWhenFinished_;
        busy_ = false;
        return release;
    }

    const std::string temporary = filePath_ + ".dl";
    PlatformFile::Delete(temporary);
    FileHandle file = PlatformFile::OpenForWriting(temporary);
    if (!file) {
        const bool release = releaseWhenFinished_;
        busy_ = false;
        return release;
    }

    const DownloadPlan plan = PlanDownload(totalSize_, threadCount_, rangesSupported_);
    threadCount_ = plan.partCount;
    partsSucceeded_ = 0;
    filePosition_ = 0;
    bool threadRefused = false;

    if (plan.parts.size() > 1) {
        std::vector<PlatformThread> threads;
        for (const PartRange& range : plan.parts) {
            auto* part = new DownloadPart{file.get(), range.first, range.last, this};
            PlatformThread thread = PlatformThread::Start(&PartThreadProc, part);
            if (!thread.Valid()) {
                // Fail the download; the parts already running stop at their next write, and
                // the file stays open until every one of them has ended.
                delete part;
                threadRefused = true;
                cancelRequested_ = true;
                break;
            }
            threads.push_back(std::move(thread));
        }
        PlatformThread::WaitAll(threads);
    } else {
        RunPart(new DownloadPart{file.get(), 0, 0, this});
    }
    // The last buffered bytes reach the disk only here; if that fails the file is incomplete.
    const bool closed = std::fclose(file.release()) == 0;

    failed_ = threadRefused || partsSucceeded_ != static_cast<int>(plan.parts.size());
    if (threadRefused) {
        errorText_ = kThreadFailed;
    } else if (!failed_ && !closed) {
        failed_ = true;
        errorText_ = kCloseFailed;
    }
    if (!failed_) {
        if (!PlatformFile::MoveReplacing(temporary, filePath_)) {
            failed_ = true;
            errorText_ = kMoveFailed;
            PlatformFile::Delete(temporary);
        }
    } else {
        PlatformFile::Delete(temporary);
    }

    // A copy, so a callback that replaces the worker's callback does not destroy itself; an
    // empty callback is treated as none.
    ResultCallback callback = resultCallback_;
    if (callback) callback(id_, !failed_, errorText_);

    const bool release = releaseWhenFinished_;
    busy_ = false;
    return release;
}

// ---------------------------------------------------------------------------------------------
// probe
// ---------------------------------------------------------------------------------------------

void DownloadHelper::ApplyHttpsRule(CURL* easy) const {
    HttpsRule::Apply(easy, url_);
}

double DownloadHelper::ProbeFileSize() {
    if (url_.empty()) return -1;
    double size = -1;
    EasyHandle easy(curl_easy_init());
    if (!easy) return size;
    CURL* h = easy.get();
    CurlOptionSeam::SetPointer(h, CURLOPT_SHARE, HttpGlobal::ShareHandle());
    CurlOptionSeam::SetLong(h, CURLOPT_DNS_CACHE_TIMEOUT, 300L);

    CurlOptionSeam::SetText(h, CURLOPT_URL, url_.c_str());
    ApplyHttpsRule(h);
    CurlOptionSeam::SetLong(h, CURLOPT_HEADER, 1L);
    CurlOptionSeam::SetLong(h, CURLOPT_NOBODY, 1L);
    CurlOptionSeam::SetLong(h, CURLOPT_FOLLOWLOCATION, 1L);
    CurlOptionSeam::SetLong(h, CURLOPT_MAXREDIRS, 5L);
    CurlOptionSeam::SetFunction(h, CURLOPT_HEADERFUNCTION, &AppendToString);
    CurlOptionSeam::SetPointer(h, CURLOPT_HEADERDATA, &headerText_);
    CurlOptionSeam::SetFunction(h, CURLOPT_WRITEFUNCTION, &AppendToString);
    CurlOptionSeam::SetPointer(h, CURLOPT_WRITEDATA, nullptr);
    CurlOptionSeam::SetText(h, CURLOPT_RANGE, "2-");

    int retriesLeft = retryCount_;
    CURLcode result = curl_easy_perform(h);
    while (result == CURLE_OPERATION_TIMEDOUT && retriesLeft-- > 0) result = curl_easy_perform(h);

    long status = 0;
    curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
    httpStatus_ = status;

    if (result == CURLE_OK) {
        curl_off_t length = -1;
        curl_easy_getinfo(h, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
        size = static_cast<double>(length);
        static const std::regex contentRange("CONTENT-RANGE\\s*:\\s*\\w+\\s*(\\d+)-(\\d*)/(\\d+)",
                                             std::regex::icase | std::regex::ECMAScript);
        rangesSupported_ = std::regex_search(headerText_, contentRange);
    } else {
        errorText_ = curl_easy_strerror(result);
    }
    return size;
}

// ---------------------------------------------------------------------------------------------
// parts
// ---------------------------------------------------------------------------------------------

namespace {

std::string RangeText(std::int64_t next, std::int64_t last) {
    std::string text = std::to_string(next) + "-";
    if (last > 0) text += std::to_string(last);
    return text;
}

}  // namespace

int DownloadHelper::RunPart(DownloadPart* rawPart) {
    std::unique_ptr<DownloadPart> part(rawPart);
    EasyHandle easy(curl_easy_init());
    if (!easy) {
        RecordPartOutcome(CURLE_FAILED_INIT, 0);
        return CURLE_FAILED_INIT;
    }
    CURL* h = easy.get();
    CurlOptionSeam::SetPointer(h, CURLOPT_SHARE, HttpGlobal::ShareHandle());
    CurlOptionSeam::SetLong(h, CURLOPT_DNS_CACHE_TIMEOUT, 300L);
    ApplyHttpsRule(h);
    CurlOptionSeam::SetText(h, CURLOPT_URL, url_.c_str());
    CurlOptionSeam::SetText(h, CURLOPT_USERAGENT, kUserAgent);
    CurlOptionSeam::SetLong(h, CURLOPT_MAXREDIRS, 5L);
    CurlOptionSeam::SetLong(h, CURLOPT_FOLLOWLOCATION, 1L);
    CurlOptionSeam::SetLong(h, CURLOPT_NOSIGNAL, 1L);
    CurlOptionSeam::SetLong(h, CURLOPT_POST, 0L);
    CurlOptionSeam::SetLong(h, CURLOPT_CONNECTTIMEOUT_MS, 0L);
    CurlOptionSeam::SetLong(h, CURLOPT_TIMEOUT, static_cast<long>(timeout_));
    CurlOptionSeam::SetFunction(h, CURLOPT_WRITEFUNCTION, &WritePartData);
    CurlOptionSeam::SetPointer(h, CURLOPT_WRITEDATA, part.get());
    CurlOptionSeam::SetFunction(h, CURLOPT_HEADERFUNCTION, &AppendToString);
    CurlOptionSeam::SetPointer(h, CURLOPT_HEADERDATA, nullptr);
    CurlOptionSeam::SetLong(h, CURLOPT_NOPROGRESS, 0L);
    CurlOptionSeam::SetFunction(h, CURLOPT_XFERINFOFUNCTION, &ReportProgress);
    CurlOptionSeam::SetPointer(h, CURLOPT_XFERINFODATA, part.get());
    CurlOptionSeam::SetLong(h, CURLOPT_LOW_SPEED_LIMIT, 1L);
    CurlOptionSeam::SetLong(h, CURLOPT_LOW_SPEED_TIME, 5L);
    part->easy = h;
    if (part->lastOffset != 0) {
        CurlOptionSeam::SetText(h, CURLOPT_RANGE,
                                RangeText(part->nextOffset, part->lastOffset).c_str());
        part->needsPartialReply = part->nextOffset > 0;
    }

    int retriesLeft = retryCount_;
    CURLcode result = curl_easy_perform(h);
    while (result == CURLE_OPERATION_TIMEDOUT && retriesLeft-- > 0) {
        if (!PrepareRetry(*part, h)) {
            result = CURLE_OK;  // every byte of the part had arrived before the time-out
            break;
        }
        result = curl_easy_perform(h);
    }

    long status = 0;
    curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
    RecordPartOutcome(result, status);
    return result;
}

bool DownloadHelper::PrepareRetry(DownloadPart& part, CURL* easy) {
    // Only this thread moves the part's offset, and not while no transfer runs.
    if (part.lastOffset > 0 && part.nextOffset > part.lastOffset) return false;
    if (part.lastOffset != 0) {
        // Ranged part: continue after the bytes already written.
        CurlOptionSeam::SetText(easy, CURLOPT_RANGE,
                                RangeText(part.nextOffset, part.lastOffset).c_str());
        part.needsPartialReply = part.nextOffset > 0;
    } else if (part.nextOffset > 0 && rangesSupported_) {
        // The whole resource from a server that answers ranges: continue where it broke off.
        CurlOptionSeam::SetText(easy, CURLOPT_RANGE, RangeText(part.nextOffset, -1).c_str());
        part.needsPartialReply = true;
    } else if (part.nextOffset > 0) {
        // No ranges: start again from the first byte and count the bytes again from there.
        ScopedHttpLock guard(lock_);
        downloaded_ -= static_cast<double>(part.nextOffset);
        part.nextOffset = 0;
    }
    return true;
}

void DownloadHelper::RecordPartOutcome(CURLcode result, long status) {
    // Parts on several threads report at once.
    ScopedHttpLock guard(lock_);
    httpStatus_ = status;
    if (result == CURLE_OK && status >= 200 && status <= 300) {
        ++partsSucceeded_;
    } else {
        errorText_ = curl_easy_strerror(result);
    }
}

size_t DownloadHelper::WritePartData(char* data, size_t size, size_t count, void* rawPart) {
    auto* part = static_cast<DownloadPart*>(rawPart);
    DownloadHelper* worker = part->worker;
    if (worker->cancelRequested_) return 0;
    if (part->needsPartialReply) {
        // Checked once per perform, on its first bytes: a server that ignored the range sends
        // the resource from byte 0, which would overwrite other bytes and pass as success.
        long status = 0;
        curl_easy_getinfo(part->easy, CURLINFO_RESPONSE_CODE, &status);
        if (status != 206) return 0;
        part->needsPartialReply = false;
    }
    ScopedHttpLock guard(worker->lock_);

    std::int64_t length = static_cast<std::int64_t>(size * count);
    if (part->lastOffset > 0) {
        // Never past the part's own last byte, not even once it is complete: bytes beyond it
        // belong to the next part, so the transfer ends with a write error instead.
        const std::int64_t room = part->lastOffset - part->nextOffset + 1;
        if (length > room) length = room > 0 ? room : 0;
    }

    // A single transfer writes on where the last write ended; skipping that seek saves a
    // system call (and a buffer flush) per block.
    size_t written = 0;
    if (worker->filePosition_ != part->nextOffset &&
        PlatformFile::SeekTo(part->file, part->nextOffset) != 0) {
        std::perror("fseek");
        worker->filePosition_ = -1;
    } else if (length > 0) {
        written = std::fwrite(data, 1, static_cast<size_t>(length), part->file);
        worker->filePosition_ = written == static_cast<size_t>(length)
                                    ? part->nextOffset + static_cast<std::int64_t>(written)
                                    : -1;
    } else {
        worker->filePosition_ = part->nextOffset;
    }
    worker->downloaded_ += static_cast<double>(written);
    part->nextOffset += static_cast<std::int64_t>(written);
    return written;
}

int DownloadHelper::ReportProgress(void* rawPart, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    auto* part = static_cast<DownloadPart*>(rawPart);
    DownloadHelper* worker = part->worker;
    ScopedHttpLock guard(worker->lock_);
    if (!worker->progressCallback_) return 0;
    return worker->progressCallback_(worker->totalSize_, worker->downloaded_,
                                     worker->progressUser_);
}
