#include "song.h"

#include "filter.h"
#include "master.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>

namespace synth {

float CAutomation::Eval(double beat) const {
    if (m_points.empty())
        return 0.0f;
    if (beat <= m_points.front().beat)
        return m_points.front().value;
    for (size_t i = 1; i < m_points.size(); ++i) {
        const Point &b = m_points[i];
        if (beat < b.beat) {
            const Point &a = m_points[i - 1];
            const double span = b.beat - a.beat;
            const double f = span > 0.0 ? (beat - a.beat) / span : 1.0;
            return static_cast<float>(a.value + (b.value - a.value) * f);
        }
    }
    return m_points.back().value;
}

size_t LoopFrames(const Song &song) {
    const double frames = song.lengthBeats * song.SecondsPerBeat() * kSampleRate;
    return frames > 1.0 ? static_cast<size_t>(std::llround(frames)) : 1;
}

namespace {

struct Timeline {
    double samplesPerBeat;
    double lengthBeats;
    long preroll;  // frames rendered before song time 0
    size_t frames; // preroll + loop frames

    // Song beat of a timeline frame, wrapped into the loop.
    double BeatAt(size_t frame) const {
        double beat = (static_cast<double>(frame) - preroll) / samplesPerBeat;
        beat = std::fmod(beat, lengthBeats);
        return beat < 0.0 ? beat + lengthBeats : beat;
    }
    long FrameOf(double beat) const { return std::lround(beat * samplesPerBeat) + preroll; }
};

// The notes of a channel plus copies of the last ones moved one loop earlier, so their
// sound is present at the start. Each copy keeps the index (seed) of its original.
std::vector<std::pair<NoteEvent, uint32_t>> LoopedNotes(const Channel &ch, const Timeline &tl) {
    std::vector<std::pair<NoteEvent, uint32_t>> out;
    const double prerollBeats = tl.preroll / tl.samplesPerBeat;
    for (size_t i = 0; i < ch.notes.size(); ++i) {
        out.push_back({ch.notes[i], static_cast<uint32_t>(i)});
        NoteEvent copy = ch.notes[i];
        copy.beat -= tl.lengthBeats;
        // Anything that may still sound inside the preroll (tails last a few seconds).
        if (copy.beat + copy.length + 24.0 > -prerollBeats)
            out.push_back({copy, static_cast<uint32_t>(i)});
    }
    return out;
}

void AddAt(std::vector<float> &dst, long start, const std::vector<float> &src) {
    for (size_t k = 0; k < src.size(); ++k) {
        const long i = start + static_cast<long>(k);
        if (i < 0)
            continue;
        if (static_cast<size_t>(i) >= dst.size())
            break;
        dst[i] += src[k];
    }
}

std::vector<float> DuckEnvelope(const Song &song, const Timeline &tl) {
    std::vector<long> hits;
    for (const Channel &ch : song.channels) {
        if (!ch.sidechainSource)
            continue;
        for (const auto &[note, index] : LoopedNotes(ch, tl)) {
            (void)index;
            hits.push_back(tl.FrameOf(note.beat));
        }
    }
    std::sort(hits.begin(), hits.end());
    std::vector<float> env(tl.frames, 0.0f);
    const double attack = std::max(1.0, song.duckAttack * static_cast<double>(kSampleRate));
    const float releaseCoef = OnePoleCoef(song.duckRelease);
    size_t next = 0;
    long last = -1;
    bool active = false;
    float level = 0.0f;
    for (size_t i = 0; i < tl.frames; ++i) {
        const long frame = static_cast<long>(i);
        while (next < hits.size() && hits[next] <= frame) {
            last = hits[next++];
            active = true;
        }
        if (active) {
            const double since = static_cast<double>(frame - last);
            if (since < attack)
                level = std::max(level, static_cast<float>(since / attack));
            else
                level *= releaseCoef;
        }
        env[i] = level;
    }
    return env;
}

} // namespace

StereoBuffer RenderSong(const Song &song) {
    Timeline tl;
    tl.samplesPerBeat = song.SecondsPerBeat() * kSampleRate;
    tl.lengthBeats = song.lengthBeats;
    const size_t loop = LoopFrames(song);
    tl.preroll = std::lround(song.prerollSeconds * kSampleRate);
    tl.frames = loop + static_cast<size_t>(tl.preroll);

    StereoBuffer dry, reverbSend, delaySend;
    dry.Resize(tl.frames);
    reverbSend.Resize(tl.frames);
    delaySend.Resize(tl.frames);
    const std::vector<float> duck = DuckEnvelope(song, tl);
    const double loopSeconds = static_cast<double>(loop) / kSampleRate;

    std::vector<float> mono(tl.frames), note;
    // Drum hits repeat: identical patch, velocity and tuning sound the same apart from
    // their noise, so four noise variants per hit shape are rendered once and reused.
    std::map<std::tuple<size_t, float, float, uint32_t>, std::vector<float>> drumCache;
    StereoBuffer wide;
    for (size_t c = 0; c < song.channels.size(); ++c) {
        const Channel &ch = song.channels[c];
        std::fill(mono.begin(), mono.end(), 0.0f);
        for (const auto &[ev, index] : LoopedNotes(ch, tl)) {
            const long start = tl.FrameOf(ev.beat);
            if (start >= static_cast<long>(tl.frames))
                continue;
            const uint32_t seed = HashSeed(static_cast<uint32_t>(c) + 1u, index);
            if (ch.isDrum) {
                const auto key = std::make_tuple(c, ev.velocity, ev.pitch, index % 4u);
                auto found = drumCache.find(key);
                if (found == drumCache.end()) {
                    RenderDrum(ch.drum, ev.velocity, ev.pitch,
                               HashSeed(static_cast<uint32_t>(c) + 1u, index % 4u), note);
                    found = drumCache.emplace(key, note).first;
                }
                note = found->second;
            } else {
                const int gate = std::max(1, static_cast<int>(std::lround(ev.length * tl.samplesPerBeat)));
                if (start + gate + static_cast<long>(ch.voice.maxTail * kSampleRate) < 0)
                    continue;
                RenderVoice(ch.voice, ev.pitch, ev.velocity, gate, seed, note);
            }
            AddAt(mono, start, note);
        }

        // Channel strip: sweep filter, level curve, ducking.
        const float base = DbToGain(ch.gainDb);
        CSvfFilter sweep, lowCut;
        if (ch.highPass > 0.0f)
            lowCut.SetParams(ch.highPass, 0.707f);
        float levelGain = base;
        for (size_t i = 0; i < tl.frames; ++i) {
            if (i % 32 == 0) {
                const double beat = tl.BeatAt(i);
                if (!ch.cutoff.Empty())
                    sweep.SetParams(ch.cutoff.Eval(beat), ch.cutoffQ);
                levelGain = base * (ch.levelDb.Empty() ? 1.0f : DbToGain(ch.levelDb.Eval(beat)));
            }
            float s = mono[i];
            if (!ch.cutoff.Empty())
                s = sweep.Process(s);
            if (ch.highPass > 0.0f)
                s = lowCut.Process(s, FilterMode::HighPass);
            mono[i] = s * levelGain * (1.0f - ch.duck * duck[i]);
        }

        float pl, pr;
        PanGains(ch.pan, pl, pr);
        if (ch.chorus) {
            ChorusParams cp = ch.chorusParams;
            // Whole LFO cycles per loop keep the modulation continuous at the seam.
            cp.rate = static_cast<float>(std::max(1.0, std::round(cp.rate * loopSeconds)) / loopSeconds);
            wide.Resize(tl.frames);
            ApplyChorus(cp, mono, wide, -static_cast<double>(tl.preroll) / kSampleRate);
        }
        for (size_t i = 0; i < tl.frames; ++i) {
            const float l = (ch.chorus ? wide.left[i] : mono[i]) * pl;
            const float r = (ch.chorus ? wide.right[i] : mono[i]) * pr;
            dry.left[i] += l;
            dry.right[i] += r;
            reverbSend.left[i] += l * ch.reverbSend;
            reverbSend.right[i] += r * ch.reverbSend;
            delaySend.left[i] += l * ch.delaySend;
            delaySend.right[i] += r * ch.delaySend;
        }
    }

    // Echoes feed the reverb too, which glues them into the space.
    StereoBuffer echoes;
    echoes.Resize(tl.frames);
    ApplyDelay(song.delay, delaySend, echoes);
    for (size_t i = 0; i < tl.frames; ++i) {
        dry.left[i] += echoes.left[i];
        dry.right[i] += echoes.right[i];
        reverbSend.left[i] += 0.3f * echoes.left[i];
        reverbSend.right[i] += 0.3f * echoes.right[i];
    }
    ApplyReverb(song.reverb, reverbSend, dry);

    StereoBuffer out;
    out.left.assign(dry.left.begin() + tl.preroll, dry.left.end());
    out.right.assign(dry.right.begin() + tl.preroll, dry.right.end());
    RemoveDcCircular(out);
    MasterToLoudness(out, song.targetLufs, song.truePeakDb);
    return out;
}

} // namespace synth
