// Draws each generated sky picture with the game's own sky box, from its middle, looking
// straight at the cube's edges: the sky must run on across every edge without a seam.
#include <GL/glew.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "SceneKit.h"
#include "render/TexturedCuboid.h"

namespace {

constexpr int kWidth = 1280;
constexpr int kHeight = 720;

// Mean colour difference between two columns (or rows, when `rows`) of the frame, over the
// middle half of their length.
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

class SkyboxArt : public testing::TestWithParam<const char*> {};

TEST_P(SkyboxArt, RunsOnAcrossEveryCubeEdge) {
    const std::string picture = testing_support::readFile(std::string(QUENLOW_RUN_DIR) + "/" + GetParam());
    if (picture.empty()) {
        GTEST_SKIP() << GetParam() << " not generated";
    }
    testing_support::Entries entries = scene_test::drawableShaders();
    entries.emplace_back(GetParam(), picture);
    render_test::PackageFolder package(entries);
    ASSERT_TRUE(package.ok());
    // As large as the level makes it around a player on a tile of 127 units.
    constexpr float kSize = 381.0f;
    TexturedCuboid sky(0, 0, 0, kSize, kSize, kSize, GetParam(), "shaders/basic_textured.vs",
                       "shaders/basic_textured.fs");
    ASSERT_TRUE(sky.setup(UV_MAPPING_CUBE));

    // Looking straight at an edge puts it on the middle column (upright edges) or the
    // middle row (edges of the top face) of the window.
    struct EdgeView {
        glm::vec3 direction;
        bool horizontalEdge;
    };
    const EdgeView views[] = {
        {{1, 1, 0}, false}, {{1, -1, 0}, false}, {{-1, 1, 0}, false}, {{-1, -1, 0}, false},
        {{1, 0, 1}, true},  {{-1, 0, 1}, true},  {{0, 1, 1}, true},   {{0, -1, 1}, true},
    };
    for (const EdgeView& view : views) {
        render_test::clearWindow(0, 0, 0);
        Camera camera = scene_test::lookingAt(glm::vec3(0.0f), view.direction);
        sky.render(&camera, false, glm::vec3(0.0f));
        const std::vector<uint8_t> frame = testing_support::readPixels(0, 0, kWidth, kHeight);
        const int middle = view.horizontalEdge ? kHeight / 2 : kWidth / 2;
        const double across = lineStep(frame, middle - 3, middle + 2, view.horizontalEdge);
        const double before = lineStep(frame, middle - 13, middle - 8, view.horizontalEdge);
        const double after = lineStep(frame, middle + 7, middle + 12, view.horizontalEdge);
        EXPECT_LE(across, 1.5 * std::max(before, after) + 2.0)
            << GetParam() << " looking along (" << view.direction.x << ", " << view.direction.y << ", "
            << view.direction.z << ")";
    }

    // What a player sees standing on the ground and looking over a corner of the box.
    render_test::clearWindow(0, 0, 0);
    Camera camera = scene_test::lookingAt(glm::vec3(0.0f, 0.0f, 10.0f), glm::vec3(1.0f, 1.0f, 10.35f));
    sky.render(&camera, false, glm::vec3(0.0f));
    std::string name = GetParam();
    name = name.substr(name.find('/') + 1, name.find('.') - name.find('/') - 1);
    scene_test::saveScreenshot(name + "_view.png");
}

INSTANTIATE_TEST_SUITE_P(Skies, SkyboxArt,
                         testing::Values("textures/skybox_1.jpg", "textures/skybox_2.jpg", "textures/skybox_3.jpg",
                                         "textures/skybox_4.jpg", "textures/skybox_5.jpg"),
                         [](const testing::TestParamInfo<const char*>& info) {
                             return "skybox_" + std::to_string(info.index + 1);
                         });

}  // namespace
