// The sky box, the sphere, particles, water, orbit rings, lines and the normal-mapped quad
// drawn into the window.
#include <GL/glew.h>
#include <gtest/gtest.h>

#include <numeric>

#include "SceneKit.h"
#include "render/Circle.h"
#include "render/Icosphere.h"
#include "render/Line.h"
#include "render/ParticleSystem.h"
#include "render/TextureManager.h"
#include "render/TexturedCuboid.h"
#include "render/TexturedQuad.h"
#include "render/Water.h"

using scene_test::colourNear;
using scene_test::isLit;
using testing_support::near;
using testing_support::readPixel;

namespace {

// The sky image: a 3 x 3 grid of 16-pixel cells, rows from the top.
const uint8_t kGrid[3][3][3] = {{{200, 0, 0}, {0, 200, 0}, {0, 0, 200}},
                                {{200, 200, 0}, {0, 200, 200}, {200, 0, 200}},
                                {{100, 50, 0}, {50, 100, 150}, {250, 250, 250}}};

testing_support::Entries drawableEntries() {
    std::vector<uint8_t> pixels;
    for (int i = 0; i < 48 * 48; ++i) {
        pixels.insert(pixels.end(), kGrid[i / 48 / 16][i % 48 / 16], kGrid[i / 48 / 16][i % 48 / 16] + 3);
    }
    testing_support::Entries entries = scene_test::drawableShaders();
    entries.emplace_back("textures/sky.png", render_test::pngBytes(48, 48, 3, pixels));
    entries.emplace_back("textures/sun.png", scene_test::solidPng(4, 4, 0, 180, 60));
    entries.emplace_back("shaders/broken.fs", "#version 330 core\nvoid main() { nonsense }\n");
    entries.emplace_back("textures/particle.bmp", render_test::bmpBytes(2, 2, 3, std::vector<uint8_t>(12, 255)));
    entries.emplace_back("textures/water.png", scene_test::solidPng(4, 4, 60, 90, 120));
    entries.emplace_back("textures/green.png", scene_test::solidPng(2, 2, 40, 220, 60));
    entries.emplace_back("textures/flat_normal.png", scene_test::solidPng(2, 2, 128, 128, 255));
    // A burst of red points that rise one unit per second and live 10 seconds.
    entries.emplace_back("particlesystems/rise.json", R"({"max_particles": 20, "flow": 0,
        "color_start_r": 1, "color_end_r": 1, "size_start": 6, "size_end": 6,
        "lifetime_min": 10, "liftime_max": 10.5, "static_velocity_min_z": 1, "static_velocity_max_z": 1.001})");
    return entries;
}

struct Drawables : ::testing::Test {
    void SetUp() override {
        ASSERT_TRUE(package.ok());
        glEnable(GL_PROGRAM_POINT_SIZE);
        render_test::clearWindow(0, 0, 0);
    }
    render_test::PackageFolder package{drawableEntries()};
    Camera front = scene_test::lookingAt(glm::vec3(0, -10, 0), glm::vec3(0, 0, 0));
    Camera above = scene_test::lookingAt(glm::vec3(0, 0, 10), glm::vec3(0, 0, 0), glm::vec3(0, 1, 0));
};

TEST_F(Drawables, CubeMappingShowsEachFaceItsCellFromInside) {
    TexturedCuboid sky(0, 0, 0, 30, 30, 30, "textures/sky.png", "shaders/basic_textured.vs", "shaders/basic_textured.fs");
    ASSERT_TRUE(sky.setup(UV_MAPPING_CUBE));
    const struct {
        glm::vec3 direction, up;
        int row, column;  // the grid cell seen straight ahead
    } views[] = {{{1, 0, 0}, {0, 0, 1}, 2, 1},  {{-1, 0, 0}, {0, 0, 1}, 0, 1}, {{0, 1, 0}, {0, 0, 1}, 1, 2},
                 {{0, -1, 0}, {0, 0, 1}, 1, 0}, {{0, 0, 1}, {0, 1, 0}, 1, 1},
                 // The bottom samples the image's lower left corner only.
                 {{0, 0, -1}, {0, 1, 0}, 2, 0}};
    for (const auto& view : views) {
        render_test::clearWindow(0, 0, 0);
        Camera camera = scene_test::lookingAt(glm::vec3(0.0f), view.direction, view.up);
        sky.render(&camera, false, glm::vec3(0.0f));
        const uint8_t* expected = kGrid[view.row][view.column];
        // The middle and two thirds of the way to the face's corners.
        for (const glm::ivec2 pixel : {glm::ivec2(640, 360), glm::ivec2(400, 120), glm::ivec2(880, 600)}) {
            EXPECT_TRUE(near(readPixel(pixel.x, pixel.y), expected[0], expected[1], expected[2], 4))
                << view.direction.x << view.direction.y << view.direction.z << " at " << pixel.x;
        }
    }
}

