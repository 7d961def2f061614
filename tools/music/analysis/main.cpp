// Measures the shipped tracks as the player decodes them and prints one table row per
// side; with -v also one line per 4-bar chunk (loudness, spectral balance, width, twin).
// Usage: ml_music_analyse <folder holding TrackA..D.mp3> [-v] [sides, e.g. AC]
#include "analysis/decode.h"
#include "measures.h"
#include "songs/songs.h"

#include <cstdio>
#include <string>

int main(int argc, char **argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <folder> [-v] [sides]\n", argv[0]);
        return 2;
    }
    bool verbose = false;
    std::string sides = "ABCD";
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "-v")
            verbose = true;
        else
            sides = arg;
    }
    std::printf("| side | length | LUFS | dBTP | LRA LU | loudest 8 s | quietest 8 s | dip LU | "
                "L/R corr | mono loss LU | <60 Hz | 6-12 kHz dB | 4-bar twins |\n");
    std::printf("|---|---|---|---|---|---|---|---|---|---|---|---|---|\n");
    int status = 0;
    for (char side : sides) {
        synth::Song song;
        synth::StereoBuffer audio;
        const std::string path = std::string(argv[1]) + "/Track" + side + ".mp3";
        if (!music::MakeSide(side, song) || !music::DecodeTrack(path, audio)) {
            std::fprintf(stderr, "cannot read side %c from %s\n", side, path.c_str());
            status = 1;
            continue;
        }
        std::vector<music::ChunkFigures> chunks;
        const music::TrackFigures f =
            music::MeasureTrack(audio, 4.0 * song.SecondsPerBeat(), verbose ? &chunks : nullptr);
        std::printf("| %c | %d:%04.1f | %.1f | %.2f | %.1f | %.1f | %.1f | %.1f | %.2f | %.1f | %.0f%% | "
                    "%.1f | %.0f%% |\n",
                    side, static_cast<int>(f.seconds) / 60,
                    f.seconds - 60 * (static_cast<int>(f.seconds) / 60), f.integratedLufs,
                    f.truePeakDb, f.rangeLu, f.loudest8sLufs, f.quietest8sLufs, f.quietDipLu,
                    f.correlation, f.monoLossLu, 100.0 * f.lowShare, f.airDb, 100.0 * f.twinShare);
        for (const music::ChunkFigures &c : chunks)
            std::printf("    bars %3d-%3d  %6.1f LUFS  low %5.1f mid %5.1f high %5.1f dB  side/mid "
                        "%5.1f dB  nearest %.1f dB%s\n",
                        c.firstBar, c.firstBar + 3, c.lufs, c.lowDb, c.midDb, c.highDb, c.width,
                        c.twinDistance,
                        c.twinOf >= 0 ? (" twin of bar " + std::to_string(c.twinOf)).c_str() : "");
    }
    return status;
}
