#include "SoundInstruments.h"

#include <algorithm>
#include <cmath>

namespace sound {

namespace {

// ln(1000): a decay to -60 dB.
constexpr double kSixtyDecibels = 6.907755278982137;
// Modulated filters are re-tuned this often; finer steps are inaudible and cost a sine each.
constexpr long kFilterUpdateInterval = 16;

double secondsAt(long n) {
    return static_cast<double>(n) / kSampleRate;
}

}  // namespace

Samples bell(double midiNote, const BellTone& tone) {
    const double carrierHz = midiToHz(midiNote);
    const double modulatorHz = carrierHz * tone.ratio;
    // Keep the strongest sidebands below Nyquist: the index is cut for high or bright notes.
    const double roomForSidebands = (kNyquist * 0.9 - carrierHz) / modulatorHz - 1.0;
    const double index = std::max(0.0, std::min(tone.index, roomForSidebands));
    Samples out(static_cast<size_t>(toSamples(tone.decaySeconds * 4.0)));
    Phase carrier, modulator;
    Decay depthDecay(tone.decaySeconds * 0.35), levelDecay(tone.decaySeconds);
    const long attack = toSamples(0.003);
    for (size_t i = 0; i < out.size(); ++i) {
        const long n = static_cast<long>(i);
        const double depth = index * depthDecay.next();
        const double modulation = depth * sinTurns(modulator.advance(modulatorHz)) / (2.0 * 3.14159265358979);
        const double envelope = smoothStep(static_cast<double>(n), static_cast<double>(attack)) * levelDecay.next();
        out[i] = envelope * sinTurns(carrier.advance(carrierHz) + modulation);
    }
    fadeEdges(&out, 0.0, 0.01);
    return out;
}

Samples pluck(double midiNote, double decaySeconds, double brightness, uint32_t seed) {
    // Built from its harmonics rather than a delay line: at 11025 Hz a delay-line string loses
    // its high notes within a few hundredths of a second, and the pitch stays exact this way.
    const double hz = midiToHz(midiNote);
    Random random(seed);
    const double pickPosition = random.range(0.1, 0.2);
    struct Partial {
        double cosine, sine, stepCosine, stepSine, amplitude, decay;
    };
    std::vector<Partial> partials;
    for (int k = 1; k * hz < kNyquist * 0.9; ++k) {
        const double turns = k * hz / kSampleRate;
        const double pick = std::fabs(sinTurns(0.5 * k * pickPosition));
        const double amplitude = pick / k * expOf(-(k - 1) * (1.0 - brightness) * 0.45);
        // Upper partials ring shorter, as on a real string.
        const double seconds = decaySeconds / kSixtyDecibels / (1.0 + 0.0012 * k * hz);
        partials.push_back(
            {1.0, 0.0, cosTurns(turns), sinTurns(turns), amplitude, expOf(-1.0 / (seconds * kSampleRate))});
    }
    Samples out(static_cast<size_t>(toSamples(decaySeconds + 0.05)));
    Filter pickNoise;
    pickNoise.set(std::min(kNyquist * 0.8, hz * 4.0), 1.0);
    const double attack = kSampleRate * 0.0015;
    for (size_t i = 0; i < out.size(); ++i) {
        double sum = 0.0;
        for (Partial& p : partials) {
            const double c = p.cosine * p.stepCosine - p.sine * p.stepSine;
            p.sine = p.sine * p.stepCosine + p.cosine * p.stepSine;
            p.cosine = c;
            sum += p.amplitude * p.sine;
            p.amplitude *= p.decay;
        }
        const double position = static_cast<double>(i);
        const double click = position < 60.0 ? 0.3 * brightness * pickNoise.bandpass(random.bipolar()) : 0.0;
        out[i] = (sum + click * (1.0 - position / 60.0)) * smoothStep(position, attack);
    }
    fadeEdges(&out, 0.0, 0.02);
    return out;
}

Samples pad(double midiNote, double holdSeconds, const PadTone& tone, uint32_t seed) {
    const double hz = midiToHz(midiNote);
    const long attack = toSamples(tone.attackSeconds);
    const long hold = toSamples(holdSeconds);
    const long release = toSamples(tone.releaseSeconds);
    Random random(seed);
    std::vector<Oscillator> oscillators;
    std::vector<double> ratios;
    for (int v = 0; v < tone.voices; ++v) {
        const double spread = tone.voices > 1 ? (2.0 * v / (tone.voices - 1) - 1.0) : 0.0;
        oscillators.emplace_back(random.uniform());
        ratios.push_back(semitoneRatio(spread * tone.detuneCents / 100.0));
    }
    Filter filter;
    Samples out(static_cast<size_t>(std::max(hold, attack) + release));
    const double voiceGain = 1.0 / std::sqrt(static_cast<double>(tone.voices));
    for (size_t i = 0; i < out.size(); ++i) {
        const long n = static_cast<long>(i);
        const double envelope = attackRelease(n, attack, hold, release);
        if (n % kFilterUpdateInterval == 0) {
            filter.set(tone.cutoffHz * (0.55 + 0.45 * envelope), 0.7);
        }
        double sum = 0.0;
        for (size_t v = 0; v < oscillators.size(); ++v) {
            const double voiceHz = hz * ratios[v];
            sum += tone.squareMix > 0.0 ? (1.0 - tone.squareMix) * oscillators[v].saw(voiceHz) +
                                              tone.squareMix * 0.7 * oscillators[v].square(voiceHz)
                                        : oscillators[v].saw(voiceHz);
        }
        out[i] = filter.lowpass(sum * voiceGain) * envelope;
    }
    return out;
}

Samples bass(double midiNote, double holdSeconds, double grit) {
    const double hz = midiToHz(midiNote);
    const long attack = toSamples(0.008);
    const long hold = toSamples(holdSeconds);
    const long release = toSamples(0.09);
    Oscillator body, edge;
    Filter filter;
    filter.set(hz * 3.0 + 150.0, 0.9);
    Decay fall(0.25);
    Samples out(static_cast<size_t>(hold + release));
    for (size_t i = 0; i < out.size(); ++i) {
        const long n = static_cast<long>(i);
        const double envelope = attackRelease(n, attack, hold, release) * (0.7 + 0.3 * fall.next());
        const double tone = body.sine(hz) + grit * filter.lowpass(edge.saw(hz));
        out[i] = softClip(tone * (1.0 + grit)) * envelope;
    }
    return out;
}

Samples flute(double midiNote, double holdSeconds, uint32_t seed) {
    const double hz = midiToHz(midiNote);
    const long attack = toSamples(0.07);
    const long hold = toSamples(holdSeconds);
    const long release = toSamples(0.18);
    Oscillator fundamental, second, third;
    Phase vibrato;
    Random random(seed);
    Filter breath;
    breath.set(std::min(kNyquist * 0.8, hz * 2.0), 2.0);
    Samples out(static_cast<size_t>(hold + release));
    for (size_t i = 0; i < out.size(); ++i) {
        const long n = static_cast<long>(i);
        const double t = secondsAt(n);
        const double vibratoDepth = 0.004 * smoothStep(t - 0.25, 0.4);
        const double bent = hz * (1.0 + vibratoDepth * sinTurns(vibrato.advance(5.2)));
        const double tone = fundamental.sine(bent) + 0.18 * second.sine(bent * 2.0) +
                            (bent * 3.0 < kNyquist * 0.9 ? 0.05 * third.sine(bent * 3.0) : 0.0);
        const double air = 0.25 * breath.bandpass(random.bipolar());
        out[i] = (tone + air) * attackRelease(n, attack, hold, release);
    }
    return out;
}

Samples kick(double weight) {
    Samples out(static_cast<size_t>(toSamples(0.5)));
    Oscillator body;
    Random random(17);
    OnePole click(1500.0);
    const double decay = 0.16 + 0.14 * weight;
    for (size_t i = 0; i < out.size(); ++i) {
        const double t = secondsAt(static_cast<long>(i));
        const double hz = 44.0 + (60.0 + 40.0 * weight) * expOf(-t / 0.035);
        const double tap = t < 0.004 ? click.lowpass(random.bipolar()) * 0.5 : 0.0;
        out[i] = body.sine(hz) * expOf(-t / decay) * smoothStep(static_cast<double>(i), 20.0) + tap;
    }
    fadeEdges(&out, 0.0, 0.03);
    return out;
}

Samples snare(uint32_t seed) {
    Samples out(static_cast<size_t>(toSamples(0.32)));
    Random random(seed);
    Filter rattle;
    rattle.set(1900.0, 0.8);
    Oscillator shell;
    for (size_t i = 0; i < out.size(); ++i) {
        const double t = secondsAt(static_cast<long>(i));
        out[i] =
            rattle.bandpass(random.bipolar()) * 1.4 * expOf(-t / 0.07) + 0.6 * shell.sine(185.0) * expOf(-t / 0.045);
    }
    fadeEdges(&out, 0.001, 0.03);
    return out;
}

Samples hat(double lengthSeconds, uint32_t seed) {
    Samples out(static_cast<size_t>(toSamples(lengthSeconds * 5.0)));
    Random random(seed);
    Filter sizzle;
    sizzle.set(3800.0, 0.7);
    for (size_t i = 0; i < out.size(); ++i) {
        const double t = secondsAt(static_cast<long>(i));
        out[i] = sizzle.highpass(random.bipolar()) * expOf(-t / lengthSeconds);
    }
    fadeEdges(&out, 0.001, 0.01);
    return out;
}

Samples tom(double midiNote, uint32_t seed) {
    const double hz = midiToHz(midiNote);
    Samples out(static_cast<size_t>(toSamples(0.7)));
    Oscillator body;
    Random random(seed);
    Filter skin;
    skin.set(700.0, 1.0);
    for (size_t i = 0; i < out.size(); ++i) {
        const double t = secondsAt(static_cast<long>(i));
        const double bent = hz * (1.0 + 0.6 * expOf(-t / 0.03));
        out[i] = body.sine(bent) * expOf(-t / 0.2) + 0.5 * skin.bandpass(random.bipolar()) * expOf(-t / 0.02);
    }
    fadeEdges(&out, 0.001, 0.05);
    return out;
}

Samples handDrum(bool open, uint32_t seed) {
    Samples out(static_cast<size_t>(toSamples(open ? 0.5 : 0.2)));
    Oscillator body;
    Random random(seed);
    Filter skin;
    skin.set(open ? 600.0 : 2500.0, open ? 0.8 : 1.5);
    for (size_t i = 0; i < out.size(); ++i) {
        const double t = secondsAt(static_cast<long>(i));
        if (open) {
            const double hz = 92.0 * (1.0 + 0.3 * expOf(-t / 0.02));
            out[i] = body.sine(hz) * expOf(-t / 0.14) + 0.4 * skin.lowpass(random.bipolar()) * expOf(-t / 0.02);
        } else {
            out[i] =
                0.5 * body.sine(420.0) * expOf(-t / 0.035) + 1.2 * skin.bandpass(random.bipolar()) * expOf(-t / 0.025);
        }
    }
    fadeEdges(&out, 0.001, 0.03);
    return out;
}

void addReverb(Samples* samples, double wet, double roomSize, double tailSeconds) {
    const size_t dryLength = samples->size();
    samples->resize(dryLength + static_cast<size_t>(toSamples(tailSeconds)), 0.0);
    Reverb reverb(roomSize, 0.35);
    for (double& value : *samples) {
        value += wet * reverb.process(value);
    }
    fadeEdges(samples, 0.0, std::min(tailSeconds, 0.3));
}

}  // namespace sound
