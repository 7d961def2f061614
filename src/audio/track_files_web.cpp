// The page's track files: the stream player reads the growing track buffers,
// which the page fills through these exports as each download's chunks come
// in (index.html copies a chunk to ml_track_space, then calls
// ml_track_arrived).
#include "audio/stream_files.h"
#include "audio/track_buffers.h"

#include <emscripten.h>

SndFileFunctions StreamFileFunctions() {
    return TrackFileFunctions();
}

// A download of name has started; returns the id the other calls take.
extern "C" EMSCRIPTEN_KEEPALIVE int ml_track_begin(const char *name) {
    return TrackBufferBegin(name);
}

// The announced size in bytes (Content-Length); negative when unknown.
extern "C" EMSCRIPTEN_KEEPALIVE void ml_track_size(int id, int totalBytes) {
    TrackBufferSetSize(id, totalBytes);
}

// Where the next count bytes go; 0 when the buffer cannot take them.
extern "C" EMSCRIPTEN_KEEPALIVE unsigned char *ml_track_space(int id, int count) {
    return TrackBufferSpace(id, count);
}

extern "C" EMSCRIPTEN_KEEPALIVE void ml_track_arrived(int id, int count) {
    TrackBufferArrived(id, count);
}

// The download ended or failed; what arrived is the whole file.
extern "C" EMSCRIPTEN_KEEPALIVE void ml_track_end(int id) {
    TrackBufferEnd(id);
}
