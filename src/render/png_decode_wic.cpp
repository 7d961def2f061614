// PNG decoding through the Windows Imaging Component, into the same texels
// the libpng decoder of the Linux build makes: 8-bit samples (16-bit ones keep
// their high byte), palettes and small grays expanded, and the alpha taken by
// the source's colour type (pure black is transparent when the source has no
// alpha of its own).
#include "render/texture.h"
#include "render/texture_store.h"

#include <windows.h>
#include <wincodec.h>

#include <cstddef>
#include <cstring>
#include <vector>

namespace {

// Largest image side decoded (pixels); a larger header is refused before any
// pixel memory is taken.
constexpr uint32_t kMaxPngSide = 16384;

enum PngColourType : uint8_t {
    kGray = 0,
    kRgb = 2,
    kPalette = 3,
    kGrayAlpha = 4,
    kRgba = 6,
};

// What the chunk walk learns about the file before WIC sees it.
struct PngHeader {
    uint32_t width = 0;
    uint32_t height = 0;
    uint8_t bitDepth = 0;
    uint8_t colourType = 0;
    bool hasTransparency = false; // a tRNS chunk: palette alphas or one colour key
    uint16_t key[3] = {};         // RGB colour key (samples at the file's depth)
};

uint32_t ReadBigEndian32(const uint8_t *p) {
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

uint32_t Crc32(const uint8_t *data, size_t size) {
    static uint32_t table[256];
    static bool ready = false;
    if (!ready) {
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            table[n] = c;
        }
        ready = true;
    }
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < size; ++i)
        crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

bool IsValidDepth(uint8_t colourType, uint8_t depth) {
    switch (colourType) {
    case kGray:
        return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
    case kPalette:
        return depth == 1 || depth == 2 || depth == 4 || depth == 8;
    case kRgb:
    case kGrayAlpha:
    case kRgba:
        return depth == 8 || depth == 16;
    default:
        return false;
    }
}

// Walks the chunks the way a strict reader does: IHDR first and sound, every
// critical chunk's CRC right, image data present, IEND reached inside the
// bytes. WIC implementations differ in how much damage they let through; the
// walk makes every build refuse the same files.
bool ReadPngStructure(const uint8_t *bytes, size_t size, PngHeader *header) {
    size_t at = 8;
    bool sawHeader = false;
    bool sawData = false;
    while (at + 12 <= size) {
        const uint32_t length = ReadBigEndian32(bytes + at);
        if (length > 0x7FFFFFFFu || length > size - at - 12)
            return false;
        const uint8_t *type = bytes + at + 4;
        const uint8_t *data = type + 4;
        const bool critical = (type[0] & 0x20) == 0;
        if (critical && Crc32(type, length + 4) != ReadBigEndian32(data + length))
            return false;
        if (!sawHeader) {
            if (std::memcmp(type, "IHDR", 4) != 0 || length != 13)
                return false;
            header->width = ReadBigEndian32(data);
            header->height = ReadBigEndian32(data + 4);
            header->bitDepth = data[8];
            header->colourType = data[9];
            if (header->width == 0 || header->height == 0 || header->width > kMaxPngSide ||
                header->height > kMaxPngSide ||
                !IsValidDepth(header->colourType, header->bitDepth) || data[10] != 0 ||
                data[11] != 0 || data[12] > 1)
                return false;
            sawHeader = true;
        } else if (std::memcmp(type, "tRNS", 4) == 0 && !sawData) {
            header->hasTransparency = true;
            if (header->colourType == kRgb && length >= 6) {
                for (int i = 0; i < 3; ++i)
                    header->key[i] = uint16_t(data[2 * i] << 8 | data[2 * i + 1]);
            }
        } else if (std::memcmp(type, "IDAT", 4) == 0) {
            sawData = true;
        } else if (std::memcmp(type, "IEND", 4) == 0) {
            return sawData;
        }
        at += size_t(length) + 12;
    }
    return false;
}

// Releases a COM interface on every way out.
template <typename T> struct ComRef {
    T *p = nullptr;
    ~ComRef() {
        if (p)
            p->Release();
    }
    T **out() { return &p; }
};

// One COM apartment for the time of a decode; a thread that already has one
// keeps it.
struct ComScope {
    bool started;
    ComScope() {
        const HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        started = hr == S_OK || hr == S_FALSE;
    }
    ~ComScope() {
        if (started)
            CoUninitialize();
    }
};

// Decoded samples in one of two layouts: 8-bit B, G, R, A, or 16-bit R, G, B,
// A (little-endian) for 16-bit sources, so that colour keys compare at full
// depth and only the high byte reaches the texture.
struct DecodedPixels {
    bool wide = false;
    uint32_t stride = 0;
    std::vector<uint8_t> bytes;
};

bool Convert(IWICImagingFactory *factory, IWICBitmapSource *frame, const PngHeader &header,
             bool wide, DecodedPixels *out) {
    ComRef<IWICFormatConverter> converter;
    if (FAILED(factory->CreateFormatConverter(converter.out())) ||
        FAILED(converter.p->Initialize(
            frame, wide ? GUID_WICPixelFormat64bppRGBA : GUID_WICPixelFormat32bppBGRA,
            WICBitmapDitherTypeNone, nullptr, 0.0, WICBitmapPaletteTypeCustom)))
        return false;
    out->wide = wide;
    out->stride = header.width * (wide ? 8 : 4);
    out->bytes.assign(size_t(out->stride) * header.height, 0);
    return SUCCEEDED(converter.p->CopyPixels(nullptr, out->stride, UINT(out->bytes.size()),
                                             out->bytes.data()));
}

// 16-bit sources in their own layout (16-bit gray, 48-bit RGB, 64-bit RGBA),
// widened to 16-bit R, G, B, A: not every converter goes to 64-bit RGBA.
bool CopyWide(IWICBitmapFrameDecode *frame, const PngHeader &header, DecodedPixels *out) {
    WICPixelFormatGUID format;
    if (FAILED(frame->GetPixelFormat(&format)))
        return false;
    int channels = 0;
    if (format == GUID_WICPixelFormat16bppGray)
        channels = 1;
    else if (format == GUID_WICPixelFormat48bppRGB)
        channels = 3;
    else if (format == GUID_WICPixelFormat64bppRGBA)
        channels = 4;
    else
        return false;
    const UINT stride = header.width * channels * 2;
    std::vector<uint8_t> native(size_t(stride) * header.height);
    if (FAILED(frame->CopyPixels(nullptr, stride, UINT(native.size()), native.data())))
        return false;
    out->wide = true;
    out->stride = header.width * 8;
    out->bytes.assign(size_t(out->stride) * header.height, 0xFF);
    for (uint32_t r = 0; r < header.height; ++r) {
        const uint8_t *src = native.data() + size_t(r) * stride;
        uint8_t *dst = out->bytes.data() + size_t(r) * out->stride;
        for (uint32_t x = 0; x < header.width; ++x, src += channels * 2, dst += 8) {
            for (int c = 0; c < 3; ++c) {
                const int from = channels == 1 ? 0 : c;
                dst[c * 2] = src[from * 2];
                dst[c * 2 + 1] = src[from * 2 + 1];
            }
            if (channels == 4) {
                dst[6] = src[6];
                dst[7] = src[7];
            }
        }
    }
    return true;
}

bool CopyFrame(IWICImagingFactory *factory, IWICBitmapFrameDecode *frame, const PngHeader &header,
               DecodedPixels *out) {
    if (header.bitDepth == 16 &&
        (CopyWide(frame, header, out) || Convert(factory, frame, header, true, out)))
        return true;
    return Convert(factory, frame, header, false, out);
}

bool DecodeWithWic(const uint8_t *bytes, size_t size, const PngHeader &header,
                   DecodedPixels *out) {
    ComScope com;
    ComRef<IWICImagingFactory> factory;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IWICImagingFactory, reinterpret_cast<void **>(factory.out()))))
        return false;
    ComRef<IWICStream> stream;
    if (FAILED(factory.p->CreateStream(stream.out())) ||
        FAILED(stream.p->InitializeFromMemory(const_cast<BYTE *>(bytes), DWORD(size))))
        return false;
    ComRef<IWICBitmapDecoder> decoder;
    if (FAILED(factory.p->CreateDecoder(GUID_ContainerFormatPng, nullptr, decoder.out())) ||
        FAILED(decoder.p->Initialize(stream.p, WICDecodeMetadataCacheOnDemand)))
        return false;
    ComRef<IWICBitmapFrameDecode> frame;
    UINT width = 0;
    UINT height = 0;
    if (FAILED(decoder.p->GetFrame(0, frame.out())) ||
        FAILED(frame.p->GetSize(&width, &height)) || width != header.width ||
        height != header.height)
        return false;
    return CopyFrame(factory.p, frame.p, header, out);
}

