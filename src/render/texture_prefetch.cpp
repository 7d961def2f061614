#include "render/texture_prefetch.h"

#include "app/resources.h"
#include "render/texture.h"
#include "render/texture_store.h"

#include <new>
#include <system_error>
#include <thread>

namespace {

constexpr int kMaxPrefetch = 16;

// One batch: the worker fills `textures`; the GL thread reads them only after
// joining it, so nothing here needs a lock.
struct Prefetch {
    std::thread worker;
    int count = 0;
    int ids[kMaxPrefetch] = {};
    CTexture *textures[kMaxPrefetch] = {};
};
Prefetch s_prefetch;

void DecodeAll() {
    for (int i = 0; i < s_prefetch.count; ++i) {
        uint32_t size = 0;
        const uint8_t *bytes = LoadTypedResourceBytes(s_prefetch.ids[i], "TEXTURES", &size);
        try {
            s_prefetch.textures[i] = bytes ? DecodeTextureStore(bytes, size) : nullptr;
        } catch (const std::bad_alloc &) {
            // Left to the GL thread, which decodes it again as if never asked.
        }
    }
}

void JoinWorker() {
    if (s_prefetch.worker.joinable())
        s_prefetch.worker.join();
}

} // namespace

void PrefetchTextureResources(const int *ids, int count) {
    if (s_prefetch.count > 0 || ids == nullptr || count <= 0)
        return;
    s_prefetch.count = count < kMaxPrefetch ? count : kMaxPrefetch;
    for (int i = 0; i < s_prefetch.count; ++i)
        s_prefetch.ids[i] = ids[i];
    try {
        s_prefetch.worker = std::thread(DecodeAll);
    } catch (const std::system_error &) {
        DecodeAll(); // no thread to be had: decode now rather than not at all
    }
}

CTexture *TakePrefetchedTexture(int id) {
    for (int i = 0; i < s_prefetch.count; ++i) {
        if (s_prefetch.ids[i] == id) {
            // The scene asks for all of them at once, so one wait serves all.
            JoinWorker();
            CTexture *texture = s_prefetch.textures[i];
            s_prefetch.textures[i] = nullptr;
            return texture;
        }
    }
    return nullptr;
}

void WaitTexturePrefetch() { JoinWorker(); }

void FinishTexturePrefetch() {
    JoinWorker();
    for (int i = 0; i < s_prefetch.count; ++i) {
        if (CTexture *texture = s_prefetch.textures[i]) {
            texture->ReleasePixels();
            delete texture;
        }
        s_prefetch.textures[i] = nullptr;
    }
    s_prefetch.count = 0;
}
