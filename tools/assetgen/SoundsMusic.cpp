// The nine background pieces. Each is a loop of whole bars: notes, reverb tails and filtered
// noise that run past the end are wrapped onto the start, so the music loops without a seam.
#include "SoundInstruments.h"
#include "Sounds.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <string>

namespace sound {
namespace {

// Music sits well below the effects: its loudness is set by RMS, its peak kept under a limit.
constexpr double kMusicRms = 0.085;
constexpr double kMusicPeakLimit = 0.45;

using Chord = std::vector<int>;  // MIDI notes, lowest first
using Instrument = std::function<Samples(double midi, double seconds, double velocity)>;

// One loop being composed: a dry bus and a reverb send, both wrapped at the loop's length.
class Loop {
public:
    Loop(long beatSamples, int beatsPerBar, int bars)
        : beatSamples_(beatSamples),
          beatsPerBar_(beatsPerBar),
          bars_(bars),
          dry_(static_cast<size_t>(beatSamples * beatsPerBar * bars), 0.0),
          send_(dry_.size(), 0.0) {}

    long length() const { return static_cast<long>(dry_.size()); }
    int bars() const { return bars_; }
    int beatsPerBar() const { return beatsPerBar_; }
    double beatSeconds() const { return static_cast<double>(beatSamples_) / kSampleRate; }
    long sampleAt(double beat) const { return static_cast<long>(beat * static_cast<double>(beatSamples_) + 0.5); }
    // The nearest frequency that runs a whole number of cycles over the loop.
    double loopHz(double hz) const {
        const double seconds = static_cast<double>(length()) / kSampleRate;
        return std::floor(hz * seconds + 0.5) / seconds;
    }

    void add(const Samples& note, double beat, double gain, double send) {
        const long length = this->length();
        long position = sampleAt(beat) % length;
        for (double value : note) {
            dry_[static_cast<size_t>(position)] += value * gain;
            send_[static_cast<size_t>(position)] += value * gain * send;
            position = position + 1 == length ? 0 : position + 1;
        }
    }

    // Runs step(n) over the loop twice and keeps the second pass, so that filter and reverb
    // state at the start is what the end of the loop leaves behind.
    template <typename Step>
    Samples circular(Step step) const {
        Samples out(dry_.size(), 0.0);
        for (int pass = 0; pass < 2; ++pass) {
            for (size_t n = 0; n < out.size(); ++n) {
                const double value = step(static_cast<long>(n));
                if (pass == 1) {
                    out[n] = value;
                }
            }
        }
        return out;
    }

    void addContinuous(const Samples& layer, double gain, double send) { add(layer, 0.0, gain, send); }

    Samples finish(double roomSize, double wet) const {
        Reverb reverb(roomSize, 0.45);
        const Samples wetBus = circular([&](long n) { return reverb.process(send_[static_cast<size_t>(n)]); });
        OnePole dcBlock(25.0);
        Samples mix = circular([&](long n) {
            const size_t i = static_cast<size_t>(n);
            return dcBlock.highpass(dry_[i] + wet * wetBus[i]);
        });
        const double rms = rmsOf(mix);
        if (rms > 0.0) {
            const double scale = std::min(kMusicRms / rms, kMusicPeakLimit / peakOf(mix));
            for (double& value : mix) {
                value *= scale;
            }
        }
        return startAtRest(mix);
    }

private:
    // The music starts from silence, so its first sample should be near zero or it clicks.
    // The loop is turned to begin at the quietest zero crossing of the tenth of a second
    // before the first downbeat; being periodic, it stays seamless.
    static Samples startAtRest(const Samples& mix) {
        const size_t length = mix.size();
        const size_t searchSamples = std::min<size_t>(length - 1, static_cast<size_t>(kSampleRate / 10));
        auto loudness = [&](size_t i) { return std::fabs(mix[i]) + 0.25 * std::fabs(mix[(i + 1) % length] - mix[i]); };
        size_t start = 0;
        double quietest = loudness(0);
        for (size_t back = 1; back <= searchSamples; ++back) {
            const size_t i = length - back;
            const double level = loudness(i);
            if (level < quietest) {
                quietest = level;
                start = i;
            }
        }
        Samples turned(length);
        for (size_t i = 0; i < length; ++i) {
            turned[i] = mix[(start + i) % length];
        }
        return turned;
    }

