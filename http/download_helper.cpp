// The worker behind HttpDownloader.
//
// Sections:
//   set-up           construction, callbacks, claiming the worker for a new download
//   threads          the download thread and the part threads
//   driver           Perform: probe, split, transfer, rename or delete, result callback
//   probe            ProbeFileSize: the body-less "2-" range request
//   parts            RunPart, its retries, the checks of each reply, and the write and
//                    progress callbacks
#include "http/download_helper.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <list>
#include <utility>
#include <vector>

#include "http/append_to_string.h"
#include "http/content_range.h"
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
const char kNoUrl[] = "No download address was given";
const char kNoLength[] = "The server did not report the size of the download";
const char kTooLarge[] = "The server reported a size too large to download";
const char kOpenFailed[] = "The temporary file for the download could not be created";
const char kCancelled[] = "The download was cancelled";
const char kWrongRange[] = "The server answered with other bytes than were asked for";
const char kShortPart[] = "The server ended a part of the download early";
const char kChanged[] = "The file on the server changed during the download";
const char kTooLong[] = "The server sent more bytes than the size it reported";
const char kShortBody[] = "The download ended before the size the server reported";
const char kOtherLength[] = "This host's file has another length than the first host's";
// How often an unfinished download records what it has on disk for a later run: the record
// costs a sync of the data written meanwhile, and a run cut off loses at most this much.
constexpr long long kCheckpointMs = 2000;

long long NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}
const char kBusy[] = "The server stayed too busy to send the download (it asked to retry later)";

// Sizes up to 2^53 bytes stay exact in the doubles that carry sizes and progress.
constexpr curl_off_t kLargestSize = curl_off_t{1} << 53;

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
    cancelRequested_ = false;
    userCancelled_ = false;
    progressFloor_ = 0;
    ResetTransferState();
}

void DownloadHelper::ResetTransferState() {
    rangesSupported_ = false;
    failed_ = true;
    errorRecorded_ = false;
    httpStatus_ = 0;
    probeStatus_ = 0;
    totalSize_ = 0;
    downloaded_ = 0;
    validator_.clear();
    resourceSize_ = -1;
    expectedSize_ = -1;
    sizeCap_ = 0;
    adoptNextLength_ = false;
    headerText_.clear();
    errorText_.clear();
    digestValid_ = false;
}

// ---------------------------------------------------------------------------------------------
// threads
// ---------------------------------------------------------------------------------------------

unsigned DownloadHelper::DownloadThreadProc(void* registryElement) {
    {
        // A reference of this thread's own: the registry may be emptied (at process exit)
        // while the driver still runs.
        std::shared_ptr<DownloadHelper> worker;
        {
            ScopedHttpLock guard(DownloadRegistry::Lock());
            worker = *static_cast<std::shared_ptr<DownloadHelper>*>(registryElement);
        }
        PlatformThread::Sleep(10);
        worker->Perform(registryElement);
    }
    // Last: from here on this thread touches nothing the process-wide clean-up frees.
    HttpGlobal::TransferEnded();
    return 1;
}

unsigned DownloadHelper::PartThreadProc(void* part) {
    auto* p = static_cast<DownloadPart*>(part);
    return static_cast<unsigned>(p->worker->RunPart(p));
}

// ---------------------------------------------------------------------------------------------
// driver
// ---------------------------------------------------------------------------------------------

void DownloadHelper::Perform(void* registryElement) {
    busy_ = true;
    // The first URL, then the mirrors in order, each once: a host that fails (no answer, an
    // error status, a short body, a length other than the first host's) leaves nothing on
    // disk, and the next one starts afresh. The last host's failure is the one reported.
    std::vector<std::string> hosts{url_};
    hosts.insert(hosts.end(), mirrors_.begin(), mirrors_.end());
    const std::string firstUrl = url_;
    std::int64_t firstLength = -1;
    servingHost_ = -1;
    for (std::size_t k = 0; k < hosts.size(); ++k) {
        if (k > 0) {
            if (retryNote_) {
                retryNote_("package host " + std::to_string(k) + " of " +
                           std::to_string(hosts.size()) + " left (" + errorText_ +
                           (httpStatus_ != 0 ? ", HTTP " + std::to_string(httpStatus_) : "") +
                           "), trying host " + std::to_string(k + 1));
            }
            url_ = hosts[k];
            ResetForNextHost();
        }
        const bool nextMayHelp = FetchFromHost(firstLength);
        if (!failed_) servingHost_ = static_cast<int>(k);
        if (!nextMayHelp || !failed_) break;
    }
    url_ = firstUrl;
    Finish(registryElement);
}

