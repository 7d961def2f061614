// Builds the logo assets: logo_gen <model out> <texture out> <font dir>.
// The output depends on nothing but the code and the fonts, so every build
// writes the same bytes.
#include "logo_mesh.h"
#include "logo_texture.h"
#include "model_file.h"
#include "common/png_write.h"

#include <cstdio>

int main(int argc, char **argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: logo_gen <model.pmd> <texture.png> <font dir>\n");
        return 2;
    }
    const std::vector<uint8_t> model = EncodeLogoModel(BuildLogoMesh());
    FILE *file = std::fopen(argv[1], "wb");
    if (!file) {
        std::fprintf(stderr, "logo_gen: cannot write %s\n", argv[1]);
        return 1;
    }
    const bool written = std::fwrite(model.data(), 1, model.size(), file) == model.size();
    if (std::fclose(file) != 0 || !written) {
        std::fprintf(stderr, "logo_gen: cannot write %s\n", argv[1]);
        return 1;
    }

    const std::vector<uint8_t> texture = PaintLogoTexture(argv[3]);
    if (texture.empty()) {
        std::fprintf(stderr, "logo_gen: cannot read the fonts in %s\n", argv[3]);
        return 1;
    }
    if (!WritePng(argv[2], kLogoTextureSize, kLogoTextureSize, texture)) {
        std::fprintf(stderr, "logo_gen: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
