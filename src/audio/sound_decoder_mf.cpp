// MP3 decoding with the Media Foundation source reader. The whole file is read
// through the caller's file functions into memory and handed to the reader as
// a byte stream, so every byte still comes through those functions.
//
// Gapless: the encoder's tag (when present) gives the exact track length and
// how many samples of encoder and decoder delay open the decoded output; they
// are dropped here, whatever the platform's decoder does, by placing every
// decoded buffer on the track's sample timeline from its timestamp.
#include "audio/sound_decoder.h"

#include "audio/sound_library.h"

#include <windows.h>
#include <mfapi.h>
#include <mferror.h>
#include <mfidl.h>
#include <mfreadwrite.h>
#include <propvarutil.h>
#include <shlwapi.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

// In the platform's import library but not declared by these headers.
extern "C" HRESULT WINAPI MFCreateMFByteStreamOnStream(IStream *stream, IMFByteStream **out);

namespace {

// Delay every layer III decoder adds in front of the first encoded sample.
constexpr std::int64_t kDecoderDelay = 529;
// Frames decoded ahead of a seek target so that the bit reservoir and the
// filter bank have settled when the target is reached.
constexpr std::int64_t kSeekPreroll = 4 * 1152;

// What the encoder's tag in the first frame says.
struct GaplessInfo {
    bool present = false;
    std::int64_t length = -1; // samples per channel, trimmed
    std::int64_t skip = 0;    // leading samples to drop (encoder + decoder delay)
    std::int64_t padding = 0; // samples the encoder added at the end
};

std::uint32_t BigEndian32(const std::uint8_t *p) {
    return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3];
}

// Reads the Xing/Info header and its encoder extension from the first audio
// frame (after any ID3v2 tag). Leaves present false when there is none.
GaplessInfo ReadGaplessInfo(const std::vector<std::uint8_t> &file) {
    GaplessInfo info;
    size_t at = 0;
    if (file.size() >= 10 && std::memcmp(file.data(), "ID3", 3) == 0) {
        const size_t tagSize = (size_t(file[6] & 0x7F) << 21) | (size_t(file[7] & 0x7F) << 14) |
                               (size_t(file[8] & 0x7F) << 7) | size_t(file[9] & 0x7F);
        at = 10 + tagSize + ((file[5] & 0x10) ? 10 : 0);
    }
    if (at + 4 > file.size() || file[at] != 0xFF || (file[at + 1] & 0xE0) != 0xE0)
        return info;
    const std::uint8_t *h = file.data() + at;
    const int version = (h[1] >> 3) & 3; // 3: MPEG-1, 2: MPEG-2, 0: MPEG-2.5
    const int layer = (h[1] >> 1) & 3;   // 1: layer III
    if (layer != 1 || version == 1)
        return info;
    const bool mono = ((h[3] >> 6) & 3) == 3;
    const size_t sideInfo = version == 3 ? (mono ? 17 : 32) : (mono ? 9 : 17);
    const size_t tag = at + 4 + sideInfo;
    if (tag + 8 > file.size())
        return info;
    if (std::memcmp(&file[tag], "Xing", 4) != 0 && std::memcmp(&file[tag], "Info", 4) != 0)
        return info;
    const std::uint32_t flags = BigEndian32(&file[tag + 4]);
    if (!(flags & 1))
        return info;
    size_t p = tag + 8;
    if (p + 4 > file.size())
        return info;
    const std::int64_t frames = BigEndian32(&file[p]);
    p += 4;
    if (flags & 2)
        p += 4;
    if (flags & 4)
        p += 100;
    if (flags & 8)
        p += 4;
    // Encoder extension: 9 bytes of version text, then delay and padding as
    // two 12-bit numbers 21 bytes in.
    std::int64_t delay = 0;
    std::int64_t padding = 0;
    if (p + 24 <= file.size()) {
        const std::uint8_t *d = &file[p + 21];
        delay = (std::int64_t(d[0]) << 4) | (d[1] >> 4);
        padding = (std::int64_t(d[1] & 0x0F) << 8) | d[2];
    }
    const std::int64_t perFrame = version == 3 ? 1152 : 576;
    info.present = true;
    info.skip = delay + kDecoderDelay;
    info.padding = padding;
    info.length = std::max<std::int64_t>(0, frames * perFrame - delay - padding);
    return info;
}

