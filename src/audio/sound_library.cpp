// The sound library's streams, channels and mixer.
//
// Two sides share one short lock. The control side (the caller's thread)
// binds streams to channels and posts play and seek requests; it never touches
// a decoder once the stream is open. The audio side (the output device's
// thread) takes the requests at the start of each device buffer, then decodes
// and mixes without the lock, and publishes the positions at the end.
// The audio side never allocates or frees: streams are freed by the control
// side once no voice uses them any more.
#include "audio/sound_library.h"

#include "audio/sound_decoder.h"
#include "audio/sound_library_test.h"
#include "audio/sound_output.h"

#include <algorithm>
#include <cstdio>
#include <mutex>

struct SndStream {
    SndDecoder *decoder = nullptr;
    // Control side only.
    int loopCount = SndLoopOnce;
    int channel = -1;               // bound channel, -1 when stopped
    std::uint32_t restPosition = 0; // where the next play starts
    SndStream *next = nullptr;      // list of open or closing streams
    bool closed = false;
    // Shared under the lock.
    std::int64_t length = -1; // frames, -1 when unknown
    int voices = 0;           // audio-side voices that use the decoder
};

namespace {

constexpr int kMaxChannels = 64;
constexpr int kRampFrames = 128;   // start and stop fades, about 3 ms
constexpr int kChunkFrames = 1024; // mixing step inside one device buffer
constexpr int kBufferFrames = 1024;

// A channel as both sides see it (under the lock).
struct Channel {
    SndStream *stream = nullptr; // bound stream, written by the control side
    std::uint32_t request = 0;   // serial of the last play or seek here
    bool pending = false;        // a request the audio side has not taken yet
    bool resetLoops = false;     // the pending request is a play
    std::int64_t target = 0;     // start frame of the pending request
    std::uint32_t position = 0;  // next frame heard, published by the audio side
    bool playing = false;        // sounding, published by the audio side
};

// A channel as the audio side plays it (audio thread only).
struct Voice {
    SndStream *stream = nullptr;
    std::uint32_t request = 0;
    std::uint32_t position = 0;
    int loopsLeft = 0;
    int rampDone = kRampFrames;
    bool ended = true;
    int emptyWraps = 0;
    std::int64_t foundLength = -1;
    // Fade-out of what played before a stop, seek or restart.
    std::int16_t tail[kRampFrames * 2] = {};
    int tailCount = 0;
    int tailDone = 0;
};

// What one buffer's start does to a voice, decided under the lock.
struct Change {
    bool drop = false;
    bool start = false;
    SndStream *stream = nullptr;
    std::int64_t target = 0;
    bool resetLoops = false;
    int loopCount = 0;
};

struct LibraryState {
    std::mutex lock;
    bool running = false;
    int rate = 44100;
    int channelCount = 0;
    SndFileFunctions files{};
    Channel channels[kMaxChannels];
    SndStream *streams = nullptr;
    // Serial of the last play or seek request. Never reset while running, so
    // a stream stopped and played again on the same channel before the audio
    // side looked still counts as a new request.
    std::uint32_t lastRequest = 0;
    // Audio side only.
    Voice voices[kMaxChannels];
    Change changes[kMaxChannels];
    SndStream *released[kMaxChannels * 2];
    std::int32_t mixBuffer[kChunkFrames * 2];
    std::int16_t decodeBuffer[kChunkFrames * 2];
};

LibraryState g;

void *StdioOpen(const char *name) {
    return std::fopen(name, "rb");
}
int StdioClose(void *handle) {
    return std::fclose(static_cast<FILE *>(handle));
}
int StdioRead(void *buffer, int size, void *handle) {
    return static_cast<int>(
        std::fread(buffer, 1, static_cast<size_t>(size), static_cast<FILE *>(handle)));
}
int StdioSeek(void *handle, int position, signed char mode) {
    return std::fseek(static_cast<FILE *>(handle), position, mode);
}
int StdioTell(void *handle) {
    return static_cast<int>(std::ftell(static_cast<FILE *>(handle)));
}

const SndFileFunctions kStdioFiles = {StdioOpen, StdioClose, StdioRead, StdioSeek, StdioTell};

std::int64_t ClampToTrack(const SndStream *stream, std::int64_t position) {
    position = std::max<std::int64_t>(position, 0);
    if (stream->length >= 0) {
        position = std::min(position, stream->length);
    }
    return std::min<std::int64_t>(position, UINT32_MAX);
}

bool ValidChannel(int channel) {
    return g.running && channel >= 0 && channel < g.channelCount;
}

// Posts a play or seek to a bound channel. Caller holds the lock.
void RequestStart(Channel &channel, std::int64_t target, bool resetLoops) {
    channel.resetLoops = resetLoops || (channel.pending && channel.resetLoops);
    channel.request = ++g.lastRequest;
    channel.pending = true;
    channel.target = target;
    channel.position = static_cast<std::uint32_t>(target);
    channel.playing = true;
}

// Unbinds a stream from its channel. Caller holds the lock.
void Unbind(SndStream *stream) {
    if (stream->channel < 0) {
        return;
    }
    Channel &channel = g.channels[stream->channel];
    channel = Channel{};
    stream->channel = -1;
}

void FreeStream(SndStream *stream) {
    SndDecoderClose(stream->decoder);
    delete stream;
}

// Frees closed streams the audio side has let go of.
void SweepClosed() {
    SndStream *done = nullptr;
    {
        std::lock_guard<std::mutex> hold(g.lock);
        SndStream **link = &g.streams;
        while (*link != nullptr) {
            SndStream *stream = *link;
            if (stream->closed && stream->voices == 0) {
                *link = stream->next;
                stream->next = done;
                done = stream;
            } else {
                link = &stream->next;
            }
        }
    }
    while (done != nullptr) {
        SndStream *next = done->next;
        FreeStream(done);
        done = next;
    }
}

// ---- Audio side ----

void AddRamped(std::int32_t *mix, const std::int16_t *frames, int count, int &rampDone) {
    int ramped = std::min(count, kRampFrames - rampDone);
    for (int i = 0; i < ramped; i++) {
        mix[i * 2] += frames[i * 2] * rampDone / kRampFrames;
        mix[i * 2 + 1] += frames[i * 2 + 1] * rampDone / kRampFrames;
        rampDone++;
    }
    // Full level: a plain sum the compiler can vectorise.
    for (int i = ramped * 2; i < count * 2; i++) {
        mix[i] += frames[i];
    }
}

void AddTail(Voice &voice, std::int32_t *mix, int count) {
    int n = std::min(count, voice.tailCount - voice.tailDone);
    for (int i = 0; i < n; i++) {
        int gain = kRampFrames - voice.tailDone;
        mix[i * 2] += voice.tail[voice.tailDone * 2] * gain / kRampFrames;
        mix[i * 2 + 1] += voice.tail[voice.tailDone * 2 + 1] * gain / kRampFrames;
        voice.tailDone++;
    }
}

// The track ran out at the voice's position: wrap when loops remain, else end.
void HandleEnd(Voice &voice) {
    if (voice.loopsLeft != 0 && voice.emptyWraps == 0 && SndDecoderSeek(voice.stream->decoder, 0)) {
        if (voice.loopsLeft > 0) {
            voice.loopsLeft--;
        }
        voice.position = 0;
        voice.emptyWraps++;
        return;
    }
    voice.ended = true;
}

void Render(Voice &voice, std::int32_t *mix, int count) {
    int done = 0;
    while (done < count && !voice.ended) {
        bool ended = false;
        int got = SndDecoderRead(voice.stream->decoder, g.decodeBuffer, count - done, &ended);
        AddRamped(mix + done * 2, g.decodeBuffer, got, voice.rampDone);
        voice.position += static_cast<std::uint32_t>(got);
        done += got;
        if (got > 0) {
            voice.emptyWraps = 0;
        }
        if (ended) {
            voice.foundLength = voice.position;
            HandleEnd(voice);
        }
    }
}

// Takes the control side's requests; runs under the lock.
void TakeRequests() {
    for (int c = 0; c < g.channelCount; c++) {
        Channel &channel = g.channels[c];
        Voice &voice = g.voices[c];
        Change &change = g.changes[c];
        change = Change{};
        bool rebound = voice.stream != channel.stream;
        bool restarted = !rebound && channel.stream != nullptr && channel.pending &&
                         channel.request != voice.request;
        if (voice.stream != nullptr && (rebound || restarted)) {
            change.drop = true;
        }
        if (channel.stream != nullptr && (rebound || restarted)) {
            change.start = true;
            change.stream = channel.stream;
            change.target = channel.target;
            change.resetLoops = channel.resetLoops || rebound;
            change.loopCount = channel.stream->loopCount;
            channel.pending = false;
            voice.request = channel.request;
            if (rebound) {
                channel.stream->voices++;
            }
        }
    }
}

// Applies the requests taken: every fade-out first (it reads the old
// decoder position), then the starts, which seek.
int ApplyChanges() {
    int releasedCount = 0;
    for (int c = 0; c < g.channelCount; c++) {
        Voice &voice = g.voices[c];
        const Change &change = g.changes[c];
        if (!change.drop) {
            continue;
        }
        voice.tailCount = 0;
        voice.tailDone = 0;
        if (!voice.ended) {
            bool ended = false;
            voice.tailCount =
                SndDecoderRead(voice.stream->decoder, voice.tail, kRampFrames, &ended);
        }
        if (voice.stream != change.stream) {
            g.released[releasedCount++] = voice.stream;
            voice.stream = nullptr;
            voice.ended = true;
        }
    }
    for (int c = 0; c < g.channelCount; c++) {
        Voice &voice = g.voices[c];
        const Change &change = g.changes[c];
        if (!change.start) {
            continue;
        }
        voice.stream = change.stream;
        voice.position = static_cast<std::uint32_t>(change.target);
        voice.rampDone = 0;
        voice.ended = false;
        voice.emptyWraps = 0;
        if (change.resetLoops) {
            voice.loopsLeft = change.loopCount;
        }
        if (!SndDecoderSeek(voice.stream->decoder, change.target)) {
            HandleEnd(voice);
        }
    }
    return releasedCount;
}

void PublishState(int releasedCount) {
    for (int i = 0; i < releasedCount; i++) {
        g.released[i]->voices--;
    }
    for (int c = 0; c < g.channelCount; c++) {
        Channel &channel = g.channels[c];
        Voice &voice = g.voices[c];
        if (voice.stream != nullptr && voice.foundLength >= 0) {
            voice.stream->length = voice.foundLength;
        }
        voice.foundLength = -1;
        if (channel.stream != nullptr && channel.stream == voice.stream && !channel.pending) {
            channel.position = voice.position;
            channel.playing = !voice.ended;
        }
    }
}

void Mix(std::int16_t *out, int frameCount) {
    int releasedCount = 0;
    {
        std::lock_guard<std::mutex> hold(g.lock);
        TakeRequests();
    }
    releasedCount = ApplyChanges();
    for (int done = 0; done < frameCount;) {
        int count = std::min(kChunkFrames, frameCount - done);
        std::fill(g.mixBuffer, g.mixBuffer + count * 2, 0);
        for (int c = 0; c < g.channelCount; c++) {
            Voice &voice = g.voices[c];
            AddTail(voice, g.mixBuffer, count);
            if (voice.stream != nullptr) {
                Render(voice, g.mixBuffer, count);
            }
        }
        for (int i = 0; i < count * 2; i++) {
            out[done * 2 + i] =
                static_cast<std::int16_t>(std::clamp(g.mixBuffer[i], -32768, 32767));
        }
        done += count;
    }
    {
        std::lock_guard<std::mutex> hold(g.lock);
        PublishState(releasedCount);
    }
}

} // namespace

