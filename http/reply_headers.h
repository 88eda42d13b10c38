// The few response headers the HTTP layer acts on, collected line by line from libcurl's
// header callback for the last response of a transfer (a redirect's or an interim reply's
// lines are forgotten when the next status line arrives).
#pragma once

#include <cstddef>
#include <string>

#include "http/content_range.h"

class ReplyHeaders {
public:
    // libcurl header callback; user is a ReplyHeaders.
    static size_t Collect(char* data, size_t size, size_t count, void* user);

    // Feeds one header line (with or without its line end).
    void Line(const char* data, size_t length);
    // Feeds every line of a block of header text.
    void Lines(const std::string& text);
    void Clear();

    // What to send in If-Range to ask for the same version: a strong ETag, else the
    // Last-Modified date; empty when the reply named neither.
    std::string Validator() const;

    bool hasContentRange = false;
    ContentRange contentRange;  // valid when hasContentRange
    std::string etag;
    std::string lastModified;
    std::string retryAfter;   // when to ask again, as the server wrote it (429, 503)
    std::string contentType;  // what the body is, as the server named it
};
