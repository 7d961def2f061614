#include "app/application.h"

#include "app/input.h"
#include "app/platform.h"
#include "app/process.h"
#include "app/renderable.h"
#include "app/shell_hooks.h"
#include "app/shell_state.h"
#include "app/timer.h"
#include "app/window.h"
#include "audio/stream_player.h"
#include "render/render_device.h"

#include <cstdint>
#include <cstdlib>
#include <ctime>

bool InitApplication(const char *title, int width, int height) {
    std::srand(static_cast<unsigned>(static_cast<uint32_t>(std::time(nullptr))));
    if (!CreateMainWindow(title, width, height, 32))
        return false;
    InitRenderDevice(width, height);
    // Start-up goes on whatever the sound library reports.
    InitSound();
    ClearMouseButtons();
    StartFrameTimer();
    return true;
}

bool RunFrame() {
    const ShellHooks &hooks = GetShellHooks();
    if (hooks.loopPass)
        hooks.loopPass();
    WindowMessage msg;
    if (PlatformPollMessage(&msg)) {
        if (msg.message == kWmQuit)
            return false;
        MainWindowProc(msg);
        return true;
    }
    if (!IsAppActive())
        return true;
    UpdateFrameTimer();
    UpdateProcesses();
    RenderLayers();
    const bool shown = PlatformSwapBuffers();
    if (hooks.frameSwapped)
        hooks.frameSwapped(shown);
    CopyInputToPrevious();
    return !IsQuitRequested();
}

void ShutdownApplication() {
    ClearRenderLayers();
    ShutdownRenderDevice();
    DeleteAllProcesses();
    DestroyMainWindow();
}
