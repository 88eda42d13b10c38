// Parsing speed of the skin markup parser on a generated 4 MiB skin (deep and wide trees,
// many attributes, entities, double-byte text in code page 936), from memory. When built
// with pugixml's source (native benchmark tree only), the same text is also parsed by
// pugixml's in-place parser in this binary, with the same flags.
//
// Prints one line per parser: "<name> <MB/s>" (best of the runs).
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "ui/core/XmlDocument.h"
#include "ui/core/XmlNode.h"

#ifdef LOADER_BENCH_PUGIXML
#include "pugixml.hpp"
#endif

namespace {

constexpr std::size_t kSize = 4u << 20;
constexpr int kRuns = 15;

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

// Best MB/s of `run`, which parses the text once and returns a checksum.
template <typename Run>
double BestMBps(const std::string& text, Run run, std::size_t& check) {
    double best = 1e30;
    for (int i = 0; i < kRuns; ++i) {
        auto start = std::chrono::steady_clock::now();
        check = run();
        best = std::min(best, Seconds(std::chrono::steady_clock::now() - start));
    }
    return text.size() / 1e6 / best;
}

// Counts elements and attributes so neither parser's work can be skipped.
std::size_t CountSkin(const SkinUI::CXmlNode& node) {
    std::size_t n = 0;
    for (SkinUI::CXmlNode c = node; c.IsValid(); c = c.NextSibling())
        n += 1 + c.AttributeCount() + CountSkin(c.FirstChild());
    return n;
}

}  // namespace

int main() {
    const std::string text = GenerateSkin(kChinese936);
    const std::string utf8 = GenerateSkin(kChineseUtf8);
    std::fprintf(stderr, "skin: %zu bytes\n", text.size());

    // Our parser: copy into its own buffer, parse in place (LoadFromString).
    SkinUI::CXmlDocument doc;
    std::size_t ours = 0;
    double mbps = BestMBps(
        text,
        [&] {
            if (!doc.LoadFromString(text.c_str())) return std::size_t(0);
            return std::size_t(1);
        },
        ours);
    if (ours == 0) {
        std::fprintf(stderr, "parse failed: %s\n", doc.GetLastErrorMessage());
        return 1;
    }
    std::fprintf(stderr, "elements+attributes: %zu\n", CountSkin(doc.GetRootNode()));
    std::printf("CXmlDocument %.1f\n", mbps);

    // The same skin as UTF-8 bytes, as skins are stored: conversion to the ANSI code page
    // included.
    std::size_t ok = 0;
    mbps = BestMBps(
        utf8,
        [&] {
            return std::size_t(
                doc.LoadFromBuffer(utf8.data(), utf8.size(), SkinUI::XmlEncodingUtf8) ? 1 : 0);
        },
        ok);
    std::printf("CXmlDocument-utf8 %.1f\n", ok != 0 ? mbps : 0.0);

#ifdef LOADER_BENCH_PUGIXML
    // pugixml: the same job as LoadFromString: a new buffer of its own for each load, the
    // copy, then its in-place parse with entity decoding (no line-end or whitespace
    // normalisation, which the skin parser does not do either).
    std::unique_ptr<char[]> buffer;
    pugi::xml_document pdoc;
    std::size_t theirs = 0;
    mbps = BestMBps(
        text,
        [&] {
            std::unique_ptr<char[]> fresh(new char[text.size() + 1]);
            std::memcpy(fresh.get(), text.c_str(), text.size() + 1);
            pugi::xml_parse_result r = pdoc.load_buffer_inplace(
                fresh.get(), text.size(), pugi::parse_minimal | pugi::parse_escapes,
                pugi::encoding_utf8);
            buffer = std::move(fresh);  // the document points into it
            return std::size_t(r ? 1 : 0);
        },
        theirs);
    if (theirs == 0) {
        std::fprintf(stderr, "pugixml failed\n");
        return 1;
    }
    std::printf("pugixml %.1f\n", mbps);
#endif
    return 0;
}
