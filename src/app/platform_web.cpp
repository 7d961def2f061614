// The page's backend of app/platform.h and app/window.h over Emscripten's
// html5.h: a WebGL context on the page's #canvas, mouse and keys turned into
// the window messages the desktop backends send, a hidden tab reported as a
// minimised window, and message boxes as HTML dialogs (which cannot block).
#include "app/platform.h"
#include "app/platform_web.h"
#include "app/message_style.h"
#include "app/window.h"

#include <emscripten.h>
#include <emscripten/html5.h>

#include <cstdint>

void FlushWebGlBatch(); // render/gl_subset/gl_webgl.cpp

namespace {

constexpr const char *kCanvas = "#canvas";
constexpr int kQueueSize = 256;

struct WebPlatform {
    EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context = 0;
    WindowMessage queue[kQueueSize];
    int head = 0;
    int count = 0;
    bool callbacksSet = false;
    bool captured = false; // PlatformCaptureMouse
    int width = 0, height = 0;
    void (*answered)(int) = nullptr;
};
WebPlatform g_web;

// A full queue drops the newest message, as a desktop queue refuses a post.
void Post(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (g_web.count >= kQueueSize)
        return;
    g_web.queue[(g_web.head + g_web.count) % kQueueSize] = {message, wParam, lParam};
    ++g_web.count;
}

// The canvas's top-left corner in the page's client coordinates.
EM_JS(void, CanvasOrigin, (int *x, int *y), {
    var r = document.getElementById('canvas').getBoundingClientRect();
    HEAP32[x >> 2] = Math.round(r.left);
    HEAP32[y >> 2] = Math.round(r.top);
});

// Button presses come from the canvas; moves and releases from the whole
// window, kept while the mouse is captured or over the canvas, as a desktop
// window receives them. Positions are canvas pixels.
EM_BOOL OnMouse(int type, const EmscriptenMouseEvent *e, void *) {
    int left = 0, top = 0;
    CanvasOrigin(&left, &top);
    const int x = int(e->clientX) - left, y = int(e->clientY) - top;
    const bool inside = x >= 0 && y >= 0 && x < g_web.width && y < g_web.height;
    if (type != EMSCRIPTEN_EVENT_MOUSEDOWN && !inside && !g_web.captured)
        return EM_FALSE;
    const intptr_t at = PackMousePosition(x, y);
    static const uint32_t kDown[3] = {kWmLButtonDown, kWmMButtonDown, kWmRButtonDown};
    static const uint32_t kUp[3] = {kWmLButtonUp, kWmMButtonUp, kWmRButtonUp};
    switch (type) {
    case EMSCRIPTEN_EVENT_MOUSEDOWN:
        if (e->button < 3)
            Post(kDown[e->button], 0, at);
        break;
    case EMSCRIPTEN_EVENT_MOUSEUP:
        if (e->button < 3)
            Post(kUp[e->button], 0, at);
        break;
    default:
        Post(kWmMouseMove, 0, at);
        break;
    }
    return EM_TRUE;
}

// The DOM's keyCode values are the desktop's virtual-key codes for the keys
// the program reads (letters, digits, Escape, Return, arrows, F keys).
EM_BOOL OnKey(int type, const EmscriptenKeyboardEvent *e, void *) {
    if (e->repeat && type == EMSCRIPTEN_EVENT_KEYDOWN)
        return EM_FALSE;
    if (e->keyCode == 0 || e->keyCode > 0xFF)
        return EM_FALSE;
    Post(type == EMSCRIPTEN_EVENT_KEYDOWN ? kWmKeyDown : kWmKeyUp, e->keyCode, 0);
    return EM_FALSE; // the page's own keys keep working
}

EM_BOOL OnVisibility(int, const EmscriptenVisibilityChangeEvent *e, void *) {
    const bool hidden = e->hidden != 0;
    Post(kWmActivate, PackActivate(hidden ? kActivateInactive : kActivateActive, hidden), 0);
    return EM_FALSE;
}

EM_JS(void, ShowDialog, (const char *caption, const char *text, const int *answers,
                         const char *const *labels, int count, int returnAnswer,
                         int escapeAnswer), {
    var dialog = document.createElement('div');
    dialog.id = 'ml-dialog';
    dialog.setAttribute('role', 'dialog');
    dialog.setAttribute('aria-modal', 'true');
    var title = document.createElement('h1');
    title.textContent = UTF8ToString(caption);
    var body = document.createElement('p');
    body.textContent = UTF8ToString(text);
    dialog.appendChild(title);
    dialog.appendChild(body);
    var row = document.createElement('div');
    row.className = 'ml-buttons';
    dialog.appendChild(row);
    var done = false;
    function answer(code) {
        if (done) return;
        done = true;
        document.removeEventListener('keydown', onKey, true);
        dialog.remove();
        Module['_ml_web_answered'](code);
    }
    function onKey(e) {
        if (e.key === 'Enter') { e.preventDefault(); answer(returnAnswer); }
        else if (e.key === 'Escape') { e.preventDefault(); answer(escapeAnswer); }
    }
    for (var i = 0; i < count; ++i) {
        var b = document.createElement('button');
        b.textContent = UTF8ToString(HEAP32[(labels >> 2) + i]);
        b.dataset.answer = HEAP32[(answers >> 2) + i];
        b.addEventListener('click', function(e) { answer(Number(e.target.dataset.answer)); });
        if (HEAP32[(answers >> 2) + i] === returnAnswer) b.className = 'ml-default';
        row.appendChild(b);
    }
    document.addEventListener('keydown', onKey, true);
    document.body.appendChild(dialog);
    var first = row.querySelector('.ml-default') || row.firstChild;
    if (first) first.focus();
});

EM_JS(void, ShowEndScreen, (), {
    var canvas = document.getElementById('canvas');
    if (canvas) canvas.classList.add('ml-ended');
    var end = document.getElementById('ml-end');
    if (end) end.hidden = false;
});

EM_JS(void, SetCanvasStyleSize, (int width, int height), {
    var canvas = document.getElementById('canvas');
    canvas.style.width = width + 'px';
    canvas.style.height = height + 'px';
});

void ShowBox(const char *caption, const char *text, const MessageBoxLayout &layout) {
    int answers[3];
    const char *labels[3];
    for (int i = 0; i < layout.buttonCount && i < 3; ++i) {
        answers[i] = layout.buttons[i].answer;
        labels[i] = layout.buttons[i].text;
    }
    ShowDialog(caption ? caption : "", text ? text : "", answers, labels, layout.buttonCount,
               layout.returnAnswer, layout.escapeAnswer);
}

} // namespace

