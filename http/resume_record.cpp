// The resume record's text (see resume_record.h).
#include "http/resume_record.h"

namespace {

constexpr char kFirstLine[] = "loader-resume 1";
// A record is a few lines; anything larger is not one.
constexpr std::size_t kLongestRecord = 64 * 1024;
constexpr std::size_t kMostRanges = 64;

bool ParseCount(const std::string& text, std::int64_t& value) {
    // Written as the record writes numbers and no other way: a leading zero would be another
    // text for the same record.
    if (text.empty() || text.size() > 18 ||
        text.find_first_not_of("0123456789") != std::string::npos ||
        (text[0] == '0' && text.size() > 1)) {
        return false;
    }
    value = std::stoll(text);
    return true;
}

}  // namespace

std::int64_t ResumeRecord::KeptBytes() const {
    std::int64_t kept = 0;
    for (const auto& range : ranges) kept += range.second - range.first;
    return kept;
}

std::string FormatResumeRecord(const ResumeRecord& record) {
    for (const std::string* text : {&record.identity, &record.url, &record.validator}) {
        if (text->find_first_of("\r\n") != std::string::npos) return "";
    }
    std::string out = std::string(kFirstLine) + "\n";
    out += "identity " + record.identity + "\n";
    out += "url " + record.url + "\n";
    out += "validator " + record.validator + "\n";
    out += "length " + std::to_string(record.length) + "\n";
    for (const auto& range : record.ranges) {
        out += "range " + std::to_string(range.first) + " " + std::to_string(range.second) + "\n";
    }
    return out + "end\n";
}

bool ParseResumeRecord(const std::string& text, ResumeRecord& record) {
    if (text.size() > kLongestRecord) return false;
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find('\n', start);
        if (end == std::string::npos) return false;  // cut short: not a whole record
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    if (lines.size() < 6 || lines.front() != kFirstLine || lines.back() != "end") return false;
    ResumeRecord parsed;
    const struct {
        const char* name;
        std::string* value;
    } fields[] = {
        {"identity ", &parsed.identity}, {"url ", &parsed.url}, {"validator ", &parsed.validator}};
    for (std::size_t k = 0; k < 3; ++k) {
        const std::string& line = lines[k + 1];
        const std::string name = fields[k].name;
        if (line.compare(0, name.size(), name) != 0) return false;
        *fields[k].value = line.substr(name.size());
    }
    if (lines[4].compare(0, 7, "length ") != 0 || !ParseCount(lines[4].substr(7), parsed.length))
        return false;
    std::int64_t reached = 0;
    for (std::size_t k = 5; k + 1 < lines.size(); ++k) {
        const std::string& line = lines[k];
        if (line.compare(0, 6, "range ") != 0 || parsed.ranges.size() == kMostRanges) return false;
        const std::size_t space = line.find(' ', 6);
        std::int64_t first = 0, end = 0;
        if (space == std::string::npos || !ParseCount(line.substr(6, space - 6), first) ||
            !ParseCount(line.substr(space + 1), end)) {
            return false;
        }
        // Ascending and apart (touching ranges are written as one), inside the resource.
        if (first < reached || (first == reached && reached > 0) || end <= first ||
            end > parsed.length) {
            return false;
        }
        parsed.ranges.emplace_back(first, end);
        reached = end;
    }
    for (const std::string* value : {&parsed.identity, &parsed.url, &parsed.validator}) {
        // Empty, or with a carriage return the record itself would never write.
        if (value->empty() || value->find('\r') != std::string::npos) return false;
    }
    record = std::move(parsed);
    return true;
}
