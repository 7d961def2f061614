#include "render/texture.h"
#include "render/texture_store.h"

#include <png.h>

#include <csetjmp>
#include <cstddef>

namespace {

// What png_read_png is asked for: 8-bit samples, palettes and small grays
// expanded, colour samples in B, G, R order (0x95).
constexpr int kPngTransforms =
    PNG_TRANSFORM_STRIP_16 | PNG_TRANSFORM_PACKING | PNG_TRANSFORM_EXPAND | PNG_TRANSFORM_BGR;
static_assert(kPngTransforms == 0x95, "decoder transforms");

// Largest image side decoded (pixels); a larger header is refused before
// libpng allocates rows for it.
constexpr png_uint_32 kMaxPngSide = 16384;

// The bytes after the signature, handed out to libpng in order.
struct PngCursor {
    const uint8_t *base;
    size_t size;
    size_t position;
};

void ReadFromCursor(png_structp png, png_bytep out, size_t count) {
    PngCursor *cursor = static_cast<PngCursor *>(png_get_io_ptr(png));
    if (!cursor)
        return;
    // A short read would leave libpng decoding bytes nobody wrote: fail instead.
    if (count > cursor->size - cursor->position)
        png_error(png, "read past end");
    for (size_t i = 0; i < count; ++i)
        out[i] = cursor->base[cursor->position++];
}

// The program never writes to the console: errors return through the jump
// buffer and warnings are dropped.
[[noreturn]] void OnPngError(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}
void OnPngWarning(png_structp, png_const_charp) {}

// Runs the decode. libpng jumps back into this frame on error, so it must hold
// no object with a destructor. Returns false on any error.
bool ReadPngImage(png_structp png, png_infop info) {
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_set_sig_bytes(png, 8);
    png_set_user_limits(png, kMaxPngSide, kMaxPngSide);
    png_read_png(png, info, kPngTransforms, nullptr);
    return true;
}

// Releases libpng's structures on every way out of DecodePngStore.
struct PngReadGuard {
    png_structp png = nullptr;
    png_infop info = nullptr;
    ~PngReadGuard() {
        if (png)
            png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
    }
};

// Writes the decoded rows into the store as R, G, B, A. Rows hold `channels`
// 8-bit samples per pixel: gray, gray+alpha, B G R or B G R A. Without alpha
// (and for gray+alpha, whose alpha is skipped) pure black is transparent.
void CopyRows(CTexture *texture, png_bytepp rows, int channels) {
    for (uint32_t r = 0; r < texture->height; ++r) {
        const png_byte *src = rows[r];
        uint8_t *dst = texture->pixels + size_t(r) * texture->storeWidth * 4;
        for (uint32_t x = 0; x < texture->width; ++x, src += channels, dst += 4) {
            switch (channels) {
            case 1:
            case 2:
                dst[0] = dst[1] = dst[2] = src[0];
                dst[3] = src[0] ? 255 : 0;
                break;
            case 3:
                dst[0] = src[2];
                dst[1] = src[1];
                dst[2] = src[0];
                dst[3] = (src[0] | src[1] | src[2]) ? 255 : 0;
                break;
            default:
                dst[0] = src[2];
                dst[1] = src[1];
                dst[2] = src[0];
                dst[3] = src[3];
                break;
            }
        }
    }
}

} // namespace

CTexture *DecodePngStore(const uint8_t *bytes, int size) {
    if (!bytes || size < 8)
        return nullptr;
    PngReadGuard guard;
    guard.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, OnPngError, OnPngWarning);
    if (!guard.png)
        return nullptr;
    PngCursor cursor = {bytes + 8, size_t(size) - 8, 0};
    png_set_read_fn(guard.png, &cursor, ReadFromCursor);
    guard.info = png_create_info_struct(guard.png);
    if (!guard.info)
        return nullptr;
    if (!ReadPngImage(guard.png, guard.info))
        return nullptr;

    const png_uint_32 width = png_get_image_width(guard.png, guard.info);
    const png_uint_32 height = png_get_image_height(guard.png, guard.info);
    const int channels = png_get_channels(guard.png, guard.info);
    const int bitDepth = png_get_bit_depth(guard.png, guard.info);
    png_bytepp rows = png_get_rows(guard.png, guard.info);
    if (bitDepth != 8 || channels < 1 || channels > 4 || (height > 0 && !rows) ||
        png_get_rowbytes(guard.png, guard.info) < size_t(width) * channels)
        return nullptr;

    CTexture *texture = new CTexture;
    if (!texture->AllocateStore(1, width, height)) {
        delete texture;
        return nullptr;
    }
    CopyRows(texture, rows, channels);
    return texture;
}
