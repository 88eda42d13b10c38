// Parsing speed of the skin markup parser on a generated 4 MiB skin (deep and wide trees,
// many attributes, entities, double-byte text in code page 936), from memory. When built
// with pugixml's source (native benchmark tree only), the same text is also parsed by
// pugixml's in-place parser in this binary, with the same flags.
//
// Prints one line per parser: "<name> <MB/s>" (best of the runs). With a parser's name as
// the argument only that one runs.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ui/core/XmlDocument.h"
#include "ui/core/XmlNode.h"

#ifdef LOADER_BENCH_PUGIXML
#include "pugixml.hpp"
#endif

namespace {

constexpr std::size_t kSize = 4u << 20;
constexpr int kRuns = 40;

// "zheng zai zhun bei an zhuang" in code page 936 and in UTF-8.
const char kChinese936[] = "\xD5\xFD\xD4\xDA\xD7\xBC\xB1\xB8\xB0\xB2\xD7\xB0";
const char kChineseUtf8[] =
    "\xE6\xAD\xA3\xE5\x9C\xA8\xE5\x87\x86\xE5\xA4\x87\xE5\xAE\x89\xE8\xA3\x85";

// A deterministic well-formed skin of about kSize bytes.
std::string GenerateSkin(const char* chinese) {
    std::uint32_t seed = 12345;
    auto next = [&seed](std::uint32_t n) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 8) % n;
    };
    std::string s =
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<Window size=\"541,402\" "
        "caption=\"0,0,0,402\" roundcorner=\"5,5\">\n";
    int block = 0;
    while (s.size() < kSize - 64 * 1024) {
        int depth = 1 + static_cast<int>(next(12));
        for (int d = 0; d < depth; ++d) {
            s += std::string(d * 2, ' ') + "<VerticalLayout name=\"v" + std::to_string(block) +
                 "_" + std::to_string(d) + "\" pos=\"" + std::to_string(next(500)) + "," +
                 std::to_string(next(400)) + ",541,402\" bkimage=\"file='bg" + std::to_string(d) +
                 ".png' corner='2,2,2,2'\" bordersize=\"1\">\n";
        }
        int wide = 1 + static_cast<int>(next(20));
        for (int w = 0; w < wide; ++w) {
            s += "<!-- item " + std::to_string(w) + " -->\n";
            s += "<Label name=\"l" + std::to_string(w) + "\" text=\"" + chinese +
                 " &amp; &lt;b&gt;" + std::to_string(next(100)) +
                 "%&lt;/b&gt;\" textcolor=\"#FF112233\" font=\"1\" align=\"center\" "
                 "padding=\"1,2,3,4\" height=\"" +
                 std::to_string(next(40)) + "\" visible = \"true\"/>\n";
            if (next(3) == 0)
                s += "<Text showhtml=\"true\">" + std::string(chinese) + " &quot;q&quot; " +
                     "</Text>\n";
        }
        for (int d = depth; d-- > 0;) s += std::string(d * 2, ' ') + "</VerticalLayout>\n";
        ++block;
    }
    s += "</Window>\n";
    return s;
}

double Seconds(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

// One parser's job on one text; returns false when the parse failed.
struct Runner {
    const char* name;
    const std::string* text;
    std::function<bool()> run;
    double best = 1e30;
};

// Runs every parser once per round, so a busy moment of the machine hits them alike, and
// keeps each one's best time.
bool Measure(std::vector<Runner>& runners) {
    for (int round = 0; round < kRuns; ++round) {
        for (Runner& r : runners) {
            auto start = std::chrono::steady_clock::now();
            if (!r.run()) {
                std::fprintf(stderr, "%s failed\n", r.name);
                return false;
            }
            r.best = std::min(r.best, Seconds(std::chrono::steady_clock::now() - start));
        }
    }
    return true;
}

// Counts elements and attributes so neither parser's work can be skipped.
std::size_t CountSkin(const SkinUI::CXmlNode& node) {
    std::size_t n = 0;
    for (SkinUI::CXmlNode c = node; c.IsValid(); c = c.NextSibling())
        n += 1 + c.AttributeCount() + CountSkin(c.FirstChild());
    return n;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string text = GenerateSkin(kChinese936);
    const std::string utf8 = GenerateSkin(kChineseUtf8);
    std::fprintf(stderr, "skin: %zu bytes\n", text.size());

    std::vector<Runner> runners;
    // Our parser: copy into its own buffer, parse in place (LoadFromString).
    SkinUI::CXmlDocument doc;
    runners.push_back({"CXmlDocument", &text, [&] { return doc.LoadFromString(text.c_str()); }});
    // The same from a buffer of known length (no search for the end of the text).
    SkinUI::CXmlDocument docBuffer;
    runners.push_back({"CXmlDocument-buffer", &text, [&] {
                           return docBuffer.LoadFromBuffer(text.data(), text.size(),
                                                           SkinUI::XmlEncodingAnsi);
                       }});
    // The same skin as UTF-8 bytes, as skins are stored: conversion to the ANSI code page
    // included.
    SkinUI::CXmlDocument docUtf8;
    runners.push_back({"CXmlDocument-utf8", &utf8, [&] {
                           return docUtf8.LoadFromBuffer(utf8.data(), utf8.size(),
                                                         SkinUI::XmlEncodingUtf8);
                       }});
#ifdef LOADER_BENCH_PUGIXML
    // pugixml: the same job as LoadFromString: a new buffer of its own for each load, the
    // copy, then its in-place parse with entity decoding (no line-end or whitespace
    // normalisation, which the skin parser does not do either).
    std::unique_ptr<char[]> buffer;
    pugi::xml_document pdoc;
    runners.push_back({"pugixml", &text, [&] {
                           std::unique_ptr<char[]> fresh(new char[text.size() + 1]);
                           std::memcpy(fresh.get(), text.c_str(), text.size() + 1);
                           pugi::xml_parse_result r = pdoc.load_buffer_inplace(
                               fresh.get(), text.size(), pugi::parse_minimal | pugi::parse_escapes,
                               pugi::encoding_utf8);
                           buffer = std::move(fresh);  // the document points into it
                           return static_cast<bool>(r);
                       }});
#endif
    // "xml_parse_bench NAME" runs one parser only (for instruction counts with perf stat).
    if (argc > 1) {
        std::vector<Runner> chosen;
        for (Runner& r : runners)
            if (std::strcmp(r.name, argv[1]) == 0) chosen.push_back(r);
        runners.swap(chosen);
    }
    if (!Measure(runners)) return 1;
    std::fprintf(stderr, "elements+attributes: %zu\n", CountSkin(doc.GetRootNode()));
    for (const Runner& r : runners) std::printf("%s %.1f\n", r.name, r.text->size() / 1e6 / r.best);
    return 0;
}
