#include "measures.h"

#include "synth/loudness.h"

#include <algorithm>
#include <cmath>
#include <complex>

namespace music {

namespace {

using synth::kSampleRate;

// In-place radix-2 FFT; the size must be a power of two.
void Fft(std::vector<std::complex<double>> &a) {
    const size_t n = a.size();
    for (size_t i = 1, j = 0; i < n; ++i) {
        size_t bit = n >> 1;
        for (; j & bit; bit >>= 1)
            j ^= bit;
        j ^= bit;
        if (i < j)
            std::swap(a[i], a[j]);
    }
    for (size_t len = 2; len <= n; len <<= 1) {
        const double angle = -2.0 * M_PI / static_cast<double>(len);
        const std::complex<double> step(std::cos(angle), std::sin(angle));
        for (size_t i = 0; i < n; i += len) {
            std::complex<double> w(1.0, 0.0);
            for (size_t k = 0; k < len / 2; ++k) {
                const std::complex<double> u = a[i + k], v = a[i + k + len / 2] * w;
                a[i + k] = u + v;
                a[i + k + len / 2] = u - v;
                w *= step;
            }
        }
    }
}

// Power spectrum (bins 0 .. size/2) of `size` frames from `start` of the mono or one
// channel signal, Hann-windowed; frames past the end count as silence.
std::vector<double> PowerSpectrum(const std::vector<float> &x, size_t start, size_t size) {
    std::vector<std::complex<double>> a(size);
    for (size_t i = 0; i < size; ++i) {
        const double w = 0.5 - 0.5 * std::cos(2.0 * M_PI * static_cast<double>(i) / size);
        a[i] = start + i < x.size() ? x[start + i] * w : 0.0;
    }
    Fft(a);
    std::vector<double> p(size / 2 + 1);
    for (size_t k = 0; k < p.size(); ++k)
        p[k] = std::norm(a[k]);
    return p;
}

double BinHz(size_t bin, size_t size) { return static_cast<double>(bin) * kSampleRate / size; }

// Whole-side spectral balance from a Welch average of both channels.
void SpectralShares(const synth::StereoBuffer &audio, double &lowShare, double &airDb) {
    constexpr size_t kSize = 16384;
    double low = 0.0, air = 0.0, total = 0.0;
    for (const std::vector<float> *ch : {&audio.left, &audio.right}) {
        for (size_t start = 0; start + kSize <= ch->size(); start += kSize / 2) {
            const std::vector<double> p = PowerSpectrum(*ch, start, kSize);
            for (size_t k = 1; k < p.size(); ++k) {
                const double hz = BinHz(k, kSize);
                total += p[k];
                if (hz < 60.0)
                    low += p[k];
                if (hz >= 6000.0 && hz < 12000.0)
                    air += p[k];
            }
        }
    }
    lowShare = total > 0.0 ? low / total : 0.0;
    airDb = total > 0.0 && air > 0.0 ? 10.0 * std::log10(air / total) : -200.0;
}

double Db(double ratio) { return ratio > 1e-30 ? 10.0 * std::log10(ratio) : -300.0; }

} // namespace

TrackFigures MeasureTrack(const synth::StereoBuffer &audio, double secondsPerBar,
                          std::vector<ChunkFigures> *chunks) {
    TrackFigures f;
    const size_t frames = audio.Frames();
    f.seconds = static_cast<double>(frames) / kSampleRate;

    const std::vector<double> seg = synth::KWeightedSegments(audio);
    f.integratedLufs = synth::IntegratedLoudness(seg);
    f.truePeakDb = synth::GainToDb(synth::TruePeak(audio));
    f.rangeLu = synth::LoudnessRange(seg);
    const std::vector<double> eight = synth::WindowLoudness(seg, 80);
    if (!eight.empty()) {
        f.loudest8sLufs = *std::max_element(eight.begin(), eight.end());
        // Window i covers segments i .. i+79; keep those inside the middle 70%.
        const size_t first = static_cast<size_t>(kIntroOutroShare * seg.size());
        const size_t last = seg.size() - first; // one past the last segment allowed
        f.quietest8sLufs = f.loudest8sLufs;
        for (size_t i = first; i + 80 <= last && i < eight.size(); ++i)
            f.quietest8sLufs = std::min(f.quietest8sLufs, eight[i]);
        f.quietDipLu = f.loudest8sLufs - f.quietest8sLufs;
    }

    double lr = 0.0, ll = 0.0, rr = 0.0;
    for (size_t i = 0; i < frames; ++i) {
        lr += static_cast<double>(audio.left[i]) * audio.right[i];
        ll += static_cast<double>(audio.left[i]) * audio.left[i];
        rr += static_cast<double>(audio.right[i]) * audio.right[i];
    }
    f.correlation = ll > 0.0 && rr > 0.0 ? lr / std::sqrt(ll * rr) : 0.0;
    // Mono fold-down: both channels carry (L + R) / 2. Fully correlated material loses
    // nothing, unrelated channels 3 LU; more means parts cancel.
    synth::StereoBuffer folded;
    folded.left.resize(frames);
    for (size_t i = 0; i < frames; ++i)
        folded.left[i] = 0.5f * (audio.left[i] + audio.right[i]);
    folded.right = folded.left;
    f.monoLossLu = f.integratedLufs - synth::IntegratedLoudness(synth::KWeightedSegments(folded));
    SpectralShares(audio, f.lowShare, f.airDb);

    // Spectrogram of 4-bar chunks: one column per sixteenth note (a sixteenth of a bar),
    // 24 bands from 40 Hz to 16 kHz, for the twin search and the chunk listing.
    constexpr size_t kFft = 4096;
    constexpr int kBands = 24, kSteps = 64;
    const double framesPerBar = secondsPerBar * kSampleRate;
    const int chunkCount = static_cast<int>(std::floor(frames / (4.0 * framesPerBar)));
    std::vector<float> mono(frames);
    for (size_t i = 0; i < frames; ++i)
        mono[i] = 0.5f * (audio.left[i] + audio.right[i]);
    std::vector<double> edges(kBands + 1);
    for (int b = 0; b <= kBands; ++b)
        edges[b] = 40.0 * std::pow(16000.0 / 40.0, static_cast<double>(b) / kBands);
    std::vector<std::vector<double>> grams(chunkCount, std::vector<double>(kBands * kSteps, 0.0));
    std::vector<ChunkFigures> list(chunkCount);
    // Short frames every 1024 samples, each added to the sixteenth its centre falls in.
    std::vector<double> low(chunkCount, 0.0), mid(chunkCount, 0.0), high(chunkCount, 0.0);
    for (size_t start = 0; start + kFft <= frames; start += 1024) {
        const double bars = (start + kFft / 2.0) / framesPerBar;
        const int c = static_cast<int>(bars / 4.0);
        if (c >= chunkCount)
            break;
        const int s = std::min(kSteps - 1, static_cast<int>((bars - 4.0 * c) * 16.0));
        const std::vector<double> p = PowerSpectrum(mono, start, kFft);
        for (size_t k = 1; k < p.size(); ++k) {
            const double hz = BinHz(k, kFft);
            (hz < 250.0 ? low[c] : hz < 4000.0 ? mid[c] : high[c]) += p[k];
            const int band = static_cast<int>(
                std::floor(kBands * std::log(hz / 40.0) / std::log(16000.0 / 40.0)));
            if (band >= 0 && band < kBands)
                grams[c][band * kSteps + s] += p[k];
        }
    }
    for (int c = 0; c < chunkCount; ++c) {
        ChunkFigures &cf = list[c];
        cf.firstBar = 4 * c;
        const double all = low[c] + mid[c] + high[c];
        cf.lowDb = Db(low[c] / all);
        cf.midDb = Db(mid[c] / all);
        cf.highDb = Db(high[c] / all);
        const size_t a = static_cast<size_t>(4.0 * c * framesPerBar);
        const size_t b = std::min(frames, static_cast<size_t>(4.0 * (c + 1) * framesPerBar));
        double mm = 0.0, ss = 0.0;
        for (size_t i = a; i < b; ++i) {
            const double m = 0.5 * (audio.left[i] + audio.right[i]);
            const double d = 0.5 * (audio.left[i] - audio.right[i]);
            mm += m * m;
            ss += d * d;
        }
        cf.width = Db(ss / std::max(mm, 1e-30));
        const size_t s0 = a / synth::kLoudnessSegment, s1 = std::min(seg.size(), b / synth::kLoudnessSegment);
        if (s1 > s0)
            cf.lufs = synth::WindowLoudness(std::vector<double>(seg.begin() + s0, seg.begin() + s1),
                                            s1 - s0)[0];
    }
    // dB with a floor 60 dB under the loudest cell of the side.
    double top = 0.0;
    for (const auto &g : grams)
        for (double v : g)
            top = std::max(top, v);
    for (auto &g : grams)
        for (double &v : g)
            v = Db(std::max(v, top * 1e-6) / std::max(top, 1e-30));
    int twins = 0;
    for (int c = 0; c < chunkCount; ++c) {
        double best = 1e9;
        int bestChunk = -1;
        for (int d = 0; d < chunkCount; ++d) {
            if (d == c)
                continue;
            double sum = 0.0;
            for (size_t k = 0; k < grams[c].size(); ++k) {
                const double diff = grams[c][k] - grams[d][k];
                sum += diff * diff;
            }
            const double dist = std::sqrt(sum / grams[c].size());
            if (dist < best) {
                best = dist;
                bestChunk = d;
            }
        }
        list[c].twinDistance = best;
        if (best < kTwinDistanceDb) {
            list[c].twinOf = 4 * bestChunk;
            ++twins;
        }
    }
    f.twinShare = chunkCount > 0 ? static_cast<double>(twins) / chunkCount : 0.0;
    if (chunks)
        *chunks = list;
    return f;
}

} // namespace music
