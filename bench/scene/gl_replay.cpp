// The minimal program the scene's frame cost is compared with: the same window,
// and the GL calls of one recorded scene frame issued again from the recorded
// data, with nothing else computed. Usage:
//   gl_replay <trace file> [--frames 2000] [--warmup 50] [--upload-once]
// Prints the time per frame and how many pixels of the replayed frame, before
// and after the timed frames, differ from the recorded one. --upload-once leaves the texture uploads out of the
// timed frames (the textures stay as the warm-up uploaded them): the frame as
// it would cost without the re-upload at every bind.
#include "frame_clock.h"
#include "gl_trace.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// The records of a stream with a pointer to each one's data (null if none).
struct Prepared {
    std::vector<gltrace::Op> ops;
    std::vector<const void *> data;
};

Prepared Prepare(const gltrace::Stream &s) {
    Prepared p;
    p.ops = s.ops;
    p.data.resize(s.ops.size(), nullptr);
    for (size_t k = 0; k < s.ops.size(); ++k)
        if (!s.blobs[k].empty())
            p.data[k] = s.blobs[k].data();
    return p;
}

// The stream without its texture uploads.
Prepared WithoutUploads(const Prepared &p) {
    Prepared out;
    for (size_t k = 0; k < p.ops.size(); ++k)
        if (p.ops[k].code != gltrace::kTexImage2D) {
            out.ops.push_back(p.ops[k]);
            out.data.push_back(p.data[k]);
        }
    return out;
}

bool HasFlag(int argc, char **argv, const char *flag) {
    for (int k = 1; k < argc; ++k)
        if (std::strcmp(argv[k], flag) == 0)
            return true;
    return false;
}

// Gives texture names of the recording to the names this context handed out.
void RenameTextures(Prepared &p, const std::vector<GLuint> &from, const std::vector<GLuint> &to) {
    for (gltrace::Op &op : p.ops) {
        if (op.code != gltrace::kBindTexture)
            continue;
        for (size_t k = 0; k < from.size(); ++k)
            if (static_cast<GLuint>(op.arg.i[1]) == from[k]) {
                op.arg.i[1] = static_cast<int32_t>(to[k]);
                break;
            }
    }
}

void Issue(const Prepared &p, std::vector<GLuint> *recordedNames, std::vector<GLuint> *ourNames) {
    const size_t n = p.ops.size();
    for (size_t k = 0; k < n; ++k) {
        const gltrace::Op &op = p.ops[k];
        const int32_t *i = op.arg.i;
        const float *f = op.arg.f;
        const double *d = op.arg.d;
        switch (op.code) {
        case gltrace::kAlphaFunc:
            glAlphaFunc(GLenum(i[0]), f[1]);
            break;
        case gltrace::kBegin:
            glBegin(GLenum(i[0]));
            break;
        case gltrace::kBindTexture:
            glBindTexture(GLenum(i[0]), GLuint(i[1]));
            break;
        case gltrace::kBlendFunc:
            glBlendFunc(GLenum(i[0]), GLenum(i[1]));
            break;
        case gltrace::kClear:
            glClear(GLbitfield(i[0]));
            break;
        case gltrace::kClearColor:
            glClearColor(f[0], f[1], f[2], f[3]);
            break;
        case gltrace::kClearDepth:
            glClearDepth(d[0]);
            break;
        case gltrace::kColor4ub:
            glColor4ub(op.arg.ub[0], op.arg.ub[1], op.arg.ub[2], op.arg.ub[3]);
            break;
        case gltrace::kDepthFunc:
            glDepthFunc(GLenum(i[0]));
            break;
        case gltrace::kDepthMask:
            glDepthMask(GLboolean(i[0]));
            break;
        case gltrace::kDepthRange:
            glDepthRange(d[0], d[1]);
            break;
        case gltrace::kDisable:
            glDisable(GLenum(i[0]));
            break;
        case gltrace::kEnable:
            glEnable(GLenum(i[0]));
            break;
        case gltrace::kEnd:
            glEnd();
            break;
        case gltrace::kFrontFace:
            glFrontFace(GLenum(i[0]));
            break;
        case gltrace::kGenTextures: {
            const int count = i[0] < 0 ? 0 : (i[0] > 8 ? 8 : i[0]);
            GLuint names[8] = {};
            glGenTextures(count, names);
            for (int k2 = 0; k2 < count && recordedNames; ++k2) {
                recordedNames->push_back(GLuint(i[1 + k2]));
                ourNames->push_back(names[k2]);
            }
            break;
        }
        case gltrace::kHint:
            glHint(GLenum(i[0]), GLenum(i[1]));
            break;
        case gltrace::kLightfv:
            glLightfv(GLenum(i[0]), GLenum(i[1]), f + 2);
            break;
        case gltrace::kLoadIdentity:
            glLoadIdentity();
            break;
        case gltrace::kLoadMatrixf:
            glLoadMatrixf(f);
            break;
        case gltrace::kMateriali:
            glMateriali(GLenum(i[0]), GLenum(i[1]), i[2]);
            break;
        case gltrace::kMatrixMode:
            glMatrixMode(GLenum(i[0]));
            break;
        case gltrace::kNormal3f:
            glNormal3f(f[0], f[1], f[2]);
            break;
        case gltrace::kOrtho:
            glOrtho(d[0], d[1], d[2], d[3], d[4], d[5]);
            break;
        case gltrace::kPerspective:
            gluPerspective(d[0], d[1], d[2], d[3]);
            break;
        case gltrace::kPixelStorei:
            glPixelStorei(GLenum(i[0]), i[1]);
            break;
        case gltrace::kPopMatrix:
            glPopMatrix();
            break;
        case gltrace::kPushMatrix:
            glPushMatrix();
            break;
        case gltrace::kScissor:
            glScissor(i[0], i[1], i[2], i[3]);
            break;
        case gltrace::kShadeModel:
            glShadeModel(GLenum(i[0]));
            break;
        case gltrace::kTexCoord2f:
            glTexCoord2f(f[0], f[1]);
            break;
        case gltrace::kTexImage2D:
            glTexImage2D(GLenum(i[0]), i[1], i[2], i[3], i[4], i[5], GLenum(i[6]), GLenum(i[7]),
                         p.data[k]);
            break;
        case gltrace::kTexParameterf:
            glTexParameterf(GLenum(i[0]), GLenum(i[1]), f[2]);
            break;
        case gltrace::kVertex2f:
            glVertex2f(f[0], f[1]);
            break;
        case gltrace::kVertex3f:
            glVertex3f(f[0], f[1], f[2]);
            break;
        case gltrace::kViewport:
            glViewport(i[0], i[1], i[2], i[3]);
            break;
        default:
            break;
        }
    }
}

