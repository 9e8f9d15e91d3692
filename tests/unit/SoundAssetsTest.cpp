// Checks the generated sounds in the run folder: the exact header the sound system's reader
// accepts, sensible lengths for how each sound is used, audible but unclipped levels, music
// below the effects, sounds that start (and one-shots that end) at rest, and music loops
// without a seam.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "sound/WavLoader.h"
#include "support/TestSupport.h"

using testing_support::readFile;

namespace {

constexpr size_t kHeaderSize = 44;
constexpr double kFullScale = 32768.0;

struct SoundCase {
    const char* entry;
    double minSeconds;
    double maxSeconds;
    bool music;
};

// Footsteps repeat every 0.35 s when running and must not pile up into a roar; the take-off
// covers the rocket's climb; music must last long enough not to feel repetitive.
const SoundCase kSounds[] = {
    {"sounds/background_1.wav", 30.0, 60.0, true},  {"sounds/background_2.wav", 30.0, 60.0, true},
    {"sounds/background_3.wav", 30.0, 60.0, true},  {"sounds/background_4.wav", 30.0, 60.0, true},
    {"sounds/background_5.wav", 30.0, 60.0, true},  {"sounds/background_6.wav", 30.0, 60.0, true},
    {"sounds/background_7.wav", 30.0, 60.0, true},  {"sounds/background_8.wav", 30.0, 60.0, true},
    {"sounds/background_9.wav", 30.0, 60.0, true},  {"sounds/damage_taken_1.wav", 0.1, 1.0, false},
    {"sounds/explosion_1.wav", 0.8, 4.0, false},    {"sounds/footstep1.wav", 0.05, 0.4, false},
    {"sounds/footstep2.wav", 0.05, 0.4, false},     {"sounds/footstep3.wav", 0.05, 0.4, false},
    {"sounds/footstep4.wav", 0.05, 0.4, false},     {"sounds/footstep5.wav", 0.05, 0.4, false},
    {"sounds/gun_1.wav", 0.1, 1.0, false},          {"sounds/gun_2.wav", 0.1, 0.6, false},
    {"sounds/jump.wav", 0.1, 0.8, false},           {"sounds/laser.wav", 0.1, 1.0, false},
    {"sounds/negative.wav", 0.15, 1.0, false},      {"sounds/player_death.wav", 0.8, 5.0, false},
    {"sounds/success.wav", 0.3, 3.0, false},        {"sounds/takeoff.wav", 3.0, 10.0, false},
    {"sounds/ui_blipp.wav", 0.03, 0.4, false},      {"sounds/ui_blipp2.wav", 0.03, 0.4, false},
    {"sounds/ui_blipp3.wav", 0.03, 0.4, false},
};

uint32_t le32(const std::string& bytes, size_t offset) {
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i) {
        value = (value << 8) | static_cast<uint8_t>(bytes[offset + static_cast<size_t>(i)]);
    }
    return value;
}

uint16_t le16(const std::string& bytes, size_t offset) {
    return static_cast<uint16_t>(static_cast<uint8_t>(bytes[offset]) | (static_cast<uint8_t>(bytes[offset + 1]) << 8));
}

std::string runPath(const std::string& entry) {
    return std::string(QUENLOW_RUN_DIR) + "/" + entry;
}

bool runFolderHasSounds() {
    return !readFile(runPath("sounds/background_1.wav")).empty();
}

// The samples after the header; none for a missing or truncated file.
std::vector<int16_t> samplesOf(const std::string& bytes) {
    if (bytes.size() <= kHeaderSize) {
        return {};
    }
    std::vector<int16_t> samples((bytes.size() - kHeaderSize) / 2);
    memcpy(samples.data(), bytes.data() + kHeaderSize, samples.size() * 2);
    return samples;
}

struct Levels {
    double peak = 0.0;     // of full scale
    double rms = 0.0;      // of full scale
    double mean = 0.0;     // of full scale
    size_t longestFullScaleRun = 0;
};

