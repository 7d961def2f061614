#pragma once
// The file form of a recorded GL call stream: a header, the set-up calls made
// once (window, render device, scene construction), the calls of one frame,
// and the frame's pixels read back before its swap. Native byte order; the
// recorder and the replay run on the same machine.
#include <cstdint>
#include <cstdio>
#include <vector>

namespace gltrace {

constexpr uint32_t kMagic = 0x54474C4Du; // "MLGT"
constexpr uint32_t kVersion = 1;
constexpr uint32_t kMaxOps = 1u << 22; // records per stream a file may claim

enum Code : uint32_t {
    kAlphaFunc,
    kBegin,
    kBindTexture,
    kBlendFunc,
    kClear,
    kClearColor,
    kClearDepth,
    kColor4ub,
    kDepthFunc,
    kDepthMask,
    kDepthRange,
    kDisable,
    kEnable,
    kEnd,
    kFrontFace,
    kGenTextures, // i[0] count, i[1..] names handed out (at most 8 per call)
    kHint,
    kLightfv,
    kLoadIdentity,
    kLoadMatrixf, // f[0..15]
    kMateriali,
    kMatrixMode,
    kNormal3f,
    kOrtho,
    kPerspective, // the projection helper of GLU, d[0..3]
    kPixelStorei,
    kPopMatrix,
    kPushMatrix,
    kScissor,
    kShadeModel,
    kTexCoord2f,
    kTexImage2D, // i[0..7] target level internal w h border format type; pixels in the blob
    kTexParameterf,
    kVertex2f,
    kVertex3f,
    kViewport,
    kCodeCount
};

// One call: its code, the size of the blob that follows it in the file, and
// its arguments in their own types.
struct Op {
    uint32_t code;
    uint32_t blobBytes;
    union {
        int32_t i[16];
        float f[16];
        double d[8];
        uint8_t ub[64];
    } arg;
};
static_assert(sizeof(Op) == 72, "fixed record size");

struct Header {
    uint32_t magic;
    uint32_t version;
    uint32_t width;
    uint32_t height;
    uint32_t setupOps;
    uint32_t frameOps;
    uint32_t pixelBytes; // RGBA rows bottom-up, as glReadPixels gives them
    uint32_t reserved;
};

// A call stream held in memory: records and, per record, its blob (empty
// when the call has none).
struct Stream {
    std::vector<Op> ops;
    std::vector<std::vector<uint8_t>> blobs;
};

struct Trace {
    uint32_t width = 0;
    uint32_t height = 0;
    Stream setup;
    Stream frame;
    std::vector<uint8_t> pixels;
};

inline bool WriteStream(std::FILE *f, const Stream &s) {
    for (size_t k = 0; k < s.ops.size(); ++k) {
        if (std::fwrite(&s.ops[k], sizeof(Op), 1, f) != 1)
            return false;
        const std::vector<uint8_t> &b = s.blobs[k];
        if (!b.empty() && std::fwrite(b.data(), 1, b.size(), f) != b.size())
            return false;
    }
    return true;
}

inline bool ReadStream(std::FILE *f, uint32_t count, Stream &s) {
    s.ops.resize(count);
    s.blobs.resize(count);
    for (uint32_t k = 0; k < count; ++k) {
        Op &op = s.ops[k];
        if (std::fread(&op, sizeof(Op), 1, f) != 1 || op.code >= kCodeCount ||
            op.blobBytes > (64u << 20))
            return false;
        s.blobs[k].resize(op.blobBytes);
        if (op.blobBytes && std::fread(s.blobs[k].data(), 1, op.blobBytes, f) != op.blobBytes)
            return false;
    }
    return true;
}

// False when the file cannot be written.
inline bool Save(const char *path, const Trace &t) {
    std::FILE *f = std::fopen(path, "wb");
    if (!f)
        return false;
    const Header h{kMagic,
                   kVersion,
                   t.width,
                   t.height,
                   static_cast<uint32_t>(t.setup.ops.size()),
                   static_cast<uint32_t>(t.frame.ops.size()),
                   static_cast<uint32_t>(t.pixels.size()),
                   0};
    bool ok = std::fwrite(&h, sizeof h, 1, f) == 1 && WriteStream(f, t.setup) &&
              WriteStream(f, t.frame) &&
              (t.pixels.empty() ||
               std::fwrite(t.pixels.data(), 1, t.pixels.size(), f) == t.pixels.size());
    ok = std::fclose(f) == 0 && ok;
    return ok;
}

// False when the file is missing, truncated or not a trace of this version.
inline bool Load(const char *path, Trace &t) {
    std::FILE *f = std::fopen(path, "rb");
    if (!f)
        return false;
    Header h{};
    bool ok = std::fread(&h, sizeof h, 1, f) == 1 && h.magic == kMagic && h.version == kVersion &&
              h.width > 0 && h.width <= 8192 && h.height > 0 && h.height <= 8192 &&
              h.pixelBytes <= h.width * h.height * 4u && h.setupOps <= kMaxOps &&
              h.frameOps <= kMaxOps;
    ok = ok && ReadStream(f, h.setupOps, t.setup) && ReadStream(f, h.frameOps, t.frame);
    if (ok) {
        t.width = h.width;
        t.height = h.height;
        t.pixels.resize(h.pixelBytes);
        ok = h.pixelBytes == 0 || std::fread(t.pixels.data(), 1, h.pixelBytes, f) == h.pixelBytes;
    }
    std::fclose(f);
    return ok;
}

} // namespace gltrace
