// Decoding the eight embedded pictures (five intro pictures, the panel, the
// logo texture and the font image) alone: the floor under the program's
// start-up. Usage: picture_decode [--rounds 5]
// Prints each picture's median decode time and their sum (milliseconds), wall
// clock and the thread's CPU time.
#include "frame_clock.h"

#include "render/texture.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kFirstPicture = 101;
constexpr int kPictureCount = 8;

} // namespace

int main(int argc, char **argv) {
    const int rounds = CountArg(argc, argv, "--rounds", 5);
    double sumMedian = 0.0, sumFirst = 0.0, sumCpu = 0.0;
    for (int id = kFirstPicture; id < kFirstPicture + kPictureCount; ++id) {
        std::vector<double> ms, cpuMs;
        uint32_t w = 0, h = 0;
        for (int r = 0; r < rounds; ++r) {
            const double t0 = ClockSeconds(CLOCK_MONOTONIC);
            const double c0 = ClockSeconds(CLOCK_THREAD_CPUTIME_ID);
            CTexture *t = LoadTextureResource(id);
            ms.push_back((ClockSeconds(CLOCK_MONOTONIC) - t0) * 1000.0);
            cpuMs.push_back((ClockSeconds(CLOCK_THREAD_CPUTIME_ID) - c0) * 1000.0);
            if (!t) {
                std::fprintf(stderr, "picture_decode: picture %d did not decode\n", id);
                return 1;
            }
            w = t->width;
            h = t->height;
            t->ReleasePixels();
            delete t;
        }
        const double first = ms.front();
        std::sort(ms.begin(), ms.end());
        const double median = ms[ms.size() / 2];
        std::sort(cpuMs.begin(), cpuMs.end());
        const double cpuMedian = cpuMs[cpuMs.size() / 2];
        sumMedian += median;
        sumCpu += cpuMedian;
        sumFirst += first;
        std::printf("picture %d: %ux%u median-ms=%.2f first-ms=%.2f cpu-median-ms=%.2f\n", id, w, h,
                    median, first, cpuMedian);
    }
    std::printf("decode: pictures=%d sum-median-ms=%.2f sum-first-ms=%.2f sum-cpu-ms=%.2f\n",
                kPictureCount, sumMedian, sumFirst, sumCpu);
    return 0;
}
