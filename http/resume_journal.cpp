// Keeping an unfinished download for a later run (see resume_journal.h).
#include "http/resume_journal.h"

#include "http/platform_file.h"

namespace {

constexpr std::size_t kLongestRecord = 64 * 1024;

}  // namespace

void ResumeJournal::Configure(const std::string& partialPath, const std::string& recordPath,
                              const std::string& identity) {
    partialPath_ = partialPath;
    recordPath_ = recordPath;
    identity_ = identity;
}

ResumeJournal::Ranges ResumeJournal::Kept(const std::string& url, const std::string& validator,
                                          std::int64_t length, std::string& why) {
    std::string text;
    ResumeRecord record;
    if (!PlatformFile::ReadSmall(recordPath_, kLongestRecord, text)) {
        why = "nothing kept";
    } else if (!ParseResumeRecord(text, record)) {
        why = "the record does not parse";
    } else if (record.identity != identity_) {
        why = "the kept bytes are of another package";
    } else if (record.url != url) {
        why = "the kept bytes came from another address";
    } else if (validator.empty() || record.validator != validator || record.length != length) {
        why = "the package changed on the server";
    } else if (record.ranges.empty()) {
        why = "nothing kept";
    } else if (PlatformFile::Size(partialPath_) < record.ranges.back().second) {
        why = "the partial file is shorter than its record";
    } else {
        return record.ranges;
    }
    Discard();
    return {};
}

bool ResumeJournal::Save(const std::string& url, const std::string& validator, std::int64_t length,
                         const Ranges& ranges) {
    ResumeRecord record;
    record.identity = identity_;
    record.url = url;
    record.validator = validator;
    record.length = length;
    record.ranges = ranges;
    const std::string text = FormatResumeRecord(record);
    ResumeRecord check;
    // Only a record the next run will read back is worth writing.
    if (!ParseResumeRecord(text, check)) {
        Forget();
        return false;
    }
    return PlatformFile::ReplaceDurably(recordPath_, text);
}

void ResumeJournal::Discard() {
    Forget();
    PlatformFile::Delete(partialPath_);
}

void ResumeJournal::Forget() {
    PlatformFile::Delete(recordPath_);
}
