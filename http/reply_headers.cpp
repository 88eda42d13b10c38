// Collects the downloader's response headers (see reply_headers.h).
#include "http/reply_headers.h"

#include <cstring>

namespace {

// The value of "name: value" when line carries that header (name in any case), else false.
bool HeaderValue(const std::string& line, const char* name, std::string& value) {
    const std::size_t length = std::strlen(name);
    if (line.size() <= length || line[length] != ':') return false;
    for (std::size_t k = 0; k < length; ++k) {
        char c = line[k];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != name[k]) return false;
    }
    std::size_t begin = length + 1;
    std::size_t end = line.size();
    while (begin < end && (line[begin] == ' ' || line[begin] == '\t')) ++begin;
    while (end > begin && (line[end - 1] == ' ' || line[end - 1] == '\t' || line[end - 1] == '\r' ||
                           line[end - 1] == '\n')) {
        --end;
    }
    value = line.substr(begin, end - begin);
    return true;
}

}  // namespace

size_t ReplyHeaders::Collect(char* data, size_t size, size_t count, void* user) {
    const size_t length = size * count;
    if (user != nullptr && data != nullptr) static_cast<ReplyHeaders*>(user)->Line(data, length);
    return length;
}

void ReplyHeaders::Line(const char* data, size_t length) {
    const std::string line(data, length);
    if (line.compare(0, 5, "HTTP/") == 0) {
        Clear();
        return;
    }
    std::string value;
    if (HeaderValue(line, "content-range", value)) {
        hasContentRange = contentRange.Parse(value);
    } else if (HeaderValue(line, "etag", value)) {
        etag = value;
    } else if (HeaderValue(line, "last-modified", value)) {
        lastModified = value;
    } else if (HeaderValue(line, "retry-after", value)) {
        retryAfter = value;
    } else if (HeaderValue(line, "content-type", value)) {
        contentType = value;
    }
}

void ReplyHeaders::Lines(const std::string& text) {
    std::size_t begin = 0;
    while (begin < text.size()) {
        std::size_t end = text.find('\n', begin);
        end = end == std::string::npos ? text.size() : end + 1;
        Line(text.data() + begin, end - begin);
        begin = end;
    }
}

void ReplyHeaders::Clear() {
    hasContentRange = false;
    contentRange = ContentRange();
    etag.clear();
    lastModified.clear();
    retryAfter.clear();
    contentType.clear();
}

std::string ReplyHeaders::Validator() const {
    // A weak tag may not be used in If-Range.
    if (!etag.empty() && etag.compare(0, 2, "W/") != 0) return etag;
    return lastModified;
}
