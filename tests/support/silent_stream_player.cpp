// A stream player that opens and plays nothing, for programs that drive the
// real scene without sound work (fuzzing, frame benchmarks).
#include "audio/stream_player.h"

bool InitSound() {
    return false;
}

void ShutdownSound() {}

SoundStream *OpenStream(const char *) {
    return new SoundStream{false, nullptr, -1, 0};
}

bool PlayStream(SoundStream *stream, int loop) {
    if (stream)
        stream->loop = loop == 1;
    return false;
}

void StopStream(SoundStream *) {}
void PauseStream(SoundStream *) {}
void ResumeStream(SoundStream *) {}

void CloseStream(SoundStream *stream) {
    delete stream;
}

int32_t GetStreamPosition(SoundStream *) {
    return 0;
}

void SetStreamPosition(SoundStream *, int32_t) {}
