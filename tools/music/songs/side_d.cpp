// Side D, "Last Light, Still Water": the slow melodic closer. F major, 66 BPM in a lilting 12/8 feel
// (every beat split in three), 60 bars.
//
// Bars  0- 7 intro    an electric piano rolls triplet arpeggios from ear to ear over a
//                     descending bass line; warm strings rise from bar 4
// Bars  8-23 verse    a soft singing lead enters with a round bass and a brushed groove
// Bars 24-39 chorus   the tune climbs over Bb C Am Dm; backbeat, fuller strings, the second
//                     pass doubled an octave down
// Bars 40-47 break    drums and strings drop away, the piano softens; a low cello voice
//                     speaks over Dm Bb F C; from bar 44 the strings swell back and the
//                     last bar empties to the cello and a snare roll
// Bars 48-55 chorus   one last time, with everything: strings voiced higher, a busier
//                     kick and the shaker in every triplet
// Bars 56-59 outro    piano and strings alone, ending on Bb so the loop falls home to F
#include "arrange.h"
#include "songs.h"

namespace music {

using namespace synth;

namespace {

constexpr double kTriplet = 1.0 / 3.0; // one step of the 12/8 grid, in beats

const std::vector<std::string> kIntro = {"F", "C/E", "Dm", "Bb"};
const std::vector<std::string> kVerse = {"F", "C/E", "Dm", "Bb", "F", "Am", "Bb", "C"};
const std::vector<std::string> kChorus = {"Bb", "C", "Am", "Dm", "Gm7", "Am7", "Bb", "Csus4"};
const std::vector<std::string> kChorusEnd = {"Bb", "C", "Am", "Dm", "Gm7", "Am7", "Bb", "C"};
const std::vector<std::string> kBreak = {"Dm", "Bb", "F", "C"};

const char *kVerseTune =
    "c5:3 f5:3 a5:4 g5:2 g5:6 e5:3 c5:3 d5:3 f5:3 a5:3 c6:3 bb5:6 a5:3 f5:3 "
    "a5:4 c6:2 a5:3 f5:3 e5:6 c5:3 e5:3 d5:3 f5:3 bb5:3 a5:3 g5:9 r:3 "
    "c5:3 f5:3 a5:4 c6:2 e6:6 d6:3 c6:3 d6:4 c6:2 a5:3 f5:3 f5:6 d5:3 f5:3 "
    "a5:4 c6:2 f6:3 e6:3 e6:6 c6:3 a5:3 bb5:3 d6:3 f6:3 d6:3 e6:6 d6:3 c6:3";

const char *kChorusTune =
    "f6:6 d6:3 bb5:3 c6:4 e6:2 g6:6 e6:6 c6:3 a5:3 f6:4 e6:2 d6:6 "
    "bb5:4 d6:2 f6:6 e6:4 d6:2 c6:6 d6:3 c6:3 bb5:3 a5:3 g5:6 f5:6";

const char *kCello =
    "a4:12 bb4:6 d5:6 c5:12 e5:6 g4:6 "
    "f5:6 e5:3 d5:3 d5:12 c5:6 a4:6 g4:12";

} // namespace

Song MakeSideD() {
    Song s;
    s.title = "Last Light, Still Water";
    s.bpm = 66.0f;
    s.lengthBeats = Bar(60);
    const double beat = s.SecondsPerBeat();
    s.delay.leftSeconds = static_cast<float>(2.0 * kTriplet * beat);
    s.delay.rightSeconds = static_cast<float>(1.0 * beat);
    s.delay.feedback = 0.35f;
    s.delay.pingPong = 0.6f;
    s.delay.damping = 4200.0f;
    s.delay.monoIn = true;
    s.reverb.decaySeconds = 3.4f;
    s.reverb.preDelay = 0.03f;
    s.reverb.size = 1.25f;
    s.reverb.damping = 8000.0f;
    s.duckRelease = 0.25f;

    Channel &kick = s.Add("kick");
    kick.isDrum = true;
    // Tuned to C2, the fifth of F major; soft and short under the ballad.
    kick.drum = {DrumKind::Kick, 65.41f, 140.0f, 0.03f, 0.2f, 0.5f, 0.12f, 0.15f, 1.0f};
    kick.sidechainSource = true;
    kick.gainDb = -4.0f;

    Channel &snare = s.Add("snare");
    snare.isDrum = true;
    snare.drum = {DrumKind::Snare, 175.0f, 0, 0, 0.16f, 0.4f, 0, 0.1f, 1.0f};
    snare.gainDb = -10.0f;
    snare.reverbSend = 0.45f;

    Channel &hat = s.Add("brush hat");
    hat.isDrum = true;
    hat.drum = {DrumKind::ClosedHat, 0, 0, 0, 0.045f, 0.8f, 0, 0, 1.0f};
    hat.gainDb = -13.0f;
    hat.pan = 0.5f;
    hat.reverbSend = 0.2f;

    Channel &shaker = s.Add("shaker");
    shaker.isDrum = true;
    shaker.drum = {DrumKind::Shaker, 0, 0, 0, 0.06f, 0.5f, 0, 0, 1.0f};
    shaker.gainDb = -12.0f;
    shaker.pan = -0.55f;
    shaker.reverbSend = 0.3f;

    Channel &piano = s.Add("electric piano");
    piano.voice.osc1 = Waveform::Triangle;
    piano.voice.osc1Level = 0.3f;
    piano.voice.fmLevel = 1.0f;
    piano.voice.fmRatio = 1.0f;
    piano.voice.fmIndex = 1.9f;
    piano.voice.fmSustain = 0.2f;
    piano.voice.fmDecay = 0.5f;
    piano.voice.amp = {0.002f, 3.0f, 0.0f, 0.6f};
    piano.gainDb = -10.0f;
    piano.pan = -0.5f;
    piano.reverbSend = 0.35f;
    piano.duck = 0.15f;
    piano.highPass = 80.0f;

    Channel &strings = s.Add("strings");
    strings.voice.osc1 = Waveform::Saw;
    strings.voice.unison = 5;
    strings.voice.unisonDetune = 16.0f;
    strings.voice.filterOn = true;
    strings.voice.cutoff = 1700.0f;
    strings.voice.q = 0.7f;
    strings.voice.amp = {0.9f, 1.0f, 1.0f, 1.4f};
    strings.voice.vibratoDepth = 0.05f;
    strings.voice.vibratoRate = 5.0f;
    strings.gainDb = -16.0f;
    strings.pan = 0.0f;
    strings.highPass = 120.0f;
    strings.reverbSend = 0.5f;
    strings.duck = 0.2f;
    strings.chorus = true;
    strings.chorusParams = {0.2f, 0.006f, 0.016f, 1.0f};

    Channel &bass = s.Add("bass");
    bass.voice.osc1 = Waveform::Sine;
    bass.voice.osc2 = Waveform::Saw;
    bass.voice.osc2Level = 0.3f;
    bass.voice.filterOn = true;
    bass.voice.cutoff = 420.0f;
    bass.voice.q = 0.7f;
    bass.voice.keyTrack = 0.0f;
    bass.voice.amp = {0.01f, 0.8f, 0.8f, 0.25f};
    bass.gainDb = -5.0f;
    bass.duck = 0.25f;
    bass.highPass = 35.0f;

    Channel &lead = s.Add("lead");
    lead.voice.osc1 = Waveform::Saw;
    lead.voice.osc2 = Waveform::Triangle;
    lead.voice.osc2Level = 0.8f;
    lead.voice.filterOn = true;
    lead.voice.cutoff = 1500.0f;
    lead.voice.q = 1.6f;
    lead.voice.envOctaves = 0.8f;
    lead.voice.filterEnv = {0.08f, 0.5f, 0.4f, 0.4f};
    lead.voice.amp = {0.06f, 0.4f, 0.85f, 0.45f};
    lead.voice.vibratoDepth = 0.2f;
    lead.voice.vibratoRate = 5.0f;
    lead.voice.vibratoDelay = 0.35f;
    lead.gainDb = -10.0f;
    lead.reverbSend = 0.4f;
    lead.delaySend = 0.25f;

    Channel &cello = s.Add("cello");
    cello.voice.osc1 = Waveform::Saw;
    cello.voice.unison = 2;
    cello.voice.unisonDetune = 8.0f;
    cello.voice.filterOn = true;
    cello.voice.cutoff = 900.0f;
    cello.voice.q = 1.0f;
    cello.voice.amp = {0.25f, 0.6f, 0.9f, 0.6f};
    cello.voice.vibratoDepth = 0.12f;
    cello.voice.vibratoRate = 5.0f;
    cello.voice.vibratoDelay = 0.5f;
    cello.gainDb = -11.0f;
    cello.pan = -0.3f;
    cello.highPass = 50.0f;
    cello.reverbSend = 0.45f;

    std::vector<std::string> chart;
    auto put = [&chart](const std::vector<std::string> &p, int bars) {
        for (const auto &c : Chart(p, bars))
            chart.push_back(c);
    };
    put(kIntro, 8);
    put(kVerse, 16);
    put(kChorus, 8);
    put(kChorusEnd, 8);
    put(kBreak, 8);
    put(kChorusEnd, 8);
    put(kIntro, 4);

    ForBars(0, chart, [&](int bar, const Chord &chord) {
        const double b = Bar(bar);
        const bool chorus = (bar >= 24 && bar < 40) || (bar >= 48 && bar < 56);
        // Piano: rolling triplets, opening up an octave in the choruses.
        AddArp(piano, b, chord, 4.0, chorus ? "012342" : "012321", chorus ? 57 : 53, kTriplet,
               bar >= 56 || bar < 8 ? 0.75f : 0.62f, 1.4f);
        if (bar >= 4)
            AddChord(strings, b, chord, 4.0, 60, chorus ? 0.8f : 0.6f, bar >= 48 ? 3 : chorus ? 1 : 0);
        if (bar >= 8 && bar < 56 && !(bar >= 40 && bar < 44))
            AddBass(bass, b, chord, bar % 4 == 3 ? "R-----R--F--" : "R--------R--", 36, kTriplet,
                    0.8f, 0.95f);
        else if (bar >= 42 && bar < 44)
            AddBass(bass, b, chord, "R-----------", 36, kTriplet, 0.5f, 0.95f);
    });
    strings.cutoff.Add(Bar(4), 700.0f);
    strings.cutoff.Add(Bar(8), 3000.0f);
    strings.cutoff.Add(Bar(24), 4500.0f);
    strings.cutoff.Add(Bar(56), 4500.0f);
    strings.cutoff.Add(Bar(60), 700.0f);

    // Drums on the 12-step grid: backbeat on beats two and four (steps 3 and 9).
    for (int bar = 8; bar < 56; ++bar) {
        if (bar >= 40 && bar < 48)
            continue;
        const double b = Bar(bar);
        const bool chorus = bar >= 24;
        AddDrums(hat, b, "xooxooxooxoo", kTriplet, chorus ? 0.85f : 0.65f);
        if (bar >= 16)
            AddDrums(shaker, b, bar >= 48 ? "xoxxoxxoxxox" : "o.xo.xo.xo.x", kTriplet, 0.8f);
        if (bar < 16) {
            AddDrums(kick, b, "X...........", kTriplet, 0.8f);
            continue;
        }
        if (bar >= 48)
            AddDrums(kick, b, bar % 2 ? "X..x..X..x.x" : "X.....X..x..", kTriplet);
        else
            AddDrums(kick, b, bar % 2 ? "X.....X..x.." : "X.....X.....", kTriplet);
        if (bar % 8 == 7)
            AddDrums(snare, b, "...X.....Xxx", kTriplet);
        else
            AddDrums(snare, b, "...X.....X..", kTriplet, chorus ? 1.0f : 0.75f);
    }
    AddRoll(snare, Bar(47) + 2.0, 6, kTriplet, 0.3f, 0.8f);

    // The break: strings and piano step back, then the strings swell into the chorus.
    strings.levelDb.Add(Bar(39.75), 0.0f);
    strings.levelDb.Add(Bar(40.5), -12.0f);
    strings.levelDb.Add(Bar(44), -12.0f);
    strings.levelDb.Add(Bar(47.5), 0.0f);
    piano.levelDb.Add(Bar(39.75), 0.0f);
    piano.levelDb.Add(Bar(40.5), -7.0f);
    piano.levelDb.Add(Bar(45), -7.0f);
    piano.levelDb.Add(Bar(47), 0.0f);
    // Bar 47 empties to the cello's last note and the roll.
    for (Channel *ch : {&piano, &bass, &strings})
        Clear(*ch, Bar(47), Bar(48));

    AddMelody(lead, Bar(8), kVerseTune, kTriplet, 0.8f, 0.95f);
    AddMelody(lead, Bar(24), kChorusTune, kTriplet, 0.85f, 0.95f);
    AddMelody(lead, Bar(32), kChorusTune, kTriplet, 0.85f, 0.95f);
    AddMelody(cello, Bar(32), kChorusTune, kTriplet, 0.6f, 0.95f, -24);
    AddMelody(cello, Bar(40), kCello, kTriplet, 0.8f, 0.97f);
    AddMelody(lead, Bar(48), kChorusTune, kTriplet, 0.9f, 0.95f);
    // The piano's rolling triplets alternate between the ears: every other note moves to
    // a twin channel on the right.
    Channel &pianoRight = s.Add("electric piano right");
    pianoRight.voice = piano.voice;
    pianoRight.gainDb = piano.gainDb;
    pianoRight.pan = 0.5f;
    pianoRight.reverbSend = piano.reverbSend;
    pianoRight.duck = piano.duck;
    pianoRight.highPass = piano.highPass;
    pianoRight.levelDb = piano.levelDb;
    std::vector<NoteEvent> left;
    for (size_t i = 0; i < piano.notes.size(); ++i)
        (i % 2 ? pianoRight.notes : left).push_back(piano.notes[i]);
    piano.notes.swap(left);
    return s;
}

} // namespace music
