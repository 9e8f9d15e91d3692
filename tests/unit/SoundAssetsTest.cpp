// The generated sounds in the run folder: taken by the game's own WAV reader, audible but
// unclipped, starting (and one-shots ending) at rest, music leaving room for the effects
// and looping without a click.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

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

TEST(SoundAssets, EverySoundIsReadableAudibleUnclippedAndAtRestWhereItStops) {
    SKIP_WITHOUT_RUN_ASSETS();
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
        const auto [lowest, highest] = std::minmax_element(s.begin(), s.end());
        const int peak = std::max(std::abs(*lowest), std::abs(*highest));
        EXPECT_TRUE(peak > 6500 && peak < 32000) << entry << " too quiet or clipped: " << peak;
        // A first sample away from zero clicks.
        EXPECT_LE(std::abs(s.front()), 100) << entry;
        const size_t last = s.size() - 1;
        if (entry.find("background_") == std::string::npos) {
            EXPECT_LE(std::abs(s[last]), 100) << entry;
            continue;
        }
        // Music leaves room for the effects, and loops: the sample after its last is its first,
        // so the step and the change of slope there (and one sample on) look like anywhere else.
        EXPECT_LE(peak, 16384) << entry;
        EXPECT_LE(std::abs(s[0] - s[last]), typicalStep(s, 1)) << entry;
        EXPECT_LE(std::abs(s[0] - 2 * s[last] + s[last - 1]), typicalStep(s, 2)) << entry;
        EXPECT_LE(std::abs(s[1] - 2 * s[0] + s[last]), typicalStep(s, 2)) << entry;
    }
}

}  // namespace