void DownloadHelper::ResetForNextHost() {
    // A cancel that came while the last host ran holds for the next one too.
    cancelRequested_ = userCancelled_.load();
    // The next host's file has the first one's length, so the progress reached stands until
    // the next host passes it: the bar does not fall back to nothing.
    progressFloor_ = std::max(progressFloor_, downloaded_);
    ResetTransferState();
}

bool DownloadHelper::FetchFromHost(std::int64_t& firstLength) {
    if (proxyResolver_) route_ = proxyResolver_(url_);
    totalSize_ = ProbeFileSize();
    if (totalSize_ < 0 || cancelRequested_) {
        // Every way out reports, so a caller waiting for the outcome never waits for ever.
        if (cancelRequested_) errorText_ = kCancelled;
        return !cancelRequested_;
    }
    // Only a successful probe measures the file (an error page has a length of its own).
    const bool measured = probeStatus_ >= 200 && probeStatus_ < 300 && expectedSize_ >= 0;
    if (measured && firstLength < 0) {
        firstLength = expectedSize_;
    } else if (measured && expectedSize_ != firstLength) {
        // Another host's file of another length is another file, not the same package.
        errorText_ = kOtherLength;
        return true;
    }

    const std::string temporary = journal_.Enabled() ? journal_.PartialPath() : filePath_ + ".dl";
    // Bytes an earlier run kept, when they are of this very resource.
    ResumeJournal::Ranges kept;
    if (journal_.Enabled()) {
        std::string why;
        kept = rangesSupported_ && measured ? journal_.Kept(url_, validator_, expectedSize_, why)
                                            : journal_.Kept(url_, std::string(), -1, why);
        resumeText_ = kept.empty() ? "not resumed (" + why + ")" : std::string();
    }
    if (kept.empty()) PlatformFile::Delete(temporary);
    FileHandle file = kept.empty() ? PlatformFile::OpenForWriting(temporary)
                                   : PlatformFile::OpenForResuming(temporary);
    if (!file) {
        errorText_ = kOpenFailed;
        return false;  // no other host can help
    }

    // The plan: the parts of the table, or each range the kept bytes leave out, with the
    // kept ranges among them as parts already complete.
    DownloadPlan plan;
    std::int64_t keptBytes = 0;
    partReach_.clear();
    std::vector<std::size_t> reachOfPart;
    if (kept.empty()) {
        plan = PlanDownload(totalSize_, threadCount_, rangesSupported_);
        for (const PartRange& range : plan.parts) {
            reachOfPart.push_back(partReach_.size());
            partReach_.push_back(PartReach{range.first, range.first, range.last});
        }
    } else {
        std::int64_t at = 0;
        kept.emplace_back(expectedSize_, expectedSize_);  // the end, as a range of nothing
        for (const auto& range : kept) {
            if (range.first > at) {
                plan.parts.push_back(PartRange{at, range.first - 1});
                reachOfPart.push_back(partReach_.size());
                partReach_.push_back(PartReach{at, at, range.first - 1});
            }
            if (range.second > range.first) {
                partReach_.push_back(PartReach{range.first, range.second, range.second - 1});
            }
            at = range.second;
        }
        kept.pop_back();
        plan.partCount = static_cast<int>(plan.parts.size());
        for (const auto& range : kept) keptBytes += range.second - range.first;
        ScopedHttpLock guard(lock_);
        downloaded_ = static_cast<double>(keptBytes);
        resourceSize_ = expectedSize_;
        resumeText_ = "resumed: " + std::to_string(keptBytes) + " bytes kept from an earlier run";
    }
    // The table's choice bounds later downloads too; a resumption's gaps are no such choice.
    if (kept.empty()) threadCount_ = plan.partCount;
    partsSucceeded_ = 0;
    filePosition_ = kept.empty() ? 0 : -1;
    bool threadRefused = false;
    restarts_ = 0;
    // Without a hash (the file cannot be read back) the caller checks the file itself.
    const bool hashing =
        hashWhileDownloading_ && hasher_.Start(temporary, [this] { return HashableReach(); });
    {
        ScopedHttpLock guard(lock_);
        openFile_ = file.get();
        hashing_ = hashing;
    }
    lastCheckpointMs_ = NowMs();

    if (plan.parts.size() > 1 || !kept.empty()) {
        std::vector<PlatformThread> threads;
        for (const PartRange& range : plan.parts) {
            auto* part = new DownloadPart;
            part->file = file.get();
            part->index = reachOfPart[threads.size()];
            part->nextOffset = range.first;
            part->lastOffset = range.last;
            part->worker = this;
            PlatformThread thread = PlatformThread::Start(&PartThreadProc, part);
            if (!thread.Valid()) {
                // Fail the download; the parts already running stop at their next write or
                // progress report, and the file stays open until every one of them has ended.
                delete part;
                threadRefused = true;
                cancelRequested_ = true;
                break;
            }
            threads.push_back(std::move(thread));
        }
        PlatformThread::WaitAll(threads);
    } else {
        auto* part = new DownloadPart;
        part->file = file.get();
        part->worker = this;
        RunPart(part);
    }
    if (hashing) {
        // Every part has ended: what is complete now is the whole file, or the download failed.
        const bool partsOk =
            !threadRefused && partsSucceeded_ == static_cast<int>(plan.parts.size());
        if (partsOk) {
            digestValid_ = hasher_.Finish(HashableReach(), digest_);
        } else {
            hasher_.Stop();
        }
    }
    failed_ = threadRefused || partsSucceeded_ != static_cast<int>(plan.parts.size());
    if (keptBytes > 0) {
        ScopedHttpLock guard(lock_);
        resumeText_ += ", " + std::to_string(static_cast<std::int64_t>(downloaded_) - keptBytes) +
                       " bytes fetched";
    }
    // Unfinished: what is on disk stays for the next run, unless the server's resource is
    // not the one those bytes came from.
    const bool keep = failed_ && journal_.Enabled() && errorText_ != kChanged &&
                      errorText_ != kWrongRange && errorText_ != kTooLong;
    if (keep) Checkpoint(true);
    {
        ScopedHttpLock guard(lock_);
        openFile_ = nullptr;
        hashing_ = false;
    }
    // The last buffered bytes reach the disk only here; if that fails the file is incomplete.
    const bool closed = std::fclose(file.release()) == 0;

    if (threadRefused) {
        errorText_ = kThreadFailed;
    } else if (!failed_ && !closed) {
        failed_ = true;
        errorText_ = kCloseFailed;
    }
    if (!failed_) {
        journal_.Forget();
        if (!PlatformFile::MoveReplacing(temporary, filePath_)) {
            failed_ = true;
            errorText_ = kMoveFailed;
            PlatformFile::Delete(temporary);
        }
    } else if (!keep) {
        if (journal_.Enabled()) journal_.Discard();
        PlatformFile::Delete(temporary);
    }
    return failed_ && !threadRefused && !userCancelled_;
}

