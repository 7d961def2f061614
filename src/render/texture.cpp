#include "render/texture.h"

#include "app/resources.h"
#include "render/render_device.h"
#include "render/render_internal.h"
#include "render/texture_store.h"

#include <GL/gl.h>

#include <atomic>
#include <cstring>
#include <new>

namespace {

// Texture binding cache: the texture whose store GL holds from the latest
// upload. Cleared when that texture's store goes away, so a later texture at
// the same address cannot be taken for it. Atomic because a texture that fails
// to decode on the prefetch worker is destroyed there.
struct TextureState {
    std::atomic<const CTexture *> lastBound{nullptr};
    uint32_t uploads = 0;
};
TextureState s_textures;

// Largest store side accepted (texels): what GL can take, and small enough
// that side * side * 4 fits comfortably in a size_t.
constexpr uint32_t kMaxStoreSide = 16384;

constexpr uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
constexpr uint32_t kRawHeaderBytes = 12;

// Smallest power of two not below n (1 for 0 and 1); 0 when above kMaxStoreSide.
uint32_t StoreSide(uint32_t n) {
    if (n > kMaxStoreSide)
        return 0;
    uint32_t side = 1;
    while (side < n)
        side *= 2;
    return side;
}

uint32_t ReadLE32(const uint8_t *p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

// The raw form: 4 unread bytes, width, height, then the texels row by row.
// Null when the bytes are fewer than the header promises.
CTexture *DecodeRawTexture(const uint8_t *bytes, uint32_t size) {
    if (size < kRawHeaderBytes)
        return nullptr;
    const uint32_t width = ReadLE32(bytes + 4);
    const uint32_t height = ReadLE32(bytes + 8);
    const uint64_t texelBytes = uint64_t(width) * height * 4;
    if (texelBytes > size - kRawHeaderBytes)
        return nullptr;
    CTexture *texture = new CTexture;
    if (!texture->AllocateStore(1, width, height)) {
        delete texture;
        return nullptr;
    }
    const size_t rowBytes = size_t(width) * 4;
    const uint8_t *src = bytes + kRawHeaderBytes;
    for (uint32_t r = 0; r < height; ++r) {
        std::memcpy(texture->pixels + size_t(r) * texture->storeWidth * 4, src, rowBytes);
        src += rowBytes;
    }
    return texture;
}

} // namespace

CTexture::~CTexture() {
    ReleasePixels();
}

bool CTexture::AllocateStore(int kind, uint32_t width_, uint32_t height_) {
    ReleasePixels();
    width = width_;
    height = height_;
    storeWidth = 1;
    storeHeight = 1;
    if (kind != 1)
        return false;
    const uint32_t sw = StoreSide(width_);
    const uint32_t sh = StoreSide(height_);
    if (sw == 0 || sh == 0)
        return false;
    bytesPerPixel = 4;
    format = GL_RGBA;
    storeWidth = sw;
    storeHeight = sh;
    const size_t bytes = size_t(sw) * sh * 4;
    allocation = new uint8_t[bytes];
    pixels = allocation;
    std::memset(allocation, 0, bytes);
    return true;
}

bool CTexture::Allocate(int kind, uint32_t width_, uint32_t height_) {
    if (!AllocateStore(kind, width_, height_))
        return false;
    glGenTextures(1, &name);
    return true;
}

void CTexture::ReleasePixels() {
    // GL keeps what was uploaded, but the next bind must not trust that upload
    // to belong to this address any more.
    if (s_textures.lastBound == this)
        s_textures.lastBound = nullptr;
    delete[] allocation;
    allocation = nullptr;
    pixels = nullptr;
}

void CTexture::Bind() {
    glEnable(GL_TEXTURE_2D);
    if (s_textures.lastBound == this)
        return;
    glBindTexture(GL_TEXTURE_2D, name);
    SetTextureFilter(kFilterLinear, kFilterLinear);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glTexImage2D(GL_TEXTURE_2D, 0, format, GLsizei(storeWidth), GLsizei(storeHeight), 0,
                 GLenum(format), GL_UNSIGNED_BYTE, pixels);
    ++s_textures.uploads;
    s_textures.lastBound = this;
}

CTexture *DecodeTextureStore(const uint8_t *bytes, uint32_t size) {
    if (size >= sizeof kPngSignature &&
        std::memcmp(bytes, kPngSignature, sizeof kPngSignature) == 0)
        return size > 0x7FFFFFFFu ? nullptr : DecodePngStore(bytes, int(size));
    return DecodeRawTexture(bytes, size);
}

CTexture *DecodePngTexture(const uint8_t *bytes, int size) {
    CTexture *texture = DecodePngStore(bytes, size);
    if (texture)
        glGenTextures(1, &texture->name);
    return texture;
}

CTexture *LoadTextureResource(int id) {
    CTexture *texture = TakePrefetchedTexture(id);
    if (!texture) {
        uint32_t size = 0;
        const uint8_t *bytes = LoadTypedResourceBytes(id, "TEXTURES", &size);
        texture = bytes ? DecodeTextureStore(bytes, size) : nullptr;
    }
    if (texture)
        glGenTextures(1, &texture->name);
    return texture;
}

uint32_t GetTextureUploadCount() {
    return s_textures.uploads;
}
const CTexture *GetLastBoundTexture() {
    return s_textures.lastBound;
}
void ForgetLastBoundTexture() {
    s_textures.lastBound = nullptr;
}
