#include "scene/fake_stream_player.h"

#include <map>

std::vector<StreamCall> g_streamCalls;
int g_fakePosition = 0;

namespace {

// Path of each open record (records are never reused while open).
std::map<const SoundStream *, std::string> &Paths() {
    static std::map<const SoundStream *, std::string> paths;
    return paths;
}

void Log(const char *op, const SoundStream *s, int value) {
    g_streamCalls.push_back({op, s ? Paths()[s] : std::string("(null)"), value});
}

} // namespace

void ResetFakeStreams() {
    g_streamCalls.clear();
    g_fakePosition = 0;
}

std::vector<StreamCall> CallsOf(const std::string &op) {
    std::vector<StreamCall> out;
    for (const StreamCall &c : g_streamCalls)
        if (c.op == op)
            out.push_back(c);
    return out;
}

bool InitSound() { return true; }

SoundStream *OpenStream(const char *path) {
    SoundStream *s = new SoundStream{false, nullptr, -1, 0};
    Paths()[s] = path;
    Log("open", s, 0);
    return s;
}

bool PlayStream(SoundStream *s, int loop) {
    Log("play", s, loop);
    if (!s)
        return false;
    s->loop = loop == 1;
    s->channel = 0;
    return true;
}

void StopStream(SoundStream *s) {
    Log("stop", s, 0);
    if (s)
        s->channel = -1;
}

void PauseStream(SoundStream *s) {
    Log("pause", s, 0);
    if (s)
        s->channel = -1;
}

void ResumeStream(SoundStream *s) {
    Log("resume", s, 0);
    if (s)
        s->channel = 0;
}

void CloseStream(SoundStream *s) {
    Log("close", s, 0);
    if (!s)
        return;
    Paths().erase(s);
    delete s;
}

int32_t GetStreamPosition(SoundStream *s) {
    Log("get", s, 0);
    return s && s->channel != -1 ? g_fakePosition : 0;
}

void SetStreamPosition(SoundStream *s, int32_t position) {
    Log("set", s, position);
    if (s && s->channel != -1)
        g_fakePosition = position;
}
