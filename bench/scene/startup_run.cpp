// Start-up of the diagnostics variant with the size question answered at once:
// starts the program, answers its "Resolution" box (Escape, 1024 x 768) the
// moment the box is mapped, and prints the monotonic times (milliseconds after
// the program was started) at which the box was mapped and answered.
// With --run-ms N the program is stopped N ms after its start: first asked for
// a diagnostics sample (SIGUSR1), then its peak and current resident sizes are
// read from /proc/<pid>/status, then it is ended (SIGTERM).
// Usage: startup_run [--run-ms N] <program> [args...]   (needs DISPLAY; the
// program's own output goes to this process's standard output and error)
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>

#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace {

double NowMs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) * 1e-6;
}

// True when the window's WM_NAME or _NET_WM_NAME holds `title` (the bytes of
// an ASCII title are the same in every encoding X uses for names).
bool HasTitle(Display *d, Window w, const char *title) {
    const Atom props[2] = {XA_WM_NAME, XInternAtom(d, "_NET_WM_NAME", False)};
    for (Atom prop : props) {
        Atom type = None;
        int format = 0;
        unsigned long items = 0, after = 0;
        unsigned char *value = nullptr;
        if (XGetWindowProperty(d, w, prop, 0, 256, False, AnyPropertyType, &type, &format, &items,
                               &after, &value) != Success)
            continue;
        const bool match = value && format == 8 && items == std::strlen(title) &&
                           std::memcmp(value, title, items) == 0;
        if (value)
            XFree(value);
        if (match)
            return true;
    }
    return false;
}

// Escape pressed and released in the box (the box acts on the release of the
// key it saw pressed).
void SendEscape(Display *d, Window w) {
    XKeyEvent key{};
    key.display = d;
    key.window = w;
    key.root = DefaultRootWindow(d);
    key.subwindow = None;
    key.time = CurrentTime;
    key.same_screen = True;
    key.keycode = XKeysymToKeycode(d, XK_Escape);
    key.type = KeyPress;
    XSendEvent(d, w, True, KeyPressMask, reinterpret_cast<XEvent *>(&key));
    key.type = KeyRelease;
    XSendEvent(d, w, True, KeyReleaseMask, reinterpret_cast<XEvent *>(&key));
    XFlush(d);
}

// The value (kB) of one "Name:   N kB" line of /proc/<pid>/status, or -1.
long StatusKb(pid_t pid, const char *name) {
    char path[64];
    std::snprintf(path, sizeof path, "/proc/%d/status", static_cast<int>(pid));
    std::FILE *f = std::fopen(path, "r");
    if (!f)
        return -1;
    char line[256];
    long value = -1;
    const size_t n = std::strlen(name);
    while (std::fgets(line, sizeof line, f))
        if (std::strncmp(line, name, n) == 0 && line[n] == ':') {
            value = std::strtol(line + n + 1, nullptr, 10);
            break;
        }
    std::fclose(f);
    return value;
}

// Handles X events for `ms` milliseconds (answering the box if it shows);
// false when the program ended meanwhile.
struct Watch {
    Display *d;
    pid_t child;
    double start;
    double mapped = -1.0;
    double answered = -1.0;
    int status = 0;
    bool ended = false;

    bool Run(double untilMs) {
        const int fd = ConnectionNumber(d);
        while (untilMs < 0.0 || NowMs() - start < untilMs) {
            if (waitpid(child, &status, WNOHANG) == child) {
                ended = true;
                return false;
            }
            while (XPending(d)) {
                XEvent e;
                XNextEvent(d, &e);
                if (e.type != MapNotify || answered >= 0.0)
                    continue;
                const Window w = e.xmap.window;
                if (!HasTitle(d, w, "Resolution"))
                    continue;
                mapped = NowMs() - start;
                SendEscape(d, w);
                answered = NowMs() - start;
            }
            pollfd p{fd, POLLIN, 0};
            poll(&p, 1, 20);
        }
        return true;
    }
};

} // namespace

int main(int argc, char **argv) {
    int first = 1;
    double runMs = -1.0;
    if (argc > 3 && std::strcmp(argv[1], "--run-ms") == 0) {
        runMs = std::atof(argv[2]);
        first = 3;
    }
    if (argc <= first) {
        std::fprintf(stderr, "usage: startup_run [--run-ms N] <program> [args...]\n");
        return 2;
    }
    Display *d = XOpenDisplay(nullptr);
    if (!d) {
        std::fprintf(stderr, "startup_run: no display\n");
        return 2;
    }
    // Watch every top-level window being mapped, before the program exists.
    XSelectInput(d, DefaultRootWindow(d), SubstructureNotifyMask);
    XSync(d, False);

    const double start = NowMs();
    const pid_t child = fork();
    if (child == 0) {
        execv(argv[first], argv + first);
        _exit(127);
    }
    if (child < 0)
        return 2;

    Watch watch{d, child, start};
    long peakKb = -1, residentKb = -1;
    if (watch.Run(runMs)) {
        kill(child, SIGUSR1);
        watch.Run(runMs + 500.0);
        peakKb = StatusKb(child, "VmHWM");
        residentKb = StatusKb(child, "VmRSS");
        kill(child, SIGTERM);
        waitpid(child, &watch.status, 0);
    }
    if (runMs >= 0.0)
        std::printf("startup-run: run-ms=%.0f vmhwm-kb=%ld vmrss-kb=%ld ended-early=%d\n", runMs,
                    peakKb, residentKb, watch.ended ? 1 : 0);
    const double mapped = watch.mapped, answered = watch.answered;
    const int status = watch.status;
    std::printf("startup-run: box-mapped-ms=%.3f box-answered-ms=%.3f exit=%d\n", mapped, answered,
                WIFEXITED(status) ? WEXITSTATUS(status) : -1);
    XCloseDisplay(d);
    return 0;
}
