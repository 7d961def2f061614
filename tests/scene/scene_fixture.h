#pragma once
// Drives a real CTestbed frame by frame in a hidden GL window, with the frame
// time and the input state set by the test and the stream player recorded.
#include "app/input.h"
#include "app/process.h"
#include "app/renderable.h"
#include "app/timer_internal.h"
#include "model/model.h"
#include "render/bitmap_font.h"
#include "render/render_device.h"
#include "render/texture.h"
#include "scene/fake_stream_player.h"
#include "scene/testbed.h"
#include "support/gl_context.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

class SceneTest : public ::testing::TestWithParam<int> {
  protected:
    int Width() const { return GetParam(); }
    int Height() const { return GetParam() == 800 ? 600 : 768; }

    void SetUp() override {
        m_gl = std::make_unique<CTestGLContext>(Width(), Height());
        ASSERT_TRUE(m_gl->Ok()) << m_gl->Error();
        InitRenderDevice(Width(), Height());
        ResetFakeStreams();
        std::memset(&g_inputState, 0, sizeof g_inputState);
        scene = new CTestbed();
    }

    void TearDown() override {
        // The scene leaves the font image and the model to the end of the run;
        // a test releases them so each test starts clean.
        CTexture *fontImage = scene && scene->m_font ? scene->m_font->texture : nullptr;
        delete scene;
        if (fontImage) {
            fontImage->ReleasePixels();
            delete fontImage;
        }
        delete g_logoModel;
        g_logoModel = nullptr;
        g_logoSpin = 0.0f;
        ClearRenderLayers();
        ShutdownRenderDevice();
        m_gl.reset();
    }

    // One frame as the shell runs it: process step, render pass, input copy.
    void Frame(float dt) {
        SetFrameTimeForTest(dt);
        UpdateProcesses();
        RenderLayers();
        CopyInputToPrevious();
    }

    void EnterPanel() {
        for (int i = 0; i < 5; ++i)
            Frame(6.0001f);
        Frame(3.0f);
        ASSERT_EQ(5u, scene->m_stage);
    }

    void PointAt(int button) {
        const HotSpot &h = scene->m_hotSpots[button];
        g_inputState.mouseX = static_cast<int32_t>(h.position.x + h.size.x * 0.5f);
        g_inputState.mouseY = static_cast<int32_t>(h.position.y + h.size.y * 0.5f);
    }

    // Press and release on a button in two short frames.
    void Click(int button) {
        PointAt(button);
        g_inputState.leftButton = 1;
        Frame(0.01f);
        g_inputState.leftButton = 0;
        Frame(0.01f);
    }

    CTestbed *scene = nullptr;
    std::unique_ptr<CTestGLContext> m_gl;
};

enum { kPlay, kPrevious, kNext, kLogo, kPause, kStop, kQuit };
