// Readers for skin attribute values.
#include "ui/controls/AttributeValue.h"

#include <cstdlib>
#include <cstring>

namespace SkinUI {

bool AttributeIsTrue(LPCSTR value) {
    return value != nullptr && std::strcmp(value, "true") == 0;
}

void ReadIntegers(LPCSTR value, int* out, int count) {
    const char* p = value != nullptr ? value : "";
    for (int i = 0; i < count; ++i) {
        char* end = nullptr;
        out[i] = static_cast<int>(std::strtol(p, &end, 10));
        p = end;
        if (*p != '\0') {
            ++p;  // exactly one separator, whatever it is
        }
    }
}

DWORD ReadColorNoSkip(LPCSTR value) {
    if (value == nullptr) return 0;
    if (*value == '#') ++value;
    return static_cast<DWORD>(std::strtoul(value, nullptr, 16));
}

DWORD ReadColor(LPCSTR value) {
    if (value == nullptr) return 0;
    while (*value > 0 && *value <= 32) {
        value = ::CharNextA(value);
    }
    return ReadColorNoSkip(value);
}

}  // namespace SkinUI
