// The generated sounds in the run folder: taken by the game's own WAV reader, as long as their
// use wants, audible but unclipped and centred, starting (and one-shots ending) at rest,
// one-shots sounding at once, music leaving room for the effects, never dropping out and
// looping without a click, and no two alike.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <map>

#include "core/AssetList.h"
#include "sound/WavLoader.h"
#include "support/RunAssets.h"
#include "support/TestSupport.h"

namespace {

// The 99th percentile of |s[i+1] - s[i]| (order 1) or |s[i+1] - 2 s[i] + s[i-1]| (order 2).
int typicalStep(const std::vector<int16_t>& s, int order) {
    std::vector<int> steps;
    for (size_t i = 1; i + 1 < s.size(); ++i) {
        steps.push_back(order == 1 ? std::abs(s[i + 1] - s[i]) : std::abs(s[i + 1] - 2 * s[i] + s[i - 1]));
    }
    std::nth_element(steps.begin(), steps.begin() + steps.size() * 99 / 100, steps.end());
    return steps[steps.size() * 99 / 100];
}

// Seconds each sound may last: footsteps repeat every 0.35 s when running and must not pile up
// into a roar; the take-off covers the rocket's climb; music lasts long enough not to feel
// repetitive.
const std::map<std::string, std::pair<double, double>> kLengths = {
    {"background", {30.0, 60.0}}, {"damage_taken_1", {0.1, 1.0}}, {"explosion_1", {0.8, 4.0}},
    {"footstep", {0.05, 0.4}},    {"gun_1", {0.1, 1.0}},          {"gun_2", {0.1, 0.6}},
    {"jump", {0.1, 0.8}},         {"laser", {0.1, 1.0}},          {"negative", {0.15, 1.0}},
    {"player_death", {0.8, 5.0}}, {"success", {0.3, 3.0}},        {"takeoff", {3.0, 10.0}},
    {"ui_blipp", {0.03, 0.4}}};

// The quietest half second, as RMS.
double quietestHalfSecond(const std::vector<int16_t>& s) {
    const size_t window = 11025 / 2;
    double quietest = 32768.0;
    for (size_t start = 0; start + window <= s.size(); start += window / 2) {
        double squares = 0.0;
        for (size_t i = start; i < start + window; ++i) {
            squares += static_cast<double>(s[i]) * s[i];
        }
        quietest = std::min(quietest, std::sqrt(squares / window));
    }
    return quietest;
}

TEST(SoundAssets, EverySoundIsReadableAudibleUnclippedAndAtRestWhereItStops) {
    REQUIRE_RUN_ASSETS();
    std::map<std::string, std::vector<int16_t>> sounds;
    std::map<std::string, int> peaks;
    int loudestMusic = 0;
    for (const std::string& entry : buildAssetList()) {
        if (entry.size() < 4 || entry.compare(entry.size() - 4, 4, ".wav") != 0) {
            continue;
        }
        const std::string bytes = testing_support::readFile(testing_support::runPath(entry));
        uint32_t size = 0;
        char* data = WavLoader::loadRawDataFromWav(bytes.data(), static_cast<uint32_t>(bytes.size()), &size);
        EXPECT_TRUE(data != nullptr && size + 44 == bytes.size()) << entry << ": refused, or bytes after the data";
        std::vector<int16_t> s(data != nullptr ? size / 2 : 0);
        if (s.size() < 3) {
            free(data);
            continue;
        }
        memcpy(s.data(), data, s.size() * 2);
        free(data);
        const std::string name = entry.substr(7, entry.size() - 11);  // past "sounds/", before ".wav"
        const auto length = std::find_if(kLengths.begin(), kLengths.end(),
                                         [&](const auto& sound) { return name.rfind(sound.first, 0) == 0; });
        const double seconds = static_cast<double>(s.size()) / 11025.0;
        EXPECT_TRUE(length != kLengths.end() && seconds >= length->second.first && seconds <= length->second.second)
            << entry << " lasts " << seconds << " s";
        const auto [lowest, highest] = std::minmax_element(s.begin(), s.end());
        const int peak = std::max(std::abs(*lowest), std::abs(*highest));
        EXPECT_TRUE(peak > 6500 && peak < 32000) << entry << " too quiet or clipped: " << peak;
        peaks[entry] = peak;
        double sum = 0.0;
        for (const int16_t sample : s) {
            sum += sample;
        }
        EXPECT_LT(std::fabs(sum / static_cast<double>(s.size())), 328.0) << entry << ": DC offset";
        // A first sample away from zero clicks.
        EXPECT_LE(std::abs(s.front()), 100) << entry;
        const size_t last = s.size() - 1;
        sounds[entry] = s;
        if (entry.find("background_") == std::string::npos) {
            // A one-shot answers its action at once: a quarter of its peak within a tenth of a second.
            const auto onset = std::find_if(s.begin(), s.end(), [&](int16_t v) { return std::abs(v) * 4 >= peak; });
            EXPECT_LE(onset - s.begin(), 11025 / 10) << entry << " starts late";
            EXPECT_LE(std::abs(s[last]), 100) << entry;
            continue;
        }
        // Music leaves room for the effects, never drops out, and loops: the sample after its
        // last is its first, so the step and the change of slope there (and one sample on) look
        // like anywhere else.
        loudestMusic = std::max(loudestMusic, peak);
        EXPECT_LE(peak, 16384) << entry;
        EXPECT_GT(quietestHalfSecond(s), 328.0) << entry << " drops out";
        EXPECT_LE(std::abs(s[0] - s[last]), typicalStep(s, 1)) << entry;
        EXPECT_LE(std::abs(s[0] - 2 * s[last] + s[last - 1]), typicalStep(s, 2)) << entry;
        EXPECT_LE(std::abs(s[1] - 2 * s[0] + s[last]), typicalStep(s, 2)) << entry;
    }
    // The sounds that tell the player of danger and success are louder than any music.
    for (const char* entry :
         {"sounds/gun_2.wav", "sounds/laser.wav", "sounds/explosion_1.wav", "sounds/damage_taken_1.wav",
          "sounds/player_death.wav", "sounds/success.wav", "sounds/takeoff.wav"}) {
        EXPECT_TRUE(peaks.count(entry) == 1 && peaks[entry] * 5 > loudestMusic * 6) << entry;
    }
    // Two entries written alike would make two events sound alike.
    for (auto a = sounds.begin(); a != sounds.end(); ++a) {
        for (auto b = std::next(a); b != sounds.end(); ++b) {
            EXPECT_TRUE(a->second != b->second) << a->first << " and " << b->first;
        }
    }
}

}  // namespace
