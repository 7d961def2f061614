// Decoding a full-screen picture, cutting a font image into glyphs, and
// building (and, with a display, submitting) one line of text.
#include "render/bitmap_font.h"
#include "render/png_writer.h"
#include "render/render_device.h"
#include "render/texture.h"
#include "support/gl_context.h"

#include <benchmark/benchmark.h>
#include <png.h>

#include <memory>
#include <string>
#include <vector>

namespace {

// A 1024 x 768 RGBA picture with smooth gradients and a little noise, so the
// compressed data is neither trivial nor incompressible.
const std::vector<uint8_t> &PicturePng() {
    static const std::vector<uint8_t> png = [] {
        PngPicture p;
        p.width = 1024;
        p.height = 768;
        p.samples.resize(size_t(1024) * 768 * 4);
        uint32_t seed = 12345;
        for (uint32_t y = 0; y < 768; ++y)
            for (uint32_t x = 0; x < 1024; ++x) {
                seed = seed * 1664525u + 1013904223u;
                uint16_t *s = &p.samples[(size_t(y) * 1024 + x) * 4];
                s[0] = uint16_t((x / 4 + (seed >> 28)) & 0xFF);
                s[1] = uint16_t((y / 3 + (seed >> 29)) & 0xFF);
                s[2] = uint16_t(((x + y) / 7) & 0xFF);
                s[3] = 255;
            }
        return EncodePng(p);
    }();
    return png;
}

// A 512 x 512 font image: nine bands 57 pixels high, ten glyphs 20-32 pixels
// wide per band with 8 transparent columns between them.
struct FontImage {
    std::vector<uint8_t> store = std::vector<uint8_t>(size_t(512) * 512 * 4, 0);
    CTexture texture;
    std::string order;

    FontImage() {
        texture.width = texture.height = texture.storeWidth = texture.storeHeight = 512;
        texture.bytesPerPixel = 4;
        texture.pixels = store.data();
        unsigned char code = 33;
        for (int band = 0; band < 9; ++band) {
            uint32_t x = 11;
            for (int g = 0; g < 10; ++g) {
                const uint32_t w = 20 + uint32_t((band * 7 + g * 3) % 13);
                for (uint32_t y = uint32_t(band) * 57 + 5; y < uint32_t(band) * 57 + 50; ++y)
                    for (uint32_t c = x; c < x + w; ++c)
                        store[(size_t(y) * 512 + c) * 4 + 3] = 255;
                x += w + 8;
                order += char(code++);
            }
            if (band < 8)
                order += '\n';
        }
    }
    ~FontImage() { texture.pixels = nullptr; }
};

const char kLine[] = "Side B: the slow one, at night"; // 30 characters
static_assert(sizeof kLine == 31, "a 30-character line");

void BM_DecodePng1024x768(benchmark::State &state) {
    const std::vector<uint8_t> &png = PicturePng();
    for (auto _ : state) {
        std::unique_ptr<CTexture> t(DecodePngTexture(png.data(), int(png.size())));
        if (!t)
            state.SkipWithError("decode failed");
        benchmark::DoNotOptimize(t.get());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * 1024 * 768 * 4);
}
BENCHMARK(BM_DecodePng1024x768)->Unit(benchmark::kMillisecond);

void BM_BuildGlyphTable512(benchmark::State &state) {
    FontImage image;
    CBitmapFont font(&image.texture, nullptr, image.order.c_str(), 57.0f, 3.0f, 32.0f, kNoGapLimit);
    if (!font.HasGlyph(33) || !font.HasGlyph(static_cast<unsigned char>(image.order.back())))
        state.SkipWithError("glyphs not found");
    for (auto _ : state) {
        font.BuildGlyphTable(image.order.c_str(), kNoGapLimit);
        benchmark::DoNotOptimize(font.widths[33]);
    }
}
BENCHMARK(BM_BuildGlyphTable512)->Unit(benchmark::kMicrosecond);

void BM_BuildTextVertices30(benchmark::State &state) {
    FontImage image;
    CBitmapFont font(&image.texture, nullptr, image.order.c_str(), 57.0f, 3.0f, 32.0f, kNoGapLimit);
    std::vector<Vertex2D> vertices(30 * 6);
    for (auto _ : state) {
        const unsigned n =
            font.BuildTextVertices(vertices.data(), CVector2(10, 20), 0xFFFFFFFFu, 1.0f, kLine, 30);
        benchmark::DoNotOptimize(n);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_BuildTextVertices30);

// The whole Print (arena, vertices and the immediate-mode submit) into a real
// GL context; skipped when there is no display.
void BM_Print30WithGL(benchmark::State &state) {
    CTestGLContext gl(1024, 768);
    if (!gl.Ok()) {
        state.SkipWithError("no GL context");
        for (auto _ : state) {
        }
        return;
    }
    InitRenderDevice(1024, 768);
    FontImage image;
    CTexture drawing;
    drawing.Allocate(1, 512, 512);
    CBitmapFont font(&image.texture, &drawing, image.order.c_str(), 57.0f, 3.0f, 32.0f,
                     kNoGapLimit);
    for (auto _ : state) {
        ResetFrameArena();
        font.Print(CVector2(10, 20), 0xFFFFFFFFu, 1.0f, kLine);
    }
    ShutdownRenderDevice();
}
BENCHMARK(BM_Print30WithGL);

} // namespace

BENCHMARK_MAIN();