// Writes the decoded pixels into the store as R, G, B, A by the source's
// colour type.
void CopyTexels(CTexture *texture, const PngHeader &header, const DecodedPixels &pixels) {
    const bool keyed = header.hasTransparency && header.colourType == kRgb;
    const bool paletteAlpha = header.hasTransparency && header.colourType == kPalette;
    for (uint32_t r = 0; r < header.height; ++r) {
        const uint8_t *src = pixels.bytes.data() + size_t(r) * pixels.stride;
        uint8_t *dst = texture->pixels + size_t(r) * texture->storeWidth * 4;
        for (uint32_t x = 0; x < header.width; ++x, dst += 4) {
            uint8_t red, green, blue, alpha;
            bool isKey = false;
            if (pixels.wide) {
                const uint8_t *s = src + size_t(x) * 8;
                red = s[1];
                green = s[3];
                blue = s[5];
                alpha = s[7];
                isKey = uint16_t(s[0] | s[1] << 8) == header.key[0] &&
                        uint16_t(s[2] | s[3] << 8) == header.key[1] &&
                        uint16_t(s[4] | s[5] << 8) == header.key[2];
            } else {
                const uint8_t *s = src + size_t(x) * 4;
                blue = s[0];
                green = s[1];
                red = s[2];
                alpha = s[3];
                const int keyShift = header.bitDepth == 16 ? 8 : 0;
                isKey = red == (header.key[0] >> keyShift) &&
                        green == (header.key[1] >> keyShift) &&
                        blue == (header.key[2] >> keyShift);
            }
            switch (header.colourType) {
            case kGray:
            case kGrayAlpha:
                // Gray keeps no alpha of its own: black is transparent.
                dst[0] = dst[1] = dst[2] = red;
                dst[3] = red ? 255 : 0;
                break;
            case kRgba:
                dst[0] = red;
                dst[1] = green;
                dst[2] = blue;
                dst[3] = alpha;
                break;
            default: // RGB and palette
                dst[0] = red;
                dst[1] = green;
                dst[2] = blue;
                if (keyed)
                    dst[3] = isKey ? 0 : 255;
                else if (paletteAlpha)
                    dst[3] = alpha;
                else
                    dst[3] = (red | green | blue) ? 255 : 0;
                break;
            }
        }
    }
}

} // namespace

CTexture *DecodePngStore(const uint8_t *bytes, int size) {
    if (!bytes || size < 8)
        return nullptr;
    PngHeader header;
    if (!ReadPngStructure(bytes, size_t(size), &header))
        return nullptr;
    DecodedPixels pixels;
    if (!DecodeWithWic(bytes, size_t(size), header, &pixels))
        return nullptr;
    CTexture *texture = new CTexture;
    if (!texture->AllocateStore(1, header.width, header.height)) {
        delete texture;
        return nullptr;
    }
    CopyTexels(texture, header, pixels);
    return texture;
}
