#include "render/png_writer.h"

#include <png.h>

#include <cstdlib>

namespace {

void WriteToVector(png_structp png, png_bytep data, size_t length) {
    auto *out = static_cast<std::vector<uint8_t> *>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

void FlushNothing(png_structp) {}

// Packs one row of samples at the picture's bit depth, most significant first.
std::vector<uint8_t> PackRow(const PngPicture &p, uint32_t row) {
    const size_t perRow = size_t(p.width) * SamplesPerPixel(p.colourType);
    const uint16_t *s = p.samples.data() + row * perRow;
    std::vector<uint8_t> out;
    if (p.bitDepth == 16) {
        for (size_t i = 0; i < perRow; ++i) {
            out.push_back(uint8_t(s[i] >> 8));
            out.push_back(uint8_t(s[i]));
        }
        return out;
    }
    if (p.bitDepth == 8) {
        for (size_t i = 0; i < perRow; ++i)
            out.push_back(uint8_t(s[i]));
        return out;
    }
    const int perByte = 8 / p.bitDepth;
    out.assign((perRow + perByte - 1) / perByte, 0);
    for (size_t i = 0; i < perRow; ++i) {
        const int shift = 8 - p.bitDepth * (int(i % perByte) + 1);
        out[i / perByte] |= uint8_t((s[i] & ((1 << p.bitDepth) - 1)) << shift);
    }
    return out;
}

} // namespace

int SamplesPerPixel(int colourType) {
    switch (colourType) {
    case PNG_COLOR_TYPE_GRAY:
    case PNG_COLOR_TYPE_PALETTE:
        return 1;
    case PNG_COLOR_TYPE_GRAY_ALPHA:
        return 2;
    case PNG_COLOR_TYPE_RGB:
        return 3;
    default:
        return 4;
    }
}

std::vector<uint8_t> EncodePng(const PngPicture &p) {
    std::vector<uint8_t> out;
    std::vector<std::vector<uint8_t>> rows;
    for (uint32_t r = 0; r < p.height; ++r)
        rows.push_back(PackRow(p, r));
    std::vector<png_bytep> rowPointers;
    for (auto &row : rows)
        rowPointers.push_back(row.data());
    std::vector<png_color> palette;
    for (size_t i = 0; i + 2 < p.palette.size(); i += 3)
        palette.push_back(png_color{p.palette[i], p.palette[i + 1], p.palette[i + 2]});

    // Test pictures are well formed: a libpng error here is a broken test.
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png)))
        std::abort();
    png_set_write_fn(png, &out, WriteToVector, FlushNothing);
    png_set_IHDR(png, info, p.width, p.height, p.bitDepth, p.colourType, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (!palette.empty())
        png_set_PLTE(png, info, palette.data(), int(palette.size()));
    png_color_16 key = {};
    if (!p.trns.empty()) {
        if (p.colourType == PNG_COLOR_TYPE_PALETTE) {
            png_set_tRNS(png, info, p.trns.data(), int(p.trns.size()), nullptr);
        } else {
            key.gray = key.red = uint16_t(p.trns[0] << 8 | p.trns[1]);
            if (p.trns.size() >= 6) {
                key.green = uint16_t(p.trns[2] << 8 | p.trns[3]);
                key.blue = uint16_t(p.trns[4] << 8 | p.trns[5]);
            }
            png_set_tRNS(png, info, nullptr, 0, &key);
        }
    }
    png_set_rows(png, info, rowPointers.data());
    png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}
