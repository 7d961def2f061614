#include "analysis/decode.h"

#include <mpg123.h>

#include <cstdint>
#include <vector>

namespace music {

bool DecodeTrack(const std::string &path, synth::StereoBuffer &out) {
    out = synth::StereoBuffer();
    mpg123_handle *mh = mpg123_init() == MPG123_OK ? mpg123_new(nullptr, nullptr) : nullptr;
    if (!mh)
        return false;
    mpg123_param(mh, MPG123_FLAGS, MPG123_GAPLESS | MPG123_FORCE_STEREO | MPG123_QUIET, 0.0);
    mpg123_format_none(mh);
    mpg123_format(mh, synth::kSampleRate, MPG123_STEREO, MPG123_ENC_SIGNED_16);
    bool ok = false;
    if (mpg123_open(mh, path.c_str()) == MPG123_OK) {
        std::vector<unsigned char> buf(65536);
        int rc = MPG123_OK;
        while (rc == MPG123_OK || rc == MPG123_NEW_FORMAT) {
            size_t done = 0;
            rc = mpg123_read(mh, buf.data(), buf.size(), &done);
            const auto *pcm = reinterpret_cast<const int16_t *>(buf.data());
            for (size_t i = 0; i + 1 < done / sizeof(int16_t); i += 2) {
                out.left.push_back(pcm[i] / 32768.0f);
                out.right.push_back(pcm[i + 1] / 32768.0f);
            }
        }
        long rate = 0;
        int channels = 0, encoding = 0;
        mpg123_getformat(mh, &rate, &channels, &encoding);
        ok = rc == MPG123_DONE && out.Frames() > 0 && rate == synth::kSampleRate &&
             channels == 2 && encoding == MPG123_ENC_SIGNED_16;
        mpg123_close(mh);
    }
    mpg123_delete(mh);
    return ok;
}

} // namespace music
