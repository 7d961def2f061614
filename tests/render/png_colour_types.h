#pragma once
// PNG colour type numbers for the test pictures: libpng's own where it is
// installed, the same numbers from the file format otherwise (the Windows
// build decodes without libpng).
#if __has_include(<png.h>)
#include <png.h>
#else
#define PNG_COLOR_TYPE_GRAY 0
#define PNG_COLOR_TYPE_RGB 2
#define PNG_COLOR_TYPE_PALETTE 3
#define PNG_COLOR_TYPE_GRAY_ALPHA 4
#define PNG_COLOR_TYPE_RGB_ALPHA 6
#endif