void DownloadHelper::Finish(void* registryElement) {
    // A copy, so a callback that replaces the worker's callback does not destroy itself; an
    // empty callback is treated as none.
    ResultCallback callback = resultCallback_;
    if (callback) callback(id_, !failed_, errorText_);
    // Still busy: no new StartDownload can add an entry for this worker before this one
    // has gone, and only this thread's own entry goes.
    if (releaseWhenFinished_) DownloadRegistry::Remove(registryElement);
    busy_ = false;
}

// ---------------------------------------------------------------------------------------------
// probe
// ---------------------------------------------------------------------------------------------

void DownloadHelper::ApplyUrlRules(CURL* easy) const {
    HttpsRule::Apply(easy, url_);
    if (proxyResolver_) ProxyRule::Apply(easy, route_);
}

double DownloadHelper::Draw() {
    return jitter_ ? jitter_() : 0.0;
}

bool DownloadHelper::RetryAfterOf(CURL* easy, const ReplyHeaders& reply, long long& afterMs) {
    long status = 0;
    curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
    return RetryPolicy::HonoursRetryAfter(status) &&
           RetryPolicy::ParseRetryAfter(reply.retryAfter,
                                        static_cast<long long>(std::time(nullptr)), afterMs);
}

std::string DownloadHelper::BusyText(CURL* easy, const ReplyHeaders& reply) {
    long status = 0;
    curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
    return "HTTP " + std::to_string(status) + " with Retry-After \"" + reply.retryAfter + "\"";
}

