// Where an unfinished download is kept for a later run: the partial file and its record (see
// resume_record.h), and the rules for using them again. Bytes are only ever promised once
// they are on the disk: the record is replaced durably after the data was synced, so a power
// cut leaves a record that claims no more than the file holds.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "http/resume_record.h"

class ResumeJournal {
public:
    using Ranges = std::vector<std::pair<std::int64_t, std::int64_t>>;

    // partialPath and recordPath: the files; identity: what the finished bytes must be. An
    // empty partialPath turns resuming off.
    void Configure(const std::string& partialPath, const std::string& recordPath,
                   const std::string& identity);
    bool Enabled() const { return !partialPath_.empty(); }
    const std::string& PartialPath() const { return partialPath_; }

    // The ranges on disk that this resource may go on from: only when the record is for the
    // same identity, URL, validator and length and the partial file holds every range.
    // Otherwise nothing, both files are deleted, and why says what did not match.
    Ranges Kept(const std::string& url, const std::string& validator, std::int64_t length,
                std::string& why);
    // Records ranges (of the data already synced to disk) for the resource; false when the
    // record could not be written.
    bool Save(const std::string& url, const std::string& validator, std::int64_t length,
              const Ranges& ranges);
    // Deletes the partial file and the record.
    void Discard();
    // Deletes the record only (the partial file has become the finished one).
    void Forget();

private:
    std::string partialPath_;
    std::string recordPath_;
    std::string identity_;
};
