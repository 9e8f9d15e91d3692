// What the player hears: each scenario runs in a child process whose OpenAL device writes
// its mixed output to a WAV file, which the parent then reads back. The files are kept in
// the test output folder for people to listen to.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "AudioTestSupport.h"
#include "core/FileReader.h"
#include "core/PackageManager.h"
#include "sound/SoundSystem.h"
#include "sound/WavLoader.h"
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

// The real package: every game sound in table order, then the first music, each with a
// pause after it. The time of each request (seconds since set-up began) goes to a file.
constexpr const char* kMusicEntry = "sounds/background_1.wav";
constexpr double kGap = 0.4;
constexpr double kAssetMusicSeconds = 1.5;

double secondsOf(uint32_t bytes) {
    return bytes / 2.0 / 11025.0;
}

// The length of an entry of the package in the working folder, in seconds.
double entrySeconds(const char* entry) {
    uint32_t length = 0;
    char* wav = PackageManager::getInstance()->load("data.tul", entry, &length);
    uint32_t size = 0;
    char* samples = wav != nullptr ? WavLoader::loadRawDataFromWav(wav, length, &size) : nullptr;
    free(wav);
    free(samples);
    return secondsOf(size);
}

void scenarioAssets() {
    const auto begin = std::chrono::steady_clock::now();
    auto now = [begin] { return std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count(); };
    std::ofstream times(childSetting("QUENLOW_TIMES"));
    SoundSystem sound(true);
    ASSERT_TRUE(sound.setup());
    for (int index = 0; index < SoundSystem::kSoundCount; ++index) {
        const double length = entrySeconds(SoundSystem::soundEntry(game_sound(index)));
        times << now() << "\n";
        EXPECT_TRUE(sound.play(game_sound(index), false));
        pause(length + kGap);
    }
    times << now() << "\n";
    EXPECT_TRUE(sound.startContinousSound(kMusicEntry));
    pause(kAssetMusicSeconds);
    times << now() << "\n";
    sound.stopContinousSound();
    pause(kGap * 2);
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
    } else if (scenario == "assets") {
        scenarioAssets();
    } else {
        FAIL() << "unknown scenario " << scenario;
    }
}

// Runs the scenario in the folder of a package (by default one of made-up sounds) and
// returns what the device wrote.
CapturedWav capture(const std::string& scenario, std::string packageDir = "",
                    const std::vector<std::string>& settings = {}) {
    TempDir dir;
    if (packageDir.empty()) {
        packageDir = dir.path();
        EXPECT_TRUE(testing_support::buildPackage(packageDir, audio_testing::soundEntries(kGameSoundSeconds, kMusicLoopSeconds)));
    }
    const std::string output = std::string(QUENLOW_TEST_OUTPUT) + "/sound_" + scenario + ".wav";
    remove(output.c_str());
    std::vector<std::string> all = {"ALSOFT_CONF=" + audio_testing::writeOpenAlConfig(dir.path(), output),
                                    "QUENLOW_AUDIO_DIR=" + packageDir, "QUENLOW_SCENARIO=" + scenario};
    all.insert(all.end(), settings.begin(), settings.end());
    audio_testing::expectChildPasses("SoundCaptureTest.ChildScenario", all);
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

// The loudest sample of an entry and the time at which it first passes a quarter of that.
struct Loudness {
    int peak = 0;
    double attack = 0.0;
};

Loudness entryLoudness(const std::string& package, const char* entry) {
    Loudness loudness;
    uint32_t length = 0;
    char* wav = PackageManager::getInstance()->load(package, entry, &length);
    uint32_t size = 0;
    char* bytes = wav != nullptr ? WavLoader::loadRawDataFromWav(wav, length, &size) : nullptr;
    free(wav);
    if (bytes == nullptr) {
        return loudness;
    }
    std::vector<int16_t> samples(size / 2);
    memcpy(samples.data(), bytes, samples.size() * 2);
    free(bytes);
    for (int16_t sample : samples) {
        loudness.peak = std::max(loudness.peak, std::abs(static_cast<int>(sample)));
    }
    for (size_t index = 0; index < samples.size(); ++index) {
        if (std::abs(static_cast<int>(samples[index])) * 4 > loudness.peak) {
            loudness.attack = index / 11025.0;
            break;
        }
    }
    return loudness;
}

// The first time after from at which the capture passes threshold; negative when never.
double onsetAfter(const CapturedWav& wav, double from, int threshold) {
    for (size_t index = static_cast<size_t>(std::max(0.0, from) * wav.sampleRate); index < wav.samples.size(); ++index) {
        if (std::abs(static_cast<int>(wav.samples[index])) > threshold) {
            return static_cast<double>(index) / wav.sampleRate;
        }
    }
    return -1.0;
}

TEST(SoundCapture, EveryGameSoundAndMusicOfThePackageIsHeard) {
    if (runningAsChild()) {
        GTEST_SKIP();
    }
    const std::string runDir = QUENLOW_RUN_DIR;
    const std::string package = runDir + "/data.tul";
    if (!FileReader::file_exists(package)) {
        GTEST_SKIP() << package << " is not built yet";
    }
    TempDir dir;
    const std::string timesFile = dir.file("times.txt");
    const CapturedWav wav = capture("assets", runDir, {"QUENLOW_TIMES=" + timesFile});
    std::vector<double> times;
    std::ifstream timesIn(timesFile);
    for (double time = 0.0; timesIn >> time;) {
        times.push_back(time);
    }
    ASSERT_EQ(times.size(), static_cast<size_t>(SoundSystem::kSoundCount + 2));
    ASSERT_GE(wav.seconds(), times.back());

    for (int index = 0; index <= SoundSystem::kSoundCount; ++index) {
        const char* entry = index < SoundSystem::kSoundCount ? SoundSystem::soundEntry(game_sound(index)) : kMusicEntry;
        SCOPED_TRACE(entry);
        const Loudness loudness = entryLoudness(package, entry);
        ASSERT_GT(loudness.peak, 0) << "the entry itself is silent or refused";
        // Quiet until the request, then the sound's own attack at about the time it was asked for.
        EXPECT_EQ(wav.peak(index == 0 ? 0.0 : times[index] - kGap + kSlack, times[index] - kSlack), 0);
        const double onset = onsetAfter(wav, times[index] - kSlack, loudness.peak / 4 - 1);
        EXPECT_NEAR(onset, times[index] + loudness.attack, kSlack);
        EXPECT_GE(wav.peak(times[index], times[index + 1]), loudness.peak / 2);
    }
    EXPECT_EQ(wav.peak(times.back() + kSlack, wav.seconds()), 0) << "music after it was stopped";
}

}  // namespace