bool DownloadHelper::WaitBeforeRetry(const std::string& why, long waitMs, int retry) {
    if (retryNote_) {
        retryNote_(why + ", waiting " + std::to_string(waitMs) + " ms before try " +
                   std::to_string(retry + 2) + " of " + std::to_string(retryCount_ + 1));
    }
    return RetryPolicy::Wait(waitMs, &cancelRequested_);
}

int DownloadHelper::ProbeProgress(void* worker, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    return static_cast<DownloadHelper*>(worker)->cancelRequested_ ? 1 : 0;
}

double DownloadHelper::ProbeFileSize() {
    if (url_.empty()) {
        errorText_ = kNoUrl;
        return -1;
    }
    double size = -1;
    EasyHandle easy(curl_easy_init());
    if (!easy) {
        errorText_ = curl_easy_strerror(CURLE_FAILED_INIT);
        return size;
    }
    CURL* h = easy.get();
    CurlOptionSeam::SetPointer(h, CURLOPT_SHARE, HttpGlobal::ShareHandle());
    CurlOptionSeam::SetLong(h, CURLOPT_DNS_CACHE_TIMEOUT, 300L);

    CurlOptionSeam::SetText(h, CURLOPT_URL, url_.c_str());
    ApplyUrlRules(h);
    CurlOptionSeam::SetLong(h, CURLOPT_HEADER, 1L);
    CurlOptionSeam::SetLong(h, CURLOPT_NOBODY, 1L);
    CurlOptionSeam::SetLong(h, CURLOPT_FOLLOWLOCATION, 1L);
    CurlOptionSeam::SetLong(h, CURLOPT_MAXREDIRS, 5L);
    CurlOptionSeam::SetFunction(h, CURLOPT_HEADERFUNCTION, &AppendToString);
    CurlOptionSeam::SetPointer(h, CURLOPT_HEADERDATA, &headerText_);
    CurlOptionSeam::SetFunction(h, CURLOPT_WRITEFUNCTION, &AppendToString);
    CurlOptionSeam::SetPointer(h, CURLOPT_WRITEDATA, nullptr);
    CurlOptionSeam::SetText(h, CURLOPT_RANGE, "2-");
    // A cancel reaches a probe that waits for an answer, too.
    CurlOptionSeam::SetLong(h, CURLOPT_NOPROGRESS, 0L);
    CurlOptionSeam::SetFunction(h, CURLOPT_XFERINFOFUNCTION, &ProbeProgress);
    CurlOptionSeam::SetPointer(h, CURLOPT_XFERINFODATA, this);

    // Time-outs and their back-off stay inside the probe's bounds; a service that names its
    // own Retry-After is waited for (capped) outside them, and each try after such a wait has
    // the bounds afresh. Every wait ends at a cancel.
    int retriesLeft = retryCount_;
    CURLcode result = CURLE_OPERATION_TIMEDOUT;
    probeBounds_.Start();
    for (int retry = 0; probeBounds_.ApplyForNextTry(h); ++retry) {
        headerText_.clear();  // the headers of the last try decide
        result = curl_easy_perform(h);
        if (retriesLeft-- <= 0 || cancelRequested_) break;
        const double draw = Draw();
        if (result == CURLE_OPERATION_TIMEDOUT) {
            const long waitMs = RetryPolicy::JitteredWaitMs(retry, draw);
            const long remaining = probeBounds_.RemainingMs();
            if (remaining >= 0 && waitMs >= remaining) break;
            if (!WaitBeforeRetry("size probe timed out", waitMs, retry)) break;
            continue;
        }
        ReplyHeaders reply;
        reply.Lines(headerText_);
        long long afterMs = 0;
        if (result != CURLE_OK || !RetryAfterOf(h, reply, afterMs)) break;
        const long waitMs = RetryPolicy::RetryAfterWaitMs(afterMs, retry, draw,
                                                          RetryPolicy::kPackageRetryAfterCapMs);
        if (!WaitBeforeRetry("size probe answered " + BusyText(h, reply), waitMs, retry)) break;
        probeBounds_.Start();
    }

    long status = 0;
    curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
    httpStatus_ = status;
    probeStatus_ = status;

    if (result == CURLE_OK) {
        curl_off_t length = -1;
        curl_easy_getinfo(h, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
        if (length < 0) {
            errorText_ = kNoLength;
        } else if (length > kLargestSize) {
            errorText_ = kTooLarge;
        } else {
            size = static_cast<double>(length);
        }
        rangesSupported_ = ContentRange::AppearsIn(headerText_);
        ReplyHeaders reply;
        reply.Lines(headerText_);
        validator_ = reply.Validator();
        if (reply.hasContentRange) resourceSize_ = reply.contentRange.total;
        ExpectProbedSize(status, reply, length);
    } else {
        errorText_ = curl_easy_strerror(result) + ProxyRule::RefusalText(h);
    }
    return size;
}

void DownloadHelper::ExpectProbedSize(long status, const ReplyHeaders& reply, curl_off_t length) {
    if (reply.hasContentRange) {
        expectedSize_ = reply.contentRange.total;
    } else if (status == 206) {
        // A partial reply to the range "2-" without a total: at most the two bytes before the
        // range are missing from its length, whether it was honoured or not.
        expectedSize_ = -1;
        sizeCap_ = length + 2;
        return;
    } else if (status == 416) {
        // The range "2-" lies past the end: the resource has at most two bytes.
        expectedSize_ = -1;
        sizeCap_ = 2;
        return;
    } else {
        expectedSize_ = length;
    }
    sizeCap_ = expectedSize_;
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
        RecordPartOutcome(*part, CURLE_FAILED_INIT, 0, false);
        return CURLE_FAILED_INIT;
    }
    CURL* h = easy.get();
    CurlOptionSeam::SetPointer(h, CURLOPT_SHARE, HttpGlobal::ShareHandle());
    CurlOptionSeam::SetLong(h, CURLOPT_DNS_CACHE_TIMEOUT, 300L);
    ApplyUrlRules(h);
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
    CurlOptionSeam::SetFunction(h, CURLOPT_HEADERFUNCTION, &ReplyHeaders::Collect);
    CurlOptionSeam::SetPointer(h, CURLOPT_HEADERDATA, &part->reply);
    CurlOptionSeam::SetLong(h, CURLOPT_NOPROGRESS, 0L);
    CurlOptionSeam::SetFunction(h, CURLOPT_XFERINFOFUNCTION, &ReportProgress);
    CurlOptionSeam::SetPointer(h, CURLOPT_XFERINFODATA, part.get());
    CurlOptionSeam::SetLong(h, CURLOPT_LOW_SPEED_LIMIT, 1L);
    CurlOptionSeam::SetLong(h, CURLOPT_LOW_SPEED_TIME, 5L);
    part->easy = h;
    if (part->lastOffset != 0) AimPart(*part, h);

    int retriesLeft = retryCount_;
    CURLcode result = TryPart(*part, h);
    for (int retry = 0; retriesLeft-- > 0 && !cancelRequested_; ++retry) {
        if (result == CURLE_OK && part->retryAfterMs < 0 &&
            !RetryAfterOf(h, part->reply, part->retryAfterMs)) {
            part->retryAfterMs = -1;  // a reply without a body is checked here
        }
        if (result == CURLE_WRITE_ERROR && part->restart) {
            StartOver(*part);
            part->restart = false;
            AimPart(*part, h);
        } else if (result == CURLE_OPERATION_TIMEDOUT) {
            if (!PrepareRetry(*part, h)) {
                result = CURLE_OK;  // every byte of the part had arrived before the time-out
                break;
            }
            if (!WaitBeforeRetry("package transfer timed out",
                                 RetryPolicy::JitteredWaitMs(retry, Draw()), retry)) {
                break;
            }
        } else if ((result == CURLE_OK || result == CURLE_WRITE_ERROR) && part->retryAfterMs >= 0) {
            // Nothing of the busy reply was written: the same bytes are asked for again.
            const long waitMs = RetryPolicy::RetryAfterWaitMs(part->retryAfterMs, retry, Draw(),
                                                              RetryPolicy::kPackageRetryAfterCapMs);
            if (!WaitBeforeRetry("package transfer answered " + BusyText(h, part->reply), waitMs,
                                 retry)) {
                break;
            }
            AimPart(*part, h);
        } else {
            break;
        }
        result = TryPart(*part, h);
    }
    if (part->retryAfterMs >= 0 && part->fault.empty() && !cancelRequested_) part->fault = kBusy;

    long status = 0;
    curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
    bool ok = result == CURLE_OK && status >= 200 && status <= 300;
    if (ok && !PartComplete(*part, status)) {
        ok = false;
        if (part->fault.empty()) part->fault = kShortPart;
    }
    RecordPartOutcome(*part, result, status, ok);
    return ok ? CURLE_OK : (result != CURLE_OK ? result : CURLE_PARTIAL_FILE);
}

