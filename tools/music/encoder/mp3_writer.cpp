#include "mp3_writer.h"

#include <lame/lame.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace music {

namespace {

struct LameHandle {
    lame_global_flags *flags = lame_init();
    ~LameHandle() {
        if (flags)
            lame_close(flags);
    }
};

struct FileHandle {
    std::FILE *file = nullptr;
    ~FileHandle() {
        if (file)
            std::fclose(file);
    }
};

} // namespace

bool WriteMp3(const synth::StereoBuffer &audio, const std::string &path, int vbrQuality) {
    LameHandle lame;
    if (!lame.flags)
        return false;
    lame_set_in_samplerate(lame.flags, synth::kSampleRate);
    lame_set_out_samplerate(lame.flags, synth::kSampleRate);
    lame_set_num_channels(lame.flags, 2);
    lame_set_mode(lame.flags, JOINT_STEREO);
    lame_set_VBR(lame.flags, vbr_mtrh);
    lame_set_VBR_quality(lame.flags, static_cast<float>(vbrQuality));
    lame_set_bWriteVbrTag(lame.flags, 1);
    lame_set_num_samples(lame.flags, static_cast<unsigned long>(audio.Frames()));
    if (lame_init_params(lame.flags) < 0)
        return false;

    const std::string temp = path + ".part";
    FileHandle out;
    // "wb+": the tag is written back into the first frame after the audio.
    out.file = std::fopen(temp.c_str(), "wb+");
    if (!out.file)
        return false;

    constexpr size_t kChunk = 8192;
    std::vector<unsigned char> mp3(kChunk * 5 / 4 + 7200);
    bool ok = true;
    for (size_t pos = 0; pos < audio.Frames() && ok; pos += kChunk) {
        const size_t count = std::min(kChunk, audio.Frames() - pos);
        const int bytes = lame_encode_buffer_ieee_float(
            lame.flags, audio.left.data() + pos, audio.right.data() + pos, static_cast<int>(count),
            mp3.data(), static_cast<int>(mp3.size()));
        ok = bytes >= 0 && std::fwrite(mp3.data(), 1, bytes, out.file) == static_cast<size_t>(bytes);
    }
    if (ok) {
        const int bytes = lame_encode_flush(lame.flags, mp3.data(), static_cast<int>(mp3.size()));
        ok = bytes >= 0 && std::fwrite(mp3.data(), 1, bytes, out.file) == static_cast<size_t>(bytes);
    }
    if (ok)
        lame_mp3_tags_fid(lame.flags, out.file);
    if (std::fclose(out.file) != 0)
        ok = false;
    out.file = nullptr;
    if (!ok) {
        std::remove(temp.c_str());
        return false;
    }
    return std::rename(temp.c_str(), path.c_str()) == 0;
}

} // namespace music
