// The game's one-shot sounds: weapons, hits, movement, the rocket and the interface.
// Each is built from noise, sweeps and the shared instruments, then given a fixed peak level:
// sounds the player hears constantly (steps, clicks) sit lower than shots and explosions.
#include "SoundInstruments.h"
#include "Sounds.h"

#include <algorithm>

namespace sound {
namespace {

// Calls voice(n, t) for every sample of a sound of the given length.
template <typename Voice>
Samples render(double seconds, Voice voice) {
    Samples out(static_cast<size_t>(toSamples(seconds)));
    for (size_t i = 0; i < out.size(); ++i) {
        const long n = static_cast<long>(i);
        out[i] = voice(n, static_cast<double>(n) / kSampleRate);
    }
    return out;
}

// The player's blaster: a fast downward zap over a crack and a short thump.
Samples playerGun() {
    Oscillator zap, zapLow, thump;
    Random random(0x6A2);
    Filter crack, body;
    crack.set(2400.0, 0.8);
    return render(0.3, [&](long n, double t) {
        const double hz = 170.0 + 1500.0 * expOf(-t / 0.045);
        if (n % 8 == 0) {
            body.set(std::min(4500.0, hz * 3.0), 0.9);
        }
        const double tone = body.lowpass(0.6 * zap.saw(hz) + 0.4 * zapLow.square(hz * 0.5));
        const double noise = crack.bandpass(random.bipolar()) * expOf(-t / 0.012);
        const double low = thump.sine(55.0 + 90.0 * expOf(-t / 0.02)) * expOf(-t / 0.06);
        const double attack = smoothStep(static_cast<double>(n), 20.0);
        return softClip(1.6 * attack * (0.7 * tone * expOf(-t / 0.07) + 1.2 * noise + 0.8 * low));
    });
}

// A heavier plasma cannon: FM growl falling an octave and a half, with a dull blast.
Samples plasmaGun() {
    Phase carrier, modulator;
    Oscillator thump;
    Random random(0x6A1);
    Filter blast;
    return render(0.5, [&](long n, double t) {
        const double hz = 90.0 + 650.0 * expOf(-t / 0.08);
        const double index = 3.0 * expOf(-t / 0.1);
        const double growl = sinTurns(carrier.advance(hz) + index * sinTurns(modulator.advance(hz * 1.5)) / 6.2832);
        if (n % 8 == 0) {
            blast.set(200.0 + 3800.0 * expOf(-t / 0.05), 0.7);
        }
        const double noise = blast.lowpass(random.bipolar()) * expOf(-t / 0.09);
        const double low = thump.sine(48.0 + 60.0 * expOf(-t / 0.03)) * expOf(-t / 0.12);
        const double attack = smoothStep(static_cast<double>(n), 25.0);
        return softClip(1.8 * attack * (0.8 * growl * expOf(-t / 0.13) + 0.9 * noise + 0.9 * low));
    });
}

// The UFOs' shot: a wobbling, resonant alien zap, clearly not the player's gun.
Samples ufoLaser() {
    Oscillator left, right, upper;
    Phase wobble;
    Filter resonance;
    resonance.set(2600.0, 3.0);
    return render(0.45, [&](long n, double t) {
        const double hz = (650.0 + 1500.0 * expOf(-t / 0.09)) * (1.0 + 0.07 * sinTurns(wobble.advance(38.0)));
        const double tone = 0.5 * (left.saw(hz) + right.saw(hz * 1.007)) + 0.3 * upper.sine(hz * 2.0);
        const double envelope = smoothStep(static_cast<double>(n), 30.0) * expOf(-t / 0.14);
        return resonance.lowpass(tone) * envelope;
    });
}

// A UFO bursting: a noise blast closing down to a rumble, a sub boom and crackling debris.
Samples explosion() {
    Random random(0xE1);
    Filter blast, crackle, muffle;
    crackle.set(1500.0, 1.2);
    OnePole rumble(110.0);
    Oscillator boom;
    double spark = 0.0;
    return render(2.0, [&](long n, double t) {
        if (n % 8 == 0) {
            blast.set(150.0 + 3500.0 * expOf(-t / 0.18), 0.7);
            // The whole sound darkens as the fireball dies down.
            muffle.set(350.0 + 4500.0 * expOf(-t / 0.3), 0.6);
        }
        const double white = random.bipolar();
        const double roar = blast.lowpass(white) * expOf(-t / 0.5);
        const double low = rumble.lowpass(white) * 3.0 * expOf(-t / 0.9);
        const double sub = boom.sine(28.0 + 45.0 * expOf(-t / 0.25)) * expOf(-t / 0.35);
        if (random.uniform() < 0.02 * expOf(-t / 0.4)) {
            spark = random.bipolar();
        }
        spark *= 0.96;
        const double debris = crackle.bandpass(spark) * 2.0 * expOf(-t / 0.6);
        const double attack = smoothStep(static_cast<double>(n), 40.0);
        return muffle.lowpass(softClip(1.3 * attack * (roar + low + 0.9 * sub))) + debris;
    });
}

// The player being hit: a thud under a short distorted buzz.
Samples damageTaken() {
    Oscillator thud, buzz;
    Random random(0xDA);
    Filter grit, slap;
    grit.set(1200.0, 0.9);
    slap.set(900.0, 1.0);
    Phase tremolo;
    return render(0.42, [&](long n, double t) {
        const double low = thud.sine(55.0 + 95.0 * expOf(-t / 0.03)) * expOf(-t / 0.12);
        const double hz = 180.0 - 90.0 * std::min(1.0, t / 0.42);
        const double shake = 0.75 + 0.25 * sinTurns(tremolo.advance(30.0));
        const double rasp = grit.lowpass(buzz.saw(hz)) * expOf(-t / 0.15) * shake;
        const double hit = slap.bandpass(random.bipolar()) * expOf(-t / 0.03);
        const double attack = smoothStep(static_cast<double>(n), 15.0);
        return softClip(2.5 * attack * (low + 0.7 * rasp + 0.8 * hit));
    });
}

// The player's death: a falling minor line that sinks and wavers as it fades.
Samples playerDeath() {
    const double notes[] = {67.0, 63.0, 60.0, 55.0};
    const double starts[] = {0.0, 0.3, 0.6, 0.9};
    Samples out;
    for (int i = 0; i < 4; ++i) {
        const bool last = i == 3;
        const double length = last ? 1.5 : 0.34;
        Oscillator square, saw;
        Phase vibrato;
        Filter tone;
        tone.set(1600.0, 0.9);
        const Samples note = render(length, [&](long n, double t) {
            const double sink = last ? -5.0 * smoothStep(t - 0.2, 1.1) : 0.0;
            const double depth = last ? 0.25 * std::min(1.0, t / 0.8) : 0.05;
            const double pitch = notes[i] + sink + depth * sinTurns(vibrato.advance(6.0));
            const double hz = midiToHz(pitch);
            const double envelope = attackRelease(n, toSamples(0.01), toSamples(length - 0.12), toSamples(0.12));
            return tone.lowpass(0.6 * square.square(hz) + 0.4 * saw.saw(hz)) * envelope;
        });
        mixInto(&out, note, toSamples(starts[i]), last ? 0.9 : 0.7);
    }
    Random random(0xDE);
    Filter gloom;
    gloom.set(250.0, 0.7);
    for (size_t i = 0; i < out.size(); ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        out[i] += 0.4 * gloom.lowpass(random.bipolar()) * smoothStep(t, 0.8) * (1.0 - smoothStep(t - 1.2, 1.2));
    }
    addReverb(&out, 0.35, 0.82, 0.8);
    return out;
}

// A jump: a soft rising tone with a breath of air.
Samples jump() {
    Oscillator tone, overtone;
    Random random(0x1B);
    Filter air;
    air.set(1500.0, 0.7);
    return render(0.3, [&](long n, double t) {
        const double hz = 200.0 * semitoneRatio(17.0 * smoothStep(t, 0.18));
        const double envelope = smoothStep(static_cast<double>(n), 90.0) * expOf(-t / 0.09);
        const double breath = air.bandpass(random.bipolar()) * 0.35 * expOf(-t / 0.04);
        return (0.7 * tone.triangle(hz) + 0.3 * overtone.sine(hz * 2.0)) * envelope + breath;
    });
}

// Filtered noise bursts (heel and toe) shared by the softer steps.
struct Scuff {
    double startSeconds;
    double decaySeconds;
    double gain;
};

Samples scuffs(double seconds, const Scuff* parts, int count, double centreHz, double resonance, double grain,
               uint32_t seed) {
    Random random(seed);
    Filter colour;
    colour.set(centreHz, resonance);
    return render(seconds, [&](long, double t) {
        double envelope = 0.0;
        for (int i = 0; i < count; ++i) {
            const double local = t - parts[i].startSeconds;
            if (local >= 0.0) {
                envelope += parts[i].gain * smoothStep(local, 0.006) * expOf(-local / parts[i].decaySeconds);
            }
        }
        // Grain: the noise is gated by sparse random bursts, so the surface sounds broken up.
        const double gate = random.uniform() < grain ? 1.0 : 1.0 - grain;
        return colour.bandpass(random.bipolar() * gate) * envelope;
    });
}

// Footstep on soft grass: two muffled rustles and a faint thump.
Samples stepGrass() {
    const Scuff parts[] = {{0.0, 0.045, 1.0}, {0.05, 0.05, 0.7}};
    Samples out = scuffs(0.24, parts, 2, 900.0, 0.5, 0.3, 0x51);
    Oscillator thump;
    OnePole soften(1800.0);
    for (size_t i = 0; i < out.size(); ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        out[i] = soften.lowpass(out[i]) + 0.3 * thump.sine(75.0) * expOf(-t / 0.03) * smoothStep(t, 0.004);
    }
    return out;
}

// Footstep on gravel or sand: a dense spray of tiny hard grains.
Samples stepGravel() {
    Random random(0x52);
    Filter bright, dull;
    bright.set(3200.0, 1.6);
    dull.set(1700.0, 1.2);
    Oscillator thump;
    double grain = 0.0;
    return render(0.22, [&](long, double t) {
        const double density = 0.22 * (expOf(-t / 0.05) + 0.6 * (t > 0.07 ? expOf(-(t - 0.07) / 0.04) : 0.0));
        if (random.uniform() < density) {
            grain = random.bipolar() * smoothStep(t, 0.004);
        } else {
            grain *= 0.55;
        }
        const double low = 0.25 * thump.sine(90.0) * expOf(-t / 0.025) * smoothStep(t, 0.003);
        return bright.bandpass(grain) + 0.7 * dull.bandpass(grain) + low;
    });
}

// Footstep in snow: a slower, packed crunch with a squeak on top.
Samples stepSnow() {
    Random random(0x53);
    Filter pack;
    pack.set(1300.0, 0.9);
    OnePole soften(2600.0);
    Oscillator squeak;
    double grain = 0.0;
    return render(0.3, [&](long, double t) {
        const double envelope = smoothStep(t, 0.03) * expOf(-t / 0.09);
        if (random.uniform() < 0.35) {
            grain = random.bipolar();
        }
        const double crunch = soften.lowpass(pack.bandpass(grain)) * envelope * 1.6;
        const double squeal =
            0.12 * squeak.sine(980.0 + 250.0 * t / 0.3) * smoothStep(t - 0.02, 0.02) * expOf(-t / 0.05);
        return crunch + squeal;
    });
}

// Footstep on bare rock: a sharp heel click with a hollow knock, then a lighter toe tap.
Samples stepRock() {
    Random random(0x54);
    Filter click;
    click.set(2800.0, 0.8);
    Oscillator knockLow, knockHigh, thump;
    return render(0.16, [&](long, double t) {
        const double toe = t - 0.05;
        const double clickEnvelope = expOf(-t / 0.003) + (toe >= 0.0 ? 0.5 * expOf(-toe / 0.003) : 0.0);
        const double knockEnvelope = expOf(-t / 0.03) + (toe >= 0.0 ? 0.4 * expOf(-toe / 0.025) : 0.0);
        const double sharp = click.highpass(random.bipolar()) * clickEnvelope;
        const double knock = (0.6 * knockLow.sine(290.0) + 0.35 * knockHigh.sine(650.0)) * knockEnvelope;
        const double low = 0.4 * thump.sine(95.0) * expOf(-t / 0.035);
        return (sharp + knock + low) * smoothStep(t, 0.0008);
    });
}

// Footstep in shallow water: a splash, a slosh and a few rising bubbles.
Samples stepWater() {
    Random random(0x55);
    Filter splash;
    OnePole slosh(420.0);
    struct Bubble {
        double start, hz;
        Phase phase;
    };
    std::vector<Bubble> bubbles;
    bubbles.reserve(5);
    for (int i = 0; i < 5; ++i) {
        bubbles.push_back({random.range(0.03, 0.22), random.range(480.0, 1050.0), Phase()});
    }
    return render(0.38, [&](long n, double t) {
        if (n % 8 == 0) {
            splash.set(800.0 + 2700.0 * expOf(-t / 0.06), 0.8);
        }
        const double white = random.bipolar();
        double out = splash.bandpass(white) * smoothStep(t, 0.005) * expOf(-t / 0.09);
        out += 1.5 * slosh.lowpass(white) * smoothStep(t, 0.02) * expOf(-t / 0.15);
        for (Bubble& bubble : bubbles) {
            const double local = t - bubble.start;
            if (local >= 0.0) {
                // A bubble's pitch rises as it nears the surface.
                const double hz = bubble.hz * (1.0 + 0.6 * local / 0.04);
                out += 0.25 * sinTurns(bubble.phase.advance(hz)) * smoothStep(local, 0.002) * expOf(-local / 0.025);
            }
        }
        return out;
    });
}

// The rocket's engines over a flight of about seven seconds (it also plays while the rocket lands):
// ignition crackle, a swelling roar and rumble, then the sound recedes.
Samples takeoff() {
    Random random(0x7A);
    Filter roar, muffle;
    OnePole rumble(90.0), brown(40.0);
    Filter crackle;
    crackle.set(1800.0, 0.7);
    Oscillator engine;
    OnePole jitter(8.0);
    double flutter = 0.0;
    return render(7.5, [&](long n, double t) {
        const double build = smoothStep(t - 0.15, 1.6);
        const double leave = smoothStep(t - 4.8, 2.7);
        if (n % 16 == 0) {
            roar.set((450.0 + 450.0 * build) * (1.0 - 0.55 * leave), 0.7);
            rumble.set(80.0 + 220.0 * build * (1.0 - 0.5 * leave));
            // A roar rather than a hiss: the top closes further as the rocket climbs away.
            muffle.set((900.0 + 1800.0 * build) * (1.0 - 0.6 * leave), 0.6);
        }
        const double white = random.bipolar();
        if (n % 64 == 0) {
            flutter = random.uniform();
        }
        const double body = roar.lowpass(white) * (0.25 + 0.75 * build);
        const double deep = rumble.lowpass(white) * 3.0 + 6.0 * brown.lowpass(white);
        const double crack = crackle.highpass(white) * flutter * (0.3 * expOf(-t / 0.4) + 0.12 * build);
        const double hum = 0.3 * engine.saw(55.0 * (1.0 + 0.15 * build) + 8.0 * jitter.lowpass(white));
        const double level = smoothStep(t, 0.25) * (1.0 - leave);
        return muffle.lowpass(softClip(1.2 * level * (body + deep + hum * build))) + crack * level;
    });
}

// Interface blip: a short bright ping.
Samples uiBlipp() {
    Oscillator tone, octave;
    return render(0.09, [&](long n, double t) {
        const double envelope = smoothStep(static_cast<double>(n), 22.0) * expOf(-t / 0.025);
        return (tone.sine(1320.0) + 0.3 * octave.sine(2640.0)) * envelope;
    });
}

// Interface blip, two rising notes.
Samples uiBlipp2() {
    Oscillator tone;
    OnePole soften(3000.0);
    return render(0.16, [&](long, double t) {
        const bool second = t >= 0.06;
        const double local = second ? t - 0.06 : t;
        const double envelope = smoothStep(local, 0.003) * expOf(-local / (second ? 0.035 : 0.02));
        return soften.lowpass(0.6 * tone.square(second ? 1318.5 : 880.0)) * envelope;
    });
}

// The button click: a tick with a short FM blip.
Samples uiBlipp3() {
    Random random(0xB3);
    Filter tick;
    tick.set(3000.0, 1.2);
    Phase carrier, modulator;
    return render(0.1, [&](long n, double t) {
        const double index = 1.5 * expOf(-t / 0.02);
        const double blip = sinTurns(carrier.advance(1046.5) + index * sinTurns(modulator.advance(2093.0)) / 6.2832);
        const double envelope = smoothStep(static_cast<double>(n), 22.0) * expOf(-t / 0.03);
        return blip * envelope + tick.bandpass(random.bipolar()) * expOf(-t / 0.002);
    });
}

// Artefact taken: a rising major arpeggio of bells with a shimmer on top.
Samples success() {
    const double notes[] = {72.0, 76.0, 79.0, 84.0, 88.0};
    Samples out;
    BellTone tone;
    tone.ratio = 2.0;
    tone.index = 1.2;
    tone.decaySeconds = 0.35;
    for (int i = 0; i < 5; ++i) {
        mixInto(&out, bell(notes[i], tone), toSamples(0.08 * i), i == 4 ? 0.4 : 0.8);
    }
    addReverb(&out, 0.3, 0.8, 0.5);
    return out;
}

// Refusal: two low buzzing notes stepping down.
Samples negative() {
    Oscillator square, saw;
    Filter tone;
    tone.set(1400.0, 1.0);
    return render(0.45, [&](long, double t) {
        const bool second = t >= 0.2;
        const double local = second ? t - 0.2 : t;
        const double length = second ? 0.22 : 0.16;
        const double hz = (second ? 233.08 : 311.13) * (1.0 - 0.02 * local / length);
        const double envelope = local < length ? attackRelease(static_cast<long>(local * kSampleRate), toSamples(0.005),
                                                               toSamples(length - 0.03), toSamples(0.03))
                                               : 0.0;
        return tone.lowpass(0.6 * square.square(hz) + 0.4 * saw.saw(hz)) * envelope;
    });
}

struct Effect {
    const char* entry;
    Samples (*make)();
    double peak;  // the level it is written at, of full scale
};

}  // namespace
}  // namespace sound

