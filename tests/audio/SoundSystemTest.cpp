// The sound system on openal-soft's null device: which source plays what, the music's
// source going and coming, and the failures of set-up and music start.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "AudioTestSupport.h"
#include "core/MailBox.h"
#include "core/MessagePayload.h"
#include "sound/SoundSystem.h"
#include "support/TestSupport.h"
#include "support/WavFiles.h"

using audio_testing::expectChildPasses;
using audio_testing::runningAsChild;
using audio_testing::soundEntries;
using audio_testing::sourceBuffer;
using audio_testing::sourceState;
using testing_support::buildPackage;
using testing_support::CapturedStdout;
using testing_support::ScopedWorkingDirectory;
using testing_support::TempDir;
using Inspect = SoundSystemInspector;

namespace {

// Long enough that every sound of a test is still playing when the test looks.
constexpr double kLongSound = 3.0;

class SoundSystemTest : public ::testing::Test {
protected:
    // Builds the package and sets up a sound system over it; false with the log on failure.
    void makeSystem(const testing_support::Entries& entries, bool enabled = true) {
        ASSERT_TRUE(buildPackage(dir.path(), entries));
        sound = std::make_unique<SoundSystem>(enabled);
        CapturedStdout captured;
        setupResult = sound->setup();
        setupLog = captured.finish();
    }

    // The log of releasing the sound system.
    std::string destroy() {
        CapturedStdout captured;
        sound.reset();
        return captured.finish();
    }

    static void sendSound(game_sound value) {
        auto* payload = new MessagePayload();
        payload->setInt(value);
        MailBox::getInstance()->sendMessage(MESSAGE_PLAY_GAME_SOUND, payload);
    }

    static void sendMusic(const std::string& entry) {
        auto* payload = new MessagePayload();
        payload->setString(entry);
        MailBox::getInstance()->sendMessage(MESSAGE_PLAY_CONTINUOUS_SOUND, payload);
    }

    // How many pool sources are playing the buffer.
    int poolSourcesPlaying(ALuint buffer) const {
        int count = 0;
        for (int index = 0; index < SoundSystem::kPoolSize; ++index) {
            const ALuint source = Inspect::poolSource(*sound, index);
            count += sourceState(source) == AL_PLAYING && static_cast<ALuint>(sourceBuffer(source)) == buffer;
        }
        return count;
    }

