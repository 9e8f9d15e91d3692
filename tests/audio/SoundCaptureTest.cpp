// What the player hears: each scenario runs in a child process whose OpenAL device writes
// its mixed output to a WAV file, which the parent then reads back. The child notes the
// device's clock at each request, which is where that request must start to sound in the
// file however busy the machine is. The files are kept in the test output folder for
// people to listen to.
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
constexpr double kMusicSeconds = 1.0;
constexpr double kGap = 0.3;
// A request sounds from the next mixed block on.
constexpr double kLatency = 0.05;
constexpr int kHeard = kToneAmplitude / 2;
constexpr const char* kMusicEntry = "sounds/background_1.wav";

// Waits until the device has mixed that much more: a busy machine can hold the mixer back,
// and what matters is what it wrote. Bounded, in case the device stalls.
void pause(double seconds) {
    const double until = audio_testing::deviceClockSeconds() + seconds;
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::duration<double>(10.0 * seconds + 1.0);
    while (audio_testing::deviceClockSeconds() < until && std::chrono::steady_clock::now() < giveUp) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

// Notes the device clock of the child's requests for the parent.
class RequestLog {
public:
    RequestLog() : out(childSetting("QUENLOW_TIMES")) { out.precision(9); }
    void note() { out << audio_testing::deviceClockSeconds() << "\n" << std::flush; }

private:
    std::ofstream out;
};

// The samples of an entry of a package.
std::vector<int16_t> entrySamples(const std::string& package, const char* entry) {
    uint32_t length = 0;
    char* wav = PackageManager::getInstance()->load(package, entry, &length);
    uint32_t size = 0;
    char* bytes = wav != nullptr ? WavLoader::loadRawDataFromWav(wav, length, &size) : nullptr;
    free(wav);
    std::vector<int16_t> samples(size / 2);
    if (bytes != nullptr) {
        memcpy(samples.data(), bytes, samples.size() * 2);
    }
    free(bytes);
    return samples;
}

void scenarioPlay(RequestLog& log) {
    SoundSystem sound(true);
    ASSERT_TRUE(sound.setup());
    pause(kGap);
    log.note();
    EXPECT_TRUE(sound.play(SOUND_LASER, false));
    pause(kGameSoundSeconds + kGap);
    log.note();
}

void scenarioMusic(RequestLog& log) {
    SoundSystem sound(true);
    ASSERT_TRUE(sound.setup());
    pause(kGap);
    log.note();
    EXPECT_TRUE(sound.startContinousSound(kMusicEntry));
    pause(kMusicSeconds);
    log.note();
    sound.stopContinousSound();
    pause(kGap);
    log.note();
}

void scenarioDisabled(RequestLog& log) {
    SoundSystem sound(false);
    ASSERT_TRUE(sound.setup());
    EXPECT_TRUE(sound.play(SOUND_LASER, false));
    EXPECT_TRUE(sound.startContinousSound(kMusicEntry));
    pause(kGap + kMusicSeconds);
    log.note();
}

// Every game sound in table order, then the first music, each followed by a pause.
void scenarioEverySound(RequestLog& log) {
    SoundSystem sound(true);
    ASSERT_TRUE(sound.setup());
    for (int index = 0; index < SoundSystem::kSoundCount; ++index) {
        const char* entry = SoundSystem::soundEntry(game_sound(index));
        const double seconds = entrySamples("data.tul", entry).size() / 11025.0;
        pause(kGap);
        log.note();
        EXPECT_TRUE(sound.play(game_sound(index), false));
        pause(seconds);
    }
    pause(kGap);
    log.note();
    EXPECT_TRUE(sound.startContinousSound(kMusicEntry));
    pause(kMusicSeconds);
    log.note();
    sound.stopContinousSound();
    pause(kGap);
    log.note();
}

TEST(SoundCaptureTest, ChildScenario) {
    if (!runningAsChild()) {
        GTEST_SKIP() << "run by the other capture tests in a process of its own";
    }
    ScopedWorkingDirectory cwd(childSetting("QUENLOW_AUDIO_DIR"));
    RequestLog log;
    const std::string scenario = childSetting("QUENLOW_SCENARIO");
    if (scenario == "play") {
        scenarioPlay(log);
    } else if (scenario == "music") {
        scenarioMusic(log);
    } else if (scenario == "disabled") {
        scenarioDisabled(log);
    } else if (scenario == "packaged") {
        scenarioEverySound(log);
    } else {
        FAIL() << "unknown scenario " << scenario;
    }
}

struct Capture {
    CapturedWav wav;
    std::vector<double> requests;  // device clock of each request, in seconds
    double end = 0.0;              // device clock when the scenario ended
};

// Runs the scenario in the folder of a package (by default one of made-up sounds) and
// returns what the device wrote and when the requests were made.
Capture capture(const std::string& scenario, std::string packageDir = "") {
    TempDir dir;
    if (packageDir.empty()) {
        packageDir = dir.path();
        EXPECT_TRUE(testing_support::buildPackage(
            packageDir, audio_testing::soundEntries(kGameSoundSeconds, kMusicLoopSeconds)));
    }
    const std::string output = std::string(QUENLOW_TEST_OUTPUT) + "/sound_" + scenario + ".wav";
    remove(output.c_str());
    audio_testing::expectChildPasses(
        "SoundCaptureTest.ChildScenario",
        {"ALSOFT_CONF=" + audio_testing::writeOpenAlConfig(dir.path(), output), "QUENLOW_AUDIO_DIR=" + packageDir,
         "QUENLOW_SCENARIO=" + scenario, "QUENLOW_TIMES=" + dir.file("times.txt")});
    Capture result;
    result.wav = testing_support::readCapturedWav(output);
    EXPECT_TRUE(result.wav.valid) << output;
    EXPECT_EQ(result.wav.sampleRate, 11025u);
    std::ifstream times(dir.file("times.txt"));
    for (double time = 0.0; times >> time;) {
        result.requests.push_back(time);
    }
    if (!result.requests.empty()) {
        result.end = result.requests.back();
        result.requests.pop_back();
    }
    EXPECT_GE(result.wav.seconds(), result.end - 0.001) << "the file lacks what the device mixed";
    return result;
}

// Silent until the request, then heard from the next mixed block on.
void expectStartsAt(const CapturedWav& wav, double request, int threshold) {
    EXPECT_EQ(wav.peak(0.0, request), 0) << "heard before the request at " << request << " s";
    EXPECT_NEAR(wav.onset(threshold), request + kLatency / 2, kLatency / 2);
}

TEST(SoundCapture, PlayedSoundIsHeardWhenPlayed) {
    if (runningAsChild()) {
        GTEST_SKIP();
    }
    const Capture capture = ::capture("play");
    ASSERT_EQ(capture.requests.size(), 1u);
    const CapturedWav& wav = capture.wav;
    expectStartsAt(wav, capture.requests[0], kHeard / 4);
    const double onset = wav.onset(kHeard / 4);
    EXPECT_GE(wav.peak(onset, onset + kGameSoundSeconds), kHeard);
    EXPECT_EQ(wav.peak(onset + kGameSoundSeconds, wav.seconds()), 0) << "the sound did not end";
}

TEST(SoundCapture, MusicLoopsUntilStopped) {
    if (runningAsChild()) {
        GTEST_SKIP();
    }
    const Capture capture = ::capture("music");
    ASSERT_EQ(capture.requests.size(), 2u);
    const CapturedWav& wav = capture.wav;
    const double start = capture.requests[0];
    const double stop = capture.requests[1];
    expectStartsAt(wav, start, kHeard / 4);
    // Heard in every tenth of a second while it plays, well past the end of one loop.
    for (double from = start + kLatency; from + 0.1 < stop; from += 0.1) {
        EXPECT_GE(wav.peak(from, from + 0.1), kHeard) << "silent at " << from << " s";
    }
    EXPECT_EQ(wav.peak(stop + kLatency, wav.seconds()), 0) << "music after it was stopped";
}

TEST(SoundCapture, DisabledSystemWritesSilence) {
    if (runningAsChild()) {
        GTEST_SKIP();
    }
    const Capture capture = ::capture("disabled");
    EXPECT_GE(capture.end, kGap + kMusicSeconds);
    EXPECT_EQ(capture.wav.peak(0.0, capture.wav.seconds()), 0);
}

// The game's own sounds from the built package, once it exists.
TEST(SoundCapture, EveryPackagedSoundIsHeard) {
    if (runningAsChild()) {
        GTEST_SKIP();
    }
    const std::string runDir = QUENLOW_RUN_DIR;
    const std::string package = runDir + "/data.tul";
    if (!FileReader::file_exists(package)) {
        GTEST_SKIP() << package << " is not built yet";
    }
    const Capture capture = ::capture("packaged", runDir);
    const std::vector<double>& requests = capture.requests;
    ASSERT_EQ(requests.size(), static_cast<size_t>(SoundSystem::kSoundCount + 2));

    for (int index = 0; index <= SoundSystem::kSoundCount; ++index) {
        const char* entry = index < SoundSystem::kSoundCount ? SoundSystem::soundEntry(game_sound(index)) : kMusicEntry;
        SCOPED_TRACE(entry);
        // The loudest sample of the part that had time to play (the music plays only its start).
        const std::vector<int16_t> samples = entrySamples(package, entry);
        const size_t played = std::min(samples.size(), static_cast<size_t>((requests[index + 1] - requests[index]) * 11025));
        int loudest = 0;
        for (size_t sample = 0; sample < played; ++sample) {
            loudest = std::max(loudest, std::abs(static_cast<int>(samples[sample])));
        }
        ASSERT_GT(loudest, 0) << "the entry is silent or refused";
        // The captured stretch from this request to the next holds the sound at full level.
        EXPECT_EQ(capture.wav.peak(index == 0 ? 0.0 : requests[index] - kGap / 2, requests[index]), 0);
        EXPECT_GE(capture.wav.peak(requests[index], requests[index + 1]), loudest * 9 / 10);
    }
    EXPECT_EQ(capture.wav.peak(requests.back() + kLatency, capture.wav.seconds()), 0) << "music after its stop";
}

}  // namespace