extern "C" EMSCRIPTEN_KEEPALIVE void ml_web_answered(int answer) {
    void (*answered)(int) = g_web.answered;
    g_web.answered = nullptr;
    if (answered)
        answered(answer);
}

void PlatformWebAsk(const char *caption, const char *text, const MessageBoxLayout &layout,
                    void (*answered)(int)) {
    g_web.answered = answered;
    ShowBox(caption, text, layout);
}

bool PlatformWebMessagesWaiting() { return g_web.count > 0; }

void PlatformWebShowEndScreen() { ShowEndScreen(); }

// A page cannot wait for the answer: the box is shown and the Return answer
// given at once (the boxes shown this way only report, with one button).
int PlatformMessageBox(const char *caption, const char *text, const MessageBoxLayout &layout) {
    ShowBox(caption, text, layout);
    return layout.returnAnswer;
}

bool CreateMainWindow(const char *title, int width, int height, int colourBits) {
    emscripten_set_window_title(title);
    if (emscripten_set_canvas_element_size(kCanvas, width, height) != EMSCRIPTEN_RESULT_SUCCESS) {
        ShowBox(kErrorCaption, kTextWindowCreation, DecodeMessageStyle(0x30));
        return false;
    }
    SetCanvasStyleSize(width, height);
    g_web.width = width;
    g_web.height = height;
    EmscriptenWebGLContextAttributes attrs;
    emscripten_webgl_init_context_attributes(&attrs);
    attrs.alpha = colourBits >= 32 ? EM_TRUE : EM_FALSE;
    attrs.depth = EM_TRUE;
    attrs.stencil = EM_FALSE;
    attrs.antialias = EM_FALSE;
    attrs.premultipliedAlpha = EM_FALSE;
    attrs.majorVersion = 1;
    g_web.context = emscripten_webgl_create_context(kCanvas, &attrs);
    if (g_web.context <= 0) {
        g_web.context = 0;
        ShowBox(kErrorCaption, kTextCreateContext, DecodeMessageStyle(0x30));
        return false;
    }
    if (emscripten_webgl_make_context_current(g_web.context) != EMSCRIPTEN_RESULT_SUCCESS) {
        DestroyMainWindow();
        ShowBox(kErrorCaption, kTextActivateContext, DecodeMessageStyle(0x30));
        return false;
    }
    if (!g_web.callbacksSet) {
        g_web.callbacksSet = true;
        emscripten_set_mousedown_callback(kCanvas, nullptr, EM_TRUE, OnMouse);
        emscripten_set_mouseup_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_TRUE, OnMouse);
        emscripten_set_mousemove_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_TRUE,
                                          OnMouse);
        emscripten_set_keydown_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_TRUE, OnKey);
        emscripten_set_keyup_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_TRUE, OnKey);
        emscripten_set_visibilitychange_callback(nullptr, EM_TRUE, OnVisibility);
    }
    Post(kWmActivate, PackActivate(kActivateActive, false), 0);
    ResizeViewport(width, height);
    return true;
}

void DestroyMainWindow() {
    if (g_web.context) {
        emscripten_webgl_make_context_current(0);
        emscripten_webgl_destroy_context(g_web.context);
        g_web.context = 0;
    }
}

bool PlatformPollMessage(WindowMessage *msg) {
    if (g_web.count == 0)
        return false;
    *msg = g_web.queue[g_web.head];
    g_web.head = (g_web.head + 1) % kQueueSize;
    --g_web.count;
    return true;
}

void PlatformPostQuit() { Post(kWmQuit, 0, 0); }

void PlatformCaptureMouse(bool capture) { g_web.captured = capture; }

intptr_t PlatformDefaultWindowProc(const WindowMessage &) { return 0; }

// The browser shows the drawing buffer when the animation frame returns;
// what is left is to draw the batch still held.
bool PlatformSwapBuffers() {
    if (!g_web.context)
        return false;
    FlushWebGlBatch();
    return true;
}

// performance.now in microseconds.
int64_t PlatformCounter() { return static_cast<int64_t>(emscripten_get_now() * 1000.0); }
int64_t PlatformCounterFrequency() { return 1000000; }