// True when bytes hold an MPEG audio frame header (layer I to III, a real
// bitrate and rate) within the first few kilobytes after any ID3v2 tag.
bool HasMpegAudio(const std::vector<std::uint8_t> &file) {
    size_t at = 0;
    if (file.size() >= 10 && std::memcmp(file.data(), "ID3", 3) == 0)
        at = 10 + ((size_t(file[6] & 0x7F) << 21) | (size_t(file[7] & 0x7F) << 14) |
                   (size_t(file[8] & 0x7F) << 7) | size_t(file[9] & 0x7F));
    const size_t end = std::min(file.size(), at + 4096);
    for (size_t i = at; i + 4 <= end; ++i) {
        const std::uint8_t *h = file.data() + i;
        if (h[0] == 0xFF && (h[1] & 0xE0) == 0xE0 && ((h[1] >> 3) & 3) != 1 &&
            ((h[1] >> 1) & 3) != 0 && (h[2] >> 4) != 15 && (h[2] >> 4) != 0 &&
            ((h[2] >> 2) & 3) != 3)
            return true;
    }
    return false;
}

// Frame index at the rate for a 100 ns timestamp, rounded to nearest.
std::int64_t FrameAt(LONGLONG time, int rate) {
    return (time * rate + 5000000) / 10000000;
}

struct ComThread {
    ComThread() { CoInitializeEx(nullptr, COINIT_MULTITHREADED); }
};

// Media Foundation wants COM on every thread that calls it; threads keep it
// until they end.
void EnsureCom() {
    thread_local ComThread com;
    (void)com;
}

} // namespace

struct SndDecoder {
    IMFSourceReader *reader = nullptr;
    int rate = 44100;
    int channels = 2;
    GaplessInfo gapless;
    std::int64_t mfLength = -1;
    // Samples of the last buffer not handed out yet (interleaved, reader's
    // channel count) and the raw timeline frame of its first one.
    std::vector<std::int16_t> pending;
    size_t pendingAt = 0;
    std::int64_t nextRaw = 0; // raw timeline frame of pending[pendingAt]
    std::int64_t wantRaw = 0; // frames before this are dropped (after seeks)
    bool ended = false;
};

