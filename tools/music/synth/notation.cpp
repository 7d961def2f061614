#include "notation.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <sstream>

namespace synth {

namespace {

int PitchClass(char letter) {
    switch (std::tolower(static_cast<unsigned char>(letter))) {
    case 'c': return 0;
    case 'd': return 2;
    case 'e': return 4;
    case 'f': return 5;
    case 'g': return 7;
    case 'a': return 9;
    case 'b': return 11;
    default: return -1;
    }
}

// Reads a root like "F#" or "Bb" at text[pos]; advances pos; -1 when none.
int ReadRoot(const std::string &text, size_t &pos) {
    if (pos >= text.size())
        return -1;
    int pc = PitchClass(text[pos]);
    if (pc < 0)
        return -1;
    ++pos;
    if (pos < text.size() && text[pos] == '#') {
        ++pc;
        ++pos;
    } else if (pos < text.size() && text[pos] == 'b') {
        --pc;
        ++pos;
    }
    return (pc + 12) % 12;
}

std::vector<std::string> Tokens(const std::string &line) {
    std::istringstream in(line);
    std::vector<std::string> out;
    std::string tok;
    while (in >> tok)
        out.push_back(tok);
    return out;
}

float Clamp01(float v) { return std::clamp(v, 0.0f, 1.0f); }

} // namespace

int ParseNote(const std::string &text) {
    size_t pos = 0;
    const int pc = ReadRoot(text, pos);
    if (pc < 0 || pos >= text.size())
        return -1;
    // Octave digits, possibly negative ("c-1").
    bool neg = false;
    if (text[pos] == '-') {
        neg = true;
        ++pos;
    }
    if (pos >= text.size() || !std::isdigit(static_cast<unsigned char>(text[pos])))
        return -1;
    const int octave = (text[pos] - '0') * (neg ? -1 : 1);
    // The root reader wraps Cb/B# into the same octave number's pitch class; treat
    // accidentals as written: "cb4" is B3, "b#3" is C4.
    int midi = (octave + 1) * 12 + pc;
    const char letter = static_cast<char>(std::tolower(static_cast<unsigned char>(text[0])));
    if (letter == 'c' && text.size() > 1 && text[1] == 'b')
        midi -= 12;
    if (letter == 'b' && text.size() > 1 && text[1] == '#')
        midi += 12;
    return midi >= 0 && midi < 128 ? midi : -1;
}

Chord ParseChord(const std::string &symbol) {
    Chord chord;
    size_t pos = 0;
    const int root = ReadRoot(symbol, pos);
    chord.root = root < 0 ? 0 : root;
    chord.bass = chord.root;
    std::string quality = symbol.substr(std::min(pos, symbol.size()));
    const size_t slash = quality.find('/');
    if (slash != std::string::npos) {
        size_t bpos = slash + 1;
        const int bass = ReadRoot(quality, bpos);
        if (bass >= 0)
            chord.bass = bass;
        quality = quality.substr(0, slash);
    }
    struct Quality {
        const char *name;
        std::vector<int> intervals;
    };
    static const Quality kQualities[] = {
        {"", {0, 4, 7}},          {"m", {0, 3, 7}},         {"7", {0, 4, 7, 10}},
        {"m7", {0, 3, 7, 10}},    {"maj7", {0, 4, 7, 11}},  {"sus2", {0, 2, 7}},
        {"sus4", {0, 5, 7}},      {"7sus4", {0, 5, 7, 10}}, {"add9", {0, 2, 4, 7}},
        {"m9", {0, 2, 3, 7, 10}}, {"maj9", {0, 2, 4, 7, 11}}, {"6", {0, 4, 7, 9}},
        {"m6", {0, 3, 7, 9}},     {"dim", {0, 3, 6}},       {"aug", {0, 4, 8}},
        {"madd9", {0, 2, 3, 7}},
    };
    chord.intervals = kQualities[0].intervals;
    for (const Quality &q : kQualities) {
        if (quality == q.name) {
            chord.intervals = q.intervals;
            break;
        }
    }
    return chord;
}

double AddMelody(Channel &ch, double beat, const std::string &line, double stepBeats,
                 float velocity, float gate, int transpose) {
    double t = beat;
    NoteEvent *last = nullptr;
    for (std::string tok : Tokens(line)) {
        if (tok == "-") {
            if (last)
                last->length += stepBeats;
            t += stepBeats;
            continue;
        }
        if (tok == ".") {
            last = nullptr;
            t += stepBeats;
            continue;
        }
        float vel = velocity;
        while (!tok.empty() && (tok.back() == '!' || tok.back() == '?')) {
            vel += tok.back() == '!' ? 0.15f : -0.25f;
            tok.pop_back();
        }
        double steps = 1.0;
        const size_t colon = tok.find(':');
        if (colon != std::string::npos) {
            steps = std::atof(tok.c_str() + colon + 1);
            if (!(steps > 0.0) || steps > 256.0)
                steps = 1.0;
            tok = tok.substr(0, colon);
        }
        if (tok == "r" || tok.empty()) {
            last = nullptr;
            t += steps * stepBeats;
            continue;
        }
        const int midi = ParseNote(tok);
        if (midi < 0) {
            last = nullptr;
            t += steps * stepBeats;
            continue;
        }
        NoteEvent ev;
        ev.beat = t;
        ev.length = steps * stepBeats * gate;
        ev.pitch = static_cast<float>(midi + transpose);
        ev.velocity = Clamp01(vel);
        ch.notes.push_back(ev);
        last = &ch.notes.back();
        t += steps * stepBeats;
    }
    return t - beat;
}

double AddDrums(Channel &ch, double beat, const std::string &grid, double stepBeats, float velocity,
                float tune) {
    double t = beat;
    for (char c : grid) {
        if (c == ' ' || c == '|')
            continue;
        float v = 0.0f;
        if (c == 'X')
            v = 1.0f;
        else if (c == 'x')
            v = 0.78f;
        else if (c == 'o')
            v = 0.45f;
        if (v > 0.0f) {
            NoteEvent ev;
            ev.beat = t;
            ev.length = stepBeats;
            ev.pitch = tune;
            ev.velocity = Clamp01(v * velocity);
            ch.notes.push_back(ev);
        }
        t += stepBeats;
    }
    return t - beat;
}

double AddBass(Channel &ch, double beat, const Chord &chord, const std::string &rhythm,
               int octaveBase, double stepBeats, float velocity, float gate, int transpose) {
    const int root = octaveBase + chord.bass + transpose;
    const int rootChord = octaveBase + chord.root + transpose;
    auto interval = [&](size_t index, int fallback) {
        return index < chord.intervals.size() ? chord.intervals[index] : fallback;
    };
    double t = beat;
    NoteEvent *last = nullptr;
    for (char c : rhythm) {
        if (c == ' ' || c == '|')
            continue;
        int pitch = -1;
        float vel = velocity;
        switch (c) {
        case 'R': pitch = root; break;
        case 'r': pitch = root; vel *= 0.6f; break;
        case 'O': pitch = root + 12; break;
        case 'F': pitch = rootChord + 7 + (rootChord + 7 - root > 12 ? -12 : 0); break;
        case 'T': pitch = rootChord + interval(1, 4); break;
        case 'S': pitch = rootChord + (chord.intervals.size() > 3 ? chord.intervals.back() : 12); break;
        default: break;
        }
        if (c == '-') {
            if (last)
                last->length += stepBeats;
        } else if (pitch >= 0) {
            NoteEvent ev;
            ev.beat = t;
            ev.length = stepBeats * gate;
            ev.pitch = static_cast<float>(pitch);
            ev.velocity = Clamp01(vel);
            ch.notes.push_back(ev);
            last = &ch.notes.back();
        } else {
            last = nullptr;
        }
        t += stepBeats;
    }
    return t - beat;
}

std::vector<int> Voicing(const Chord &chord, int low, int extraTop, int transpose) {
    std::vector<int> out;
    for (int iv : chord.intervals) {
        const int pc = (chord.root + iv + transpose) % 12;
        int p = low + ((pc - low) % 12 + 12) % 12;
        out.push_back(p);
    }
    std::sort(out.begin(), out.end());
    const size_t base = out.size();
    for (int k = 0; k < extraTop && base > 0; ++k)
        out.push_back(out[k % base] + 12 * (1 + k / static_cast<int>(base)));
    return out;
}

void AddChord(Channel &ch, double beat, const Chord &chord, double length, int low, float velocity,
              int extraTop, int transpose) {
    for (int p : Voicing(chord, low, extraTop, transpose)) {
        NoteEvent ev;
        ev.beat = beat;
        ev.length = length;
        ev.pitch = static_cast<float>(p);
        ev.velocity = Clamp01(velocity);
        ch.notes.push_back(ev);
    }
}

void AddArp(Channel &ch, double beat, const Chord &chord, double length, const std::string &order,
            int low, double stepBeats, float velocity, float gate, int transpose) {
    const std::vector<int> tones = Voicing(chord, low, static_cast<int>(chord.intervals.size()) * 2,
                                           transpose);
    std::vector<int> idx;
    for (char c : order)
        if (c >= '0' && c <= '9')
            idx.push_back(c - '0');
    if (idx.empty() || tones.empty() || !(stepBeats > 0.0))
        return;
    const int steps = static_cast<int>(std::floor(length / stepBeats + 1e-6));
    for (int s = 0; s < steps; ++s) {
        const int k = idx[s % idx.size()];
        NoteEvent ev;
        ev.beat = beat + s * stepBeats;
        ev.length = stepBeats * gate;
        ev.pitch = static_cast<float>(tones[std::min<size_t>(k, tones.size() - 1)]);
        // Slight accent on the beat keeps the pattern breathing.
        const bool onBeat = std::fabs(std::fmod(ev.beat, 1.0)) < 1e-6;
        ev.velocity = Clamp01(velocity * (onBeat ? 1.0f : 0.82f));
        ch.notes.push_back(ev);
    }
}

} // namespace synth
