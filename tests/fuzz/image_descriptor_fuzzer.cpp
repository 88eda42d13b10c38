// libFuzzer target for the image descriptor grammar: the input is a descriptor and, after the
// first NUL byte, a modifier. Every drawn picture must lie within what was parsed.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "ui/controls/ImageDescriptor.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const size_t split = input.find('\0');
    const std::string descriptor = input.substr(0, split);
    const std::string modifier =
        split == std::string::npos ? std::string() : input.substr(split + 1);
    const SkinUI::TRectI bounds = SkinUI::MakeRect(10, 20, 300, 200);
    int pictures = 0;
    SkinUI::ParseImageDescriptor(
        descriptor.c_str(), split == std::string::npos ? nullptr : modifier.c_str(), bounds,
        [&](const SkinUI::TImageDrawParams& p) {
            ++pictures;
            // "dest" is cut at the control's right and bottom edges.
            if (p.dest.right > bounds.right || p.dest.bottom > bounds.bottom) std::abort();
        });
    if (pictures == 0) std::abort();  // the last picture is always drawn
    int quad[4];
    SkinUI::ParseIntQuad(descriptor.c_str(), quad);
    return 0;
}