CURLcode DownloadHelper::TryPart(DownloadPart& part, CURL* easy) {
    part.reply.Clear();
    part.replyChecked = false;
    part.retryAfterMs = -1;
    return curl_easy_perform(easy);
}

void DownloadHelper::AimPart(DownloadPart& part, CURL* easy) {
    if (part.lastOffset == 0 && part.nextOffset == 0) {
        CurlOptionSeam::SetPointer(easy, CURLOPT_RANGE, nullptr);
        CurlOptionSeam::SetPointer(easy, CURLOPT_HTTPHEADER, nullptr);
        part.headers.reset();
        part.requestedFrom = -1;
        return;
    }
    CurlOptionSeam::SetText(easy, CURLOPT_RANGE,
                            RangeText(part.nextOffset, part.lastOffset).c_str());
    part.requestedFrom = part.nextOffset;
    // Only the version already partly fetched may answer the range; another one comes whole
    // (status 200), which the reply check sees.
    std::string validator;
    {
        ScopedHttpLock guard(lock_);
        validator = validator_;
    }
    CurlList list;
    if (!validator.empty())
        list.reset(curl_slist_append(nullptr, ("If-Range: " + validator).c_str()));
    CurlOptionSeam::SetPointer(easy, CURLOPT_HTTPHEADER, list.get());
    part.headers = std::move(list);
}

