#include "sound/SoundSystem.h"

#include <cstdlib>

#include "core/Log.h"
#include "core/MailBox.h"
#include "core/MessagePayload.h"
#include "core/PackageManager.h"
#include "sound/WavLoader.h"

namespace {

constexpr ALsizei kSampleRate = 11025;

// Indexed by game_sound.
const char* const sSounds[SoundSystem::kSoundCount] = {
    "sounds/gun_1.wav",     "sounds/gun_2.wav",       "sounds/takeoff.wav",        "sounds/ui_blipp.wav",
    "sounds/ui_blipp2.wav", "sounds/ui_blipp3.wav",   "sounds/negative.wav",       "sounds/success.wav",
    "sounds/laser.wav",     "sounds/explosion_1.wav", "sounds/damage_taken_1.wav", "sounds/player_death.wav",
    "sounds/footstep1.wav", "sounds/footstep2.wav",   "sounds/footstep3.wav",      "sounds/footstep4.wav",
    "sounds/footstep5.wav", "sounds/jump.wav",
};

}  // namespace

const char* SoundSystem::soundEntry(game_sound sound) {
    if (static_cast<unsigned>(sound) >= static_cast<unsigned>(kSoundCount)) {
        return nullptr;
    }
    return sSounds[sound];
}

SoundSystem::SoundSystem(bool enabled) : enabled(enabled) {
    MailBox::getInstance()->registerReceiver(this, MESSAGE_PLAY_GAME_SOUND);
    MailBox::getInstance()->registerReceiver(this, MESSAGE_PLAY_CONTINUOUS_SOUND);
}

SoundSystem::~SoundSystem() {
    // A deleted receiver left registered would be called through a dangling pointer.
    MailBox::getInstance()->removeReceiver(this);
    deinitialize();
}

bool SoundSystem::setup() {
    alGetError();
    device = alcOpenDevice(nullptr);
    if (device == nullptr) {
        LOG_ERROR("Failed to create ALC device");
        return false;
    }
    checkALCError();

    context = alcCreateContext(device, nullptr);
    checkALCError();
    const bool current = context != nullptr && alcMakeContextCurrent(context) == ALC_TRUE;
    checkALCError();
    if (!current) {
        LOG_ERROR("Failed to create/set ALC context");
        deinitializeALC();
        return false;
    }

    alGenBuffers(kSoundCount, buffers);
    checkALError(0);
    for (int index = 0; index < kSoundCount; ++index) {
        if (!loadGameSound(index)) {
            return false;
        }
    }

    alGenSources(kPoolSize, sources);
    if (checkALError(0)) {
        LOG_ERROR("Failed to generate sources");
        deinitializeALC();
        return false;
    }
    // Nothing plays on the special source by default, so a failure here is not fatal.
    alGenSources(1, &specialSource);
    return true;
}

// Decodes one game sound into its buffer. Only a missing entry is fatal: a refused WAV or
// a rejected upload leaves the sound silent.
bool SoundSystem::loadGameSound(int index) {
    uint32_t length = 0;
    char* wav = PackageManager::getInstance()->load(kPackageFile, sSounds[index], &length);
    if (wav == nullptr) {
        LOG_ERROR("Failed to load package data for %s", sSounds[index]);
        return false;
    }
    uint32_t size = 0;
    char* samples = WavLoader::loadRawDataFromWav(wav, length, &size);
    free(wav);
    if (samples == nullptr) {
        return true;
    }
    alBufferData(buffers[index], AL_FORMAT_MONO16, samples, static_cast<ALsizei>(size), kSampleRate);
    free(samples);
    if (checkALError(0)) {
        LOG_ERROR("adBufferData failed");
    }
    return true;
}

bool SoundSystem::play(game_sound sound, bool special) {
    if (sound == SOUND_NONE || !enabled) {
        return true;
    }
    if (soundEntry(sound) == nullptr) {
        LOG_ERROR("Unknown game sound %d", static_cast<int>(sound));
        return false;
    }
    const ALuint buffer = buffers[sound];
    if (buffer == 0) {
        return false;
    }
    // Shared by every sound system and never reset: the ring simply goes on.
    static int counter = 0;
    ALuint source = specialSource;
    if (!special) {
        counter = (counter + 1) % kPoolSize;
        source = sources[counter];
    }
    if (alIsSource(source) == AL_FALSE) {
        return true;
    }
    ALint state = 0;
    alGetSourcei(source, AL_SOURCE_STATE, &state);
    if (checkALError(0)) {
        return false;
    }
    // A busy source drops the sound rather than cut off the one it is playing.
    if (state == AL_PLAYING) {
        return true;
    }
    return setUpSource(source, buffer, false);
}

// Binds the buffer and starts the source at unit pitch and gain.
bool SoundSystem::setUpSource(ALuint source, ALuint buffer, bool looping) {
    alSourcei(source, AL_BUFFER, static_cast<ALint>(buffer));
    if (checkALError(0)) {
        return false;
    }
    alSourcef(source, AL_PITCH, 1.0f);
    if (checkALError(0)) {
        return false;
    }
    alSourcef(source, AL_GAIN, 1.0f);
    if (checkALError(0)) {
        return false;
    }
    alSourcei(source, AL_LOOPING, looping ? AL_TRUE : AL_FALSE);
    if (checkALError(0)) {
        return false;
    }
    alSourcePlay(source);
    return !checkALError(0);
}

