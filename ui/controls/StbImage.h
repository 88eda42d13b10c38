// The picture decoder's declarations (stb_image, used from memory with 4 channels only).
#pragma once

#define STBI_NO_STDIO
#include <stb/stb_image.h>
