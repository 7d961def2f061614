// MP3 decoding over libmpg123 with a replaced reader, so every byte comes
// through the caller's file functions.
#include "audio/sound_decoder.h"

#include "audio/sound_library.h"

#include <mpg123.h>

#include <climits>
#include <cstdio>
#include <sys/types.h>

struct SndDecoder {
    mpg123_handle *handle = nullptr;
    SndFileFunctions files{};
    void *file = nullptr;
};

namespace {

// mpg123's reader: the file functions take an int size.
ssize_t ReadBytes(void *userData, void *buffer, size_t size) {
    auto *decoder = static_cast<SndDecoder *>(userData);
    int request = size > INT_MAX ? INT_MAX : static_cast<int>(size);
    int got = decoder->files.read(buffer, request, decoder->file);
    return got < 0 ? -1 : got;
}

// mpg123's seek wants the new offset back; the file functions give 0 on
// success, so ask for the offset afterwards.
off_t SeekBytes(void *userData, off_t offset, int whence) {
    auto *decoder = static_cast<SndDecoder *>(userData);
    if (offset > INT_MAX || offset < INT_MIN) {
        return -1;
    }
    if (decoder->files.seek(decoder->file, static_cast<int>(offset),
                            static_cast<signed char>(whence)) != 0) {
        return -1;
    }
    int position = decoder->files.tell(decoder->file);
    return position < 0 ? -1 : position;
}

// A handle that reads through the decoder's file functions, with the given
// extra flags; null when libmpg123 cannot make one.
mpg123_handle *NewHandle(long flags) {
    int error = MPG123_OK;
    mpg123_handle *handle = mpg123_new(nullptr, &error);
    if (handle == nullptr) {
        return nullptr;
    }
    // Gapless trims the encoder delay and padding, so loops meet exactly.
    mpg123_param(handle, MPG123_ADD_FLAGS,
                 MPG123_GAPLESS | MPG123_FORCE_STEREO | MPG123_QUIET | flags, 0.0);
    if (mpg123_replace_reader_handle(handle, ReadBytes, SeekBytes, nullptr) != MPG123_OK) {
        mpg123_delete(handle);
        return nullptr;
    }
    return handle;
}

// The file size in bytes, or -1; leaves the file at its start.
long long FileSize(SndDecoder *decoder) {
    long long size = -1;
    if (decoder->files.seek(decoder->file, 0, SEEK_END) == 0) {
        size = decoder->files.tell(decoder->file);
    }
    return decoder->files.seek(decoder->file, 0, SEEK_SET) == 0 ? size : -1;
}

// Whether the frame count the stream states (in its encoder tag) can be true
// of a file this size: every frame carries at least its 4-byte header. A
// damaged count in the billions makes libmpg123's rate conversion and seeks
// walk that many frames, which takes minutes; such a count is ignored. The
// stream is read at its own rate here, so the check itself never converts.
bool StatedLengthIsPlausible(SndDecoder *decoder) {
    const long long size = FileSize(decoder);
    mpg123_handle *probe = NewHandle(0);
    if (size < 0 || probe == nullptr) {
        mpg123_delete(probe);
        return false;
    }
    long rate = 0;
    int channels = 0;
    int encoding = 0;
    bool plausible = mpg123_open_handle(probe, decoder) == MPG123_OK &&
                     mpg123_getformat(probe, &rate, &channels, &encoding) == MPG123_OK;
    if (plausible) {
        const off_t frames = mpg123_framelength(probe);
        plausible = frames <= size / 4;
    }
    mpg123_close(probe);
    mpg123_delete(probe);
    return decoder->files.seek(decoder->file, 0, SEEK_SET) == 0 && plausible;
}

} // namespace

SndDecoder *SndDecoderOpen(const char *name, const SndFileFunctions &files, int rate) {
    if (name == nullptr) {
        return nullptr;
    }
    void *file = files.open(name);
    if (file == nullptr) {
        return nullptr;
    }
    auto *decoder = new SndDecoder;
    decoder->files = files;
    decoder->file = file;

    // Needed by older libmpg123 releases, harmless on newer ones.
    mpg123_init();
    const long lengthFlags = StatedLengthIsPlausible(decoder) ? 0 : MPG123_IGNORE_STREAMLENGTH;
    decoder->handle = NewHandle(lengthFlags);
    if (decoder->handle == nullptr) {
        SndDecoderClose(decoder);
        return nullptr;
    }
    mpg123_handle *handle = decoder->handle;
    mpg123_format_none(handle);
    long gotRate = 0;
    int gotChannels = 0;
    int encoding = 0;
    bool ok = mpg123_format(handle, rate, MPG123_STEREO, MPG123_ENC_SIGNED_16) == MPG123_OK &&
              mpg123_open_handle(handle, decoder) == MPG123_OK &&
              mpg123_getformat(handle, &gotRate, &gotChannels, &encoding) == MPG123_OK;
    if (!ok || gotRate != rate || gotChannels != MPG123_STEREO ||
        encoding != MPG123_ENC_SIGNED_16) {
        SndDecoderClose(decoder);
        return nullptr;
    }
    return decoder;
}

void SndDecoderClose(SndDecoder *decoder) {
    if (decoder == nullptr) {
        return;
    }
    if (decoder->handle != nullptr) {
        mpg123_close(decoder->handle);
        mpg123_delete(decoder->handle);
    }
    if (decoder->file != nullptr) {
        decoder->files.close(decoder->file);
    }
    delete decoder;
}

int SndDecoderRead(SndDecoder *decoder, std::int16_t *frames, int frameCount, bool *ended) {
    *ended = false;
    int got = 0;
    // A new-format notice may come with no bytes; a run of empty reads without
    // an end code would otherwise spin, so it is bounded.
    int emptyReads = 0;
    while (got < frameCount) {
        size_t done = 0;
        size_t wanted = static_cast<size_t>(frameCount - got) * 2 * sizeof(std::int16_t);
        int result = mpg123_read(decoder->handle, frames + got * 2, wanted, &done);
        got += static_cast<int>(done / (2 * sizeof(std::int16_t)));
        if (result == MPG123_OK || result == MPG123_NEW_FORMAT) {
            emptyReads = done == 0 ? emptyReads + 1 : 0;
            if (emptyReads < 8) {
                continue;
            }
        }
        // MPG123_DONE, or an error in the middle (damaged data, junk after the
        // audio): the track ends here.
        *ended = true;
        break;
    }
    return got;
}

bool SndDecoderSeek(SndDecoder *decoder, std::int64_t frame) {
    if (frame < 0 || frame > LONG_MAX) {
        return false;
    }
    return mpg123_seek(decoder->handle, static_cast<off_t>(frame), SEEK_SET) >= 0;
}

std::int64_t SndDecoderLength(SndDecoder *decoder) {
    off_t length = mpg123_length(decoder->handle);
    return length < 0 ? -1 : static_cast<std::int64_t>(length);
}
