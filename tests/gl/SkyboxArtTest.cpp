// Draws each generated sky with the game's own sky box, from its middle: the sky must run on
// across every cube edge without a seam, and show its sun where each level that uses it
// puts the light (a sky drawn mirrored or upside down shows it elsewhere).
#include <GL/glew.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "SceneKit.h"
#include "render/TexturedCuboid.h"
#include "support/RunAssets.h"

namespace {

constexpr int kWidth = 1280;
constexpr int kHeight = 720;

// Mean colour difference between two columns (rows, when `rows`) over their middle half.
double lineStep(const std::vector<uint8_t>& frame, int a, int b, bool rows) {
    const int length = rows ? kWidth : kHeight;
    double sum = 0.0;
    for (int i = length / 4; i < 3 * length / 4; ++i) {
        const size_t pa = rows ? (static_cast<size_t>(a) * kWidth + i) * 4 : (static_cast<size_t>(i) * kWidth + a) * 4;
        const size_t pb = rows ? (static_cast<size_t>(b) * kWidth + i) * 4 : (static_cast<size_t>(i) * kWidth + b) * 4;
        for (int c = 0; c < 3; ++c) {
            sum += std::abs(frame[pa + c] - frame[pb + c]);
        }
    }
    return sum / (3.0 * (length / 2));
}

class SkyboxArt : public testing::TestWithParam<int> {};

TEST_P(SkyboxArt, RunsOnAcrossEveryCubeEdgeWithItsSunUnderTheLight) {
    SKIP_WITHOUT_RUN_ASSETS();
    const std::string entry = "textures/skybox_" + std::to_string(GetParam()) + ".jpg";
    testing_support::Entries entries = scene_test::drawableShaders();
    entries.emplace_back(entry, testing_support::readFile(testing_support::runPath(entry)));
    render_test::PackageFolder package(entries);
    ASSERT_TRUE(package.ok());
    // As large as the level makes it around a player on a tile of 127 units.
    constexpr float kSize = 381.0f;
    TexturedCuboid sky(0, 0, 0, kSize, kSize, kSize, entry, "shaders/basic_textured.vs", "shaders/basic_textured.fs");
    ASSERT_TRUE(sky.setup(UV_MAPPING_CUBE));
    auto draw = [&](const glm::vec3& eye, const glm::vec3& target) {
        render_test::clearWindow(0, 0, 0);
        Camera camera = scene_test::lookingAt(eye, target);
        sky.render(&camera, false, glm::vec3(0.0f));
    };

    // Looking straight at an edge puts it on the middle column (upright edges) or the middle
    // row (edges of the top face) of the window.
    const glm::vec3 edges[] = {{1, 1, 0}, {1, -1, 0}, {-1, 1, 0}, {-1, -1, 0},
                               {1, 0, 1}, {-1, 0, 1}, {0, 1, 1},  {0, -1, 1}};
    for (const glm::vec3& direction : edges) {
        draw(glm::vec3(0.0f), direction);
        const std::vector<uint8_t> frame = testing_support::readPixels(0, 0, kWidth, kHeight);
        const bool rows = direction.z != 0.0f;
        const int middle = rows ? kHeight / 2 : kWidth / 2;
        const double nearby =
            std::max(lineStep(frame, middle - 13, middle - 8, rows), lineStep(frame, middle + 7, middle + 12, rows));
        EXPECT_LE(lineStep(frame, middle - 3, middle + 2, rows), 1.5 * nearby + 2.0)
            << entry << " looking along " << direction.x << ", " << direction.y << ", " << direction.z;
    }

    // Every level under this sky puts its light where the sun shows.
    for (int level = 1; level <= 9; ++level) {
        const testing_support::JsonTree root =
            testing_support::readRunJson("levels/system_1/s1p" + std::to_string(level) + ".json");
        auto get = [&](const char* key) { return testing_support::jsonMember(root.get(), key); };
        if (testing_support::jsonText(get("skyboxTexture")) == entry) {
            draw(glm::vec3(0.0f), glm::vec3(testing_support::jsonNumber(get("skyboxLightPositionX")),
                                            testing_support::jsonNumber(get("skyboxLightPositionY")),
                                            testing_support::jsonNumber(get("skyboxLightPositionZ"))));
            const std::vector<uint8_t> middle = testing_support::readPixels(kWidth / 2 - 2, kHeight / 2 - 2, 5, 5);
            double brightness = 0.0;
            for (size_t i = 0; i < middle.size(); i += 4) {
                brightness += std::max({middle[i], middle[i + 1], middle[i + 2]}) / 25.0;
            }
            EXPECT_GE(brightness, 235.0) << "no sun under the light of level " << level;
        }
    }

    // What a player sees standing on the ground and looking over a corner of the box.
    draw(glm::vec3(0.0f, 0.0f, 10.0f), glm::vec3(1.0f, 1.0f, 10.35f));
    scene_test::saveScreenshot("skybox_" + std::to_string(GetParam()) + "_view.png");
}

INSTANTIATE_TEST_SUITE_P(Skies, SkyboxArt, testing::Range(1, 6));

}  // namespace
