// Shared constants, unit conversions and the deterministic noise source of the synthesiser.
#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

namespace synth {

constexpr int kSampleRate = 44100;
constexpr float kPi = 3.14159265358979323846f;
constexpr float kTwoPi = 2.0f * kPi;

inline float DbToGain(float db) { return std::pow(10.0f, db / 20.0f); }
inline float GainToDb(float gain) { return 20.0f * std::log10(gain > 1e-12f ? gain : 1e-12f); }

// Equal-tempered pitch: MIDI note 69 is 440 Hz. Fractional notes give detuning.
inline float NoteToHz(float midi) { return 440.0f * std::pow(2.0f, (midi - 69.0f) / 12.0f); }

// Exponential smoothing coefficient that covers ~63% of the way in `seconds`.
inline float OnePoleCoef(float seconds) {
    if (seconds <= 0.0f)
        return 0.0f;
    return std::exp(-1.0f / (seconds * kSampleRate));
}

// Rational approximation of tanh, exact at 0, monotonic, saturating at +-1 for |x| >= 3.
// Cheaper than std::tanh in the per-sample loops and the same on every platform.
inline float FastTanh(float x) {
    if (x > 3.0f)
        return 1.0f;
    if (x < -3.0f)
        return -1.0f;
    const float x2 = x * x;
    return x * (27.0f + x2) / (27.0f + 9.0f * x2);
}

// xorshift32: the same seed gives the same stream on every run and platform.
class CRandom {
  public:
    explicit CRandom(uint32_t seed = 0x9e3779b9u) : m_state(seed ? seed : 0x9e3779b9u) {}
    uint32_t NextU32() {
        uint32_t x = m_state;
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        m_state = x;
        return x;
    }
    // Uniform in [0, 1).
    float NextUnit() { return (NextU32() >> 8) * (1.0f / 16777216.0f); }
    // Uniform in [-1, 1).
    float NextBipolar() { return NextUnit() * 2.0f - 1.0f; }

  private:
    uint32_t m_state;
};

// Mixes two seeds into one, so each note or hit gets its own independent noise.
inline uint32_t HashSeed(uint32_t a, uint32_t b) {
    uint32_t h = a * 0x85ebca6bu ^ (b + 0x9e3779b9u + (a << 6) + (a >> 2));
    h ^= h >> 16;
    h *= 0x7feb352du;
    h ^= h >> 15;
    h *= 0x846ca68bu;
    h ^= h >> 16;
    return h;
}

struct StereoBuffer {
    std::vector<float> left;
    std::vector<float> right;

    void Resize(size_t frames) {
        left.assign(frames, 0.0f);
        right.assign(frames, 0.0f);
    }
    size_t Frames() const { return left.size(); }
};

// Sets flush-to-zero and denormals-are-zero for the calling thread, so decaying tails
// never fall into slow subnormal arithmetic.
void DisableDenormals();

} // namespace synth
