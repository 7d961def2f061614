#include "loudness.h"

#include <algorithm>
#include <cmath>

namespace synth {

namespace {

constexpr double kPiD = 3.14159265358979323846;

struct Biquad {
    double b0, b1, b2, a1, a2;
    double z1 = 0.0, z2 = 0.0;
    double Process(double x) {
        const double y = b0 * x + z1;
        z1 = b1 * x - a1 * y + z2;
        z2 = b2 * x - a2 * y;
        return y;
    }
};

// The two K-weighting stages (a high shelf of about +4 dB above 1.5 kHz, then a high-pass
// near 38 Hz), designed for the sample rate from their analogue prototypes; at 48 kHz
// they give the coefficients tabulated in BS.1770.
Biquad Shelf() {
    const double f0 = 1681.974450955533, gainDb = 3.999843853973347, q = 0.7071752369554196;
    const double k = std::tan(kPiD * f0 / kSampleRate);
    const double vh = std::pow(10.0, gainDb / 20.0);
    const double vb = std::pow(vh, 0.4996667741545416);
    const double a0 = 1.0 + k / q + k * k;
    return {(vh + vb * k / q + k * k) / a0, 2.0 * (k * k - vh) / a0, (vh - vb * k / q + k * k) / a0,
            2.0 * (k * k - 1.0) / a0, (1.0 - k / q + k * k) / a0};
}

Biquad HighPass() {
    const double f0 = 38.13547087602444, q = 0.5003270373238773;
    const double k = std::tan(kPiD * f0 / kSampleRate);
    const double a0 = 1.0 + k / q + k * k;
    return {1.0, -2.0, 1.0, 2.0 * (k * k - 1.0) / a0, (1.0 - k / q + k * k) / a0};
}

double Mean(const std::vector<double> &v) {
    double sum = 0.0;
    for (double x : v)
        sum += x;
    return v.empty() ? 0.0 : sum / static_cast<double>(v.size());
}

// Powers (mean squares) of every window of `n` segments, one per segment step.
std::vector<double> WindowPowers(const std::vector<double> &seg, size_t n) {
    std::vector<double> out;
    if (n == 0 || seg.size() < n)
        return out;
    double sum = 0.0;
    for (size_t i = 0; i < seg.size(); ++i) {
        sum += seg[i];
        if (i >= n)
            sum -= seg[i - n];
        if (i + 1 >= n)
            out.push_back(std::max(0.0, sum) / static_cast<double>(n));
    }
    return out;
}

constexpr double kAbsoluteGateLufs = -70.0;

// The powers at or above the absolute gate.
std::vector<double> AboveAbsoluteGate(const std::vector<double> &powers) {
    std::vector<double> out;
    for (double p : powers)
        if (PowerToLufs(p) >= kAbsoluteGateLufs)
            out.push_back(p);
    return out;
}

} // namespace

std::vector<double> KWeightedSegments(const StereoBuffer &buf) {
    const size_t count = buf.Frames() / kLoudnessSegment;
    std::vector<double> out(count, 0.0);
    for (const std::vector<float> *channel : {&buf.left, &buf.right}) {
        Biquad shelf = Shelf(), hp = HighPass();
        for (size_t s = 0; s < count; ++s) {
            double sum = 0.0;
            const float *x = channel->data() + s * kLoudnessSegment;
            for (size_t i = 0; i < kLoudnessSegment; ++i) {
                const double y = hp.Process(shelf.Process(x[i]));
                sum += y * y;
            }
            out[s] += sum / kLoudnessSegment;
        }
    }
    return out;
}

double PowerToLufs(double power) {
    return power > 1e-20 ? -0.691 + 10.0 * std::log10(power) : kSilenceLufs;
}

double IntegratedLoudness(const std::vector<double> &segments) {
    const std::vector<double> gated = AboveAbsoluteGate(WindowPowers(segments, 4));
    if (gated.empty())
        return kSilenceLufs;
    const double relativeGate = PowerToLufs(Mean(gated)) - 10.0;
    std::vector<double> kept;
    for (double p : gated)
        if (PowerToLufs(p) >= relativeGate)
            kept.push_back(p);
    return PowerToLufs(Mean(kept));
}

std::vector<double> WindowLoudness(const std::vector<double> &segments, size_t windowSegments) {
    std::vector<double> out = WindowPowers(segments, windowSegments);
    for (double &v : out)
        v = PowerToLufs(v);
    return out;
}

double LoudnessRange(const std::vector<double> &segments) {
    const std::vector<double> gated = AboveAbsoluteGate(WindowPowers(segments, 30));
    if (gated.empty())
        return 0.0;
    const double relativeGate = PowerToLufs(Mean(gated)) - 20.0;
    std::vector<double> kept;
    for (double p : gated) {
        const double l = PowerToLufs(p);
        if (l >= relativeGate)
            kept.push_back(l);
    }
    std::sort(kept.begin(), kept.end());
    auto percentile = [&kept](double p) {
        return kept[static_cast<size_t>(std::lround(p * static_cast<double>(kept.size() - 1)))];
    };
    return percentile(0.95) - percentile(0.10);
}

float TruePeak(const StereoBuffer &buf) {
    // Three interpolated phases between each pair of samples: a Hann-windowed sinc over
    // 16 input samples, each phase normalised to unity gain at DC.
    constexpr int kTaps = 16, kHalf = kTaps / 2;
    float taps[3][kTaps];
    for (int p = 0; p < 3; ++p) {
        const double frac = (p + 1) / 4.0;
        double sum = 0.0;
        for (int k = 0; k < kTaps; ++k) {
            const double t = frac - (k - kHalf + 1); // distance to input sample n + k - 7
            const double sinc = std::sin(kPiD * t) / (kPiD * t);
            const double w = std::cos(kPiD * t / (2.0 * kHalf));
            taps[p][k] = static_cast<float>(sinc * w * w);
            sum += taps[p][k];
        }
        for (float &c : taps[p])
            c = static_cast<float>(c / sum);
    }
    const size_t n = buf.Frames();
    float peak = 0.0f;
    std::vector<float> padded(n + kTaps);
    for (const std::vector<float> *channel : {&buf.left, &buf.right}) {
        if (n == 0)
            break;
        // padded[j] = x[j - 7], wrapped around the loop.
        for (size_t j = 0; j < padded.size(); ++j)
            padded[j] = (*channel)[(j + n * kTaps - (kHalf - 1)) % n];
        for (size_t i = 0; i < n; ++i) {
            const float *x = padded.data() + i;
            peak = std::max(peak, std::fabs(x[kHalf - 1]));
            for (int p = 0; p < 3; ++p) {
                float y = 0.0f;
                for (int k = 0; k < kTaps; ++k)
                    y += taps[p][k] * x[k];
                peak = std::max(peak, std::fabs(y));
            }
        }
    }
    return peak;
}

} // namespace synth
