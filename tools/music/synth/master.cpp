#include "master.h"

#include "loudness.h"

#include <algorithm>

namespace synth {

namespace {
void DcBlockChannel(std::vector<float> &x) {
    const size_t n = x.size();
    if (n == 0)
        return;
    const double r = 1.0 - kTwoPi * 3.0 / kSampleRate;
    // One lap around the circle settles the state; the second lap writes the output.
    double xPrev = x[n - 1], y = 0.0;
    for (size_t i = 0; i < n; ++i) {
        y = x[i] - xPrev + r * y;
        xPrev = x[i];
    }
    std::vector<float> out(n);
    for (size_t i = 0; i < n; ++i) {
        y = x[i] - xPrev + r * y;
        xPrev = x[i];
        out[i] = static_cast<float>(y);
    }
    x.swap(out);
}
} // namespace

void RemoveDcCircular(StereoBuffer &buf) {
    DcBlockChannel(buf.left);
    DcBlockChannel(buf.right);
}

float SoftClip(float x, float knee, float ceiling) {
    const float a = std::fabs(x);
    if (a <= knee)
        return x;
    const float room = ceiling - knee;
    if (room <= 0.0f)
        return x < 0.0f ? -ceiling : ceiling;
    const float y = knee + room * std::tanh((a - knee) / room);
    return x < 0.0f ? -y : y;
}

void LimitCircular(StereoBuffer &buf, float ceiling, float lookahead, float release) {
    const size_t n = buf.Frames();
    if (n == 0 || ceiling <= 0.0f)
        return;
    size_t w = static_cast<size_t>(lookahead * kSampleRate);
    w = std::clamp<size_t>(w, 1, n);
    // Gain each frame needs on its own.
    std::vector<float> need(n);
    for (size_t i = 0; i < n; ++i) {
        const float peak = std::max(std::fabs(buf.left[i]), std::fabs(buf.right[i]));
        need[i] = peak > ceiling ? ceiling / peak : 1.0f;
    }
    // hold[i] = min(need[i .. i+w-1]) by the monotonic-queue sliding minimum.
    std::vector<float> hold(n);
    std::vector<size_t> queue;
    queue.reserve(n + w);
    size_t head = 0;
    for (size_t j = 0; j < n + w - 1; ++j) {
        const float v = need[j % n];
        while (queue.size() > head && need[queue.back() % n] >= v)
            queue.pop_back();
        queue.push_back(j);
        if (j + 1 >= w) {
            const size_t i = j + 1 - w;
            while (queue[head] < i)
                ++head;
            hold[i] = need[queue[head] % n];
        }
    }
    // Average over the last w holds: a ramp that reaches each peak's gain in time,
    // because every window averaged at frame i contains i.
    std::vector<float> gain(n);
    double sum = 0.0;
    for (size_t k = 0; k < w; ++k)
        sum += hold[(n - w + 1 + k) % n];
    for (size_t i = 0; i < n; ++i) {
        sum += hold[i];
        sum -= hold[(i + n - w) % n];
        gain[i] = std::min(static_cast<float>(sum / w), need[i]);
    }
    // Release: rise slowly, fall at once. Two laps so the seam state is settled.
    const float coef = OnePoleCoef(release);
    float g = 1.0f;
    for (int lap = 0; lap < 2; ++lap) {
        for (size_t i = 0; i < n; ++i) {
            g = gain[i] < g ? gain[i] : gain[i] + (g - gain[i]) * coef;
            if (lap == 1) {
                buf.left[i] *= g;
                buf.right[i] *= g;
            }
        }
    }
    // Rounding safety: the ramp guarantees the ceiling up to float error.
    for (size_t i = 0; i < n; ++i) {
        buf.left[i] = std::clamp(buf.left[i], -ceiling, ceiling);
        buf.right[i] = std::clamp(buf.right[i], -ceiling, ceiling);
    }
}

float MeasurePeak(const StereoBuffer &buf) {
    float peak = 0.0f;
    for (size_t i = 0; i < buf.Frames(); ++i)
        peak = std::max({peak, std::fabs(buf.left[i]), std::fabs(buf.right[i])});
    return peak;
}

void MasterToLoudness(StereoBuffer &buf, float targetLufs, float truePeakDb) {
    const StereoBuffer source = buf;
    const double sourceLufs = IntegratedLoudness(KWeightedSegments(source));
    if (sourceLufs <= kSilenceLufs)
        return;
    const float peakLimit = DbToGain(truePeakDb);
    float ceiling = peakLimit;
    float gain = DbToGain(static_cast<float>(targetLufs - sourceLufs));
    // Outer rounds lower the sample ceiling until the true peak fits; inner passes find
    // the gain that lands on the loudness with that ceiling.
    for (int round = 0; round < 4; ++round) {
        // The clipper only rounds transients that overshoot the ceiling; the limiter then
        // rides the gain for the rest.
        const float clipCeiling = ceiling * DbToGain(2.5f);
        for (int pass = 0; pass < 5; ++pass) {
            buf = source;
            for (size_t i = 0; i < buf.Frames(); ++i) {
                buf.left[i] = SoftClip(buf.left[i] * gain, ceiling, clipCeiling);
                buf.right[i] = SoftClip(buf.right[i] * gain, ceiling, clipCeiling);
            }
            LimitCircular(buf, ceiling);
            const double errDb = targetLufs - IntegratedLoudness(KWeightedSegments(buf));
            if (std::fabs(errDb) < 0.03)
                break;
            gain *= DbToGain(static_cast<float>(errDb));
        }
        const float peak = TruePeak(buf);
        if (peak <= peakLimit)
            return;
        ceiling *= peakLimit / peak * 0.995f;
    }
}

} // namespace synth
