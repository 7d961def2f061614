// Writes the embedded pictures of the music disk: the five intro pictures,
// the control deck and the scroll-text font.
// Usage: ml_artgen <assets/art directory> <font directory> <output directory>
#include <cstdio>
#include <string>

#include "art_kit.h"
#include "pictures.h"
#include "common/png_write.h"

namespace {

// The characters of the font image in reading order, one line per band
// (Latin-1 bytes: 0xA3 is the pound sign, 0xE9 the e with acute accent).
const char kGlyphOrder[] = "ABCDEFGHIJK\nLMNOPQRSTU\nVWXYZabcde\nfghijklmnop\nqrstuvwxyz\n"
                           "0123456789\n!\"\xA3$%^&*()\n-+=.,?:;@#\n<>{}[]'~\xE9";

bool Save(const CCanvas &canvas, const std::string &dir, int id) {
    const std::string path = dir + "/" + std::to_string(id) + ".png";
    if (!WritePng(path, canvas.Width(), canvas.Height(), canvas.ToRgba8())) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char **argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s <art dir> <font dir> <output dir>\n", argv[0]);
        return 2;
    }
    const std::string artDir = argv[1];
    ArtKit kit(argv[2]);
    const std::string outDir = argv[3];
    if (!kit.FontsOk()) {
        std::fprintf(stderr, "cannot open the DejaVu fonts in %s\n", argv[2]);
        return 1;
    }
    kit.config.Load(artDir + "/words.txt");
    kit.config.Load(artDir + "/palette.txt");
    kit.config.Load(artDir + "/panel.txt");
    kit.config.Load(artDir + "/font.txt");

    bool ok = Save(PaintPresents(kit), outDir, 101) && Save(PaintTitle(kit), outDir, 102) &&
              Save(PaintSides(kit), outDir, 103) && Save(PaintCredits(kit), outDir, 104) &&
              Save(PaintListen(kit), outDir, 105) && Save(PaintPanel(kit), outDir, 106) &&
              Save(PaintFontImage(kit, kGlyphOrder), outDir, 108);
    for (const std::string &error : kit.config.Errors()) {
        std::fprintf(stderr, "%s\n", error.c_str());
        ok = false;
    }
    return ok ? 0 : 1;
}
