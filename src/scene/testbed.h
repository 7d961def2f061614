#pragma once
#include "app/process.h"
#include "app/renderable.h"
#include "math/vector.h"
#include "scene/hot_spots.h"

#include <cstdint>

class CBitmapFont;
class CCamera;
class CPMDModel;
class CTexture;
struct SoundStream;

// Starts decoding the scene's pictures, font image and logo texture before the
// scene exists (PrefetchTextureResources); FinishTexturePrefetch ends it.
void PrefetchTestbedTextures();

// The music disk: owns the pictures, the font, the scroll texts and the current
// side's track; runs the intro, the control panel, the scroll text and the logo.
class CTestbed : public CProcess, public CRenderable {
  public:
    static constexpr int kPictures = 6;
    static constexpr int kButtons = 7;
    static constexpr int kSides = 4;

    CTestbed();
    ~CTestbed() override;

    void Process() override; // per-frame update, before Render
    void Render() override;  // per-frame drawing

    // Fills m_hotSpots from the panel's alpha channel and makes it opaque.
    void FindHotSpots(CTexture *panel);
    // Replaces m_stream with the track of m_side and plays it looping.
    void SwitchSide();
    // Draws the current scroll line (2D mode, after the panel).
    void DrawScrollText();

    SoundStream *m_stream;
    CBitmapFont *m_font;
    CTexture *m_textures[kPictures]; // 0-4 intro pictures, 5 the control panel
    uint32_t m_stage;                // 0-4 intro, 5 panel
    float m_stageTime;               // seconds in the current stage
    int32_t m_side;                  // selected side, 0-3 for A-D
    int32_t m_shownSide;             // side whose scroll text is on screen
    bool m_paused;
    bool m_playing;
    HotSpot m_hotSpots[kButtons]; // the panel buttons, screen pixels
    float m_holdTime[kButtons]; // seconds the left button was held on each hot spot
    uint32_t m_lineOffset;      // byte offset of the current line in the shown text
    float m_lineTime;           // seconds left for the current line
    uint32_t m_textSize[kSides];
    const uint8_t *m_text[kSides]; // in place in the resources, not owned
    float m_switchFade;            // 1 down to below 0 during a side change
    bool m_switchPending;
    bool m_logoOn;
    float m_logoSlide; // 1 fully lowered, 0 fully raised

  private:
    void Click(int button);
    void AdvanceScrollLine();
    void RenderLogo(float scale);
};

extern CCamera *g_camera;
extern CPMDModel *g_logoModel;
extern float g_logoSpin;
extern char g_scrollLine[1024];

// The glyph order of the font image: nine rows, single bytes (0xA3 is the pound
// sign, 0xE9 e acute), no newline after the last row.
extern const char kGlyphOrder[];
