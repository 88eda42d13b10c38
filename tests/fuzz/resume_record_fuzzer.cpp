// libFuzzer target for the resume record: any text must parse or be refused cleanly, and a
// record that parses keeps its promises (ranges ascending, apart, inside the length) and
// reads back the same after it is written again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "http/resume_record.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    ResumeRecord record;
    if (!ParseResumeRecord(text, record)) return 0;
    std::int64_t reached = 0;
    for (const auto& range : record.ranges) {
        if (range.first < reached || range.second <= range.first || range.second > record.length)
            std::abort();
        reached = range.second;
    }
    if (FormatResumeRecord(record) != text) std::abort();
    return 0;
}
