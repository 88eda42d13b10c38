// What an unfinished download left on disk for a later run to go on from: the record kept
// beside the partial file. Plain text, one "name value" line each, so a support desk can read
// it; a record that does not parse exactly is no record (the partial file is then dropped).
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

struct ResumeRecord {
    // The caller's word for what the finished bytes must be (the package's checksum and
    // version): a record for anything else is not resumed.
    std::string identity;
    std::string url;        // where the bytes came from
    std::string validator;  // the resource's strong ETag, else its Last-Modified
    std::int64_t length = -1;
    // The byte ranges on disk, [first, end), ascending, apart and within length.
    std::vector<std::pair<std::int64_t, std::int64_t>> ranges;

    std::int64_t KeptBytes() const;
};

// The record's text; empty when a field cannot be written (a line break in it).
std::string FormatResumeRecord(const ResumeRecord& record);
// False, and record untouched, unless text is a record exactly as FormatResumeRecord writes.
bool ParseResumeRecord(const std::string& text, ResumeRecord& record);