Levels levelsOf(const std::vector<int16_t>& samples) {
    Levels levels;
    double sum = 0.0;
    double squares = 0.0;
    size_t run = 0;
    for (int16_t sample : samples) {
        const double value = sample / kFullScale;
        levels.peak = std::max(levels.peak, std::fabs(value));
        sum += value;
        squares += value * value;
        run = std::abs(sample) >= 32000 ? run + 1 : 0;
        levels.longestFullScaleRun = std::max(levels.longestFullScaleRun, run);
    }
    const double count = std::max<size_t>(1, samples.size());
    levels.mean = sum / count;
    levels.rms = std::sqrt(squares / count);
    return levels;
}

// The 99th percentile of |s[i+1] - s[i]| (order 1) or |s[i+1] - 2 s[i] + s[i-1]| (order 2).
double typicalStep(const std::vector<int16_t>& s, int order) {
    std::vector<int> steps;
    for (size_t i = 1; i + 1 < s.size(); ++i) {
        steps.push_back(order == 1 ? std::abs(s[i + 1] - s[i]) : std::abs(s[i + 1] - 2 * s[i] + s[i - 1]));
    }
    std::sort(steps.begin(), steps.end());
    return steps[steps.size() * 99 / 100];
}

// Seconds until the sound first reaches a quarter of its peak.
double onsetSeconds(const std::vector<int16_t>& samples, double peak) {
    for (size_t i = 0; i < samples.size(); ++i) {
        if (std::abs(samples[i]) / kFullScale >= peak / 4.0) {
            return i / 11025.0;
        }
    }
    return samples.size() / 11025.0;
}

// The quietest half second, as RMS of full scale.
double quietestHalfSecond(const std::vector<int16_t>& samples) {
    const size_t window = 11025 / 2;
    double quietest = 1.0;
    for (size_t start = 0; start + window <= samples.size(); start += window / 2) {
        double squares = 0.0;
        for (size_t i = start; i < start + window; ++i) {
            squares += (samples[i] / kFullScale) * (samples[i] / kFullScale);
        }
        quietest = std::min(quietest, std::sqrt(squares / window));
    }
    return quietest;
}

}  // namespace

TEST(SoundAssets, EverySoundHasTheReadersHeaderAndSensibleLevels) {
    if (!runFolderHasSounds()) {
        GTEST_SKIP() << "no generated sounds in " << QUENLOW_RUN_DIR;
    }
    for (const SoundCase& sound : kSounds) {
        SCOPED_TRACE(sound.entry);
        const std::string bytes = readFile(runPath(sound.entry));
        ASSERT_GT(bytes.size(), kHeaderSize);
        EXPECT_EQ(bytes.compare(0, 4, "RIFF"), 0);
        EXPECT_EQ(le32(bytes, 4), bytes.size() - 8);
        EXPECT_EQ(bytes.compare(8, 8, "WAVEfmt "), 0);
        EXPECT_EQ(le32(bytes, 16), 16u);
        EXPECT_EQ(le16(bytes, 20), 1u) << "PCM";
        EXPECT_EQ(le16(bytes, 22), 1u) << "mono";
        EXPECT_EQ(le32(bytes, 24), 11025u);
        EXPECT_EQ(le32(bytes, 28), 22050u);
        EXPECT_EQ(le16(bytes, 32), 2u);
        EXPECT_EQ(le16(bytes, 34), 16u);
        EXPECT_EQ(bytes.compare(36, 4, "data"), 0);
        EXPECT_EQ(le32(bytes, 40), bytes.size() - kHeaderSize);

        uint32_t size = 0;
        char* data = WavLoader::loadRawDataFromWav(bytes.data(), static_cast<uint32_t>(bytes.size()), &size);
        EXPECT_NE(data, nullptr) << "the game's reader refuses it";
        EXPECT_EQ(size, bytes.size() - kHeaderSize);
        free(data);

        const std::vector<int16_t> samples = samplesOf(bytes);
        const double seconds = samples.size() / 11025.0;
        EXPECT_GE(seconds, sound.minSeconds);
        EXPECT_LE(seconds, sound.maxSeconds);

        const Levels levels = levelsOf(samples);
        EXPECT_GT(levels.peak, 0.2) << "too quiet to hear over the music";
        EXPECT_LT(levels.longestFullScaleRun, 2u) << "clipped";
        EXPECT_LT(std::fabs(levels.mean), 0.01) << "DC offset";
        // Every sound starts from silence: a first sample away from zero clicks. A one-shot
        // also stops into silence; music runs on into its own start instead.
        EXPECT_LE(std::abs(samples.front()), 100);
        if (sound.music) {
            EXPECT_LE(levels.peak, 0.5) << "music must leave room for the effects";
            EXPECT_GT(quietestHalfSecond(samples), 0.01) << "the music drops out";
        } else {
            EXPECT_LE(std::abs(samples.back()), 100);
            EXPECT_LE(onsetSeconds(samples, levels.peak), 0.1) << "a sound must answer its action at once";
        }
    }
}

