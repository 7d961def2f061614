// The growing track buffers: reads and seeks around the arrived edge, the
// end of a file of known and unknown size, the readiness margin, and a real
// decode of a track while it arrives.
#include "audio/audio_fixture.h"
#include "audio/sound_decoder.h"
#include "audio/track_buffers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

using namespace audio_test;

namespace {

using Bytes = std::vector<unsigned char>;
constexpr const char *kName = "data/TrackA.mp3";

// Byte i of a test file; varies so misplaced reads show.
unsigned char ByteAt(int i) {
    return static_cast<unsigned char>((i * 7 + i / 251) & 0xff);
}

class TrackBuffersTest : public ::testing::Test {
  protected:
    void SetUp() override {
        TrackBuffersClear();
        files_ = TrackFileFunctions();
    }
    void TearDown() override {
        for (void *file : open_) {
            files_.close(file);
        }
        TrackBuffersClear();
    }

    // Begins kName, announces total (negative: unknown), delivers arrived
    // bytes and, if ended, ends the download there.
    int Begin(int total, int arrived, bool ended = false) {
        const int id = TrackBufferBegin(kName);
        TrackBufferSetSize(id, total);
        Deliver(id, 0, arrived);
        if (ended) {
            TrackBufferEnd(id);
        }
        return id;
    }
    // Delivers bytes [from, to) of source, or of the test file when none.
    void Deliver(int id, int from, int to, const std::string *source = nullptr) {
        if (to <= from) {
            return;
        }
        unsigned char *room = TrackBufferSpace(id, to - from);
        ASSERT_NE(room, nullptr);
        for (int i = from; i < to; ++i) {
            room[i - from] = source ? static_cast<unsigned char>((*source)[i]) : ByteAt(i);
        }
        TrackBufferArrived(id, to - from);
    }
    void *Open(const char *name = kName) {
        void *file = files_.open(name);
        if (file != nullptr) {
            open_.push_back(file);
        }
        return file;
    }
    // Reads size bytes at position; returns what the read gave.
    Bytes ReadAt(void *file, int position, int size) {
        EXPECT_EQ(files_.seek(file, position, SEEK_SET), 0);
        Bytes bytes(static_cast<size_t>(size), 0xee);
        const int got = files_.read(bytes.data(), size, file);
        bytes.resize(static_cast<size_t>(std::max(got, 0)));
        return bytes;
    }
    static Bytes Expected(int from, int to) {
        Bytes bytes;
        for (int i = from; i < to; ++i) {
            bytes.push_back(ByteAt(i));
        }
        return bytes;
    }

    SndFileFunctions files_{};
    std::vector<void *> open_;
};

TEST_F(TrackBuffersTest, ReadsGiveOnlyArrivedBytes) {
    const int arrived = kTrackReadyMargin + 1000;
    struct Case {
        int position, size, expectedEnd;
    } cases[] = {
        {0, 100, 100},                      // well inside
        {arrived - 10, 10, arrived},        // up to the edge
        {arrived - 10, 50, arrived},        // across the edge: short
        {arrived, 50, arrived},             // at the edge: nothing
        {arrived + 500, 50, arrived + 500}, // past it: nothing
    };
    const int id = Begin(-1, arrived);
    void *file = Open();
    ASSERT_NE(file, nullptr);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.position);
        EXPECT_EQ(ReadAt(file, c.position, c.size), Expected(c.position, c.expectedEnd));
        EXPECT_EQ(files_.tell(file), std::max(c.position, c.expectedEnd));
    }
    // A position sought past the edge reads once its bytes arrive.
    Deliver(id, arrived, arrived + 600);
    EXPECT_EQ(ReadAt(file, arrived + 500, 50), Expected(arrived + 500, arrived + 550));
    // Relative seeks from there, and none before the start.
    EXPECT_EQ(files_.seek(file, -50, SEEK_CUR), 0);
    EXPECT_EQ(files_.tell(file), arrived + 500);
    EXPECT_NE(files_.seek(file, -1, SEEK_SET), 0);
    EXPECT_NE(files_.seek(file, -(arrived + 501), SEEK_CUR), 0);
    EXPECT_EQ(files_.tell(file), arrived + 500);
}

TEST_F(TrackBuffersTest, SeekFromTheEnd) {
    const int total = 3 * kTrackReadyMargin;
    struct Case {
        const char *what;
        int announced;
        bool ended;
        int expectedEnd; // -1: SEEK_END fails
    } cases[] = {
        {"size announced", total, false, total},
        {"size unknown", -1, false, -1},
        {"size unknown, download ended", -1, true, kTrackReadyMargin},
        {"truncated download", total, true, kTrackReadyMargin},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Begin(c.announced, kTrackReadyMargin, c.ended);
        void *file = Open();
        ASSERT_NE(file, nullptr);
        EXPECT_EQ(files_.seek(file, -10, SEEK_END) == 0, c.expectedEnd >= 0);
        EXPECT_EQ(files_.tell(file), c.expectedEnd < 0 ? 0 : c.expectedEnd - 10);
    }
}

// The decoder's peek at a trailing tag must not fail on a file still arriving.
TEST_F(TrackBuffersTest, MissingTailOfAKnownSizeReadsAsZeros) {
    const int total = 2 * kTrackReadyMargin;
    const int id = Begin(total, kTrackReadyMargin);
    void *file = Open();
    ASSERT_NE(file, nullptr);
    ASSERT_EQ(files_.seek(file, -128, SEEK_END), 0);
    Bytes tail(128, 0xee);
    EXPECT_EQ(files_.read(tail.data(), 200, file), 128);
    EXPECT_EQ(tail, Bytes(128, 0));
    // Elsewhere past the edge nothing is made up.
    EXPECT_EQ(ReadAt(file, total - 129, 1), Bytes{});
    Deliver(id, kTrackReadyMargin, total);
    EXPECT_EQ(ReadAt(file, total - 128, 200), Expected(total - 128, total));
}

