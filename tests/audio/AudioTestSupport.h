// Shared by the audio tests: packages of made-up game sounds, a view into the sound
// system's handles, and child runs of this executable under another OpenAL set-up
// (openal-soft reads its configuration once per process).
#pragma once

#include <AL/al.h>

#include <string>
#include <vector>

#include "sound/SoundSystem.h"
#include "support/TestSupport.h"

class SoundSystemInspector {
public:
    static ALuint poolSource(const SoundSystem& sound, int index) { return sound.sources[index]; }
    static ALuint specialSource(const SoundSystem& sound) { return sound.specialSource; }
    static ALuint musicSource(const SoundSystem& sound) { return sound.musicSource; }
    static ALuint musicBuffer(const SoundSystem& sound) { return sound.musicBuffer; }
    static ALuint buffer(const SoundSystem& sound, game_sound index) { return sound.buffers[index]; }
};

namespace audio_testing {

constexpr int kToneAmplitude = 8000;

// The 18 game sounds (each a tone of its own pitch, seconds long) and the music entries
// "sounds/background_1.wav" and "sounds/background_2.wav" (tones of musicSeconds).
testing_support::Entries soundEntries(double seconds, double musicSeconds = 0.25);
// The entries without the one named.
testing_support::Entries without(testing_support::Entries entries, const std::string& name);
// The entries with one entry's bytes replaced.
testing_support::Entries replaced(testing_support::Entries entries, const std::string& name, const std::string& bytes);

// How much the current context's device has mixed so far, in seconds: the position in a
// captured file at which a request made now starts to sound.
double deviceClockSeconds();

ALint sourceState(ALuint source);
ALint sourceBuffer(ALuint source);

// Child runs: a test meant to run only as a child skips itself in a normal run.
bool runningAsChild();
// The value of an environment variable given to the child, or "".
std::string childSetting(const char* name);
// Runs one test of this executable in a new process without ALSOFT_DRIVERS, with the
// settings ("NAME=value") in its environment.
testing_support::CommandResult runChildTest(const std::string& testName, const std::vector<std::string>& settings);
// Writes an openal-soft configuration into dir that sends the mixed output, mono 16-bit at
// 11025 Hz, to the WAV file capture (or, without one, to the null device); returns its path.
std::string writeOpenAlConfig(const std::string& dir, const std::string& capture, const std::string& extra = "");

}  // namespace audio_testing

namespace audio_testing {
// Runs the child test and fails the calling test unless it ran and passed.
void expectChildPasses(const std::string& testName, const std::vector<std::string>& settings);
}  // namespace audio_testing