// ---- Control side ----

bool SndStartup(int mixRate, int channelCount) {
    if (g.running || mixRate <= 0 || channelCount < 1 || channelCount > kMaxChannels) {
        return false;
    }
    for (int c = 0; c < kMaxChannels; c++) {
        g.channels[c] = Channel{};
        g.voices[c] = Voice{};
    }
    g.rate = mixRate;
    g.channelCount = channelCount;
    g.files = kStdioFiles;
    g.streams = nullptr;
    if (!SndOutputOpen(mixRate, kBufferFrames, Mix)) {
        return false;
    }
    g.running = true;
    return true;
}

void SndShutdown() {
    if (!g.running) {
        return;
    }
    SndOutputClose();
    g.running = false;
    while (g.streams != nullptr) {
        SndStream *next = g.streams->next;
        FreeStream(g.streams);
        g.streams = next;
    }
    for (int c = 0; c < kMaxChannels; c++) {
        g.channels[c] = Channel{};
        g.voices[c] = Voice{};
    }
}

bool SndIsRunning() {
    return g.running;
}

void SndSetFileFunctions(const SndFileFunctions &functions) {
    bool complete = functions.open != nullptr && functions.close != nullptr &&
                    functions.read != nullptr && functions.seek != nullptr &&
                    functions.tell != nullptr;
    g.files = complete ? functions : kStdioFiles;
}