SDL_Window *g_window = nullptr;

void DrainEvents() {
    SDL_PumpEvents();
    SDL_Event e;
    while (SDL_PeepEvents(&e, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) == 1) {
    }
}

// Kept out of line so a profiler can collect exactly the measured frames
// (valgrind --toggle-collect=MeasuredReplayFrames).
__attribute__((noinline)) FrameTimes MeasuredReplayFrames(const Prepared &frame, int frames) {
    return TimeFrames(frames, [&frame] {
        DrainEvents();
        Issue(frame, nullptr, nullptr);
        SDL_GL_SwapWindow(g_window);
    });
}

// Pixels of the back buffer differing from the recorded frame by more than one
// step in any channel.
size_t DifferingPixels(const std::vector<uint8_t> &want, int width, int height) {
    std::vector<uint8_t> got(size_t(width) * height * 4);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, got.data());
    size_t differing = 0;
    for (size_t k = 0; k + 3 < got.size() && k + 3 < want.size(); k += 4)
        for (int c = 0; c < 3; ++c)
            if (std::abs(int(got[k + c]) - int(want[k + c])) > 1) {
                ++differing;
                break;
            }
    return differing;
}

} // namespace

int main(int argc, char **argv) {
    if (argc < 2) {
        std::fprintf(
            stderr,
            "usage: gl_replay <trace file> [--frames 2000] [--warmup 50] [--upload-once]\n");
        return 2;
    }
    const int frames = CountArg(argc, argv, "--frames", 2000);
    const int warmup = CountArg(argc, argv, "--warmup", 50);
    gltrace::Trace trace;
    if (!gltrace::Load(argv[1], trace)) {
        std::fprintf(stderr, "gl_replay: cannot read %s\n", argv[1]);
        return 1;
    }
    const int width = int(trace.width);
    const int height = int(trace.height);

    // The attributes and placement of the program's own window.
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "gl_replay: %s\n", SDL_GetError());
        return 1;
    }
    SDL_DisplayMode mode{};
    int x = 0, y = 0;
    if (SDL_GetDesktopDisplayMode(0, &mode) == 0) {
        x = (mode.w - width) >> 1;
        y = (mode.h - height) >> 1;
    }
    SDL_GL_ResetAttributes();
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
    g_window = SDL_CreateWindow("gl replay", x, y, width, height,
                                SDL_WINDOW_OPENGL | SDL_WINDOW_BORDERLESS | SDL_WINDOW_HIDDEN);
    SDL_GLContext context = g_window ? SDL_GL_CreateContext(g_window) : nullptr;
    if (!context) {
        std::fprintf(stderr, "gl_replay: %s\n", SDL_GetError());
        return 1;
    }
    SDL_GL_MakeCurrent(g_window, context);
    SDL_ShowWindow(g_window);
    SDL_RaiseWindow(g_window);

    std::vector<GLuint> recordedNames, ourNames;
    Issue(Prepare(trace.setup), &recordedNames, &ourNames);
    Prepared frame = Prepare(trace.frame);
    RenameTextures(frame, recordedNames, ourNames);

    for (int k = 0; k < warmup; ++k) {
        DrainEvents();
        Issue(frame, nullptr, nullptr);
        SDL_GL_SwapWindow(g_window);
    }
    Issue(frame, nullptr, nullptr);
    const size_t differing =
        trace.pixels.empty() ? 0 : DifferingPixels(trace.pixels, width, height);
    SDL_GL_SwapWindow(g_window);

    const bool uploadOnce = HasFlag(argc, argv, "--upload-once");
    if (uploadOnce)
        frame = WithoutUploads(frame);
    const FrameTimes t = MeasuredReplayFrames(frame, frames);
    // The timed frames must have drawn the recorded picture too.
    Issue(frame, nullptr, nullptr);
    const size_t differingAfter =
        trace.pixels.empty() ? 0 : DifferingPixels(trace.pixels, width, height);
    SDL_GL_SwapWindow(g_window);
    std::printf("replay%s: frames=%d ms-per-frame=%.3f cpu-ms-per-frame=%.3f calls-per-frame=%zu "
                "differing-pixels=%zu\n",
                uploadOnce ? "-upload-once" : "", frames, t.wall * 1000.0 / frames,
                t.cpu * 1000.0 / frames, frame.ops.size(), differing + differingAfter);

    SDL_GL_DeleteContext(context);
    SDL_DestroyWindow(g_window);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return differing + differingAfter == 0 ? 0 : 3;
}