    long beatSamples_;
    int beatsPerBar_;
    int bars_;
    Samples dry_;
    Samples send_;
};

// A chord progression: each chord lasts barsPerChord bars, and the list repeats over the loop.
struct Progression {
    std::vector<Chord> chords;
    int barsPerChord;

    const Chord& atBar(int bar) const { return chords[static_cast<size_t>(bar / barsPerChord) % chords.size()]; }
};

// White noise that repeats with the loop, so filtered noise layers wrap without a jump.
Samples loopNoise(const Loop& loop, uint32_t seed) {
    Random random(seed);
    Samples noise(static_cast<size_t>(loop.length()));
    for (double& value : noise) {
        value = random.bipolar();
    }
    return noise;
}

// A smooth 0..1 wave that runs cycles times over the loop.
double loopLfo(const Loop& loop, long n, double cycles, double offsetTurns = 0.0) {
    return 0.5 + 0.5 * sinTurns(cycles * static_cast<double>(n) / static_cast<double>(loop.length()) + offsetTurns);
}

// Holds each chord on a pad; releases overlap the next chord's attack.
void padLayer(Loop* loop, const Progression& progression, const PadTone& tone, double gain, double send,
              uint32_t seed) {
    const double chordBeats = progression.barsPerChord * loop->beatsPerBar();
    const int chordCount = loop->bars() / progression.barsPerChord;
    for (int c = 0; c < chordCount; ++c) {
        const Chord& chord = progression.atBar(c * progression.barsPerChord);
        for (size_t v = 0; v < chord.size(); ++v) {
            const Samples note = pad(chord[v], chordBeats * loop->beatSeconds(), tone, seed + c * 31 + v);
            loop->add(note, c * chordBeats, gain, send);
        }
    }
}

// Velocity of a step character: X accent, x normal, o ghost; anything else is a rest.
double stepVelocity(char step) {
    switch (step) {
        case 'X': return 1.0;
        case 'x': return 0.7;
        case 'o': return 0.4;
        default: return 0.0;
    }
}

// A step pattern per bar (one character per sixteenth) played with one fixed sound.
void drumLayer(Loop* loop, const std::vector<std::string>& barPatterns, const Samples& sound, double gain, double send,
               uint32_t seed) {
    Random random(seed);
    for (int bar = 0; bar < loop->bars(); ++bar) {
        const std::string& pattern = barPatterns[static_cast<size_t>(bar) % barPatterns.size()];
        for (size_t step = 0; step < pattern.size(); ++step) {
            const double velocity = stepVelocity(pattern[step]);
            if (velocity > 0.0) {
                const double beat = bar * loop->beatsPerBar() + step * 0.25;
                loop->add(sound, beat, gain * velocity * random.range(0.85, 1.0), send);
            }
        }
    }
}

// Steps through the chord tones (index past the top repeats an octave up) at a fixed rate.
void arpeggioLayer(Loop* loop, const Progression& progression, const std::vector<int>& pattern, double stepBeats,
                   int transpose, double skipChance, const Instrument& instrument, double gain, double send,
                   uint32_t seed) {
    Random random(seed);
    const int stepsPerBar = static_cast<int>(loop->beatsPerBar() / stepBeats + 0.5);
    int patternIndex = 0;
    for (int bar = 0; bar < loop->bars(); ++bar) {
        const Chord& chord = progression.atBar(bar);
        // The lowest chord note is the bass's; the arpeggio uses the ones above it.
        const int upper = static_cast<int>(chord.size()) - 1;
        for (int step = 0; step < stepsPerBar; ++step, ++patternIndex) {
            const int index = pattern[static_cast<size_t>(patternIndex) % pattern.size()];
            const double accent = step % 4 == 0 ? 1.0 : 0.75;
            if (step != 0 && random.uniform() < skipChance) {
                continue;
            }
            const int note = chord[1 + static_cast<size_t>(index % upper)] + 12 * (index / upper) + transpose;
            const double beat = bar * loop->beatsPerBar() + step * stepBeats;
            loop->add(instrument(note, stepBeats * loop->beatSeconds(), accent), beat,
                      gain * accent * random.range(0.8, 1.0), send);
        }
    }
}

// The chord's root an octave or two down, on the steps of a pattern; each note lasts to the next.
void bassLayer(Loop* loop, const Progression& progression, const std::string& pattern, int transpose, double grit,
               double gain, double send) {
    for (int bar = 0; bar < loop->bars(); ++bar) {
        const int root = progression.atBar(bar)[0] + transpose;
        for (size_t step = 0; step < pattern.size(); ++step) {
            const double velocity = stepVelocity(pattern[step]);
            if (velocity <= 0.0) {
                continue;
            }
            size_t next = step + 1;
            while (next < pattern.size() && stepVelocity(pattern[next]) <= 0.0) {
                ++next;
            }
            const double seconds = (next - step) * 0.25 * loop->beatSeconds() * 0.9;
            loop->add(bass(root, seconds, grit), bar * loop->beatsPerBar() + step * 0.25, gain * velocity, send);
        }
    }
}

// A melody that walks the scale, landing on a chord tone at the start of each bar; it plays in
// bars [firstBar, lastBar) with the given rhythm (per bar, one character per sixteenth).
struct MelodyPlan {
    std::vector<int> scale;  // pitch classes
    int lowest;
    int highest;
    std::vector<std::string> rhythms;
    int firstBar;
    int lastBar;
};

bool inScale(const std::vector<int>& scale, int note) {
    return std::find(scale.begin(), scale.end(), ((note % 12) + 12) % 12) != scale.end();
}

int scaleStep(const std::vector<int>& scale, int note, int steps) {
    const int direction = steps > 0 ? 1 : -1;
    for (int taken = 0; taken != steps;) {
        note += direction;
        if (inScale(scale, note)) {
            taken += direction;
        }
    }
    return note;
}

void melodyLayer(Loop* loop, const Progression& progression, const MelodyPlan& plan, const Instrument& instrument,
                 double gain, double send, uint32_t seed) {
    Random random(seed);
    int note = (plan.lowest + plan.highest) / 2;
    for (int bar = plan.firstBar; bar < plan.lastBar; ++bar) {
        const std::string& rhythm = plan.rhythms[static_cast<size_t>(bar - plan.firstBar) % plan.rhythms.size()];
        const Chord& chord = progression.atBar(bar);
        for (size_t step = 0; step < rhythm.size(); ++step) {
            const double velocity = stepVelocity(rhythm[step]);
            if (velocity <= 0.0) {
                continue;
            }
            if (step == 0) {
                // The chord tone nearest to where the line is.
                int best = note;
                int bestDistance = 1000;
                for (int tone : chord) {
                    for (int octave = -2; octave <= 4; ++octave) {
                        const int candidate = tone + 12 * octave;
                        const int distance = std::abs(candidate - note);
                        if (candidate >= plan.lowest && candidate <= plan.highest && distance < bestDistance) {
                            best = candidate;
                            bestDistance = distance;
                        }
                    }
                }
                note = best;
            } else {
                const int leap = random.below(5) - 2;  // -2 .. 2 scale steps
                const int moved = leap == 0 ? note : scaleStep(plan.scale, note, leap);
                note = std::min(plan.highest, std::max(plan.lowest, moved));
                if (!inScale(plan.scale, note)) {
                    note = scaleStep(plan.scale, note, -1);
                }
            }
            size_t next = step + 1;
            while (next < rhythm.size() && rhythm[next] == '-') {
                ++next;
            }
            const double seconds = (next - step) * 0.25 * loop->beatSeconds();
            loop->add(instrument(note, seconds, velocity), bar * loop->beatsPerBar() + step * 0.25, gain * velocity,
                      send);
        }
    }
}

Instrument bellInstrument(double ratio, double index, double decaySeconds) {
    return [=](double midi, double, double velocity) {
        BellTone tone;
        tone.ratio = ratio;
        tone.index = index * (0.6 + 0.4 * velocity);
        tone.decaySeconds = decaySeconds;
        return bell(midi, tone);
    };
}

Instrument pluckInstrument(double decaySeconds, double brightness, uint32_t seed) {
    auto counter = std::make_shared<uint32_t>(seed);
    return [=](double midi, double, double velocity) {
        return pluck(midi, decaySeconds, brightness * (0.6 + 0.4 * velocity), ++*counter);
    };
}

Instrument fluteInstrument(uint32_t seed) {
    auto counter = std::make_shared<uint32_t>(seed);
    return [=](double midi, double seconds, double) { return flute(midi, seconds * 0.92, ++*counter); };
}

// ---------------------------------------------------------------------------------------------
// The pieces. Tempos are those whose beat is a whole number of samples at 11025 Hz.

// Title and arrival: a slow, warm D major drift of pads and scattered bells.
Samples drift() {
    Loop loop(9450, 4, 12);  // 70 bpm, 41.1 s
    const Progression chords{{{50, 57, 61, 64, 66},
                              {47, 54, 57, 61, 62},
                              {43, 50, 54, 57, 59},
                              {52, 59, 62, 66, 67},
                              {43, 50, 54, 59, 62},
                              {45, 52, 57, 62, 64}},
                             2};
    PadTone padTone;
    padTone.attackSeconds = 2.0;
    padTone.releaseSeconds = 3.0;
    padTone.cutoffHz = 900.0;
    padLayer(&loop, chords, padTone, 0.5, 0.5, 100);
    arpeggioLayer(&loop, chords, {0, 2, 4, 3, 1, 4, 2, 3}, 0.5, 12, 0.4, bellInstrument(2.0, 1.0, 1.2), 0.22, 0.7, 101);
    bassLayer(&loop, chords, "X---------------", -12, 0.0, 0.45, 0.1);
    const MelodyPlan melody{{2, 4, 6, 7, 9, 11, 1}, 66, 81, {"x-------x---x---", "x-----------x---"}, 4, 12};
    melodyLayer(&loop, chords, melody, fluteInstrument(102), 0.18, 0.5, 103);
    return loop.finish(0.86, 0.5);
}

// Star map: A minor wonder, a steady pulse under a running arpeggio.
Samples orbit() {
    Loop loop(7350, 4, 16);  // 90 bpm, 42.7 s
    const Progression chords{{{45, 52, 55, 59, 60}, {41, 48, 52, 57, 60}, {48, 52, 55, 59, 64}, {43, 50, 52, 59, 62}},
                             2};
    PadTone padTone;
    padTone.attackSeconds = 1.5;
    padTone.releaseSeconds = 2.5;
    padTone.cutoffHz = 1100.0;
    padLayer(&loop, chords, padTone, 0.4, 0.5, 200);
    arpeggioLayer(&loop, chords, {0, 1, 2, 3, 1, 2, 3, 4}, 0.25, 12, 0.1, pluckInstrument(0.9, 0.5, 201), 0.3, 0.45,
                  202);
    bassLayer(&loop, chords, "x.x.x.x.x.x.x.x.", 0, 0.3, 0.35, 0.05);
    drumLayer(&loop, {"X.......x......."}, kick(0.3), 0.45, 0.05, 203);
    drumLayer(&loop, {"..x...x...x...x."}, hat(0.03, 204), 0.1, 0.2, 205);
    const MelodyPlan melody{{9, 11, 0, 2, 4, 5, 7}, 69, 84, {"x-----x-x-------", "x---x---x-----x-"}, 8, 16};
    melodyLayer(&loop, chords, melody, bellInstrument(3.5, 0.9, 0.9), 0.2, 0.6, 206);
    return loop.finish(0.84, 0.45);
}

// Green planet: an easy G major walk with plucked strings and a flute.
Samples meadow() {
    Loop loop(6615, 4, 16);  // 100 bpm, 38.4 s
    const Progression chords{{{43, 50, 55, 59, 62}, {40, 52, 55, 59, 62}, {48, 55, 60, 62, 64}, {38, 50, 54, 57, 62}},
                             2};
    PadTone padTone;
    padTone.cutoffHz = 800.0;
    padLayer(&loop, chords, padTone, 0.3, 0.4, 300);
    arpeggioLayer(&loop, chords, {0, 1, 2, 3, 2, 1}, 0.5, 0, 0.15, pluckInstrument(1.1, 0.35, 301), 0.35, 0.3, 302);
    bassLayer(&loop, chords, "x.......x.....x.", 0, 0.15, 0.4, 0.05);
    drumLayer(&loop, {"x.......x......."}, kick(0.2), 0.35, 0.05, 303);
    drumLayer(&loop, {"....x.......x..."}, handDrum(false, 304), 0.18, 0.2, 305);
    drumLayer(&loop, {"..o...o...o...oo"}, hat(0.025, 306), 0.1, 0.2, 307);
    const MelodyPlan melody{{7, 9, 11, 2, 4},
                            67,
                            83,
                            {"x---x---x-x-----", "x-------x---x---", "x---x-x-x---x---", "x---------------"},
                            4,
                            16};
    melodyLayer(&loop, chords, melody, fluteInstrument(308), 0.22, 0.4, 309);
    return loop.finish(0.82, 0.4);
}

// Eerie planet: clustered pads, a whistling wind and bells that never quite agree.
Samples eerie() {
    Loop loop(10500, 4, 10);  // 63 bpm, 38.1 s
    const Progression chords{{{38, 50, 51, 57}, {37, 49, 52, 56}, {34, 46, 53, 54}, {36, 48, 51, 55}, {38, 50, 56, 57}},
                             2};
    PadTone padTone;
    padTone.attackSeconds = 3.0;
    padTone.releaseSeconds = 3.0;
    padTone.cutoffHz = 600.0;
    padTone.detuneCents = 25.0;
    padTone.voices = 4;
    padLayer(&loop, chords, padTone, 0.45, 0.6, 400);
    Random random(401);
    const int bellNotes[] = {62, 63, 68, 69, 74, 75};
    const Instrument metal = bellInstrument(1.41, 2.5, 2.5);
    for (int bar = 0; bar < loop.bars(); ++bar) {
        const double beat = bar * 4 + random.below(16) * 0.25;
        loop.add(metal(bellNotes[random.below(6)], 0.0, 0.8), beat, 0.16, 0.9);
    }
    const Samples noise = loopNoise(loop, 402);
    Filter whistle;
    loop.addContinuous(loop.circular([&](long n) {
        if (n % 16 == 0) {
            whistle.set(300.0 + 900.0 * loopLfo(loop, n, 3.0), 4.0);
        }
        return whistle.bandpass(noise[static_cast<size_t>(n)]) * (0.4 + 0.6 * loopLfo(loop, n, 2.0, 0.3));
    }),
                       0.5, 0.4);
    Oscillator drone;
    const double droneHz = loop.loopHz(73.42);
    loop.addContinuous(loop.circular([&](long n) { return drone.sine(droneHz) * (0.6 + 0.4 * loopLfo(loop, n, 5.0)); }),
                       0.18, 0.1);
    drumLayer(&loop, {"X..x............", "................"}, kick(1.0), 0.3, 0.3, 403);
    return loop.finish(0.9, 0.6);
}

// Ice planet: glassy high bells over a hollow pad and a thin, cold wind.
Samples glacier() {
    Loop loop(8820, 4, 12);  // 75 bpm, 38.4 s
    const Progression chords{
        {{40, 52, 56, 59, 63, 66}, {37, 49, 52, 56, 59, 63}, {45, 52, 56, 61, 64, 68}, {47, 54, 59, 61, 64, 66}}, 3};
    PadTone padTone;
    padTone.attackSeconds = 3.0;
    padTone.releaseSeconds = 3.0;
    padTone.cutoffHz = 1800.0;
    padTone.squareMix = 0.5;
    padTone.detuneCents = 6.0;
    padLayer(&loop, chords, padTone, 0.25, 0.6, 500);
    arpeggioLayer(&loop, chords, {1, 3, 4, 2, 4, 0, 3, 1}, 0.5, 12, 0.5, bellInstrument(3.5, 1.2, 2.0), 0.2, 0.8, 501);
    bassLayer(&loop, chords, "X---------------", 0, 0.0, 0.35, 0.2);
    const Samples noise = loopNoise(loop, 502);
    Filter whistle;
    loop.addContinuous(loop.circular([&](long n) {
        if (n % 16 == 0) {
            whistle.set(1800.0 + 900.0 * loopLfo(loop, n, 4.0), 6.0);
        }
        return whistle.bandpass(noise[static_cast<size_t>(n)]) * loopLfo(loop, n, 3.0, 0.6);
    }),
                       0.1, 0.5);
    return loop.finish(0.9, 0.6);
}

// Desert planet: a drone, hand drums and a plucked line in a phrygian-dominant mode.
Samples dunes() {
    Loop loop(6750, 4, 16);  // 98 bpm, 39.2 s
    const Chord d{38, 45, 50, 54, 57};
    const Chord eFlat{39, 46, 51, 55, 58};
    const Chord cMinor{36, 48, 51, 55, 60};
    const Chord gMinor{43, 50, 55, 58, 62};
    const Progression chords{{d, d, eFlat, d, d, cMinor, gMinor, eFlat}, 2};
    PadTone padTone;
    padTone.cutoffHz = 700.0;
    padTone.attackSeconds = 1.5;
    padTone.releaseSeconds = 2.0;
    padLayer(&loop, chords, padTone, 0.3, 0.4, 600);
    bassLayer(&loop, chords, "x.....x...x.....", 0, 0.2, 0.35, 0.05);
    drumLayer(&loop, {"X.....x...x.....", "X.....x...x...x."}, handDrum(true, 601), 0.5, 0.15, 602);
    drumLayer(&loop, {"...x.x.....x.x.x", "...x.x.x...x.xxx"}, handDrum(false, 603), 0.25, 0.2, 604);
    drumLayer(&loop, {"oooooooooooooooo"}, hat(0.02, 605), 0.05, 0.1, 606);
    const MelodyPlan melody{{2, 3, 6, 7, 9, 10, 0},
                            62,
                            79,
                            {"x--x--x-x-x-x---", "x-------x--x--x-", "x--x--x-x-x-x-x-", "x---------x-x---"},
                            2,
                            16};
    melodyLayer(&loop, chords, melody, pluckInstrument(0.6, 0.75, 607), 0.35, 0.35, 608);
    return loop.finish(0.8, 0.35);
}

// Every artefact found: a bright, marching C major.
Samples triumph() {
    Loop loop(6300, 4, 16);  // 105 bpm, 36.6 s
    const Chord c{36, 48, 55, 60, 64, 67};
    const Chord gOverB{35, 47, 55, 59, 62, 67};
    const Chord aMinor{45, 52, 57, 60, 64, 69};
    const Chord f{41, 48, 53, 57, 60, 65};
    const Chord g{43, 50, 55, 59, 62, 67};
    const Chord eMinor{40, 47, 52, 55, 59, 64};
    const Progression chords{{c, gOverB, aMinor, f, c, gOverB, aMinor, f, f, g, eMinor, aMinor, f, g, c, c}, 1};
    PadTone padTone;
    padTone.attackSeconds = 0.3;
    padTone.releaseSeconds = 0.8;
    padTone.cutoffHz = 1800.0;
    padTone.squareMix = 0.2;
    padLayer(&loop, chords, padTone, 0.3, 0.3, 700);
    arpeggioLayer(&loop, chords, {0, 1, 2, 3, 4, 3, 2, 1}, 0.5, 12, 0.0, pluckInstrument(0.7, 0.7, 701), 0.22, 0.3,
                  702);
    bassLayer(&loop, chords, "x.x.x.x.x.x.x.x.", 0, 0.35, 0.35, 0.05);
    drumLayer(&loop, {"X.......x.x....."}, kick(0.4), 0.5, 0.05, 703);
    drumLayer(&loop, {"....x.......x...", "....x.......x.oo"}, snare(704), 0.3, 0.3, 705);
    drumLayer(&loop, {"..x...x...x...x."}, hat(0.03, 706), 0.12, 0.2, 707);
    const MelodyPlan melody{{0, 2, 4, 5, 7, 9, 11}, 67, 84, {"x---x---x-x-x---", "x-------x---x---"}, 0, 16};
    melodyLayer(&loop, chords, melody, bellInstrument(2.0, 1.4, 0.8), 0.25, 0.4, 708);
    return loop.finish(0.8, 0.35);
}

// Volcanic planet: low toms, a gritty bass and a rumbling ground, in C phrygian.
Samples magma() {
    Loop loop(7875, 4, 12);  // 84 bpm, 34.3 s
    const Progression chords{{{36, 43, 48, 51, 55},
                              {37, 44, 49, 53, 56},
                              {36, 43, 48, 51, 55},
                              {32, 44, 48, 51, 56},
                              {36, 43, 48, 51, 55},
                              {37, 44, 49, 53, 56}},
                             2};
    PadTone padTone;
    padTone.cutoffHz = 500.0;
    padTone.detuneCents = 18.0;
    padTone.attackSeconds = 1.5;
    padTone.releaseSeconds = 2.5;
    padLayer(&loop, chords, padTone, 0.45, 0.4, 800);
    bassLayer(&loop, chords, "x..x..x.x..x..x.", 0, 0.8, 0.35, 0.05);
    drumLayer(&loop, {"X.....x.x.......", "X.....x.x...o.o."}, tom(38.0, 801), 0.55, 0.25, 802);
    drumLayer(&loop, {"........x.......", "........x.....x."}, tom(45.0, 803), 0.35, 0.3, 804);
    const Instrument metal = bellInstrument(1.41, 3.0, 1.5);
    for (int bar = 0; bar < loop.bars(); bar += 4) {
        loop.add(metal(48.0, 0.0, 1.0), bar * 4.0, 0.3, 0.8);
        loop.add(metal(49.0, 0.0, 0.6), bar * 4.0 + 10.0, 0.15, 0.8);
    }
    const Samples noise = loopNoise(loop, 805);
    Filter rumble;
    rumble.set(110.0, 0.7);
    OnePole smooth(300.0);
    loop.addContinuous(loop.circular([&](long n) {
        const double ground = smooth.lowpass(rumble.lowpass(noise[static_cast<size_t>(n)]));
        return ground * (0.4 + 0.6 * loopLfo(loop, n, 6.0));
    }),
                       2.5, 0.1);
    return loop.finish(0.85, 0.4);
}

// Misty, wet planet: F lydian, rolling mallets over the swell of distant surf.
Samples tides() {
    Loop loop(7875, 4, 14);  // 84 bpm, 40.0 s
    const Progression chords{{{41, 53, 57, 60, 64, 71},
                              {41, 55, 59, 62, 67},
                              {45, 52, 55, 60, 64},
                              {40, 52, 55, 59, 62},
                              {41, 53, 57, 60, 64, 71},
                              {41, 55, 59, 62, 67},
                              {45, 52, 55, 60, 64}},
                             2};
    PadTone padTone;
    padTone.cutoffHz = 900.0;
    padTone.attackSeconds = 2.0;
    padTone.releaseSeconds = 2.5;
    padLayer(&loop, chords, padTone, 0.3, 0.5, 900);
    arpeggioLayer(&loop, chords, {0, 1, 2, 3, 4, 3, 2, 1, 2, 3, 4, 5}, 0.5, 12, 0.12, bellInstrument(4.0, 1.0, 0.35),
                  0.3, 0.4, 901);
    bassLayer(&loop, chords, "x-------x-------", 0, 0.0, 0.4, 0.1);
    drumLayer(&loop, {"..o...o...o...o."}, hat(0.04, 902), 0.07, 0.3, 903);
    const Samples noise = loopNoise(loop, 904);
    Filter surf;
    loop.addContinuous(loop.circular([&](long n) {
        const double swell = loopLfo(loop, n, 7.0);
        if (n % 16 == 0) {
            surf.set(300.0 + 1500.0 * swell, 0.7);
        }
        return surf.lowpass(noise[static_cast<size_t>(n)]) * swell * swell;
    }),
                       0.35, 0.3);
    return loop.finish(0.86, 0.5);
}

struct Piece {
    const char* entry;
    Samples (*make)();
};

}  // namespace
}  // namespace sound

bool generateMusic(const std::string& outDir) {
    using namespace sound;
    // 1 and 2 play over the star map and menus, 7 once every artefact is found; the rest suit planets:
    // 3 green and calm, 4 eerie, 5 icy, 6 volcanic, 8 misty and wet, 9 desert.
    const Piece pieces[] = {
        {"sounds/background_1.wav", drift},   {"sounds/background_2.wav", orbit},   {"sounds/background_3.wav", meadow},
        {"sounds/background_4.wav", eerie},   {"sounds/background_5.wav", glacier}, {"sounds/background_6.wav", magma},
        {"sounds/background_7.wav", triumph}, {"sounds/background_8.wav", tides},   {"sounds/background_9.wav", dunes},
    };
    for (const Piece& piece : pieces) {
        if (!writeWav(outDir, piece.entry, piece.make())) {
            return false;
        }
    }
    return true;
}
