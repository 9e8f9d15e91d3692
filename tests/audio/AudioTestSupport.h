// Shared by the audio tests: a view of the sound system's sources, and the game's sounds and
// two musics made up as tones of their own pitch.
#pragma once

#include <AL/al.h>

#include "sound/SoundSystem.h"
#include "support/TestSupport.h"
#include "support/WavFiles.h"

class SoundSystemInspector {
public:
    static ALuint poolSource(const SoundSystem& sound, int index) { return sound.sources[index]; }
    static ALuint specialSource(const SoundSystem& sound) { return sound.specialSource; }
    static ALuint musicSource(const SoundSystem& sound) { return sound.musicSource; }
    static ALuint buffer(const SoundSystem& sound, game_sound index) { return sound.buffers[index]; }
};

namespace audio_testing {

constexpr int kAmplitude = 8000;

inline testing_support::Entries toneEntries(double seconds, double musicSeconds) {
    using testing_support::makeWav;
    using testing_support::sineTone;
    testing_support::Entries entries;
    for (int sound = 0; sound < SoundSystem::kSoundCount; ++sound) {
        entries.emplace_back(SoundSystem::soundEntry(game_sound(sound)),
                             makeWav(sineTone(seconds, 220.0 + 20 * sound, kAmplitude)));
    }
    entries.emplace_back("sounds/background_1.wav", makeWav(sineTone(musicSeconds, 147.0, kAmplitude)));
    entries.emplace_back("sounds/background_2.wav", makeWav(sineTone(musicSeconds, 196.0, kAmplitude)));
    return entries;
}

// What OpenAL holds for a source.
inline ALint sourceInt(ALuint source, ALenum what) {
    ALint value = 0;
    alGetSourcei(source, what, &value);
    return value;
}

}  // namespace audio_testing