bool generateSoundEffects(const std::string& outDir) {
    using namespace sound;
    // Footsteps: 1 grass, 2 gravel/sand, 3 snow, 4 rock, 5 water splash.
    const Effect effects[] = {
        {"sounds/gun_1.wav", plasmaGun, 0.8},
        {"sounds/gun_2.wav", playerGun, 0.75},
        {"sounds/takeoff.wav", takeoff, 0.7},
        {"sounds/ui_blipp.wav", uiBlipp, 0.4},
        {"sounds/ui_blipp2.wav", uiBlipp2, 0.4},
        {"sounds/ui_blipp3.wav", uiBlipp3, 0.45},
        {"sounds/negative.wav", negative, 0.55},
        {"sounds/success.wav", success, 0.65},
        {"sounds/laser.wav", ufoLaser, 0.6},
        {"sounds/explosion_1.wav", explosion, 0.9},
        {"sounds/damage_taken_1.wav", damageTaken, 0.85},
        {"sounds/player_death.wav", playerDeath, 0.8},
        {"sounds/footstep1.wav", stepGrass, 0.4},
        {"sounds/footstep2.wav", stepGravel, 0.45},
        {"sounds/footstep3.wav", stepSnow, 0.42},
        {"sounds/footstep4.wav", stepRock, 0.5},
        {"sounds/footstep5.wav", stepWater, 0.5},
        {"sounds/jump.wav", jump, 0.5},
    };
    for (const Effect& effect : effects) {
        Samples samples = effect.make();
        fadeEdges(&samples, 0.0005, 0.01);
        normalisePeak(&samples, effect.peak);
        if (!writeWav(outDir, effect.entry, samples)) {
            return false;
        }
    }
    return true;
}
