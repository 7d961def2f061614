#include "scene/testbed.h"

#include "app/renderable.h"
#include "app/resources.h"
#include "audio/stream_player.h"
#include "math/camera.h"
#include "model/pmd_model.h"
#include "render/bitmap_font.h"
#include "render/render_device.h"
#include "render/texture.h"
#include "render/texture_prefetch.h"
#include "scene/hot_spots.h"

#include <cstdio>
#include <cstring>

CCamera *g_camera = nullptr;
CPMDModel *g_logoModel = nullptr;
float g_logoSpin = 0.0f;
char g_scrollLine[1024];

const char kGlyphOrder[] = "ABCDEFGHIJK\n"
                           "LMNOPQRSTU\n"
                           "VWXYZabcde\n"
                           "fghijklmnop\n"
                           "qrstuvwxyz\n"
                           "0123456789\n"
                           "!\"\xA3$%^&*()\n"
                           "-+=.,?:;@#\n"
                           "<>{}[]'~\xE9";
static_assert(sizeof(kGlyphOrder) == 100, "99 glyph-order bytes and the terminator");

namespace {

constexpr int kFirstPicture = 101;
constexpr int kFontImage = 108;
constexpr int kFirstText = 109;
constexpr int kLogoModel = 113;
constexpr int kLogoTexture = 107;

} // namespace

void PrefetchTestbedTextures() {
    const int ids[] = {kFirstPicture,     kFirstPicture + 1, kFirstPicture + 2, kFirstPicture + 3,
                       kFirstPicture + 4, kFirstPicture + 5, kFontImage,        kLogoTexture};
    PrefetchTextureResources(ids, int(sizeof ids / sizeof ids[0]));
}

CTestbed::CTestbed()
    : m_stream(nullptr), m_font(nullptr), m_textures{}, m_stage(0), m_stageTime(0.0f), m_side(0),
      m_shownSide(0), m_paused(false), m_playing(true), m_hotSpots{}, m_holdTime{},
      m_lineOffset(0), m_lineTime(0.0f), m_textSize{}, m_text{}, m_switchFade(1.0f),
      m_switchPending(false), m_logoOn(false), m_logoSlide(1.0f) {
    g_camera = new CCamera(GetScreenWidthF(), GetScreenHeightF());
    AddRenderable(0, this);

    for (int i = 0; i < kPictures; ++i)
        m_textures[i] = LoadTextureResource(kFirstPicture + i);
    FindHotSpots(m_textures[5]);
    for (float &t : m_holdTime)
        t = 0.0f;

    for (int i = 0; i < kSides; ++i) {
        uint32_t size = 0;
        m_text[i] = LoadResourceBytes(kFirstText + i, &size);
        m_textSize[i] = m_text[i] ? size : 0;
    }

    // The font does not own its image; the image lives to the end of the run.
    if (CTexture *fontImage = LoadTextureResource(kFontImage))
        m_font = new CBitmapFont(fontImage, nullptr, kGlyphOrder, 57.0f, 3.0f, 32.0f, 0xFFFFFFFFu);

    const int logoTextures[] = {kLogoTexture};
    g_logoModel = LoadModelFromResource(kLogoModel, logoTextures, 1);

    SwitchSide();
}

CTestbed::~CTestbed() {
    delete m_font;
    m_font = nullptr;
    delete g_camera;
    g_camera = nullptr;
    for (CTexture *&texture : m_textures) {
        if (texture) {
            texture->ReleasePixels();
            delete texture;
            texture = nullptr;
        }
    }
}

// A missing panel leaves every hot spot an empty rectangle.
void CTestbed::FindHotSpots(CTexture *panel) {
    FindHotSpotRects(panel ? panel->pixels : nullptr, panel ? panel->width : 0,
                     panel ? panel->height : 0, panel ? panel->storeWidth : 0,
                     GetScreenWidthF(), m_hotSpots);
}

void CTestbed::SwitchSide() {
    char path[256];
    std::snprintf(path, sizeof path, "data\\Track%c.mp3", 'A' + m_side);
    CloseStream(m_stream);
    m_stream = OpenStream(path);
    PlayStream(m_stream, 1);
}