SndStream *SndOpenStream(const char *name) {
    if (!g.running) {
        return nullptr;
    }
    SweepClosed();
    SndDecoder *decoder = SndDecoderOpen(name, g.files, g.rate);
    if (decoder == nullptr) {
        return nullptr;
    }
    auto *stream = new SndStream;
    stream->decoder = decoder;
    stream->length = SndDecoderLength(decoder);
    std::lock_guard<std::mutex> hold(g.lock);
    stream->next = g.streams;
    g.streams = stream;
    return stream;
}

void SndCloseStream(SndStream *stream) {
    if (!g.running || stream == nullptr) {
        return;
    }
    {
        std::lock_guard<std::mutex> hold(g.lock);
        Unbind(stream);
        stream->closed = true;
    }
    SweepClosed();
}

bool SndSetLoopCount(SndStream *stream, int loopCount) {
    if (!g.running || stream == nullptr) {
        return false;
    }
    std::lock_guard<std::mutex> hold(g.lock);
    stream->loopCount = loopCount < 0 ? SndLoopForever : loopCount;
    return true;
}

int SndPlayStream(SndStream *stream) {
    if (!g.running || stream == nullptr) {
        return -1;
    }
    std::lock_guard<std::mutex> hold(g.lock);
    if (stream->channel >= 0) {
        RequestStart(g.channels[stream->channel], 0, true);
        return stream->channel;
    }
    for (int c = 0; c < g.channelCount; c++) {
        Channel &channel = g.channels[c];
        if (channel.stream == nullptr) {
            channel.stream = stream;
            stream->channel = c;
            RequestStart(channel, ClampToTrack(stream, stream->restPosition), true);
            return c;
        }
    }
    return -1;
}