TEST_F(Drawables, MappingsGiveTheFacesOfA30By20By10BoxTheirTextureRanges) {
    const struct {
        int mapping;
        int face;  // +Y, -Y, +X, -X, +Z, -Z
        glm::vec2 low, high;
    } cases[] = {{UV_MAPPING_DIMENSION, 4, {0, 0}, {3, 2}}, {UV_MAPPING_DIMENSION, 2, {0, 0}, {2, 1}},
                 {UV_MAPPING_DIMENSION, 0, {0, 0}, {3, 1}}, {UV_MAPPING_DEFAULT, 3, {0, 0}, {1, 1}},
                 {7, 5, {0, 0}, {1, 1}},                    {UV_MAPPING_CUBE, 5, {0, 0}, {0, 0}},
                 {UV_MAPPING_CUBE, 4, {1 / 3.0f, 1 / 3.0f}, {2 / 3.0f, 2 / 3.0f}}};
    for (const auto& c : cases) {
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
        EXPECT_LT(glm::length(low - c.low) + glm::length(high - c.high), 1e-6f) << c.mapping << " face " << c.face;
    }
}

TEST_F(Drawables, BrokenShaderFailsTheBoxWithABlankLineAndKeepsNoTexture) {
    for (const char* fragment : {"shaders/absent.fs", "shaders/broken.fs"}) {
        testing_support::CapturedStdout output;
        {
            TexturedCuboid box(0, 0, 0, 1, 1, 1, "textures/sky.png", "shaders/basic_textured.vs", fragment);
            EXPECT_FALSE(box.setup(UV_MAPPING_CUBE)) << fragment;
            // The sphere's program is fixed, so it still sets up.
            Icosphere sphere(0, 0, 0, "textures/sun.png", 0, 1, 1);
            EXPECT_TRUE(sphere.setup()) << fragment;
        }
        const std::string text = output.finish();
        EXPECT_NE(text.find("] Failed to build shader program\n\n"), std::string::npos) << fragment << text;
    }
    EXPECT_EQ(TextureManager::getInstance()->getReferenceCount("textures/sky.png"), 0);
    EXPECT_EQ(TextureManager::getInstance()->getReferenceCount("textures/sun.png"), 0);
}

TEST_F(Drawables, SphereSilhouetteAtEachPositionItIsDrawn) {
    Icosphere sphere(0, 0, 0, "textures/sun.png", 0.0f, 1.0f, 3);
    ASSERT_TRUE(sphere.setup());
    Camera camera = scene_test::lookingAt(glm::vec3(0, -5, 0), glm::vec3(0, 0, 0));
    for (float x : {-2.0f, 2.0f}) {
        sphere.setPos(glm::vec3(x, 0, 0));
        sphere.render(&camera);
    }
    // At distance 5 a unit sphere two units aside spans about 73 pixels of radius round x +-144.
    const int probes[][3] = {{496, 360, 1}, {784, 360, 1}, {849, 360, 1}, {784, 425, 1},
                             {884, 360, 0}, {784, 445, 0}, {640, 360, 0}, {396, 360, 0}};  // x, y, sphere seen
    for (const auto& p : probes) {
        EXPECT_TRUE(near(readPixel(p[0], p[1]), 0, 180 * p[2], 60 * p[2], 4 * p[2])) << p[0] << ", " << p[1];
    }
}

// The blended drawables leave blending off and depth writes on, as the next draw expects.
void expectStateRestored(const char* who) {
    GLboolean depthWrites = GL_FALSE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depthWrites);
    EXPECT_EQ(depthWrites, GL_TRUE) << who;
    EXPECT_FALSE(glIsEnabled(GL_BLEND)) << who;
}

