// What the player hears: each scenario runs in a child of this executable (openal-soft reads its
// configuration once per process) whose device writes its mix to a WAV file, kept for people to
// listen to. The child notes the device clock around each request: in mixed time, which a busy
// machine cannot shift, that is where the request must start to sound.
#include <AL/alc.h>
#include <AL/alext.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <thread>

#include "AudioTestSupport.h"

namespace {

// Samples a second, pause between requests, lengths of the tones, the music's loop and its play,
// and the mixed block from which on a request sounds (the configuration sets its size).
constexpr double kRate = 11025.0, kGap = 0.25, kToneSeconds = 0.2, kMusicLoopSeconds = 0.25, kMusicSeconds = 1.0,
                 kBlock = 0.05;
constexpr int kHeard = audio_testing::kAmplitude / 2;
constexpr const char* kMusic = "sounds/background_1.wav";

double deviceClock() {
    ALCdevice* device = alcGetContextsDevice(alcGetCurrentContext());
    auto getInteger64 = reinterpret_cast<LPALCGETINTEGER64VSOFT>(alcGetProcAddress(device, "alcGetInteger64vSOFT"));
    ALCint64SOFT nanoseconds = -1;
    getInteger64(device, ALC_DEVICE_CLOCK_SOFT, 1, &nanoseconds);
    return static_cast<double>(nanoseconds) / 1e9;
}

// Waits until the device has mixed that much more; bounded in case the device stalls.
void pause(double seconds) {
    const double until = deviceClock() + seconds;
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::duration<double>(10 * seconds + 1);
    while (deviceClock() < until && std::chrono::steady_clock::now() < giveUp) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

// The child: every game sound in table order, then the first music and its stop, each after
// a pause; or the pool's first turn round the ring.
TEST(SoundChild, Scenario) {
    const char* scenario = getenv("QUENLOW_SCENARIO");
    if (scenario == nullptr) {
        GTEST_SKIP() << "runs only as a child of the capture tests";
    }
    testing_support::ScopedWorkingDirectory cwd(getenv("QUENLOW_AUDIO_DIR"));
    std::ofstream times(getenv("QUENLOW_TIMES"));
    times.precision(9);
    SoundSystem sound(strcmp(scenario, "disabled") != 0);
    ASSERT_TRUE(sound.setup());
    ASSERT_TRUE(alcIsExtensionPresent(alcGetContextsDevice(alcGetCurrentContext()), "ALC_SOFT_device_clock"));
    if (strcmp(scenario, "pool") == 0) {
        // The first sound goes to source 1; the eleventh finds source 1 still playing and is dropped.
        for (int played = 0; played <= SoundSystem::kPoolSize; ++played) {
            EXPECT_TRUE(sound.play(game_sound(played), false));
        }
        for (int played = 0; played < SoundSystem::kPoolSize; ++played) {
            const ALuint source = SoundSystemInspector::poolSource(sound, (played + 1) % SoundSystem::kPoolSize);
            EXPECT_EQ(audio_testing::sourceInt(source, AL_SOURCE_STATE), AL_PLAYING) << played;
            EXPECT_EQ(static_cast<ALuint>(audio_testing::sourceInt(source, AL_BUFFER)),
                      SoundSystemInspector::buffer(sound, game_sound(played)));
        }
        return;
    }
    // Notes the clock before and after the step, and whether the step succeeded.
    auto request = [&](auto step) {
        const double before = deviceClock();
        const bool done = step();
        times << before << ' ' << done << ' ' << deviceClock() << '\n' << std::flush;
    };
    for (int index = 0; index < SoundSystem::kSoundCount; ++index) {
        pause(kGap);
        request([&] { return sound.play(game_sound(index), false); });
        pause(kToneSeconds);
    }
    pause(kGap);
    request([&] { return sound.startContinousSound(kMusic); });
    pause(kMusicSeconds);
    request([&] { return sound.stopContinousSound(), true; });
    pause(kGap);
    request([] { return true; });
}

struct Capture {
    std::vector<int16_t> samples;
    // The device clock just before and just after each request; the last marks the end.
    std::vector<double> before, after;

    int peak(double from, double to) const {
        int best = 0;
        for (size_t at = static_cast<size_t>(std::max(0.0, from * kRate)); at < samples.size() && at < to * kRate;
             ++at) {
            best = std::max(best, std::abs(static_cast<int>(samples[at])));
        }
        return best;
    }
};

// Runs the scenario in a child over a package of tones that long; returns what the device
// wrote, and when.
Capture capture(const std::string& scenario, double toneSeconds) {
    testing_support::TempDir dir;
    EXPECT_TRUE(testing_support::buildPackage(dir.path(), audio_testing::toneEntries(toneSeconds, kMusicLoopSeconds)));
    const std::string output = std::string(QUENLOW_TEST_OUTPUT) + "/sound_" + scenario + ".wav";
    remove(output.c_str());
    // Dither would turn silence into noise of one step.
    testing_support::writeFile(dir.file("alsoft.conf"),
                               "[general]\ndrivers=wave\nchannels=mono\nsample-type=int16\nfrequency=11025\n"
                               "period_size=256\ndither=false\n[wave]\nfile=" +
                                   output + "\n");
    char self[4096] = {};
    EXPECT_GT(readlink("/proc/self/exe", self, sizeof(self) - 1), 0);
    const testing_support::CommandResult result = testing_support::runCommand(
        "/", "env -u ALSOFT_DRIVERS ALSOFT_CONF='" + dir.file("alsoft.conf") + "' QUENLOW_SCENARIO=" + scenario +
                 " QUENLOW_AUDIO_DIR='" + dir.path() + "' QUENLOW_TIMES='" + dir.file("times") + "' '" + self +
                 "' --gtest_filter=SoundChild.Scenario");
    EXPECT_EQ(result.status, 0) << result.output;
    EXPECT_NE(result.output.find("[       OK ] SoundChild.Scenario"), std::string::npos) << result.output;

    Capture capture;
    std::ifstream times(dir.file("times"));
    double before = 0.0, after = 0.0;
    for (bool done = false; times >> before >> done >> after;) {
        EXPECT_TRUE(done) << "request " << capture.before.size();
        capture.before.push_back(before);
        capture.after.push_back(after);
    }
    const std::string bytes = testing_support::readFile(output);
    const size_t data = bytes.find("data", 12);
    EXPECT_TRUE(bytes.compare(0, 4, "RIFF") == 0 && data != std::string::npos && bytes.compare(24, 2, "\x11\x2b") == 0)
        << output << " is not a WAV file of 11025 Hz";
    const size_t start = data == std::string::npos ? bytes.size() : data + 8;
    capture.samples.resize((bytes.size() - start) / 2);
    std::copy_n(bytes.data() + start, capture.samples.size() * 2, reinterpret_cast<char*>(capture.samples.data()));
    EXPECT_GE(capture.samples.size() / kRate, capture.after.empty() ? 0 : capture.after.back() - 0.001)
        << "the file lacks what the device mixed";
    return capture;
}

// Each sound silent until its request, heard from the next mixed block on and at its level
// before the next one; the music goes on looping, well past the end of its first turn, until
// it is stopped, and is silent after.
TEST(SoundCapture, EachSoundAndTheMusicAreHeardWhenRequested) {
    const Capture capture = ::capture("tones", kToneSeconds);
    const size_t music = SoundSystem::kSoundCount;
    ASSERT_EQ(capture.before.size(), music + 3);
    for (size_t index = 0; index <= music; ++index) {
        EXPECT_EQ(capture.peak(capture.before[index] - kGap / 2, capture.before[index]), 0) << index;
        EXPECT_GE(capture.peak(capture.before[index], capture.before[index + 1]), kHeard) << index;
        EXPECT_GE(capture.peak(capture.before[index], capture.after[index] + kBlock), kHeard / 4) << "late: " << index;
    }
    for (double from = capture.after[music] + kBlock; from + 0.1 < capture.before[music + 1]; from += 0.1) {
        EXPECT_GE(capture.peak(from, from + 0.1), kHeard) << "silent at " << from << " s";
    }
    EXPECT_EQ(capture.peak(capture.after[music + 1] + kBlock, capture.after.back()), 0) << "music after its stop";
}

// A disabled system writes silence; in the pool the sounds last long enough to be playing
// still when the eleventh comes.
TEST(SoundCapture, DisabledSystemWritesSilenceAndThePoolStartsOnSourceOne) {
    capture("pool", 5.0);
    const Capture capture = ::capture("disabled", kToneSeconds);
    ASSERT_EQ(capture.after.size(), SoundSystem::kSoundCount + 3u);
    EXPECT_GE(capture.after.back(), SoundSystem::kSoundCount * (kGap + kToneSeconds) + kMusicSeconds);
    EXPECT_EQ(capture.peak(0.0, capture.after.back()), 0);
}

}  // namespace
