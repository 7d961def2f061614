// Renders the application icons from the logo model and its texture:
//   logo_icon_gen <model.pmd> <texture.png> <out dir>
// writes <out dir>/marrowlake-<N>.png for N = 16, 24, 32, 48, 64, 128, 256
// (the desktop's icon theme takes 48, 128 and 256) and <out dir>/marrowlake.ico
// holding all of them (the Windows executable's icon).
#include "common/png_write.h"
#include "icon_files.h"
#include "medallion_render.h"

#include <cstdio>
#include <string>

namespace {

constexpr int kSizes[] = {16, 24, 32, 48, 64, 128, 256};
// Sub-pixels per pixel side: plenty for smooth edges at every size.
constexpr int kSamples = 4;

} // namespace

int main(int argc, char **argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: logo_icon_gen <model.pmd> <texture.png> <out dir>\n");
        return 2;
    }
    const IconMesh mesh = ReadLogoMesh(argv[1]);
    if (mesh.triangles.empty()) {
        std::fprintf(stderr, "logo_icon_gen: no triangles in %s\n", argv[1]);
        return 1;
    }
    const IconTexture texture = ReadTexture(argv[2]);
    if (texture.width == 0) {
        std::fprintf(stderr, "logo_icon_gen: cannot read %s\n", argv[2]);
        return 1;
    }
    const std::string dir = argv[3];
    std::vector<IconImage> images;
    for (int size : kSizes) {
        images.push_back({size, RenderMedallion(mesh, texture, size, kSamples)});
        const std::string path = dir + "/marrowlake-" + std::to_string(size) + ".png";
        if (!WritePng(path, size, size, images.back().rgba)) {
            std::fprintf(stderr, "logo_icon_gen: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    const std::vector<uint8_t> ico = EncodeIconFile(images, dir + "/marrowlake-256.png");
    const std::string path = dir + "/marrowlake.ico";
    FILE *file = std::fopen(path.c_str(), "wb");
    const bool written = file && !ico.empty() && std::fwrite(ico.data(), 1, ico.size(), file) == ico.size();
    if (!file || std::fclose(file) != 0 || !written) {
        std::fprintf(stderr, "logo_icon_gen: cannot write %s\n", path.c_str());
        return 1;
    }
    return 0;
}
