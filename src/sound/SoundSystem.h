// Plays the game's short sounds on a ring of ten OpenAL sources and one looping background
// music on a source of its own. Objects without a pointer to it ask for sounds and music
// through the mail box.
#pragma once

#include <AL/al.h>
#include <AL/alc.h>

#include <string>

#include "core/MessageReceiver.h"
#include "sound/GameSound.h"

class SoundSystem : public MessageReceiver {
public:
    static constexpr int kSoundCount = SOUND_NONE;
    static constexpr int kPoolSize = 10;

    // enabled false makes playing, starting and stopping do nothing and succeed.
    explicit SoundSystem(bool enabled);
    ~SoundSystem() override;
    SoundSystem(const SoundSystem&) = delete;
    SoundSystem& operator=(const SoundSystem&) = delete;

    // The package entry of a game sound; null for SOUND_NONE and unknown values.
    static const char* soundEntry(game_sound sound);

    // Opens the default device and decodes every game sound; also when disabled.
    bool setup();
    // Plays the sound once on the next pool source, or on the special source.
    bool play(game_sound sound, bool special);
    // Loops the WAV entry on a new music source.
    bool startContinousSound(std::string entry);
    void stopContinousSound();

    void handleMessage(Message message, MessagePayload* payload) override;
    const char* whoIsThere() override;

    const char* getALErrorString(ALenum error);
    const char* getALCErrorString(ALCenum error);
    // Logs and returns true when OpenAL holds an error; step numbers of 1 and above name
    // the release step in the log line.
    bool checkALError(int step);
    bool checkALCError();
    void deinitializeALC();
    // Releases what is still held, sources before the buffers bound to them.
    void deinitialize();

private:
    friend class SoundSystemInspector;  // lets tests see which source played what

    bool loadGameSound(int index);
    bool setUpSource(ALuint source, ALuint buffer, bool looping);

    bool enabled;
    ALCdevice* device = nullptr;
    ALCcontext* context = nullptr;
    ALuint buffers[kSoundCount] = {};
    ALuint sources[kPoolSize] = {};
    ALuint musicBuffer = 0;
    ALuint musicSource = 0;
    ALuint specialSource = 0;
};
