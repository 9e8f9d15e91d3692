#include <GL/glew.h>
#include <gtest/gtest.h>

#include <glm/gtc/type_ptr.hpp>

#include "SceneKit.h"
#include "render/Icosphere.h"
#include "render/TextureManager.h"
#include "render/TexturedCuboid.h"

using testing_support::CapturedStdout;
using testing_support::near;
using testing_support::readPixel;

namespace {

constexpr int kCell = 16;
// The sky image: a 3 x 3 grid of colours, rows from the top.
const uint8_t kGrid[3][3][3] = {
    {{200, 0, 0}, {0, 200, 0}, {0, 0, 200}},
    {{200, 200, 0}, {0, 200, 200}, {200, 0, 200}},
    {{100, 50, 0}, {50, 100, 150}, {250, 250, 250}},
};

std::string gridPng() {
    std::vector<uint8_t> pixels;
    for (int y = 0; y < 3 * kCell; ++y) {
        for (int x = 0; x < 3 * kCell; ++x) {
            const uint8_t* colour = kGrid[y / kCell][x / kCell];
            pixels.insert(pixels.end(), colour, colour + 3);
        }
    }
    return render_test::pngBytes(3 * kCell, 3 * kCell, 3, pixels);
}

testing_support::Entries skyEntries() {
    testing_support::Entries entries = scene_test::drawableShaders();
    entries.emplace_back("textures/sky.png", gridPng());
    entries.emplace_back("textures/sun.png", scene_test::solidPng(4, 4, 0, 180, 60));
    entries.emplace_back("shaders/broken.fs", "#version 330 core\nvoid main() { nonsense }\n");
    return entries;
}

class SkyBoxAndSphere : public ::testing::Test {
protected:
    render_test::PackageFolder package{skyEntries()};
};

TEST_F(SkyBoxAndSphere, CubeMappingShowsEachFaceItsCellFromInside) {
    ASSERT_TRUE(package.ok());
    TexturedCuboid sky(0, 0, 0, 30, 30, 30, "textures/sky.png", "shaders/basic_textured.vs",
                       "shaders/basic_textured.fs");
    ASSERT_TRUE(sky.setup(UV_MAPPING_CUBE));
    struct View {
        const char* face;
        glm::vec3 direction;
        glm::vec3 up;
        int row, column;  // the grid cell seen straight ahead
    };
    const View views[] = {
        {"+x", {1, 0, 0}, {0, 0, 1}, 2, 1},
        {"-x", {-1, 0, 0}, {0, 0, 1}, 0, 1},
        {"+y", {0, 1, 0}, {0, 0, 1}, 1, 2},
        {"-y", {0, -1, 0}, {0, 0, 1}, 1, 0},
        {"+z", {0, 0, 1}, {0, 1, 0}, 1, 1},
        // The bottom samples the image's lower left corner only.
        {"-z", {0, 0, -1}, {0, 1, 0}, 2, 0},
    };
    for (const View& view : views) {
        render_test::clearWindow(0, 0, 0);
        Camera camera = scene_test::lookingAt(glm::vec3(0.0f), view.direction, view.up);
        sky.render(&camera, false, glm::vec3(0.0f));
        const uint8_t* expected = kGrid[view.row][view.column];
        EXPECT_TRUE(near(readPixel(640, 360), expected[0], expected[1], expected[2], 4)) << view.face;
        // Two thirds of the way to the face's corner the cell still shows.
        EXPECT_TRUE(near(readPixel(400, 120), expected[0], expected[1], expected[2], 4)) << view.face;
        EXPECT_TRUE(near(readPixel(880, 600), expected[0], expected[1], expected[2], 4)) << view.face;
    }
}

TEST_F(SkyBoxAndSphere, MappingsGiveTheFacesTheirTextureRanges) {
    ASSERT_TRUE(package.ok());
    struct Case {
        int mapping;
        float scale;
        int face;  // +Y, -Y, +X, -X, +Z, -Z
        glm::vec2 low, high;
    };
    const Case cases[] = {
        {UV_MAPPING_DIMENSION, 1, 4, {0, 0}, {3, 2}},
        {UV_MAPPING_DIMENSION, 1, 2, {0, 0}, {2, 1}},
        {UV_MAPPING_DIMENSION, 1, 0, {0, 0}, {3, 1}},
        {UV_MAPPING_DEFAULT, 1, 3, {0, 0}, {1, 1}},
        {7, 1, 5, {0, 0}, {1, 1}},
        {UV_MAPPING_CUBE, 1, 5, {0, 0}, {0, 0}},
        {UV_MAPPING_CUBE, 1, 4, {0.33333334f, 0.33333334f}, {0.6666667f, 0.6666667f}},
    };
    for (const Case& c : cases) {
        TexturedCuboid box(0, 0, 0, 30, 20, 10, "textures/sky.png", "shaders/basic_textured.vs",
                           "shaders/basic_textured.fs");
        ASSERT_TRUE(box.setup(static_cast<uv_mapping>(c.mapping)));
        glm::vec2 low(1e9f);
        glm::vec2 high(-1e9f);
        for (int v = 0; v < 6; ++v) {
            const float* uv = &box.getVertexData()[(c.face * 6 + v) * 8 + 6];
            low = glm::min(low, glm::vec2(uv[0], uv[1]));
            high = glm::max(high, glm::vec2(uv[0], uv[1]));
        }
        EXPECT_EQ(low, c.low) << "mapping " << c.mapping << " face " << c.face;
        EXPECT_EQ(high, c.high) << "mapping " << c.mapping << " face " << c.face;
    }
}

TEST_F(SkyBoxAndSphere, FacesAreWoundOutwardAroundTheUnitCube) {
    ASSERT_TRUE(package.ok());
    TexturedCuboid box(0, 0, 0, 1, 1, 1, "textures/sky.png", "shaders/basic_textured.vs", "shaders/basic_textured.fs");
    ASSERT_TRUE(box.setup(UV_MAPPING_DEFAULT));
    const std::vector<float>& data = box.getVertexData();
    for (int t = 0; t < 12; ++t) {
        const glm::vec3 a = glm::make_vec3(&data[(t * 3) * 8]);
        const glm::vec3 b = glm::make_vec3(&data[(t * 3 + 1) * 8]);
        const glm::vec3 c = glm::make_vec3(&data[(t * 3 + 2) * 8]);
        const glm::vec3 normal = glm::make_vec3(&data[(t * 3) * 8 + 3]);
        EXPECT_GT(glm::dot(glm::cross(b - a, c - a), normal), 0.0f) << "triangle " << t;
        // Every corner of the face lies on the face's side of the cube.
        EXPECT_FLOAT_EQ(glm::dot(a, normal), 0.5f);
    }
}

TEST_F(SkyBoxAndSphere, BrokenShaderFailsTheSetUpWithABlankLine) {
    ASSERT_TRUE(package.ok());
    struct Case {
        const char* name;
        const char* fragment;
    };
    const Case cases[] = {{"missing", "shaders/absent.fs"}, {"not GLSL", "shaders/broken.fs"}};
    for (const Case& c : cases) {
        CapturedStdout output;
        {
            TexturedCuboid box(0, 0, 0, 1, 1, 1, "textures/sky.png", "shaders/basic_textured.vs", c.fragment);
            EXPECT_FALSE(box.setup(UV_MAPPING_CUBE)) << c.name;
            Icosphere sphere(0, 0, 0, "textures/sun.png", 0, 1, 1);
            // The sphere's program is fixed; only a broken package fails it, so a good one sets up.
            EXPECT_TRUE(sphere.setup()) << c.name;
        }
        const std::string text = output.finish();
        EXPECT_NE(text.find("] Failed to build shader program\n\n"), std::string::npos) << c.name << text;
    }
    // The failed box never took the sky image; the sphere gave its image back.
    EXPECT_EQ(TextureManager::getInstance()->getReferenceCount("textures/sky.png"), 0);
    EXPECT_EQ(TextureManager::getInstance()->getReferenceCount("textures/sun.png"), 0);
}

TEST_F(SkyBoxAndSphere, SphereSilhouetteAtEachPositionItIsDrawn) {
    ASSERT_TRUE(package.ok());
    Icosphere sphere(0, 0, 0, "textures/sun.png", 0.0f, 1.0f, 3);
    ASSERT_TRUE(sphere.setup());
    render_test::clearWindow(0, 0, 0);
    Camera camera = scene_test::lookingAt(glm::vec3(0, -5, 0), glm::vec3(0, 0, 0));
    // At distance 5 a unit sphere spans about 73 pixels of radius.
    sphere.setPos(glm::vec3(-2, 0, 0));
    sphere.render(&camera);
    sphere.setPos(glm::vec3(2, 0, 0));
    sphere.render(&camera);
    scene_test::saveScreenshot("icosphere_two_positions.png");
    struct Probe {
        int x, y;
        bool sphere;
    };
    const int left = 640 - 144;
    const int right = 640 + 144;
    const Probe probes[] = {{left, 360, true},       {right, 360, true},        {right + 65, 360, true},
                            {right, 360 + 65, true}, {right + 100, 360, false}, {right, 360 + 85, false},
                            {640, 360, false},       {left - 100, 360, false}};
    for (const Probe& probe : probes) {
        const testing_support::Rgba pixel = readPixel(probe.x, probe.y);
        EXPECT_TRUE(probe.sphere ? near(pixel, 0, 180, 60, 4) : near(pixel, 0, 0, 0, 0)) << probe.x << ", " << probe.y;
    }
}

}  // namespace
