// The one translation unit that holds the picture decoder's implementation.
#define STB_IMAGE_IMPLEMENTATION
#include "ui/controls/StbImage.h"
