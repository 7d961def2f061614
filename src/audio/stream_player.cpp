// The stream player over the sound library; its file functions come from
// the platform (stream_files.h).
#include "audio/stream_player.h"

#include "audio/sound_library.h"
#include "audio/stream_files.h"

namespace {

constexpr int kMixRate = 44100;
constexpr int kChannelCount = 32;

int LoopCount(bool loop) {
    return loop ? SndLoopForever : SndLoopOnce;
}

bool HasStream(const SoundStream *stream) {
    return stream != nullptr && stream->stream != nullptr;
}

} // namespace

bool InitSound() {
    return SndStartup(kMixRate, kChannelCount);
}

void ShutdownSound() {
    SndShutdown();
}

SoundStream *OpenStream(const char *path) {
    auto *stream = new SoundStream{};
    SndSetFileFunctions(StreamFileFunctions());
    stream->channel = -1;
    stream->stream = SndOpenStream(path);
    return stream;
}

bool PlayStream(SoundStream *stream, int loop) {
    if (!HasStream(stream)) {
        return false;
    }
    stream->loop = loop == 1;
    SndSetLoopCount(stream->stream, LoopCount(stream->loop));
    stream->channel = SndPlayStream(stream->stream);
    return true;
}

void StopStream(SoundStream *stream) {
    if (!HasStream(stream)) {
        return;
    }
    SndStopStream(stream->stream);
    stream->channel = -1;
}

void PauseStream(SoundStream *stream) {
    if (!HasStream(stream)) {
        return;
    }
    stream->savedPosition = SndGetStreamPosition(stream->stream);
    SndStopStream(stream->stream);
    stream->channel = -1;
}

void ResumeStream(SoundStream *stream) {
    if (!HasStream(stream)) {
        return;
    }
    SndSetLoopCount(stream->stream, LoopCount(stream->loop));
    stream->channel = SndPlayStream(stream->stream);
    SndSetStreamPosition(stream->stream, stream->savedPosition);
}

void CloseStream(SoundStream *stream) {
    if (stream == nullptr) {
        return;
    }
    if (stream->stream != nullptr) {
        SndCloseStream(stream->stream);
    }
    delete stream;
}

std::int32_t GetStreamPosition(SoundStream *stream) {
    if (!HasStream(stream) || stream->channel == -1) {
        return 0;
    }
    return static_cast<std::int32_t>(SndGetChannelPosition(stream->channel));
}

void SetStreamPosition(SoundStream *stream, std::int32_t position) {
    if (!HasStream(stream) || stream->channel == -1) {
        return;
    }
    SndSetChannelPosition(stream->channel, position);
}
