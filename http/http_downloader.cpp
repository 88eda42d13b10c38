// Downloads one URL into one file: forwards to its DownloadHelper and starts its thread.
#include "http/http_downloader.h"

#include <iterator>
#include <utility>

#include "http/download_helper.h"
#include "http/download_registry.h"
#include "http/http_global.h"
#include "http/http_lock.h"

HttpDownloader::HttpDownloader() : helper_(std::make_shared<DownloadHelper>()) {
    HttpGlobal::Instance();
}

void HttpDownloader::SetDownloadUrl(const std::string& url) {
    if (helper_) helper_->SetUrl(url);
}

void HttpDownloader::SetFilePath(const std::string& path) {
    if (helper_) helper_->SetFilePath(path);
}

void HttpDownloader::SetRequestId(int id) {
    if (helper_) helper_->SetId(id);
}

void HttpDownloader::SetThreadCount(int count) {
    if (helper_) helper_->SetThreadCount(count);
}

void HttpDownloader::SetResultCallback(ResultCallback callback) {
    if (helper_) helper_->SetResultCallback(std::move(callback));
}

void HttpDownloader::SetProgressCallback(ProgressCallback callback) {
    if (helper_) helper_->SetProgressCallback(std::move(callback));
}

void* HttpDownloader::StartDownload() {
    if (!helper_ || !helper_->Claim()) return nullptr;
    helper_->ResetForStart();

    ScopedHttpLock guard(DownloadRegistry::Lock());
    DownloadRegistry::Entries& list = DownloadRegistry::List();
    list.push_back(helper_);
    void* element = &list.back();
    // Counted before the thread exists, so the clean-up at exit never misses it.
    HttpGlobal::TransferStarted();
    PlatformThread thread = PlatformThread::Start(&DownloadHelper::DownloadThreadProc, element);
    if (!thread.Valid()) {
        HttpGlobal::TransferEnded();
        list.erase(std::prev(list.end()));
        helper_->Unclaim();
        return nullptr;
    }
    helper_->AdoptThread(std::move(thread));
    return element;
}

void HttpDownloader::SetTimeout(int seconds) {
    if (helper_) helper_->SetTimeout(seconds);
}

void HttpDownloader::SetProbeBounds(long connectMs, long stallSeconds, long totalMs) {
    if (helper_) helper_->SetProbeBounds(TransferBounds(connectMs, stallSeconds, totalMs));
}

void HttpDownloader::SetProgressUser(void* user) {
    if (helper_) helper_->SetProgressUser(user);
}

void HttpDownloader::SetReleaseWhenFinished(bool release) {
    if (helper_) helper_->SetReleaseWhenFinished(release);
}

void HttpDownloader::CancelDownload() {
    if (helper_) helper_->RequestCancel();
}

bool HttpDownloader::IsBusy() const {
    return helper_ && helper_->IsBusy();
}

int HttpDownloader::GetRequestId() const {
    return helper_ ? helper_->Id() : -1;
}

int HttpDownloader::GetThreadCount() const {
    return helper_ ? helper_->ThreadCount() : 0;
}

void HttpDownloader::SetMirrorUrls(const std::vector<std::string>& urls) {
    if (helper_) helper_->SetMirrorUrls(urls);
}

void HttpDownloader::SetProxyResolver(ProxyResolver resolver) {
    if (helper_) helper_->SetProxyResolver(std::move(resolver));
}

void HttpDownloader::SetJitterSource(JitterSource source) {
    if (helper_) helper_->SetJitterSource(std::move(source));
}

void HttpDownloader::SetRetryNote(RetryNote note) {
    if (helper_) helper_->SetRetryNote(std::move(note));
}

long HttpDownloader::GetProbeHttpStatus() const {
    return helper_ ? helper_->ProbeStatus() : 0;
}

long HttpDownloader::GetHttpStatus() const {
    return helper_ ? helper_->HttpStatus() : 0;
}

void HttpDownloader::SetHashWhileDownloading(bool hash) {
    if (helper_) helper_->SetHashWhileDownloading(hash);
}

bool HttpDownloader::GetSha256(Sha256Digest& digest) const {
    return helper_ && helper_->Digest(digest);
}

void HttpDownloader::SetResume(const std::string& partialPath, const std::string& recordPath,
                               const std::string& identity) {
    if (helper_) helper_->SetResume(partialPath, recordPath, identity);
}

std::string HttpDownloader::GetResumeText() const {
    return helper_ ? helper_->ResumeText() : std::string();
}

int HttpDownloader::GetServingHost() const {
    return helper_ ? helper_->ServingHost() : -1;
}

double HttpDownloader::GetTotalSize() const {
    return helper_ ? helper_->TotalSize() : 0;
}

std::string HttpDownloader::GetErrorText() const {
    return helper_ ? helper_->ErrorText() : std::string();
}

double HttpDownloader::GetDownloadedBytes() const {
    return helper_ ? helper_->Downloaded() : 0;
}
