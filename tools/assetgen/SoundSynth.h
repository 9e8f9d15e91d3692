// Building blocks of the sound generators: oscillators, filters, envelopes, a reverb and the
// WAV writer. Everything here is plain arithmetic on doubles with our own sine and exponential,
// so the written bytes do not depend on the C library's maths on a given machine.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sound {

// The sound system accepts only 16-bit mono at this rate.
constexpr int kSampleRate = 11025;
constexpr double kNyquist = kSampleRate / 2.0;

using Samples = std::vector<double>;

// Seconds to a whole number of samples (at least 1).
long toSamples(double seconds);

// Deterministic noise source (xorshift32); the same seed gives the same stream everywhere.
class Random {
public:
    explicit Random(uint32_t seed);
    uint32_t next();
    double uniform();  // [0, 1)
    double bipolar();  // [-1, 1)
    double range(double low, double high);
    int below(int count);  // [0, count)

private:
    uint32_t state_;
};

// sin(2 pi turns), from a polynomial rather than the C library.
double sinTurns(double turns);
double cosTurns(double turns);
// e^x from range reduction and a polynomial; exact powers of two do the rest.
double expOf(double x);
// 2^(semitones / 12) and the frequency of a MIDI note number.
double semitoneRatio(double semitones);
double midiToHz(double note);
// Gentle saturation that keeps |x| below 1.
double softClip(double x);

// A phase accumulator in turns.
class Phase {
public:
    explicit Phase(double start = 0.0) : value_(start) {}
    // Returns the phase before advancing by hz / kSampleRate.
    double advance(double hz);
    double value() const { return value_; }

private:
    double value_;
};

// Band-limited (PolyBLEP) sawtooth and square; a sine for completeness of the set.
class Oscillator {
public:
    explicit Oscillator(double startPhase = 0.0) : phase_(startPhase) {}
    double sine(double hz) { return sinTurns(phase_.advance(hz)); }
    double saw(double hz);
    double square(double hz);
    double triangle(double hz);

private:
    Phase phase_;
};

// Topology-preserving state-variable filter: stable at any cutoff below Nyquist.
class Filter {
public:
    void set(double cutoffHz, double resonance);  // resonance: 0.5 (soft) .. 20 (sharp)
    double lowpass(double x);
    double bandpass(double x);
    double highpass(double x);
    // The three outputs of one step.
    void process(double x, double* low, double* band, double* high);

private:
    double g_ = 0.1, k_ = 1.4, a1_ = 0.0, a2_ = 0.0, a3_ = 0.0;
    double ic1_ = 0.0, ic2_ = 0.0;
};

// First-order smoothing; highpass() doubles as a DC blocker at a low cutoff.
class OnePole {
public:
    explicit OnePole(double cutoffHz = 1000.0) { set(cutoffHz); }
    void set(double cutoffHz);
    double lowpass(double x);
    double highpass(double x) { return x - lowpass(x); }

private:
    double coefficient_ = 0.5, state_ = 0.0;
};

// Mono comb-and-allpass reverb tuned for 11025 Hz.
class Reverb {
public:
    Reverb(double roomSize, double damping);
    double process(double x);

private:
    struct Comb {
        std::vector<double> line;
        size_t index = 0;
        double store = 0.0;
    };
    struct Allpass {
        std::vector<double> line;
        size_t index = 0;
    };
    std::vector<Comb> combs_;
    std::vector<Allpass> allpasses_;
    double feedback_, damping_;
};

// Exponential decay by a factor per sample: e^(-t / seconds) without an exponential per sample.
class Decay {
public:
    explicit Decay(double seconds);
    double next();  // the current level, then one step down

private:
    double level_ = 1.0;
    double factor_;
};

// A smooth 0..1 rise (half a cosine) over length samples, for attacks and fades.
double smoothStep(double position, double length);
// Attack, hold at 1, then release to 0; the note lasts holdSamples + releaseSamples.
double attackRelease(long n, long attackSamples, long holdSamples, long releaseSamples);

// Adds src into dst at offset (growing dst when needed) scaled by gain.
void mixInto(Samples* dst, const Samples& src, long offset, double gain);
// Scales so that the largest magnitude equals peak (silence stays silent).
void normalisePeak(Samples* samples, double peak);
double peakOf(const Samples& samples);
double rmsOf(const Samples& samples);
// Short fades at both ends so that a one-shot never starts or stops with a click.
void fadeEdges(Samples* samples, double fadeInSeconds, double fadeOutSeconds);

// The canonical 44-byte header and 16-bit samples, rounded and clamped.
std::vector<uint8_t> encodeWav(const Samples& samples);
bool writeWav(const std::string& outDir, const std::string& entryName, const Samples& samples);

}  // namespace sound