    TempDir dir;
    ScopedWorkingDirectory cwd{dir.path()};
    std::unique_ptr<SoundSystem> sound;
    bool setupResult = false;
    std::string setupLog;
};

// Runs in a fresh process: the pool's counter is shared by every sound system of a run.
TEST_F(SoundSystemTest, ChildPoolGoesRoundTheRing) {
    if (!runningAsChild()) {
        GTEST_SKIP() << "run by SoundPool.FirstSoundsGoRoundTheRing in a process of its own";
    }
    makeSystem(soundEntries(kLongSound));
    ASSERT_TRUE(setupResult) << setupLog;
    auto pool = [this](int index) { return Inspect::poolSource(*sound, index); };
    auto buffer = [this](int sound) { return static_cast<ALint>(Inspect::buffer(*this->sound, game_sound(sound))); };

    EXPECT_TRUE(sound->play(SOUND_NONE, false));
    for (int index = 0; index < SoundSystem::kPoolSize; ++index) {
        EXPECT_EQ(sourceState(pool(index)), AL_INITIAL) << "SOUND_NONE touched source " << index;
    }

    // Ten sounds fill sources 1 to 9, then 0.
    for (int played = 0; played < SoundSystem::kPoolSize; ++played) {
        ASSERT_TRUE(sound->play(game_sound(played), false));
        const int expectedSource = (played + 1) % SoundSystem::kPoolSize;
        EXPECT_EQ(sourceState(pool(expectedSource)), AL_PLAYING) << "sound " << played;
        EXPECT_EQ(sourceBuffer(pool(expectedSource)), buffer(played)) << "sound " << played;
    }
    // The eleventh falls on source 1, still busy: dropped, yet a success.
    EXPECT_TRUE(sound->play(SOUND_JUMP, false));
    EXPECT_EQ(sourceBuffer(pool(1)), buffer(SOUND_GUN_1));

    // With the ring idle, neither the special source, SOUND_NONE nor an unknown value moves the counter.
    for (int index = 0; index < SoundSystem::kPoolSize; ++index) {
        alSourceStop(pool(index));
    }
    EXPECT_TRUE(sound->play(SOUND_SUCCESS, true));
    EXPECT_EQ(sourceState(Inspect::specialSource(*sound)), AL_PLAYING);
    EXPECT_EQ(sourceBuffer(Inspect::specialSource(*sound)), buffer(SOUND_SUCCESS));
    EXPECT_TRUE(sound->play(SOUND_NONE, false));
    CapturedStdout captured;
    EXPECT_FALSE(sound->play(game_sound(19), false));
    EXPECT_FALSE(sound->play(game_sound(-1), false));
    const std::string log = captured.finish();
    EXPECT_NE(log.find("Unknown game sound 19\n"), std::string::npos) << log;
    EXPECT_NE(log.find("Unknown game sound -1\n"), std::string::npos) << log;
    EXPECT_TRUE(sound->play(SOUND_GUN_2, false));
    EXPECT_EQ(sourceState(pool(2)), AL_PLAYING);
    EXPECT_EQ(sourceBuffer(pool(2)), buffer(SOUND_GUN_2));
}

TEST(SoundPool, FirstSoundsGoRoundTheRing) {
    if (runningAsChild()) {
        GTEST_SKIP();
    }
    expectChildPasses("SoundSystemTest.ChildPoolGoesRoundTheRing", {"ALSOFT_DRIVERS=null"});
}

TEST_F(SoundSystemTest, GameSoundMessagePlaysOnThePool) {
    makeSystem(soundEntries(kLongSound));
    ASSERT_TRUE(setupResult) << setupLog;
    EXPECT_EQ(setupLog, "");
    const ALuint laser = Inspect::buffer(*sound, SOUND_LASER);
    ASSERT_NE(laser, 0u);
    sendSound(SOUND_LASER);
    EXPECT_EQ(poolSourcesPlaying(laser), 1);

    CapturedStdout captured;
    MailBox::getInstance()->sendMessage(MESSAGE_PLAY_GAME_SOUND, nullptr);
    MailBox::getInstance()->sendMessage(MESSAGE_PLAY_CONTINUOUS_SOUND, nullptr);
    sendSound(game_sound(1000));
    const std::string log = captured.finish();
    EXPECT_NE(log.find("Sound message 0 came without a payload\n"), std::string::npos) << log;
    EXPECT_NE(log.find("Sound message 1 came without a payload\n"), std::string::npos) << log;
    EXPECT_NE(log.find("Unknown game sound 1000\n"), std::string::npos) << log;
    EXPECT_EQ(Inspect::musicSource(*sound), 0u);
    EXPECT_EQ(destroy(), "");
}

TEST_F(SoundSystemTest, MusicMessagesKeepOneMusicSource) {
    makeSystem(soundEntries(kLongSound));
    ASSERT_TRUE(setupResult) << setupLog;

    sendMusic("sounds/background_1.wav");
    const ALuint first = Inspect::musicSource(*sound);
    ASSERT_NE(first, 0u);
    EXPECT_EQ(sourceState(first), AL_PLAYING);
    ALint looping = AL_FALSE;
    alGetSourcei(first, AL_LOOPING, &looping);
    EXPECT_EQ(looping, AL_TRUE);

    sendMusic("sounds/background_2.wav");
    const ALuint second = Inspect::musicSource(*sound);
    ASSERT_NE(second, 0u);
    EXPECT_EQ(sourceState(second), AL_PLAYING);
    EXPECT_EQ(static_cast<ALuint>(sourceBuffer(second)), Inspect::musicBuffer(*sound));

    const ALuint secondBuffer = Inspect::musicBuffer(*sound);
    CapturedStdout captured;
    sound->stopContinousSound();
    EXPECT_EQ(Inspect::musicSource(*sound), 0u);
    EXPECT_FALSE(alIsSource(second));
    EXPECT_FALSE(alIsBuffer(secondBuffer));
    sound->stopContinousSound();  // no music: nothing to do
    EXPECT_EQ(captured.finish(), "");
    EXPECT_EQ(destroy(), "");
}

TEST_F(SoundSystemTest, DisabledSystemLoadsButPlaysNothing) {
    makeSystem(soundEntries(kLongSound), false);
    ASSERT_TRUE(setupResult) << setupLog;
    EXPECT_NE(Inspect::buffer(*sound, SOUND_JUMP), 0u);
    EXPECT_TRUE(sound->play(SOUND_JUMP, false));
    EXPECT_TRUE(sound->play(SOUND_JUMP, true));
    EXPECT_TRUE(sound->startContinousSound("sounds/background_1.wav"));
    EXPECT_TRUE(sound->startContinousSound("sounds/missing.wav"));
    sound->stopContinousSound();
    EXPECT_EQ(poolSourcesPlaying(Inspect::buffer(*sound, SOUND_JUMP)), 0);
    EXPECT_EQ(sourceState(Inspect::specialSource(*sound)), AL_INITIAL);
    EXPECT_EQ(Inspect::musicSource(*sound), 0u);
}

TEST_F(SoundSystemTest, MissingGameSoundFailsSetup) {
    makeSystem(audio_testing::without(soundEntries(0.1), "sounds/negative.wav"));
    EXPECT_FALSE(setupResult);
    EXPECT_NE(setupLog.find("Could not find sounds/negative.wav in data.tul\n"), std::string::npos) << setupLog;
    EXPECT_NE(setupLog.find("Failed to load package data for sounds/negative.wav\n"), std::string::npos) << setupLog;
    // The sounds before it were loaded and are released with the device.
    EXPECT_NE(Inspect::buffer(*sound, SOUND_UI_BLIPP3), 0u);
    EXPECT_EQ(Inspect::poolSource(*sound, 0), 0u);
    EXPECT_EQ(destroy(), "");
}

TEST_F(SoundSystemTest, MissingMusicFailsOnlyItsStart) {
    makeSystem(soundEntries(kLongSound));
    ASSERT_TRUE(setupResult) << setupLog;
    CapturedStdout captured;
    EXPECT_FALSE(sound->startContinousSound("sounds/background_7.wav"));
    const std::string log = captured.finish();
    EXPECT_NE(log.find("Failed to load file from package sounds/background_7.wav\n"), std::string::npos) << log;
    // Its source stays held until the next stop, and game sounds go on.
    EXPECT_NE(Inspect::musicSource(*sound), 0u);
    sound->stopContinousSound();
    EXPECT_EQ(Inspect::musicSource(*sound), 0u);
    EXPECT_TRUE(sound->play(SOUND_GUN_1, false));
    EXPECT_EQ(poolSourcesPlaying(Inspect::buffer(*sound, SOUND_GUN_1)), 1);
    EXPECT_TRUE(sound->startContinousSound("sounds/background_1.wav"));
    EXPECT_EQ(destroy(), "");
}

TEST_F(SoundSystemTest, RefusedWavesPlayAsSilence) {
    const std::string stereo =
        testing_support::makeWav(testing_support::sineTone(0.5, 440.0, 8000), testing_support::WavHeaderFields{11025, 2, 16});
    const std::string truncated = testing_support::makeWav(testing_support::sineTone(0.5, 440.0, 8000)).substr(0, 400);
    auto entries = audio_testing::replaced(soundEntries(kLongSound), "sounds/laser.wav", stereo);
    entries = audio_testing::replaced(entries, "sounds/jump.wav", truncated);
    entries = audio_testing::replaced(entries, "sounds/background_2.wav", "RIFF");
    makeSystem(entries);
    ASSERT_TRUE(setupResult) << setupLog;
    EXPECT_NE(setupLog.find("Invalid format of wav file (we need sample rate 11025, 1 channel and 16 bps)\n"),
              std::string::npos)
        << setupLog;
    EXPECT_NE(setupLog.find("Wave data size 11024 is larger than the 356 bytes after the header\n"), std::string::npos)
        << setupLog;

    CapturedStdout captured;
    EXPECT_TRUE(sound->play(SOUND_LASER, false));
    EXPECT_TRUE(sound->play(SOUND_JUMP, false));
    EXPECT_TRUE(sound->startContinousSound("sounds/background_2.wav"));
    const std::string log = captured.finish();
    EXPECT_EQ(log.find("OpenAL error"), std::string::npos) << log;
    EXPECT_NE(log.find("Buffer length is not long enough to contain a wave header\n"), std::string::npos) << log;
    EXPECT_NE(sourceState(Inspect::musicSource(*sound)), AL_PLAYING) << "an empty music cannot sound";
    EXPECT_EQ(destroy(), "");
}

// Runs in a fresh process whose device allows only a few sources.
TEST_F(SoundSystemTest, ChildSourceLimit) {
    if (!runningAsChild()) {
        GTEST_SKIP() << "run by SoundPool.SourceLimits";
    }
    makeSystem(soundEntries(0.2));
    const std::string expect = audio_testing::childSetting("QUENLOW_EXPECT");
    if (expect == "no pool") {
        EXPECT_FALSE(setupResult);
        EXPECT_NE(setupLog.find("Failed to generate sources\n"), std::string::npos) << setupLog;
    } else if (expect == "one music") {
        // Room for a single music source: the second music only gets one if the first let go of it.
        ASSERT_TRUE(setupResult) << setupLog;
        sendMusic("sounds/background_1.wav");
        sendMusic("sounds/background_2.wav");
        EXPECT_EQ(sourceState(Inspect::musicSource(*sound)), AL_PLAYING);
    } else {
        ASSERT_TRUE(setupResult) << setupLog;
        CapturedStdout captured;
        EXPECT_FALSE(sound->startContinousSound("sounds/background_1.wav"));
        const std::string log = captured.finish();
        EXPECT_NE(log.find("Failed to generate repeat source\n"), std::string::npos) << log;
        // The device is gone: later requests find no source and play nothing.
        EXPECT_TRUE(sound->play(SOUND_GUN_1, false));
        sound->stopContinousSound();
    }
    EXPECT_EQ(destroy(), "");
}

TEST(SoundPool, SourceLimits) {
    if (runningAsChild()) {
        GTEST_SKIP();
    }
    TempDir dir;
    struct Case {
        const char* sources;
        const char* expect;
    };
    const Case cases[] = {{"5", "no pool"}, {"11", "no music"}, {"12", "one music"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expect);
        const std::string config =
            audio_testing::writeOpenAlConfig(dir.path(), "", std::string("sources=") + c.sources + "\n");
        expectChildPasses("SoundSystemTest.ChildSourceLimit",
                          {"ALSOFT_CONF=" + config, std::string("QUENLOW_EXPECT=") + c.expect});
    }
}

}  // namespace
