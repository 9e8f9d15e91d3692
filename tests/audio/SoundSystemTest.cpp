// The sound system on openal-soft's null device: which source plays what, the music's
// source going and coming, and the failures of set-up and music start.
#include <gtest/gtest.h>

#include <algorithm>

#include "AudioTestSupport.h"
#include "core/MailBox.h"
#include "core/MessagePayload.h"

using audio_testing::sourceInt;
using Inspect = SoundSystemInspector;

namespace {

struct SoundSystemTest : ::testing::Test {
    void SetUp() override { ASSERT_TRUE(package.built && sound.setup()); }
    int poolSourcesPlaying() const {
        int count = 0;
        for (int index = 0; index < SoundSystem::kPoolSize; ++index) {
            count += sourceInt(Inspect::poolSource(sound, index), AL_SOURCE_STATE) == AL_PLAYING;
        }
        return count;
    }
    testing_support::PackageDir package{audio_testing::toneEntries(3.0, 0.25)};  // still playing when looked at
    SoundSystem sound{true};
};

TEST_F(SoundSystemTest, NoSoundPlaysNothingAndTheSpecialSourceLeavesThePoolAlone) {
    EXPECT_TRUE(sound.play(SOUND_NONE, false) && sound.play(SOUND_NONE, true));
    const ALuint special = Inspect::specialSource(sound);
    EXPECT_EQ(sourceInt(special, AL_SOURCE_STATE), AL_INITIAL);
    EXPECT_TRUE(sound.play(SOUND_SUCCESS, true));
    EXPECT_EQ(sourceInt(special, AL_SOURCE_STATE), AL_PLAYING);
    EXPECT_EQ(static_cast<ALuint>(sourceInt(special, AL_BUFFER)), Inspect::buffer(sound, SOUND_SUCCESS));
    EXPECT_EQ(poolSourcesPlaying(), 0);
}

// Every source name OpenAL knows is looked at: a first music left behind would still loop.
TEST_F(SoundSystemTest, TwoMusicMessagesLeaveOneMusicSource) {
    for (const char* entry : {"sounds/background_1.wav", "sounds/background_2.wav"}) {
        auto* payload = new MessagePayload();
        payload->setString(entry);
        MailBox::getInstance()->sendMessage(MESSAGE_PLAY_CONTINUOUS_SOUND, payload);
    }
    auto loopingSources = [] {
        int count = 0;
        for (ALuint source = 1; source < 100; ++source) {
            count += alIsSource(source) && sourceInt(source, AL_LOOPING) == AL_TRUE &&
                     sourceInt(source, AL_SOURCE_STATE) == AL_PLAYING;
        }
        return count;
    };
    EXPECT_TRUE(loopingSources() == 1 && sourceInt(Inspect::musicSource(sound), AL_LOOPING) == AL_TRUE);
    sound.stopContinousSound();
    EXPECT_EQ(loopingSources(), 0);
}

TEST_F(SoundSystemTest, MissingMusicFailsOnlyItsStart) {
    testing_support::CapturedStdout captured;
    EXPECT_FALSE(sound.startContinousSound("sounds/background_7.wav"));
    const std::string log = captured.finish();
    EXPECT_NE(log.find("] Failed to load file from package sounds/background_7.wav\n"), std::string::npos) << log;
    EXPECT_TRUE(sound.play(SOUND_GUN_1, false) && poolSourcesPlaying() == 1);
    EXPECT_TRUE(sound.startContinousSound("sounds/background_1.wav"));
    EXPECT_EQ(sourceInt(Inspect::musicSource(sound), AL_SOURCE_STATE), AL_PLAYING);
}

TEST(SoundSystem, MissingGameSoundFailsSetupWithItsLine) {
    testing_support::TempDir dir;
    testing_support::Entries entries = audio_testing::toneEntries(0.1, 0.1);
    entries.erase(
        std::find_if(entries.begin(), entries.end(), [](auto& entry) { return entry.first == "sounds/negative.wav"; }));
    ASSERT_TRUE(testing_support::buildPackage(dir.path(), entries));
    testing_support::ScopedWorkingDirectory cwd(dir.path());
    SoundSystem sound(true);
    testing_support::CapturedStdout captured;
    EXPECT_FALSE(sound.setup());
    EXPECT_NE(captured.finish().find("] Failed to load package data for sounds/negative.wav\n"), std::string::npos);
}

}  // namespace
