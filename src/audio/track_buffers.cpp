// Growing track buffers and the file functions over them.
#include "audio/track_buffers.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

// The size of a trailing tag, the part of an incomplete file read as zeros.
constexpr int kTrailingTagBytes = 128;

struct Buffer {
    std::vector<unsigned char> bytes; // bytes.size() is the room handed out so far
    int arrived = 0;
    int total = -1; // announced size, -1 while unknown
    bool complete = false;
};

struct Entry {
    std::string name;
    std::shared_ptr<Buffer> buffer;
};

struct File {
    std::shared_ptr<Buffer> buffer;
    long long position = 0;
};

struct TrackBuffers {
    std::vector<Entry> entries; // an id is an index here
    std::vector<File *> open;
};
TrackBuffers g_tracks;

std::string NormalName(const char *name) {
    std::string path(name);
    std::replace(path.begin(), path.end(), '\\', '/');
    if (path.compare(0, 2, "./") == 0) {
        path.erase(0, 2);
    }
    while (!path.empty() && path[0] == '/') {
        path.erase(0, 1);
    }
    return path;
}

Buffer *ById(int id) {
    if (id < 0 || id >= static_cast<int>(g_tracks.entries.size())) {
        return nullptr;
    }
    return g_tracks.entries[static_cast<size_t>(id)].buffer.get();
}

std::shared_ptr<Buffer> ByName(const char *name) {
    if (name == nullptr) {
        return nullptr;
    }
    const std::string path = NormalName(name);
    for (const Entry &entry : g_tracks.entries) {
        if (entry.name == path) {
            return entry.buffer;
        }
    }
    return nullptr;
}

bool Startable(const Buffer &buffer) {
    return buffer.complete || buffer.arrived >= kTrackReadyMargin;
}

void *OpenFile(const char *name) {
    std::shared_ptr<Buffer> buffer = ByName(name);
    if (!buffer || buffer->arrived == 0 || !Startable(*buffer)) {
        return nullptr;
    }
    auto *file = new File{buffer, 0};
    g_tracks.open.push_back(file);
    return file;
}

int CloseFile(void *handle) {
    auto *file = static_cast<File *>(handle);
    auto &open = g_tracks.open;
    open.erase(std::remove(open.begin(), open.end(), file), open.end());
    delete file;
    return 0;
}

int ReadFile(void *buffer, int size, void *handle) {
    auto *file = static_cast<File *>(handle);
    const Buffer &source = *file->buffer;
    if (size <= 0) {
        return 0;
    }
    int got = 0;
    if (file->position < source.arrived) {
        got = static_cast<int>(std::min<long long>(size, source.arrived - file->position));
        std::memcpy(buffer, source.bytes.data() + file->position, static_cast<size_t>(got));
        file->position += got;
    }
    const long long tagStart = static_cast<long long>(source.total) - kTrailingTagBytes;
    if (!source.complete && source.total >= 0 && got < size && file->position >= tagStart &&
        file->position < source.total) {
        const int zeros =
            static_cast<int>(std::min<long long>(size - got, source.total - file->position));
        std::memset(static_cast<unsigned char *>(buffer) + got, 0, static_cast<size_t>(zeros));
        got += zeros;
        file->position += zeros;
    }
    return got;
}

int SeekFile(void *handle, int position, signed char mode) {
    auto *file = static_cast<File *>(handle);
    long long base = 0;
    switch (mode) {
    case SEEK_SET:
        break;
    case SEEK_CUR:
        base = file->position;
        break;
    case SEEK_END:
        if (!file->buffer->complete && file->buffer->total < 0) {
            return -1;
        }
        base = file->buffer->complete ? file->buffer->arrived : file->buffer->total;
        break;
    default:
        return -1;
    }
    const long long target = base + position;
    if (target < 0 || target > kTrackMaxBytes) {
        return -1;
    }
    file->position = target;
    return 0;
}

int TellFile(void *handle) {
    return static_cast<int>(static_cast<File *>(handle)->position);
}

} // namespace

int TrackBufferBegin(const char *name) {
    if (name == nullptr || NormalName(name).empty()) {
        return -1;
    }
    const std::string path = NormalName(name);
    auto fresh = std::make_shared<Buffer>();
    auto &entries = g_tracks.entries;
    for (size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].name == path) {
            entries[i].buffer = fresh;
            return static_cast<int>(i);
        }
    }
    entries.push_back(Entry{path, fresh});
    return static_cast<int>(entries.size() - 1);
}

void TrackBufferSetSize(int id, int totalBytes) {
    Buffer *buffer = ById(id);
    if (buffer == nullptr || buffer->complete) {
        return;
    }
    if (totalBytes < 0 || totalBytes > kTrackMaxBytes) {
        buffer->total = -1;
        return;
    }
    buffer->total = std::max(totalBytes, buffer->arrived);
    buffer->bytes.reserve(static_cast<size_t>(buffer->total));
    if (buffer->arrived == buffer->total) {
        buffer->complete = true;
    }
}

unsigned char *TrackBufferSpace(int id, int count) {
    Buffer *buffer = ById(id);
    if (buffer == nullptr || buffer->complete || count < 0 ||
        count > kTrackMaxBytes - buffer->arrived) {
        return nullptr;
    }
    const size_t end = static_cast<size_t>(buffer->arrived + count);
    if (buffer->bytes.size() < end) {
        buffer->bytes.resize(end);
    }
    return buffer->bytes.data() + buffer->arrived;
}

void TrackBufferArrived(int id, int count) {
    Buffer *buffer = ById(id);
    if (buffer == nullptr || buffer->complete || count <= 0) {
        return;
    }
    long long arrived = static_cast<long long>(buffer->arrived) + count;
    arrived = std::min<long long>(arrived, static_cast<long long>(buffer->bytes.size()));
    if (buffer->total >= 0) {
        arrived = std::min<long long>(arrived, buffer->total);
    }
    buffer->arrived = static_cast<int>(arrived);
    if (buffer->arrived == buffer->total) {
        buffer->complete = true;
    }
}

void TrackBufferEnd(int id) {
    Buffer *buffer = ById(id);
    if (buffer != nullptr) {
        buffer->complete = true;
    }
}

bool TrackBufferStartable(const char *name) {
    std::shared_ptr<Buffer> buffer = ByName(name);
    return !buffer || Startable(*buffer);
}

bool TrackFilesReadable() {
    for (const File *file : g_tracks.open) {
        const Buffer &buffer = *file->buffer;
        if (!buffer.complete && buffer.arrived - file->position < kTrackReadyMargin) {
            return false;
        }
    }
    return true;
}

SndFileFunctions TrackFileFunctions() {
    return SndFileFunctions{OpenFile, CloseFile, ReadFile, SeekFile, TellFile};
}

void TrackBuffersClear() {
    g_tracks.entries.clear();
}
