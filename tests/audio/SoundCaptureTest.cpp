// What the player hears: each scenario runs in a child process whose OpenAL device writes
// its mixed output to a WAV file, which the parent then reads back. The files are kept in
// the test output folder for people to listen to.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "AudioTestSupport.h"
#include "sound/SoundSystem.h"
#include "support/TestSupport.h"
#include "support/WavFiles.h"

using audio_testing::childSetting;
using audio_testing::kToneAmplitude;
using audio_testing::runningAsChild;
using testing_support::CapturedWav;
using testing_support::ScopedWorkingDirectory;
using testing_support::TempDir;

namespace {

constexpr double kGameSoundSeconds = 0.3;
constexpr double kMusicLoopSeconds = 0.25;
// Start-up and scheduling slack of the captured time line.
constexpr double kSlack = 0.12;
constexpr int kHeard = kToneAmplitude / 2;

void pause(double seconds) {
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

// The scenarios, each a script of calls and pauses (seconds from the end of set-up).
constexpr double kPlayAt = 0.4;
constexpr double kMusicAt = 0.3;
constexpr double kMusicStopAt = 1.3;

void scenarioPlay() {
    SoundSystem sound(true);
    ASSERT_TRUE(sound.setup());
    pause(kPlayAt);
    EXPECT_TRUE(sound.play(SOUND_LASER, false));
    pause(0.8);
}

void scenarioMusic() {
    SoundSystem sound(true);
    ASSERT_TRUE(sound.setup());
    pause(kMusicAt);
    EXPECT_TRUE(sound.startContinousSound("sounds/background_1.wav"));
    pause(kMusicStopAt - kMusicAt);
    sound.stopContinousSound();
    pause(0.6);
}

void scenarioDisabled() {
    SoundSystem sound(false);
    ASSERT_TRUE(sound.setup());
    EXPECT_TRUE(sound.play(SOUND_LASER, false));
    EXPECT_TRUE(sound.startContinousSound("sounds/background_1.wav"));
    pause(0.8);
}

TEST(SoundCaptureTest, ChildScenario) {
    if (!runningAsChild()) {
        GTEST_SKIP() << "run by the other capture tests in a process of its own";
    }
    ScopedWorkingDirectory cwd(childSetting("QUENLOW_AUDIO_DIR"));
    const std::string scenario = childSetting("QUENLOW_SCENARIO");
    if (scenario == "play") {
        scenarioPlay();
    } else if (scenario == "music") {
        scenarioMusic();
    } else if (scenario == "disabled") {
        scenarioDisabled();
    } else {
        FAIL() << "unknown scenario " << scenario;
    }
}

// Runs the scenario over a package of made-up sounds and returns what the device wrote.
CapturedWav capture(const std::string& scenario) {
    TempDir dir;
    EXPECT_TRUE(testing_support::buildPackage(dir.path(), audio_testing::soundEntries(kGameSoundSeconds, kMusicLoopSeconds)));
    const std::string output = std::string(QUENLOW_TEST_OUTPUT) + "/sound_" + scenario + ".wav";
    remove(output.c_str());
    const std::string config = audio_testing::writeOpenAlConfig(dir.path(), output);
    audio_testing::expectChildPasses("SoundCaptureTest.ChildScenario",
                                     {"ALSOFT_CONF=" + config, "QUENLOW_AUDIO_DIR=" + dir.path(),
                                      "QUENLOW_SCENARIO=" + scenario});
    CapturedWav wav = testing_support::readCapturedWav(output);
    EXPECT_TRUE(wav.valid) << output;
    EXPECT_EQ(wav.sampleRate, 11025u);
    return wav;
}

TEST(SoundCapture, PlayedSoundIsHeardWhenPlayed) {
    if (runningAsChild()) {
        GTEST_SKIP();
    }
    const CapturedWav wav = capture("play");
    ASSERT_GE(wav.seconds(), kPlayAt + 0.6);
    EXPECT_EQ(wav.peak(0.0, kPlayAt - kSlack), 0) << "sound before it was played";
    const double onset = wav.onset(kHeard / 4);
    EXPECT_NEAR(onset, kPlayAt, kSlack);
    EXPECT_GE(wav.peak(onset, onset + kGameSoundSeconds), kHeard);
    EXPECT_EQ(wav.peak(onset + kGameSoundSeconds + 0.05, wav.seconds()), 0) << "the sound did not end";
}

TEST(SoundCapture, MusicLoopsUntilStopped) {
    if (runningAsChild()) {
        GTEST_SKIP();
    }
    const CapturedWav wav = capture("music");
    ASSERT_GE(wav.seconds(), kMusicStopAt + 0.4);
    EXPECT_EQ(wav.peak(0.0, kMusicAt - kSlack), 0) << "music before it was started";
    const double onset = wav.onset(kHeard / 4);
    EXPECT_NEAR(onset, kMusicAt, kSlack);
    // Heard in every tenth of a second while it plays, well past the end of one loop.
    const double stop = onset + (kMusicStopAt - kMusicAt);
    for (double from = onset + 0.05; from + 0.1 < stop - kSlack; from += 0.1) {
        EXPECT_GE(wav.peak(from, from + 0.1), kHeard) << "silent at " << from << " s";
    }
    EXPECT_EQ(wav.peak(stop + kSlack, wav.seconds()), 0) << "music after it was stopped";
}

TEST(SoundCapture, DisabledSystemWritesSilence) {
    if (runningAsChild()) {
        GTEST_SKIP();
    }
    const CapturedWav wav = capture("disabled");
    EXPECT_GE(wav.seconds(), 0.6);
    EXPECT_EQ(wav.peak(0.0, wav.seconds()), 0);
}

}  // namespace