namespace {

bool ReadWholeFile(const SndFileFunctions &files, void *file, std::vector<std::uint8_t> *out) {
    std::uint8_t chunk[65536];
    for (;;) {
        const int got = files.read(chunk, int(sizeof chunk), file);
        if (got <= 0)
            break;
        out->insert(out->end(), chunk, chunk + got);
        if (out->size() > (size_t(1) << 30))
            return false;
    }
    return !out->empty();
}

// Sets 16-bit PCM output at the rate, stereo when the decoder can, and reads
// back what was granted.
bool ConfigureOutput(SndDecoder *decoder, int rate) {
    IMFMediaType *native = nullptr;
    if (FAILED(decoder->reader->GetNativeMediaType(MF_SOURCE_READER_FIRST_AUDIO_STREAM, 0, &native)))
        return false;
    // Some platforms decode inside the source and offer PCM as the native
    // type, so the file itself was checked for MPEG audio beforehand.
    native->Release();

    for (int channels : {2, 0}) {
        IMFMediaType *type = nullptr;
        if (FAILED(MFCreateMediaType(&type)))
            return false;
        type->SetGUID(MF_MT_MAJOR_TYPE, MFMediaType_Audio);
        type->SetGUID(MF_MT_SUBTYPE, MFAudioFormat_PCM);
        type->SetUINT32(MF_MT_AUDIO_BITS_PER_SAMPLE, 16);
        if (channels) {
            type->SetUINT32(MF_MT_AUDIO_NUM_CHANNELS, UINT32(channels));
            type->SetUINT32(MF_MT_AUDIO_SAMPLES_PER_SECOND, UINT32(rate));
        }
        const HRESULT hr = decoder->reader->SetCurrentMediaType(
            MF_SOURCE_READER_FIRST_AUDIO_STREAM, nullptr, type);
        type->Release();
        if (SUCCEEDED(hr))
            break;
        if (!channels)
            return false;
    }
    IMFMediaType *current = nullptr;
    if (FAILED(decoder->reader->GetCurrentMediaType(MF_SOURCE_READER_FIRST_AUDIO_STREAM,
                                                    &current)))
        return false;
    UINT32 gotRate = 0, gotChannels = 0, gotBits = 0;
    current->GetUINT32(MF_MT_AUDIO_SAMPLES_PER_SECOND, &gotRate);
    current->GetUINT32(MF_MT_AUDIO_NUM_CHANNELS, &gotChannels);
    current->GetUINT32(MF_MT_AUDIO_BITS_PER_SAMPLE, &gotBits);
    current->Release();
    if (int(gotRate) != rate || gotBits != 16 || (gotChannels != 1 && gotChannels != 2))
        return false;
    decoder->channels = int(gotChannels);
    return true;
}

// Takes the next decoded buffer into pending. False at the end of the track
// or on a decoding error.
bool FetchBuffer(SndDecoder *decoder) {
    for (int empty = 0; empty < 64; ++empty) {
        DWORD flags = 0;
        LONGLONG time = 0;
        IMFSample *sample = nullptr;
        if (FAILED(decoder->reader->ReadSample(MF_SOURCE_READER_FIRST_AUDIO_STREAM, 0, nullptr,
                                               &flags, &time, &sample)))
            return false;
        if (flags & (MF_SOURCE_READERF_ENDOFSTREAM | MF_SOURCE_READERF_ERROR)) {
            if (sample)
                sample->Release();
            return false;
        }
        if (!sample)
            continue;
        IMFMediaBuffer *buffer = nullptr;
        const bool ok = SUCCEEDED(sample->ConvertToContiguousBuffer(&buffer));
        sample->Release();
        if (!ok)
            return false;
        BYTE *data = nullptr;
        DWORD size = 0;
        if (FAILED(buffer->Lock(&data, nullptr, &size))) {
            buffer->Release();
            return false;
        }
        const size_t count = size / sizeof(std::int16_t);
        decoder->pending.assign(reinterpret_cast<const std::int16_t *>(data),
                                reinterpret_cast<const std::int16_t *>(data) + count);
        buffer->Unlock();
        buffer->Release();
        decoder->pendingAt = 0;
        decoder->nextRaw = FrameAt(time, decoder->rate);
        if (!decoder->pending.empty())
            return true;
    }
    return false;
}

bool SeekRaw(SndDecoder *decoder, std::int64_t raw) {
    const std::int64_t from = std::max<std::int64_t>(0, raw - kSeekPreroll);
    PROPVARIANT position;
    PropVariantInit(&position);
    position.vt = VT_I8;
    position.hVal.QuadPart = from * 10000000 / decoder->rate;
    const HRESULT hr = decoder->reader->SetCurrentPosition(GUID_NULL, position);
    PropVariantClear(&position);
    if (FAILED(hr))
        return false;
    decoder->pending.clear();
    decoder->pendingAt = 0;
    decoder->wantRaw = raw;
    decoder->ended = false;
    return true;
}

} // namespace

