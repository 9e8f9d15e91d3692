// The sound system on openal-soft's null device: which source plays what, the music's
// source going and coming, and the failures of set-up and music start.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

#include "AudioTestSupport.h"
#include "core/MailBox.h"
#include "core/MessagePayload.h"

using audio_testing::sourceInt;
using Inspect = SoundSystemInspector;

namespace {

class SoundSystemTest : public ::testing::Test {
protected:
    // Sounds long enough to still play when the test looks.
    void makeSystem(const std::string& leftOut = "") {
        testing_support::Entries entries = audio_testing::toneEntries(3.0, 0.25);
        entries.erase(std::remove_if(entries.begin(), entries.end(), [&](auto& entry) { return entry.first == leftOut; }),
                      entries.end());
        ASSERT_TRUE(testing_support::buildPackage(dir.path(), entries));
        sound = std::make_unique<SoundSystem>(true);
        testing_support::CapturedStdout captured;
        setupResult = sound->setup();
        setupLog = captured.finish();
    }

    int poolSourcesPlaying() const {
        int count = 0;
        for (int index = 0; index < SoundSystem::kPoolSize; ++index) {
            count += sourceInt(Inspect::poolSource(*sound, index), AL_SOURCE_STATE) == AL_PLAYING;
        }
        return count;
    }

    testing_support::TempDir dir;
    testing_support::ScopedWorkingDirectory cwd{dir.path()};
    std::unique_ptr<SoundSystem> sound;
    bool setupResult = false;
    std::string setupLog;
};

TEST_F(SoundSystemTest, NoSoundPlaysNothingAndTheSpecialSourceLeavesThePoolAlone) {
    makeSystem();
    ASSERT_TRUE(setupResult) << setupLog;
    EXPECT_TRUE(sound->play(SOUND_NONE, false));
    EXPECT_TRUE(sound->play(SOUND_NONE, true));
    const ALuint special = Inspect::specialSource(*sound);
    EXPECT_EQ(sourceInt(special, AL_SOURCE_STATE), AL_INITIAL);
    EXPECT_TRUE(sound->play(SOUND_SUCCESS, true));
    EXPECT_EQ(sourceInt(special, AL_SOURCE_STATE), AL_PLAYING);
    EXPECT_EQ(static_cast<ALuint>(sourceInt(special, AL_BUFFER)), Inspect::buffer(*sound, SOUND_SUCCESS));
    EXPECT_EQ(poolSourcesPlaying(), 0);
}

TEST_F(SoundSystemTest, TwoMusicMessagesLeaveOneMusicSource) {
    makeSystem();
    ASSERT_TRUE(setupResult) << setupLog;
    for (const char* entry : {"sounds/background_1.wav", "sounds/background_2.wav"}) {
        auto* payload = new MessagePayload();
        payload->setString(entry);
        MailBox::getInstance()->sendMessage(MESSAGE_PLAY_CONTINUOUS_SOUND, payload);
    }
    // Every source name OpenAL knows: a first music left behind would still loop.
    auto loopingSources = [] {
        int count = 0;
        for (ALuint source = 1; source < 100; ++source) {
            count += alIsSource(source) && sourceInt(source, AL_LOOPING) == AL_TRUE &&
                     sourceInt(source, AL_SOURCE_STATE) == AL_PLAYING;
        }
        return count;
    };
    EXPECT_EQ(loopingSources(), 1);
    EXPECT_EQ(sourceInt(Inspect::musicSource(*sound), AL_LOOPING), AL_TRUE);
    sound->stopContinousSound();
    EXPECT_EQ(loopingSources(), 0);
}

TEST_F(SoundSystemTest, MissingGameSoundFailsSetupWithItsLine) {
    makeSystem("sounds/negative.wav");
    EXPECT_FALSE(setupResult);
    EXPECT_NE(setupLog.find("] Failed to load package data for sounds/negative.wav\n"), std::string::npos)
        << setupLog;
}

TEST_F(SoundSystemTest, MissingMusicFailsOnlyItsStart) {
    makeSystem();
    ASSERT_TRUE(setupResult) << setupLog;
    testing_support::CapturedStdout captured;
    EXPECT_FALSE(sound->startContinousSound("sounds/background_7.wav"));
    const std::string log = captured.finish();
    EXPECT_NE(log.find("] Failed to load file from package sounds/background_7.wav\n"), std::string::npos) << log;
    EXPECT_TRUE(sound->play(SOUND_GUN_1, false));
    EXPECT_EQ(poolSourcesPlaying(), 1);
    EXPECT_TRUE(sound->startContinousSound("sounds/background_1.wav"));
    EXPECT_EQ(sourceInt(Inspect::musicSource(*sound), AL_SOURCE_STATE), AL_PLAYING);
}

}  // namespace
