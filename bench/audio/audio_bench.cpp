// CPU time per second of music: the sound library playing a track against a
// bare libmpg123 decode of the same file. Prints the ratio.
//
// The library's share is its audio side's decode and mix time plus the
// caller's time in the open, play and close calls. The output goes to the
// held test device; its copies and wake-ups are not the library's work and
// are left out (the whole-process figure is printed beside it).
#include "audio/audio_fixture.h"
#include "audio/sound_library.h"
#include "audio/sound_output_test.h"

#include <benchmark/benchmark.h>
#include <mpg123.h>

#include <cstdio>
#include <ctime>

namespace {

constexpr double kTrackSeconds = 20.0;

// CPU seconds per second of music of the last run of each benchmark.
double g_bareCost = 0.0;
double g_libraryCost = 0.0;

double g_processCost = 0.0;

double CpuSeconds(clockid_t clock) {
    timespec now{};
    clock_gettime(clock, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

const std::string &Track() {
    static const std::string path = audio_test::MakeSweepMp3("bench.mp3", kTrackSeconds);
    return path;
}

// Decodes the whole file the way the library is set up to; returns frames.
long BareDecode(const std::string &path) {
    static std::int16_t buffer[2 * 1152 * 4];
    mpg123_handle *handle = mpg123_new(nullptr, nullptr);
    mpg123_param(handle, MPG123_ADD_FLAGS, MPG123_GAPLESS | MPG123_FORCE_STEREO | MPG123_QUIET,
                 0.0);
    mpg123_format_none(handle);
    mpg123_format(handle, 44100, MPG123_STEREO, MPG123_ENC_SIGNED_16);
    long frames = 0;
    if (mpg123_open(handle, path.c_str()) == MPG123_OK) {
        for (;;) {
            size_t done = 0;
            int result = mpg123_read(handle, buffer, sizeof buffer, &done);
            frames += static_cast<long>(done / 4);
            if (result != MPG123_OK && result != MPG123_NEW_FORMAT) {
                break;
            }
        }
    }
    mpg123_delete(handle);
    return frames;
}

void BM_BareDecode(benchmark::State &state) {
    const std::string &path = Track();
    mpg123_init();
    double cpu = 0.0;
    double music = 0.0;
    for (auto _ : state) {
        double before = CpuSeconds(CLOCK_PROCESS_CPUTIME_ID);
        long frames = BareDecode(path);
        double spent = CpuSeconds(CLOCK_PROCESS_CPUTIME_ID) - before;
        state.SetIterationTime(spent);
        cpu += spent;
        music += static_cast<double>(frames) / 44100.0;
    }
    g_bareCost = cpu / music;
    state.counters["cpu_per_music_s"] = g_bareCost;
}

void BM_LibraryPlay(benchmark::State &state) {
    const std::string &path = Track();
    if (!SndStartup(44100, 32)) {
        state.SkipWithError("no output device");
        return;
    }
    SndTestHoldOutput(true);
    double cpu = 0.0;
    double process = 0.0;
    double music = 0.0;
    for (auto _ : state) {
        double processBefore = CpuSeconds(CLOCK_PROCESS_CPUTIME_ID);
        double mixBefore = SndTestMixCpuSeconds();
        double callerBefore = CpuSeconds(CLOCK_THREAD_CPUTIME_ID);
        SndStream *stream = SndOpenStream(path.c_str());
        int channel = SndPlayStream(stream);
        double caller = CpuSeconds(CLOCK_THREAD_CPUTIME_ID) - callerBefore;
        // The held output mixes until the track is through.
        while (SndIsChannelPlaying(channel)) {
            SndTestAdvance(44100);
        }
        std::uint32_t frames = SndGetChannelPosition(channel);
        callerBefore = CpuSeconds(CLOCK_THREAD_CPUTIME_ID);
        SndCloseStream(stream);
        caller += CpuSeconds(CLOCK_THREAD_CPUTIME_ID) - callerBefore;
        double spent = caller + SndTestMixCpuSeconds() - mixBefore;
        state.SetIterationTime(spent);
        cpu += spent;
        process += CpuSeconds(CLOCK_PROCESS_CPUTIME_ID) - processBefore;
        music += static_cast<double>(frames) / 44100.0;
    }
    SndShutdown();
    g_libraryCost = cpu / music;
    g_processCost = process / music;
    state.counters["cpu_per_music_s"] = g_libraryCost;
    state.counters["process_cpu_per_music_s"] = g_processCost;
}

BENCHMARK(BM_BareDecode)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_LibraryPlay)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(1.0);

} // namespace

int main(int argc, char **argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    if (g_bareCost > 0.0 && g_libraryCost > 0.0) {
        std::printf("library play / bare decode, CPU per second of music: %.3fx (goal <= 1.5x)\n",
                    g_libraryCost / g_bareCost);
        std::printf("whole process with the test device: %.3fx\n", g_processCost / g_bareCost);
    }
    benchmark::Shutdown();
    return 0;
}
