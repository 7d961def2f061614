// One IDAT of filter-0 rows, with PLTE and tRNS when the picture has them.
#include "render/png_writer.h"

#include <zlib.h>

#include <cstdlib>

namespace {

void Put32(std::vector<uint8_t> &out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(uint8_t(v >> shift));
}

void Chunk(std::vector<uint8_t> &out, const char *type, const std::vector<uint8_t> &data) {
    Put32(out, uint32_t(data.size()));
    const size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    Put32(out, uint32_t(crc32(0, &out[start], uInt(out.size() - start))));
}

size_t SamplesPerPixel(int colourType) {
    return colourType == kPngGrayAlpha ? 2
           : colourType == kPngRgb     ? 3
           : colourType == kPngRgba    ? 4
                                       : 1;
}

// One row of samples at the picture's bit depth, most significant first.
void PackRow(const PngPicture &p, uint32_t row, std::vector<uint8_t> &out) {
    const size_t perRow = size_t(p.width) * SamplesPerPixel(p.colourType);
    const uint16_t *s = p.samples.data() + row * perRow;
    if (p.bitDepth >= 8) {
        for (size_t i = 0; i < perRow; ++i) {
            if (p.bitDepth == 16)
                out.push_back(uint8_t(s[i] >> 8));
            out.push_back(uint8_t(s[i]));
        }
        return;
    }
    const int perByte = 8 / p.bitDepth;
    const size_t first = out.size();
    out.resize(first + (perRow + perByte - 1) / perByte, 0);
    for (size_t i = 0; i < perRow; ++i) {
        const int shift = 8 - p.bitDepth * (int(i % perByte) + 1);
        out[first + i / perByte] |= uint8_t((s[i] & ((1 << p.bitDepth) - 1)) << shift);
    }
}

} // namespace

std::vector<uint8_t> EncodePng(const PngPicture &p) {
    std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    std::vector<uint8_t> header;
    Put32(header, p.width);
    Put32(header, p.height);
    header.insert(header.end(), {uint8_t(p.bitDepth), uint8_t(p.colourType), 0, 0, 0});
    Chunk(out, "IHDR", header);
    if (!p.palette.empty())
        Chunk(out, "PLTE", p.palette);
    if (!p.trns.empty())
        Chunk(out, "tRNS", p.trns);
    std::vector<uint8_t> raw;
    for (uint32_t r = 0; r < p.height; ++r) {
        raw.push_back(0);
        PackRow(p, r, raw);
    }
    uLongf packedSize = compressBound(uLong(raw.size()));
    std::vector<uint8_t> packed(packedSize);
    // Test pictures are well formed: a zlib error here is a broken test.
    if (compress2(packed.data(), &packedSize, raw.data(), uLong(raw.size()), 6) != Z_OK)
        std::abort();
    packed.resize(packedSize);
    Chunk(out, "IDAT", packed);
    Chunk(out, "IEND", {});
    return out;
}
