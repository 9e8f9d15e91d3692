// The instruments that the music and the effects share: each call renders one note or hit,
// starting at sample 0 and including its own tail.
#pragma once

#include "SoundSynth.h"

namespace sound {

// Two-operator FM bell or mallet: ratio sets the timbre (2 warm, 3.5 glassy, 1.41 metallic).
struct BellTone {
    double ratio = 2.0;
    double index = 1.5;  // modulation depth at the strike
    double decaySeconds = 1.0;
};
Samples bell(double midiNote, const BellTone& tone);

// Plucked string; brightness 0..1 colours the strike.
Samples pluck(double midiNote, double decaySeconds, double brightness, uint32_t seed);

// Slow-moving pad of detuned sawtooths through a low-pass filter.
struct PadTone {
    double attackSeconds = 1.0;
    double releaseSeconds = 1.5;
    double cutoffHz = 1200.0;
    double detuneCents = 12.0;
    int voices = 3;
    double squareMix = 0.0;  // 0 saws only, 1 squares only
};
Samples pad(double midiNote, double holdSeconds, const PadTone& tone, uint32_t seed);

// Round bass: sine with a filtered sawtooth on top.
Samples bass(double midiNote, double holdSeconds, double grit);

// Breathy sine lead with a late vibrato.
Samples flute(double midiNote, double holdSeconds, uint32_t seed);

// Soft percussion.
Samples kick(double weight);  // 0 light .. 1 heavy
Samples snare(uint32_t seed);
Samples hat(double lengthSeconds, uint32_t seed);
Samples tom(double midiNote, uint32_t seed);
Samples handDrum(bool open, uint32_t seed);

// Adds a reverb tail of the given length (the sound grows by it) with the given wet share.
void addReverb(Samples* samples, double wet, double roomSize, double tailSeconds);

}  // namespace sound
