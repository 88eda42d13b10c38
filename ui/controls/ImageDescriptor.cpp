// Image descriptor grammar; see ImageDescriptor.h.
//
// Bytes are stepped one at a time. That is code-page safe here: the only bytes the grammar
// looks for (spaces, control bytes, "=" and the apostrophe) are all below 0x40, and no
// double-byte code page Windows uses has trail bytes below 0x40, so none of them can be
// the second half of a character.
#include "ui/controls/ImageDescriptor.h"

#include <climits>
#include <cstdlib>
#include <cstring>

namespace SkinUI {

namespace {

int ClampInt(long long v) {
    if (v > INT_MAX) return INT_MAX;
    if (v < INT_MIN) return INT_MIN;
    return static_cast<int>(v);
}

bool IsBlank(unsigned char c) {
    return c >= 1 && c <= 32;
}

const char* SkipBlanks(const char* p) {
    while (IsBlank(static_cast<unsigned char>(*p))) ++p;
    return p;
}

struct TDescriptorState {
    TImageDrawParams params;
    int count = 0;  // pictures announced so far ("file" or "restype" items)
    // The name and type of the last picture drawn, while no "file" or "res" item has named a
    // picture since.
    bool drawn = false;
    int dpi = 96;  // of the text being parsed
    int windowDpi = 96;
    std::string drawnName;
    std::string drawnType;
    const ImageDrawFn* draw = nullptr;

    // A repeated "restype" would draw the picture it names once more, doubling a translucent
    // picture's strength. Only that identical redraw is skipped: a name drawn as a file and
    // then with a resource type names two different pictures, and both are tried.
    bool IsRedraw() const { return drawn && params.name == drawnName && params.type == drawnType; }

    void Draw() {
        if (IsRedraw()) return;
        (*draw)(params);
        drawn = true;
        drawnName = params.name;
        drawnType = params.type;
    }

    // A pending picture is drawn before an item replaces what it is drawn with.
    void FlushPending() {
        if (count > 0) Draw();
    }
};

void ApplyItem(TDescriptorState& s, const TRectI& bounds, const std::string& key,
               const std::string& value) {
    if (value.empty()) return;
    TImageDrawParams& p = s.params;
    if (key == "file" || key == "res") {
        s.FlushPending();
        p.name = value;
        s.drawn = false;
        if (key == "file") ++s.count;
    } else if (key == "restype") {
        s.FlushPending();
        p.type = value;
        ++s.count;
    } else if (key == "dest") {
        int v[4];
        ParseIntQuad(value.c_str(), v);
        for (int& x : v) x = ScaleForDpi(x, s.dpi, s.windowDpi);
        // Offsets from the skin may be anything: add in 64 bits and clamp, never overflow.
        const long long left = static_cast<long long>(bounds.left);
        const long long top = static_cast<long long>(bounds.top);
        p.dest.left = ClampInt(left + v[0]);
        p.dest.top = ClampInt(top + v[1]);
        p.dest.right = left + v[2] < bounds.right ? ClampInt(left + v[2]) : bounds.right;
        p.dest.bottom = top + v[3] < bounds.bottom ? ClampInt(top + v[3]) : bounds.bottom;
    } else if (key == "source") {
        int v[4];
        ParseIntQuad(value.c_str(), v);
        p.source = MakeRect(v[0], v[1], v[2], v[3]);
    } else if (key == "corner") {
        int v[4];
        ParseIntQuad(value.c_str(), v);
        p.corner = MakeRect(v[0], v[1], v[2], v[3]);
        p.destCorner = ScaleForDpi(p.corner, s.dpi, s.windowDpi);
    } else if (key == "mask") {
        const char* t = value.c_str();
        if (*t == '#') ++t;
        p.mask = static_cast<uint32_t>(std::strtoul(t, nullptr, 16));
    } else if (key == "fade") {
        p.fade = static_cast<uint8_t>(std::strtol(value.c_str(), nullptr, 10));
    } else if (key == "hole") {
        p.hole = value == "true";
    } else if (key == "xtiled") {
        p.xtiled = value == "true";
    } else if (key == "ytiled") {
        p.ytiled = value == "true";
    } else if (key == "gray") {
        p.gray = value == "true";
    }
}

void ParseItems(TDescriptorState& s, const TRectI& bounds, const char* text) {
    const char* p = text;
    while (*p != '\0') {
        p = SkipBlanks(p);
        const char* keyStart = p;
        while (*p != '\0' && *p != '=' && !IsBlank(static_cast<unsigned char>(*p)) &&
               static_cast<unsigned char>(*p) < 128)
            ++p;
        std::string key(keyStart, p);
        p = SkipBlanks(p);
        if (*p != '=') return;
        p = SkipBlanks(p + 1);
        if (*p != '\'') return;
        const char* valueStart = ++p;
        const char* close = std::strchr(valueStart, '\'');
        if (close == nullptr) return;
        ApplyItem(s, bounds, key, std::string(valueStart, close));
        p = close + 1;
        if (*p != ' ' || p[1] == '\0') return;
        ++p;
    }
}

}  // namespace

int ParseIntQuad(const char* text, int out[4]) {
    for (int i = 0; i < 4; ++i) out[i] = 0;
    if (text == nullptr) return 0;
    const char* p = text;
    int read = 0;
    for (int i = 0; i < 4; ++i) {
        char* end = nullptr;
        long v = std::strtol(p, &end, 10);
        if (end == p) break;
        out[i] = ClampInt(v);
        ++read;
        p = end;
        while (*p == ' ') ++p;
        if (*p != ',') break;
        ++p;
    }
    return read;
}

void ParseImageDescriptor(const char* descriptor, const char* modifier, const TRectI& bounds,
                          const ImageDrawFn& draw, int dpi) {
    TDescriptorState s;
    s.draw = &draw;
    s.params.name = descriptor != nullptr ? descriptor : "";
    s.params.dest = bounds;
    s.windowDpi = dpi;
    s.dpi = 96;
    if (descriptor != nullptr) ParseItems(s, bounds, descriptor);
    s.dpi = dpi;
    if (modifier != nullptr) ParseItems(s, bounds, modifier);
    s.Draw();
}

}  // namespace SkinUI
