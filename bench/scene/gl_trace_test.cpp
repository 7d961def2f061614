// The trace file: what is saved loads back the same, and damaged files are
// refused without reading past what they hold.
#include "gl_trace.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <unistd.h>
#include <string>
#include <vector>

namespace {

gltrace::Op MakeOp(uint32_t code, int32_t first, uint32_t blobBytes = 0) {
    gltrace::Op op;
    std::memset(&op, 0, sizeof op);
    op.code = code;
    op.blobBytes = blobBytes;
    op.arg.i[0] = first;
    return op;
}

gltrace::Trace SampleTrace() {
    gltrace::Trace t;
    t.width = 4;
    t.height = 2;
    t.setup.ops = {MakeOp(gltrace::kEnable, 0x0BC0), MakeOp(gltrace::kGenTextures, 1)};
    t.setup.blobs = {{}, {}};
    gltrace::Op image = MakeOp(gltrace::kTexImage2D, 0x0DE1, 16);
    t.frame.ops = {MakeOp(gltrace::kClear, 0x4000), image, MakeOp(gltrace::kEnd, 0)};
    t.frame.ops[0].arg.f[1] = 0.25f;
    t.frame.blobs = {{}, std::vector<uint8_t>(16), {}};
    for (int k = 0; k < 16; ++k)
        t.frame.blobs[1][k] = static_cast<uint8_t>(k * 7);
    t.pixels.assign(4 * 2 * 4, 0x5A);
    return t;
}

// One file per process and test case: ctest runs the cases side by side, and
// other checkouts may run the same suite at the same time. Removed when the
// case ends.
struct TempFile {
    explicit TempFile(const char *name) {
        const ::testing::TestInfo *info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string tag = std::string(info->test_suite_name()) + "." + info->name();
        for (char &c : tag)
            if (c == '/')
                c = '_';
        path = ::testing::TempDir() + std::to_string(getpid()) + "_" + tag + "_" + name;
    }
    ~TempFile() { std::remove(path.c_str()); }
    TempFile(const TempFile &) = delete;
    TempFile &operator=(const TempFile &) = delete;
    std::string path;
};

std::vector<uint8_t> ReadAll(const std::string &path) {
    std::vector<uint8_t> bytes;
    if (std::FILE *f = std::fopen(path.c_str(), "rb")) {
        int c;
        while ((c = std::fgetc(f)) != EOF)
            bytes.push_back(static_cast<uint8_t>(c));
        std::fclose(f);
    }
    return bytes;
}

void WriteAll(const std::string &path, const std::vector<uint8_t> &bytes) {
    std::FILE *f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(nullptr, f);
    ASSERT_EQ(bytes.size(), std::fwrite(bytes.data(), 1, bytes.size(), f));
    std::fclose(f);
}

void ExpectSameStream(const gltrace::Stream &a, const gltrace::Stream &b) {
    ASSERT_EQ(a.ops.size(), b.ops.size());
    for (size_t k = 0; k < a.ops.size(); ++k) {
        EXPECT_EQ(0, std::memcmp(&a.ops[k], &b.ops[k], sizeof(gltrace::Op))) << "op " << k;
        EXPECT_EQ(a.blobs[k], b.blobs[k]) << "blob " << k;
    }
}

TEST(GlTrace, SavedTraceLoadsBackUnchanged) {
    const gltrace::Trace t = SampleTrace();
    const TempFile file("trace_roundtrip.bin");
    const std::string &path = file.path;
    ASSERT_TRUE(gltrace::Save(path.c_str(), t));
    gltrace::Trace back;
    ASSERT_TRUE(gltrace::Load(path.c_str(), back));
    EXPECT_EQ(4u, back.width);
    EXPECT_EQ(2u, back.height);
    ExpectSameStream(t.setup, back.setup);
    ExpectSameStream(t.frame, back.frame);
    EXPECT_EQ(t.pixels, back.pixels);
    EXPECT_EQ(0.25f, back.frame.ops[0].arg.f[1]);
}

TEST(GlTrace, EveryTruncationIsRefused) {
    const TempFile file("trace_full.bin");
    const std::string &path = file.path;
    ASSERT_TRUE(gltrace::Save(path.c_str(), SampleTrace()));
    const std::vector<uint8_t> full = ReadAll(path);
    ASSERT_GT(full.size(), sizeof(gltrace::Header));
    const TempFile cutFile("trace_cut.bin");
    const std::string &cut = cutFile.path;
    for (size_t size = 0; size < full.size(); ++size) {
        WriteAll(cut, std::vector<uint8_t>(full.begin(), full.begin() + long(size)));
        gltrace::Trace t;
        EXPECT_FALSE(gltrace::Load(cut.c_str(), t)) << "cut at " << size;
    }
}

// A damaged field at a byte offset of the file, and the value written there.
struct Damage {
    const char *what;
    size_t offset;
    uint32_t value;
};

constexpr size_t kHeader = sizeof(gltrace::Header);
constexpr size_t kOp = sizeof(gltrace::Op);

const Damage kDamages[] = {
    {"magic", 0, 0x12345678u},
    {"version", 4, 2u},
    {"zero width", 8, 0u},
    {"huge height", 12, 100000u},
    {"more set-up records than the file holds", 16, 1000u},
    {"frame record count past the limit", 20, 0xFFFFFFFFu},
    {"more pixels than the screen has", 24, 4u * 2u * 4u + 4u},
    {"unknown call code", kHeader, gltrace::kCodeCount},
    {"blob larger than the limit", kHeader + 4, 65u << 20},
    {"blob running past the end", kHeader + 2 * kOp + kOp + 4, 1u << 20},
};

class GlTraceDamage : public ::testing::TestWithParam<Damage> {};

TEST_P(GlTraceDamage, IsRefused) {
    const Damage &d = GetParam();
    const TempFile file("trace_damaged.bin");
    const std::string &path = file.path;
    ASSERT_TRUE(gltrace::Save(path.c_str(), SampleTrace()));
    std::vector<uint8_t> bytes = ReadAll(path);
    ASSERT_LE(d.offset + 4, bytes.size());
    std::memcpy(bytes.data() + d.offset, &d.value, 4);
    WriteAll(path, bytes);
    gltrace::Trace t;
    EXPECT_FALSE(gltrace::Load(path.c_str(), t)) << d.what;
}

INSTANTIATE_TEST_SUITE_P(Fields, GlTraceDamage, ::testing::ValuesIn(kDamages));

TEST(GlTrace, MissingFileIsRefused) {
    gltrace::Trace t;
    EXPECT_FALSE(gltrace::Load(TempFile("no_such_trace.bin").path.c_str(), t));
    EXPECT_FALSE(gltrace::Save("/nonexistent-dir/trace.bin", SampleTrace()));
}

} // namespace