TEST_F(Drawables, BurstIsDrawnWhereTheMotionLawPutsIt) {
    ParticleSystem particles("particlesystems/rise.json", false);
    ASSERT_TRUE(particles.setup());
    particles.position = glm::vec3(2, 0, 0);
    particles.render(&front);
    EXPECT_FALSE(colourNear(640 + 72, 360, 8, 255, 0, 0, 200)) << "dead slots are not drawn";
    particles.activateOnce(glm::vec3(0, 0, -1));
    particles.update(0.01f);
    particles.update(1.0f);
    render_test::clearWindow(0, 0, 0);
    particles.render(&front);
    expectStateRestored("particles");
    // Started at (2, 0, -1) in the world, risen one unit in about a second: near (2, 0, 0).
    EXPECT_TRUE(colourNear(640 + 72, 360, 2, 255, 0, 0, 30));
    EXPECT_FALSE(isLit(640 + 72, 360 - 36)) << "not left at the start";
    EXPECT_FALSE(isLit(640, 360)) << "not at the system's own origin";
}

long middleSum() {
    const std::vector<uint8_t> pixels = testing_support::readPixels(560, 280, 160, 160);
    return std::accumulate(pixels.begin(), pixels.end(), 0L);
}

TEST_F(Drawables, WaterMovesWithItsClockAddsToTheSceneAndFollowsItsOffset) {
    Water water(12, glm::vec3(-6, -6, 0), "textures/water.png");
    ASSERT_TRUE(water.setup());
    const glm::vec3 light(0, 0, 20);
    water.render(&above, light, glm::vec3(0.0f));
    expectStateRestored("water");
    const long before = middleSum();
    EXPECT_GT(before, 0);
    EXPECT_FALSE(isLit(640 + 300, 360)) << "the patch ends 6 units out";
    water.update(3.0f);
    render_test::clearWindow(0, 0, 0);
    water.render(&above, light, glm::vec3(0.0f));
    EXPECT_NE(middleSum(), before) << "the waves move with the clock";
    // Additive: drawn over a grey floor the water only brightens it.
    render_test::clearWindow(0.3f, 0.3f, 0.3f);
    water.render(&above, light, glm::vec3(0.0f));
    EXPECT_TRUE(colourNear(640, 360, 0, 255, 255, 255, 255 - 76)) << "darker than the floor";
    render_test::clearWindow(0, 0, 0);
    water.render(&above, light, glm::vec3(20, 0, 0));
    EXPECT_FALSE(isLit(640, 360)) << "the offset moves the whole patch";
}

TEST_F(Drawables, RingLineAndQuadAppearWhereAndInTheColourExpected) {
    Circle circle(1, 0, 0, 1.0f, 100);
    Line line(glm::vec3(-1, 0, 0), glm::vec3(1, 0, 0), glm::vec3(1, 1, 0));
    TexturedQuad quad(0, 0, 0, 4, 2, "textures/green.png", "textures/flat_normal.png", "shaders/texture_light.vs",
                      "shaders/texture_light.fs", 1);
    ASSERT_TRUE(circle.setup() && line.setup() && quad.setup());
    // A ring of radius 3 round (1, 0, 0): 108 pixels round x = 676 at distance 10.
    circle.scale = 3.0f;
    circle.render(&above);
    for (const glm::ivec3 probe : {glm::ivec3(784, 360, 1), glm::ivec3(568, 360, 1), glm::ivec3(676, 468, 1),
                                   glm::ivec3(676, 360, 0), glm::ivec3(736, 360, 0), glm::ivec3(826, 360, 0)}) {
        EXPECT_EQ(colourNear(probe.x, probe.y, 2, 89, 115, 153, 10), probe.z != 0) << probe.x << ", " << probe.y;
    }
    // A yellow line along x, then moved onto y.
    render_test::clearWindow(0, 0, 0);
    line.render(&above);
    EXPECT_TRUE(colourNear(660, 360, 1, 255, 255, 0, 10));
    line.setLinePoints(glm::vec3(0, -1, 0), glm::vec3(0, 1, 0));
    render_test::clearWindow(0, 0, 0);
    line.render(&above);
    EXPECT_FALSE(colourNear(660, 360, 1, 255, 255, 0, 10));
    EXPECT_TRUE(colourNear(640, 380, 1, 255, 255, 0, 10));
    // The 4 x 2 quad centred on (1, 2, 3), 7 units from the eye: 51 pixels a unit.
    render_test::clearWindow(0, 0, 0);
    quad.setPosition(glm::vec3(1, 2, 3));
    quad.render(&above, nullptr);
    EXPECT_TRUE(isLit(691, 463) && isLit(788, 463));
    EXPECT_FALSE(isLit(804, 463) || isLit(691, 525));
    const testing_support::Rgba pixel = testing_support::readPixel(691, 463);
    EXPECT_GT(pixel.g, pixel.r * 3) << "the quad sets no light: its texture shows at the ambient share";
}

}  // namespace
