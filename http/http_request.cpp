// A synchronous HTTP/HTTPS GET: forwards to its RequestHelper.
#include "http/http_request.h"

#include <utility>

#include "http/http_global.h"
#include "http/request_helper.h"

HttpRequest::HttpRequest() : helper_(std::make_shared<RequestHelper>()) {
    HttpGlobal::Instance();
}

void HttpRequest::SetRequestUrl(const std::string& url) {
    if (helper_) helper_->SetUrl(url);
}

void HttpRequest::SetRequestId(int id) {
    if (helper_) helper_->SetId(id);
}

void HttpRequest::SetResultCallback(ResultCallback callback) {
    if (helper_) helper_->SetResultCallback(std::move(callback));
}

void HttpRequest::PerformRequest() {
    if (helper_ && !helper_->IsBusy()) helper_->Perform();
}

void HttpRequest::SetTimeout(long milliseconds) {
    if (helper_) helper_->SetTimeout(milliseconds);
}

void HttpRequest::AddRequestHeader(const std::string& line) {
    if (helper_) helper_->AddHeader(line);
}

void HttpRequest::SetPinnedPublicKey(const std::string& pins) {
    if (helper_) helper_->SetPinnedPublicKey(pins);
}

int HttpRequest::GetRequestId() const {
    return helper_ ? helper_->Id() : -1;
}

long HttpRequest::GetHttpStatus() const {
    return helper_ ? helper_->HttpStatus() : 0;
}

std::string HttpRequest::GetHeaderText() const {
    return helper_ ? helper_->HeaderText() : std::string();
}

std::string HttpRequest::GetErrorText() const {
    return helper_ ? helper_->ErrorText() : std::string();
}

void HttpRequest::SetProxyResolver(ProxyResolver resolver) {
    if (helper_) helper_->SetProxyResolver(std::move(resolver));
}

void HttpRequest::SetCancelFlag(std::shared_ptr<const std::atomic<bool>> flag) {
    if (helper_) helper_->SetCancelFlag(std::move(flag));
}

void HttpRequest::SetJitterSource(JitterSource source) {
    if (helper_) helper_->SetJitterSource(std::move(source));
}

void HttpRequest::SetRetryNote(RetryNote note) {
    if (helper_) helper_->SetRetryNote(std::move(note));
}

void HttpRequest::SetBounds(long connectMs, long stallSeconds, long totalMs) {
    if (helper_) helper_->SetBounds(TransferBounds(connectMs, stallSeconds, totalMs));
}
