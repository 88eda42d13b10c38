// Readers for skin attribute values shared by every control: booleans, integer lists and
// colours, with the exact rules of the skin format.
#pragma once

#include <windows.h>

namespace SkinUI {

// True exactly for the text "true" (lower case).
bool AttributeIsTrue(LPCSTR value);

// Reads `count` integers separated by one character each (any character); a missing number
// reads as 0. Each number follows strtol: leading spaces and a sign allowed.
void ReadIntegers(LPCSTR value, int* out, int count);

// A colour: bytes 1..32 at the start skipped (stepping by character), one optional "#", then
// hexadecimal. AARRGGBB; six digits leave the alpha at 0.
DWORD ReadColor(LPCSTR value);

// A colour with only the optional "#" skipped (no leading-space skipping).
DWORD ReadColorNoSkip(LPCSTR value);

}  // namespace SkinUI
