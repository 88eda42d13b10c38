// Content-Range recognition and parsing by hand (see content_range.h).
#include "http/content_range.h"

#include <cstddef>

namespace {

// The character classes of the pattern as the standard library's regular expressions read
// them in the "C" locale: ASCII only.
bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsWord(char c) {
    return IsDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

template <typename Predicate>
std::size_t SkipWhile(const std::string& text, std::size_t at, Predicate predicate) {
    while (at < text.size() && predicate(text[at])) ++at;
    return at;
}

// "(\d+)-(\d*)/(\d+)" at exactly position at.
bool NumbersAt(const std::string& text, std::size_t at) {
    std::size_t end = SkipWhile(text, at, IsDigit);
    if (end == at || end >= text.size() || text[end] != '-') return false;
    end = SkipWhile(text, end + 1, IsDigit);
    if (end >= text.size() || text[end] != '/') return false;
    return end + 1 < text.size() && IsDigit(text[end + 1]);
}

// What follows the name: \s*:\s*\w+\s*(\d+)-(\d*)/(\d+). Every repetition is followed by a
// character outside its own class except \w+ before \d+ (digits are word characters), so
// each is taken whole, and for \w+ two cut points suffice: the whole word followed by white
// space and digits, or the word's last digit taken as the first number.
bool RestAt(const std::string& text, std::size_t at) {
    at = SkipWhile(text, at, IsSpace);
    if (at >= text.size() || text[at] != ':') return false;
    const std::size_t word = SkipWhile(text, at + 1, IsSpace);
    const std::size_t wordEnd = SkipWhile(text, word, IsWord);
    if (wordEnd == word) return false;
    // \w+ is the word minus a tail of digits that \d+ takes (\s* empty).
    if (wordEnd - word >= 2 && IsDigit(text[wordEnd - 1])) {
        std::size_t digits = wordEnd;
        while (digits > word + 1 && IsDigit(text[digits - 1])) --digits;
        // Any split inside the digit tail leaves the same number end; the shortest \w+ that
        // still keeps one character gives the longest \d+, which is as good as any.
        if (NumbersAt(text, digits)) return true;
    }
    const std::size_t numbers = SkipWhile(text, wordEnd, IsSpace);
    return numbers > wordEnd && NumbersAt(text, numbers);
}

bool ReadNumber(const std::string& text, std::size_t& at, std::int64_t& out) {
    const std::size_t begin = at;
    std::int64_t value = 0;
    while (at < text.size() && IsDigit(text[at])) {
        value = value * 10 + (text[at] - '0');
        // 2^53: offsets and sizes stay exact in the doubles that carry progress.
        if (value > (std::int64_t{1} << 53)) return false;
        ++at;
    }
    out = value;
    return at > begin;
}

}  // namespace

bool ContentRange::AppearsIn(const std::string& text) {
    static const char kName[] = "content-range";
    const std::size_t nameLength = sizeof(kName) - 1;
    for (std::size_t at = 0; at + nameLength <= text.size(); ++at) {
        std::size_t k = 0;
        while (k < nameLength && Lower(text[at + k]) == kName[k]) ++k;
        if (k == nameLength && RestAt(text, at + nameLength)) return true;
    }
    return false;
}

bool ContentRange::Parse(const std::string& value) {
    first = last = total = -1;
    std::size_t at = SkipWhile(value, 0, IsSpace);
    const std::size_t unit = at;
    at = SkipWhile(value, at, IsWord);
    if (value.compare(unit, at - unit, "bytes") != 0) return false;
    at = SkipWhile(value, at, IsSpace);
    std::int64_t a = 0, b = 0, t = 0;
    if (!ReadNumber(value, at, a) || at >= value.size() || value[at] != '-') return false;
    ++at;
    if (!ReadNumber(value, at, b) || at >= value.size() || value[at] != '/') return false;
    ++at;
    if (!ReadNumber(value, at, t)) return false;
    at = SkipWhile(value, at, IsSpace);
    if (at != value.size() || b < a || b >= t) return false;
    first = a;
    last = b;
    total = t;
    return true;
}
