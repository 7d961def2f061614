// What the desktop build computes, for the page test to compare against:
//   ml_web_reference hot-spots <screen width>
//     the panel's seven buttons as the desktop finds them, one "x y w h" line each
//   ml_web_reference pcm <track.mp3> <frames>
//     the track's first frames as the sound library's decoder gives them
//     (44100 Hz stereo, signed 16-bit little-endian, on standard output)
#include "app/resources.h"
#include "audio/sound_decoder.h"
#include "audio/sound_library.h"
#include "scene/hot_spots.h"

#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr int kPanelId = 106;
constexpr int kRate = 44100;

int PrintHotSpots(float screenWidth) {
    uint32_t size = 0;
    const unsigned char *bytes = LoadTypedResourceBytes(kPanelId, "TEXTURES", &size);
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (bytes == nullptr || !png_image_begin_read_from_memory(&image, bytes, size)) {
        std::fprintf(stderr, "the panel picture cannot be read\n");
        return 1;
    }
    image.format = PNG_FORMAT_RGBA;
    std::vector<uint8_t> rgba(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgba.data(), 0, nullptr)) {
        std::fprintf(stderr, "the panel picture cannot be decoded\n");
        return 1;
    }
    HotSpot spots[kHotSpotCount];
    const int found =
        FindHotSpotRects(rgba.data(), image.width, image.height, image.width, screenWidth, spots);
    for (int i = 0; i < found; ++i)
        std::printf("%.9g %.9g %.9g %.9g\n", spots[i].position.x, spots[i].position.y, spots[i].size.x,
                    spots[i].size.y);
    return found == kHotSpotCount ? 0 : 1;
}

void *OpenFile(const char *name) { return std::fopen(name, "rb"); }
int CloseFile(void *f) { return std::fclose(static_cast<FILE *>(f)); }
int ReadFile(void *buffer, int size, void *f) {
    return size <= 0 ? 0 : int(std::fread(buffer, 1, size_t(size), static_cast<FILE *>(f)));
}
int SeekFile(void *f, int position, signed char mode) {
    return std::fseek(static_cast<FILE *>(f), position, mode);
}
int TellFile(void *f) { return int(std::ftell(static_cast<FILE *>(f))); }

int PrintPcm(const char *path, long frames) {
    const SndFileFunctions files{OpenFile, CloseFile, ReadFile, SeekFile, TellFile};
    SndDecoder *decoder = SndDecoderOpen(path, files, kRate);
    if (decoder == nullptr) {
        std::fprintf(stderr, "%s cannot be decoded\n", path);
        return 1;
    }
    std::vector<int16_t> buffer(4096 * 2);
    bool ended = false;
    while (frames > 0 && !ended) {
        const int got = SndDecoderRead(decoder, buffer.data(), int(frames < 4096 ? frames : 4096),
                                       &ended);
        std::fwrite(buffer.data(), 4, size_t(got), stdout);
        frames -= got;
    }
    SndDecoderClose(decoder);
    return frames > 0 ? 1 : 0;
}

} // namespace

int main(int argc, char **argv) {
    if (argc == 3 && std::strcmp(argv[1], "hot-spots") == 0)
        return PrintHotSpots(float(std::atof(argv[2])));
    if (argc == 4 && std::strcmp(argv[1], "pcm") == 0)
        return PrintPcm(argv[2], std::atol(argv[3]));
    std::fprintf(stderr, "usage: %s hot-spots <screen width> | pcm <track.mp3> <frames>\n",
                 argv[0]);
    return 2;
}
