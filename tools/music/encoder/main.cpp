// Build-time generator: renders one side and encodes it.
// Usage: ml_music_gen <side letter A-D> <output.mp3>
#include "mp3_writer.h"
#include "songs/songs.h"
#include "synth/loudness.h"
#include "synth/master.h"

#include <cstdio>
#include <string>

int main(int argc, char **argv) {
    if (argc != 3 || std::string(argv[1]).size() != 1) {
        std::fprintf(stderr, "usage: %s <A-D> <output.mp3>\n", argv[0]);
        return 2;
    }
    synth::DisableDenormals();
    synth::Song song;
    if (!music::MakeSide(argv[1][0], song)) {
        std::fprintf(stderr, "unknown side '%s'\n", argv[1]);
        return 2;
    }
    const synth::StereoBuffer audio = synth::RenderSong(song);
    const double seconds = static_cast<double>(audio.Frames()) / synth::kSampleRate;
    std::printf("Side %c \"%s\": %d:%04.1f, %.0f BPM, %.2f LUFS\n", argv[1][0],
                song.title.c_str(), static_cast<int>(seconds) / 60,
                seconds - 60.0 * (static_cast<int>(seconds) / 60), song.bpm,
                synth::IntegratedLoudness(synth::KWeightedSegments(audio)));
    if (!music::WriteMp3(audio, argv[2])) {
        std::fprintf(stderr, "could not write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