bool SoundSystem::startContinousSound(std::string entry) {
    if (!enabled) {
        return true;
    }
    alGenSources(1, &musicSource);
    if (checkALError(0)) {
        LOG_ERROR("Failed to generate repeat source");
        musicSource = 0;
        deinitializeALC();
        return false;
    }
    alGenBuffers(1, &musicBuffer);
    checkALError(0);

    uint32_t length = 0;
    char* wav = PackageManager::getInstance()->load(kPackageFile, entry, &length);
    if (wav == nullptr) {
        LOG_ERROR("Failed to load file from package %s", entry.c_str());
        return false;
    }
    uint32_t size = 0;
    char* samples = WavLoader::loadRawDataFromWav(wav, length, &size);
    free(wav);
    if (samples != nullptr) {
        alBufferData(musicBuffer, AL_FORMAT_MONO16, samples, static_cast<ALsizei>(size), kSampleRate);
        free(samples);
        if (checkALError(0)) {
            return false;
        }
    }
    if (musicBuffer == 0) {
        LOG_ERROR("No buffer");
        return false;
    }
    if (alIsSource(musicSource) == AL_FALSE) {
        return true;
    }
    return setUpSource(musicSource, musicBuffer, true);
}

void SoundSystem::stopContinousSound() {
    if (!enabled || musicSource == 0) {
        return;
    }
    alSourceStop(musicSource);
    alDeleteSources(1, &musicSource);
    alDeleteBuffers(1, &musicBuffer);
    checkALError(0);
    musicSource = 0;
    // Released with its source, so the destructor must not delete it a second time.
    musicBuffer = 0;
}

void SoundSystem::handleMessage(Message message, MessagePayload* payload) {
    if (message != MESSAGE_PLAY_GAME_SOUND && message != MESSAGE_PLAY_CONTINUOUS_SOUND) {
        return;
    }
    if (payload == nullptr) {
        LOG_ERROR("Sound message %d came without a payload", static_cast<int>(message));
        return;
    }
    if (message == MESSAGE_PLAY_CONTINUOUS_SOUND) {
        stopContinousSound();
        startContinousSound(payload->getString());
    } else {
        play(static_cast<game_sound>(payload->getInt()), false);
    }
}

const char* SoundSystem::whoIsThere() {
    return "SoundSystem";
}

const char* SoundSystem::getALErrorString(ALenum error) {
    switch (error) {
        case AL_INVALID_NAME: return "AL_INVALID_NAME";
        case AL_INVALID_ENUM: return "AL_INVALID_ENUM";
        case AL_INVALID_VALUE: return "AL_INVALID_VALUE";
        case AL_INVALID_OPERATION: return "AL_INVALID_OPERATION";
        case AL_OUT_OF_MEMORY: return "AL_OUT_OF_MEMORY";
        default: return "Unknown AL error";
    }
}

const char* SoundSystem::getALCErrorString(ALCenum error) {
    switch (error) {
        case ALC_INVALID_DEVICE: return "ALC_INVALID_DEVICE";
        case ALC_INVALID_CONTEXT: return "ALC_INVALID_CONTEXT";
        case ALC_INVALID_ENUM: return "ALC_INVALID_ENUM";
        case ALC_INVALID_VALUE: return "ALC_INVALID_VALUE";
        case ALC_OUT_OF_MEMORY: return "ALC_OUT_OF_MEMORY";
        default: return "Unknown ALC error";
    }
}

bool SoundSystem::checkALError(int step) {
    const ALenum error = alGetError();
    if (error == AL_NO_ERROR) {
        return false;
    }
    if (step < 1) {
        LOG_ERROR("OpenAL error (%d): %s", error, getALErrorString(error));
    } else {
        LOG_ERROR("OpenAL error %d (%d): %s", step, error, getALErrorString(error));
    }
    return true;
}

bool SoundSystem::checkALCError() {
    const ALCenum error = alcGetError(device);
    if (error == ALC_NO_ERROR) {
        return false;
    }
    LOG_ERROR("ALC error (%d): %s", error, getALCErrorString(error));
    return true;
}

void SoundSystem::deinitializeALC() {
    alcMakeContextCurrent(nullptr);
    if (context != nullptr) {
        alcDestroyContext(context);
        context = nullptr;
    }
    if (device != nullptr) {
        alcCloseDevice(device);
        device = nullptr;
    }
}

void SoundSystem::deinitialize() {
    // Sources and buffers went with the context and device if those were already released.
    if (context != nullptr) {
        auto deleteSource = [this](ALuint& source, int step) {
            if (source != 0) {
                alDeleteSources(1, &source);
                checkALError(step);
                source = 0;
            }
        };
        auto deleteBuffer = [this](ALuint& buffer, int step) {
            if (buffer != 0) {
                alDeleteBuffers(1, &buffer);
                checkALError(step);
                buffer = 0;
            }
        };
        checkALError(1);
        for (ALuint& source : sources) {
            deleteSource(source, 2);
        }
        deleteSource(musicSource, 3);
        deleteSource(specialSource, 4);
        checkALError(5);
        // A buffer can only go once no source holds it.
        for (ALuint& buffer : buffers) {
            deleteBuffer(buffer, 6);
        }
        deleteBuffer(musicBuffer, 7);
    }
    if (context != nullptr || device != nullptr) {
        deinitializeALC();
    }
}