TEST(SoundAssets, MusicLoopsWithoutAJumpAtTheSeam) {
    if (!runFolderHasSounds()) {
        GTEST_SKIP() << "no generated sounds in " << QUENLOW_RUN_DIR;
    }
    for (const SoundCase& sound : kSounds) {
        if (!sound.music) {
            continue;
        }
        SCOPED_TRACE(sound.entry);
        const std::vector<int16_t> s = samplesOf(readFile(runPath(sound.entry)));
        ASSERT_GT(s.size(), 3u);
        const size_t last = s.size() - 1;
        // Played in a loop, the sample after the last is the first: both the step and the change
        // of slope there must look like any other place in the piece.
        const double seamStep = std::abs(s[0] - s[last]);
        const double seamBend = std::abs(s[0] - 2 * s[last] + s[last - 1]);
        EXPECT_LE(seamStep, typicalStep(s, 1));
        EXPECT_LE(seamBend, typicalStep(s, 2));
        // The same across the seam one sample further on.
        EXPECT_LE(std::abs(s[1] - 2 * s[0] + s[last]), typicalStep(s, 2));
    }
}

TEST(SoundAssets, EffectsStandOutFromTheMusic) {
    if (!runFolderHasSounds()) {
        GTEST_SKIP() << "no generated sounds in " << QUENLOW_RUN_DIR;
    }
    double loudestMusic = 0.0;
    for (const SoundCase& sound : kSounds) {
        if (sound.music) {
            loudestMusic = std::max(loudestMusic, levelsOf(samplesOf(readFile(runPath(sound.entry)))).peak);
        }
    }
    // The sounds that tell the player about danger and success must be louder than any music.
    for (const char* entry : {"sounds/gun_2.wav", "sounds/laser.wav", "sounds/explosion_1.wav",
                              "sounds/damage_taken_1.wav", "sounds/player_death.wav", "sounds/success.wav",
                              "sounds/takeoff.wav"}) {
        SCOPED_TRACE(entry);
        EXPECT_GT(levelsOf(samplesOf(readFile(runPath(entry)))).peak, loudestMusic * 1.2);
    }
}

TEST(SoundAssets, EveryEntryHasASoundOfItsOwn) {
    if (!runFolderHasSounds()) {
        GTEST_SKIP() << "no generated sounds in " << QUENLOW_RUN_DIR;
    }
    // Two entries written from the same generator would make two events sound alike.
    std::vector<std::vector<int16_t>> contents;
    for (const SoundCase& sound : kSounds) {
        contents.push_back(samplesOf(readFile(runPath(sound.entry))));
        EXPECT_FALSE(contents.back().empty()) << sound.entry;
    }
    for (size_t a = 0; a < contents.size(); ++a) {
        for (size_t b = a + 1; b < contents.size(); ++b) {
            EXPECT_NE(contents[a], contents[b]) << kSounds[a].entry << " and " << kSounds[b].entry;
        }
    }
}