bool SndStopStream(SndStream *stream) {
    if (!g.running || stream == nullptr) {
        return false;
    }
    std::lock_guard<std::mutex> hold(g.lock);
    Unbind(stream);
    stream->restPosition = 0;
    return true;
}

std::uint32_t SndGetStreamPosition(SndStream *stream) {
    if (!g.running || stream == nullptr) {
        return 0;
    }
    std::lock_guard<std::mutex> hold(g.lock);
    return stream->channel >= 0 ? g.channels[stream->channel].position : stream->restPosition;
}

bool SndSetStreamPosition(SndStream *stream, std::uint32_t position) {
    if (!g.running || stream == nullptr) {
        return false;
    }
    std::lock_guard<std::mutex> hold(g.lock);
    std::int64_t target = ClampToTrack(stream, position);
    if (stream->channel >= 0) {
        RequestStart(g.channels[stream->channel], target, false);
    } else {
        stream->restPosition = static_cast<std::uint32_t>(target);
    }
    return true;
}

std::uint32_t SndGetChannelPosition(int channel) {
    if (!ValidChannel(channel)) {
        return 0;
    }
    std::lock_guard<std::mutex> hold(g.lock);
    return g.channels[channel].stream != nullptr ? g.channels[channel].position : 0;
}

bool SndSetChannelPosition(int channel, std::int64_t position) {
    if (!ValidChannel(channel)) {
        return false;
    }
    std::lock_guard<std::mutex> hold(g.lock);
    Channel &bound = g.channels[channel];
    if (bound.stream == nullptr) {
        return false;
    }
    RequestStart(bound, ClampToTrack(bound.stream, position), false);
    return true;
}

bool SndIsChannelPlaying(int channel) {
    if (!ValidChannel(channel)) {
        return false;
    }
    std::lock_guard<std::mutex> hold(g.lock);
    return g.channels[channel].stream != nullptr && g.channels[channel].playing;
}

std::uint32_t SndGetUnderrunCount() {
    return SndOutputUnderrunCount();
}

// ---- Test controls ----

int SndTestRampFrames() {
    return kRampFrames;
}