TEST_F(TrackBuffersTest, BytesPastTheAnnouncedSizeAreDropped) {
    const int id = Begin(kTrackReadyMargin + 10, kTrackReadyMargin);
    Deliver(id, kTrackReadyMargin, kTrackReadyMargin + 50);
    EXPECT_EQ(TrackBufferSpace(id, 1), nullptr); // complete: takes nothing more
    void *file = Open();
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(ReadAt(file, kTrackReadyMargin, 100),
              Expected(kTrackReadyMargin, kTrackReadyMargin + 10));
    ASSERT_EQ(files_.seek(file, 0, SEEK_END), 0);
    EXPECT_EQ(files_.tell(file), kTrackReadyMargin + 10);
}

TEST_F(TrackBuffersTest, OpensOnlyFilesThatCanBeRead) {
    struct Case {
        const char *what;
        int arrived;
        bool ended;
        bool opens;
        bool startable;
    } cases[] = {
        {"just begun", 0, false, false, false},
        {"short of the margin", kTrackReadyMargin - 1, false, false, false},
        {"margin arrived", kTrackReadyMargin, false, true, true},
        {"short but complete", 100, true, true, true},
        {"failed before any byte", 0, true, false, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Begin(-1, c.arrived, c.ended);
        EXPECT_EQ(TrackBufferStartable(kName), c.startable);
        EXPECT_EQ(Open("data\\TrackA.mp3") != nullptr, c.opens);
    }
    EXPECT_EQ(Open("data/TrackB.mp3"), nullptr);
    EXPECT_TRUE(TrackBufferStartable("data/TrackB.mp3")); // never begun: no wait
    EXPECT_EQ(TrackBufferBegin(""), -1);
    EXPECT_EQ(TrackBufferSpace(7, 10), nullptr);
}

TEST_F(TrackBuffersTest, ReadableWhileEveryOpenFileHasItsMargin) {
    const int id = Begin(-1, kTrackReadyMargin + 1000);
    void *file = Open();
    ASSERT_NE(file, nullptr);
    EXPECT_TRUE(TrackFilesReadable());
    ASSERT_EQ(files_.seek(file, 1001, SEEK_SET), 0);
    EXPECT_FALSE(TrackFilesReadable());
    Deliver(id, kTrackReadyMargin + 1000, kTrackReadyMargin + 1001);
    EXPECT_TRUE(TrackFilesReadable());
    ASSERT_EQ(files_.seek(file, kTrackReadyMargin + 1001, SEEK_SET), 0);
    EXPECT_FALSE(TrackFilesReadable());
    TrackBufferEnd(id);
    EXPECT_TRUE(TrackFilesReadable());
    // A buffer begun again is a new file; the open one keeps the old bytes.
    const int again = Begin(-1, 10);
    EXPECT_EQ(again, id);
    EXPECT_TRUE(TrackFilesReadable());
    EXPECT_EQ(ReadAt(file, 20, 4), Expected(20, 24));
    EXPECT_EQ(Open(), nullptr); // 10 bytes: not yet startable
}

// A whole track decoded through the buffers while it arrives in chunks, the
// reader waiting whenever it has less than the margin ahead: every frame
// comes out, as from the finished file. Without an announced size the decoder
// cannot find the file's end at open, so it keeps the encoder's delay and
// padding (under two MP3 frames) instead of trimming them.
TEST_F(TrackBuffersTest, DecodesATrackWhileItArrives) {
    const std::string path = MakeSweepMp3("arriving.mp3", 12.0);
    const std::string bytes = ReadFileBytes(path);
    const Frames reference = ReferenceDecode(path);
    ASSERT_GT(bytes.size(), 2u * kTrackReadyMargin);
    ASSERT_FALSE(reference.empty());

    for (bool announced : {true, false}) {
        SCOPED_TRACE(announced ? "size announced" : "size unknown");
        const int total = static_cast<int>(bytes.size());
        const int id = TrackBufferBegin(kName);
        TrackBufferSetSize(id, announced ? total : -1);
        int arrived = 0;
        auto deliverChunk = [&] {
            const int n = std::min(5000, total - arrived);
            Deliver(id, arrived, arrived + n, &bytes);
            arrived += n;
            if (arrived == total) {
                TrackBufferEnd(id);
            }
        };
        while (!TrackBufferStartable(kName)) {
            deliverChunk();
        }
        ASSERT_LT(arrived, total);
        SndDecoder *decoder = SndDecoderOpen(kName, files_, 44100);
        ASSERT_NE(decoder, nullptr);
        Frames decoded;
        bool ended = false;
        std::int16_t block[2 * 2048];
        while (!ended) {
            if (!TrackFilesReadable()) {
                deliverChunk();
                continue;
            }
            const int got = SndDecoderRead(decoder, block, 2048, &ended);
            decoded.insert(decoded.end(), block, block + 2 * got);
        }
        SndDecoderClose(decoder);
        EXPECT_EQ(arrived, total);
        if (announced) {
            EXPECT_EQ(FrameCount(decoded), FrameCount(reference));
            EXPECT_TRUE(decoded == reference);
        } else {
            EXPECT_GE(FrameCount(decoded), FrameCount(reference));
            EXPECT_LT(FrameCount(decoded), FrameCount(reference) + 2 * 1152);
        }
    }
}

} // namespace