SndDecoder *SndDecoderOpen(const char *name, const SndFileFunctions &files, int rate) {
    if (name == nullptr)
        return nullptr;
    void *file = files.open(name);
    if (file == nullptr)
        return nullptr;
    std::vector<std::uint8_t> bytes;
    const bool read = ReadWholeFile(files, file, &bytes);
    files.close(file);
    if (!read || !HasMpegAudio(bytes))
        return nullptr;

    EnsureCom();
    if (FAILED(MFStartup(MF_VERSION, MFSTARTUP_LITE)))
        return nullptr;
    auto *decoder = new SndDecoder;
    decoder->rate = rate;
    decoder->gapless = ReadGaplessInfo(bytes);

    IStream *memory = SHCreateMemStream(bytes.data(), UINT(bytes.size()));
    IMFByteStream *stream = nullptr;
    if (memory) {
        MFCreateMFByteStreamOnStream(memory, &stream);
        memory->Release();
    }
    if (stream) {
        IMFAttributes *attributes = nullptr;
        if (SUCCEEDED(stream->QueryInterface(IID_PPV_ARGS(&attributes)))) {
            attributes->SetString(MF_BYTESTREAM_CONTENT_TYPE, L"audio/mpeg");
            attributes->Release();
        }
        MFCreateSourceReaderFromByteStream(stream, nullptr, &decoder->reader);
        stream->Release();
    }
    if (!decoder->reader || !ConfigureOutput(decoder, rate)) {
        SndDecoderClose(decoder);
        return nullptr;
    }
    PROPVARIANT duration;
    PropVariantInit(&duration);
    if (SUCCEEDED(decoder->reader->GetPresentationAttribute(MF_SOURCE_READER_MEDIASOURCE,
                                                            MF_PD_DURATION, &duration)) &&
        duration.vt == VT_UI8)
        decoder->mfLength = FrameAt(LONGLONG(duration.uhVal.QuadPart), rate);
    PropVariantClear(&duration);

    // A source that already trims the delay and padding says so by a duration
    // nearer the trimmed length than the whole of the decoded frames.
    GaplessInfo &gapless = decoder->gapless;
    if (gapless.present && decoder->mfLength >= 0) {
        const std::int64_t whole = gapless.length + gapless.skip + gapless.padding - kDecoderDelay;
        if (std::llabs(decoder->mfLength - gapless.length) < std::llabs(decoder->mfLength - whole))
            gapless.skip = 0;
    }
    // The first buffer proves there is audio to decode.
    decoder->wantRaw = gapless.skip;
    if (!FetchBuffer(decoder)) {
        SndDecoderClose(decoder);
        return nullptr;
    }
    return decoder;
}

void SndDecoderClose(SndDecoder *decoder) {
    if (decoder == nullptr)
        return;
    if (decoder->reader)
        decoder->reader->Release();
    delete decoder;
    MFShutdown();
}

int SndDecoderRead(SndDecoder *decoder, std::int16_t *frames, int frameCount, bool *ended) {
    *ended = false;
    EnsureCom();
    const std::int64_t skip = decoder->gapless.skip;
    const std::int64_t end = decoder->gapless.present ? skip + decoder->gapless.length : -1;
    int got = 0;
    while (got < frameCount) {
        const size_t channels = size_t(decoder->channels);
        if (decoder->pendingAt >= decoder->pending.size()) {
            if (decoder->ended || !FetchBuffer(decoder)) {
                decoder->ended = true;
                *ended = true;
                break;
            }
        }
        if (end >= 0 && decoder->nextRaw >= end) {
            decoder->ended = true;
            *ended = true;
            break;
        }
        const std::int16_t *src = decoder->pending.data() + decoder->pendingAt;
        if (decoder->nextRaw < decoder->wantRaw) {
            // Before the start of the track or the seek target: dropped.
            const std::int64_t drop = std::min<std::int64_t>(
                decoder->wantRaw - decoder->nextRaw,
                std::int64_t((decoder->pending.size() - decoder->pendingAt) / channels));
            decoder->pendingAt += size_t(drop) * channels;
            decoder->nextRaw += drop;
            continue;
        }
        std::int64_t take = std::min<std::int64_t>(
            frameCount - got, std::int64_t((decoder->pending.size() - decoder->pendingAt) / channels));
        if (end >= 0)
            take = std::min(take, end - decoder->nextRaw);
        if (take <= 0) {
            decoder->pendingAt = decoder->pending.size();
            continue;
        }
        for (std::int64_t i = 0; i < take; ++i) {
            const std::int16_t left = src[i * channels];
            const std::int16_t right = channels == 2 ? src[i * channels + 1] : left;
            frames[(got + i) * 2] = left;
            frames[(got + i) * 2 + 1] = right;
        }
        got += int(take);
        decoder->pendingAt += size_t(take) * channels;
        decoder->nextRaw += take;
    }
    return got;
}

bool SndDecoderSeek(SndDecoder *decoder, std::int64_t frame) {
    if (frame < 0)
        return false;
    EnsureCom();
    const std::int64_t length = SndDecoderLength(decoder);
    if (length >= 0 && frame > length)
        return false;
    return SeekRaw(decoder, frame + decoder->gapless.skip);
}

std::int64_t SndDecoderLength(SndDecoder *decoder) {
    return decoder->gapless.present ? decoder->gapless.length : decoder->mfLength;
}
