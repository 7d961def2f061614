#include "png_write.h"

#include <png.h>

#include <cstdio>

namespace {

// Holds no objects with destructors: libpng returns here by longjmp.
bool Encode(FILE *file, const uint8_t *rgba, int width, int height, png_bytep *rows) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png)
        return false;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), 8, PNG_COLOR_TYPE_RGBA,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    for (int y = 0; y < height; ++y)
        rows[y] = const_cast<png_bytep>(rgba + size_t(y) * width * 4);
    png_set_rows(png, info, rows);
    png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

} // namespace

bool WriteRgbaPng(const std::string &path, const std::vector<uint8_t> &rgba, int width,
                  int height) {
    if (width <= 0 || height <= 0 || rgba.size() != size_t(width) * height * 4)
        return false;
    FILE *file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    std::vector<png_bytep> rows(static_cast<size_t>(height));
    const bool ok = Encode(file, rgba.data(), width, height, rows.data());
    return std::fclose(file) == 0 && ok;
}
