// The sound system on the loopback device, mixing nothing unless asked: which source plays
// what, the music's source going and coming, a music start that fails, the error lines and a
// disabled system.
// That each sound is heard when played SoundCaptureTest shows; that a game sound missing from
// the package is refused at start-up, the end-to-end tests show on the real binary's log.
#include <gtest/gtest.h>

#include "AudioTestSupport.h"
#include "LoopbackDevice.h"
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

// The ring is shared and never reset: in a process of its own, as CTest runs each test, the first
// sound goes to pool source 1, and the eleventh finds source 1 still playing and is dropped. No
// sound and the special source do not turn it.
TEST_F(SoundSystemTest, ThePoolStartsOnSourceOneAndDropsASoundWhenItsSourceIsBusy) {
    EXPECT_TRUE(sound.play(SOUND_NONE, false) && sound.play(SOUND_JUMP, true));
    for (int played = 0; played <= SoundSystem::kPoolSize; ++played) {
        EXPECT_TRUE(sound.play(game_sound(played), false));
    }
    for (int played = 0; played < SoundSystem::kPoolSize; ++played) {
        const ALuint source = Inspect::poolSource(sound, (played + 1) % SoundSystem::kPoolSize);
        EXPECT_EQ(sourceInt(source, AL_SOURCE_STATE), AL_PLAYING) << played;
        EXPECT_EQ(static_cast<ALuint>(sourceInt(source, AL_BUFFER)), Inspect::buffer(sound, game_sound(played)));
    }
}

// Sources playing, looping or not, among every source name OpenAL knows.
int playingSources(bool loopingOnly) {
    int count = 0;
    for (ALuint source = 1; source < 100; ++source) {
        count += alIsSource(source) && (!loopingOnly || sourceInt(source, AL_LOOPING) == AL_TRUE) &&
                 sourceInt(source, AL_SOURCE_STATE) == AL_PLAYING;
    }
    return count;
}

// A first music left behind would still loop.
TEST_F(SoundSystemTest, TwoMusicMessagesLeaveOneMusicSource) {
    for (const char* entry : {"sounds/background_1.wav", "sounds/background_2.wav"}) {
        auto* payload = new MessagePayload();
        payload->setString(entry);
        MailBox::getInstance()->sendMessage(MESSAGE_PLAY_CONTINUOUS_SOUND, payload);
    }
    EXPECT_TRUE(playingSources(true) == 1 && sourceInt(Inspect::musicSource(sound), AL_LOOPING) == AL_TRUE);
    sound.stopContinousSound();
    EXPECT_EQ(playingSources(true), 0);
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

// An error is logged once, with its code and name; a release step of 1 and above is named.
TEST_F(SoundSystemTest, ErrorLinesNameTheCodeAndStep) {
    const ALuint notASource = 987654;
    const std::pair<int, const char*> cases[] = {
        {0, "OpenAL error (40961): AL_INVALID_NAME\n"},
        {-3, "OpenAL error (40961): AL_INVALID_NAME\n"},
        {6, "OpenAL error 6 (40961): AL_INVALID_NAME\n"},
    };
    for (const auto& [step, line] : cases) {
        alSourcePlay(notASource);
        testing_support::CapturedStdout captured;
        EXPECT_TRUE(sound.checkALError(step)) << step;
        EXPECT_FALSE(sound.checkALError(step)) << step;
        const std::string log = captured.finish();
        EXPECT_EQ(log.rfind("  [ERROR] [", 0), 0u) << log;
        EXPECT_EQ(log.substr(log.find("] ", 11) + 2), line) << step;
    }
}

// Disabled, every request succeeds, no source of any kind plays and the output stays silent.
TEST(SoundSystem, ADisabledSystemSucceedsAndPlaysNothing) {
    testing_support::PackageDir package(audio_testing::toneEntries(3.0, 0.25));
    SoundSystem sound(false);
    ASSERT_TRUE(package.built && sound.setup());
    for (int index = 0; index < SoundSystem::kSoundCount; ++index) {
        EXPECT_TRUE(sound.play(game_sound(index), false) && sound.play(game_sound(index), true)) << index;
    }
    EXPECT_TRUE(sound.startContinousSound("sounds/background_1.wav"));
    EXPECT_EQ(playingSources(false), 0);
    audio_testing::Capture capture;
    capture.render(audio_testing::kRenderRate);
    capture.keep("disabled");
    EXPECT_TRUE(capture.now() > 0 && audio_testing::peak(capture.samples) == 0);
    sound.stopContinousSound();
}

}  // namespace