bool DownloadHelper::PrepareRetry(DownloadPart& part, CURL* easy) {
    // Only this thread moves the part's offset, and not while no transfer runs.
    if (part.lastOffset > 0 && part.nextOffset > part.lastOffset) return false;
    if (part.lastOffset != 0) {
        // Ranged part: continue after the bytes already written.
        AimPart(part, easy);
    } else if (part.nextOffset > 0 && rangesSupported_) {
        // The whole resource from a server that answers ranges: continue where it broke off,
        // as long as it is still the same resource.
        AimPart(part, easy);
    } else if (part.nextOffset > 0) {
        // No ranges: start again from the first byte and count the bytes again from there.
        StartOver(part);
    }
    return true;
}

void DownloadHelper::StartOver(DownloadPart& part) {
    ScopedHttpLock guard(lock_);
    // The new body may be shorter than what the file holds already.
    PlatformFile::Truncate(part.file);
    filePosition_ = -1;
    ++restarts_;
    if (part.index < partReach_.size()) partReach_[part.index].next = 0;
    downloaded_ -= static_cast<double>(part.nextOffset);
    part.nextOffset = 0;
    validator_.clear();
    resourceSize_ = -1;
    adoptNextLength_ = true;
}

void DownloadHelper::RememberVersion(const DownloadPart& part) {
    curl_off_t length = -1;
    curl_easy_getinfo(part.easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
    ScopedHttpLock guard(lock_);
    validator_ = part.reply.Validator();
    resourceSize_ = length;
    if (adoptNextLength_ && length >= 0) {
        // Started over on purpose (another version, or a server without ranges): what this
        // reply declares is the length now. A reply without one keeps the probe's bound.
        expectedSize_ = length;
        sizeCap_ = length;
    }
    adoptNextLength_ = false;
}

bool DownloadHelper::AcceptReply(DownloadPart& part) {
    part.replyChecked = true;
    long status = 0;
    curl_easy_getinfo(part.easy, CURLINFO_RESPONSE_CODE, &status);
    // A service that asks to be asked again later sends no part of the file.
    if (RetryAfterOf(part.easy, part.reply, part.retryAfterMs)) return false;
    part.retryAfterMs = -1;
    if (part.requestedFrom < 0) {
        if (part.lastOffset == 0 && status >= 200 && status < 300) {
            // The first reply of a single transfer names the version a resumption must ask for.
            RememberVersion(part);
        }
        return true;
    }
    if (status == 206) {
        const ContentRange& range = part.reply.contentRange;
        if (!part.reply.hasContentRange || range.first != part.requestedFrom) {
            part.fault = kWrongRange;
            return false;
        }
        std::int64_t expected;
        {
            ScopedHttpLock guard(lock_);
            expected = resourceSize_;
        }
        if (expected >= 0 && range.total != expected) {
            // Another version of the resource: a single transfer starts again from byte 0.
            if (part.lastOffset == 0) {
                part.restart = true;
            } else {
                part.fault = kChanged;
            }
            return false;
        }
        return true;
    }
    if (status == 200 && part.lastOffset == 0) {
        // A resumption answered with the whole resource (the range or the version was
        // refused): those bytes start at 0, so the file starts over.
        StartOver(part);
        part.requestedFrom = -1;
        RememberVersion(part);
        return true;
    }
    // A ranged part's bytes come only in a 206 reply: a whole resource (200) would land at
    // the wrong offset, and another status carries no part of the file.
    if (status == 200) part.fault = kWrongRange;
    return false;
}

bool DownloadHelper::PartComplete(DownloadPart& part, long status) const {
    if (part.lastOffset == 0) {
        // A single transfer holds the whole resource: a body that ended early without a
        // declared length (over plain http, the connection simply closed) is not complete.
        std::int64_t expected;
        {
            ScopedHttpLock guard(lock_);
            expected = expectedSize_;
        }
        if (expected >= 0 && part.nextOffset != expected) {
            if (part.fault.empty()) part.fault = kShortBody;
            return false;
        }
    }
    if (part.requestedFrom < 0) return true;  // libcurl has checked any declared length
    const ContentRange& range = part.reply.contentRange;
    if (status != 206 || !part.reply.hasContentRange || range.first != part.requestedFrom) {
        if (part.fault.empty()) part.fault = kWrongRange;
        return false;
    }
    if (part.nextOffset != range.last + 1) return false;
    // A bounded part must reach its last byte; an open-ended one the resource's end.
    return part.lastOffset > 0 ? part.nextOffset == part.lastOffset + 1
                               : range.last + 1 == range.total;
}

void DownloadHelper::RecordPartOutcome(const DownloadPart& part, CURLcode result, long status,
                                       bool ok) {
    // Parts on several threads report at once.
    ScopedHttpLock guard(lock_);
    httpStatus_ = status;
    if (ok) {
        ++partsSucceeded_;
        return;
    }
    if (!errorRecorded_) {
        // The first failure is the cause; the parts it stops fail after it.
        errorRecorded_ = true;
        if (!part.fault.empty()) {
            errorText_ = part.fault;
        } else if (cancelRequested_ &&
                   (result == CURLE_WRITE_ERROR || result == CURLE_ABORTED_BY_CALLBACK)) {
            errorText_ = kCancelled;
        } else {
            errorText_ = curl_easy_strerror(result) + ProxyRule::RefusalText(part.easy);
        }
    }
    // The download has failed: the other parts need not run on.
    cancelRequested_ = true;
}

size_t DownloadHelper::WritePartData(char* data, size_t size, size_t count, void* rawPart) {
    auto* part = static_cast<DownloadPart*>(rawPart);
    DownloadHelper* worker = part->worker;
    if (worker->cancelRequested_) return 0;
    // Checked once per try, on its first bytes: a server that ignored the range, answered
    // another one or now serves another version would otherwise pass as success.
    if (!part->replyChecked && !worker->AcceptReply(*part)) return 0;
    ScopedHttpLock guard(worker->lock_);

    std::int64_t length = static_cast<std::int64_t>(size * count);
    if (part->lastOffset > 0) {
        // Never past the part's own last byte, not even once it is complete: bytes beyond it
        // belong to the next part, so the transfer ends with a write error instead.
        const std::int64_t room = part->lastOffset - part->nextOffset + 1;
        if (length > room) length = room > 0 ? room : 0;
    }
    if (part->nextOffset + length > worker->sizeCap_) {
        // Past the probed length (an endless body, or one longer than reported): stop before
        // the disk fills, whichever part it is.
        part->fault = kTooLong;
        return 0;
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
    if (part->index < worker->partReach_.size()) {
        // Bytes that continue the complete prefix go to the hasher as they are: it need not
        // read them back.
        if (worker->hashing_ && written > 0 && worker->ContiguousReach() == part->nextOffset) {
            worker->hasher_.Offer(part->nextOffset, worker->restarts_, data, written);
        }
        worker->partReach_[part->index].next =
            part->nextOffset + static_cast<std::int64_t>(written);
    }
    part->nextOffset += static_cast<std::int64_t>(written);
    return written;
}

PrefixHasher::Reach DownloadHelper::HashableReach() {
    ScopedHttpLock guard(lock_);
    // What the hasher reads back must be on disk, not in the stream's buffer.
    if (openFile_ != nullptr) std::fflush(openFile_);
    PrefixHasher::Reach reach;
    reach.generation = restarts_;
    reach.bytes = ContiguousReach();
    return reach;
}

ResumeJournal::Ranges DownloadHelper::WrittenRanges() const {
    std::vector<PartReach> parts = partReach_;
    std::sort(parts.begin(), parts.end(),
              [](const PartReach& a, const PartReach& b) { return a.first < b.first; });
    ResumeJournal::Ranges ranges;
    for (const PartReach& part : parts) {
        if (part.next <= part.first) continue;
        if (!ranges.empty() && ranges.back().second == part.first) {
            ranges.back().second = part.next;
        } else {
            ranges.emplace_back(part.first, part.next);
        }
    }
    return ranges;
}

void DownloadHelper::Checkpoint(bool force) {
    if (!journal_.Enabled()) return;
    const long long now = NowMs();
    if (!force && now - lastCheckpointMs_ < kCheckpointMs) return;
    if (checkpointing_.exchange(true)) return;  // another part is at it
    lastCheckpointMs_ = now;
    ResumeJournal::Ranges ranges;
    std::FILE* file = nullptr;
    std::string validator;
    std::int64_t length;
    {
        ScopedHttpLock guard(lock_);
        file = openFile_;
        // Only what reached the file counts: the stream's buffer first.
        if (file != nullptr && std::fflush(file) == 0) ranges = WrittenRanges();
        validator = validator_;
        length = expectedSize_;
    }
    // The data on the disk before the record that promises it; the other parts write on.
    if (file != nullptr && PlatformFile::SyncData(file)) {
        journal_.Save(url_, validator, length, ranges);
    }
    checkpointing_ = false;
}

std::int64_t DownloadHelper::ContiguousReach() const {
    std::int64_t reach = 0;
    for (const PartReach& part : partReach_) {
        if (part.first != reach) break;
        reach = part.next;
        // A part that has not reached its last byte leaves a gap before the next one.
        if (part.last <= 0 || part.next != part.last + 1) break;
    }
    return reach;
}

int DownloadHelper::ReportProgress(void* rawPart, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    auto* part = static_cast<DownloadPart*>(rawPart);
    DownloadHelper* worker = part->worker;
    // libcurl calls this about once a second even while no data arrives, so a cancel ends a
    // stalled transfer too.
    if (worker->cancelRequested_) return 1;
    worker->Checkpoint(false);
    ScopedHttpLock guard(worker->lock_);
    if (!worker->progressCallback_) return 0;
    return worker->progressCallback_(worker->totalSize_,
                                     std::max(worker->downloaded_, worker->progressFloor_),
                                     worker->progressUser_);
}
