#include "decoded_png.h"

#include <png.h>

#include <cstring>

#include "app/resources.h"

bool DecodeTextureResource(int id, DecodedPng *out) {
    uint32_t size = 0;
    const unsigned char *bytes = LoadTypedResourceBytes(id, "TEXTURES", &size);
    if (bytes == nullptr)
        return false;
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, bytes, size))
        return false;
    out->hasAlphaChannel = (image.format & PNG_FORMAT_FLAG_ALPHA) != 0;
    image.format = PNG_FORMAT_RGBA;
    out->width = image.width;
    out->height = image.height;
    out->rgba.assign(PNG_IMAGE_SIZE(image), 0);
    if (!png_image_finish_read(&image, nullptr, out->rgba.data(), 0, nullptr)) {
        png_image_free(&image);
        return false;
    }
    return true;
}
