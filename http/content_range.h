// Recognising and reading Content-Range header values, without regular expressions: a hostile
// header of any length is scanned in linear time and constant stack.
#pragma once

#include <cstdint>
#include <string>

class ContentRange {
public:
    // Whether text (a whole reply's header lines) contains, anywhere, the pattern
    // CONTENT-RANGE\s*:\s*\w+\s*(\d+)-(\d*)/(\d+) (case-insensitive): the header name, white
    // space, a colon, a unit word, the first byte, a dash, the optional last byte, a slash
    // and the total. White space includes line ends.
    static bool AppearsIn(const std::string& text);

    // Reads a header value "bytes first-last/total" (spaces allowed around the unit). False
    // for anything else, including "*" totals and numbers that do not fit 53 bits.
    bool Parse(const std::string& value);

    std::int64_t first = -1;
    std::int64_t last = -1;
    std::int64_t total = -1;
};
