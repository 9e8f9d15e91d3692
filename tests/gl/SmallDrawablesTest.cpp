// Particles, water, orbit rings, lines and the normal-mapped quad drawn into the window,
// and every shader of the 3D drawables built from its package source.
#include <GL/glew.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <numeric>

#include "SceneKit.h"
#include "render/Circle.h"
#include "render/Line.h"
#include "render/ParticleSystem.h"
#include "render/ProgramManager.h"
#include "render/TexturedQuad.h"
#include "render/Water.h"

using testing_support::CapturedStdout;
using testing_support::near;
using testing_support::readPixel;

namespace {

std::string checkerPng(int size, int cell) {
    std::vector<uint8_t> pixels;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const uint8_t value = ((x / cell + y / cell) % 2) != 0 ? 230 : 30;
            pixels.insert(pixels.end(), {value, value, static_cast<uint8_t>(255 - value)});
        }
    }
    return render_test::pngBytes(size, size, 3, pixels);
}

testing_support::Entries smallEntries() {
    testing_support::Entries entries = scene_test::drawableShaders();
    entries.emplace_back("textures/particle.bmp", render_test::bmpBytes(2, 2, 3, std::vector<uint8_t>(12, 255)));
    entries.emplace_back("textures/water.png", checkerPng(32, 4));
    entries.emplace_back("textures/green.png", scene_test::solidPng(2, 2, 40, 220, 60));
    entries.emplace_back("textures/flat_normal.png", scene_test::solidPng(2, 2, 128, 128, 255));
    // A burst of red points that rise one unit per second and live 10 seconds.
    entries.emplace_back("particlesystems/rise.json", R"({"max_particles": 20, "flow": 0,
        "color_start_r": 1, "color_end_r": 1, "size_start": 6, "size_end": 6,
        "lifetime_min": 10, "liftime_max": 10.5, "static_velocity_min_z": 1, "static_velocity_max_z": 1.001})");
    // A flowing system that never spawns: every slot stays dead at the origin.
    entries.emplace_back("particlesystems/idle.json", R"({"max_particles": 20, "flow": 0,
        "color_start_r": 1, "color_start_g": 1, "color_start_b": 1, "size_start": 12, "size_end": 12})");
    return entries;
}

class SmallDrawables : public ::testing::Test {
protected:
    void SetUp() override { glEnable(GL_PROGRAM_POINT_SIZE); }
    render_test::PackageFolder package{smallEntries()};
    Camera front = scene_test::lookingAt(glm::vec3(0, -10, 0), glm::vec3(0, 0, 0));
    Camera above = scene_test::lookingAt(glm::vec3(0, 0, 10), glm::vec3(0, 0, 0), glm::vec3(0, 1, 0));
};

void expectStateRestored(const char* who) {
    GLboolean depthWrites = GL_FALSE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depthWrites);
    EXPECT_EQ(depthWrites, GL_TRUE) << who;
    EXPECT_FALSE(glIsEnabled(GL_BLEND)) << who;
    GLint vertexArray = -1;
    glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &vertexArray);
    EXPECT_EQ(vertexArray, 0) << who;
}

TEST_F(SmallDrawables, EveryDrawableShaderBuilds) {
    ASSERT_TRUE(package.ok());
    struct Triple {
        const char* vertex;
        const char* fragment;
        const char* geometry;
    };
    const Triple programs[] = {
        {"shaders/basic_textured.vs", "shaders/basic_textured.fs", ""},
        {"shaders/model.vs", "shaders/model.fs", ""},
        {"shaders/model.vs", "shaders/model_material.fs", ""},
        {"shaders/particlesystem.vs", "shaders/particlesystem.fs", ""},
        {"shaders/water.vs", "shaders/water.fs", ""},
        {"shaders/circle.vs", "shaders/circle.fs", ""},
        {"shaders/line.vs", "shaders/line.fs", ""},
        {"shaders/shownormals.vs", "shaders/shownormals.fs", "shaders/shownormals.gs"},
        {"shaders/texture_light.vs", "shaders/texture_light.fs", ""},
    };
    for (const Triple& p : programs) {
        CapturedStdout output;
        EXPECT_NE(ProgramManager::getInstance()->loadProgram(p.vertex, p.fragment, p.geometry), nullptr) << p.fragment;
        EXPECT_EQ(output.finish(), "") << p.fragment;
        ProgramManager::getInstance()->freeProgram(p.vertex, p.fragment, p.geometry);
    }
}

TEST_F(SmallDrawables, BurstIsDrawnWhereTheMotionLawPutsIt) {
    ASSERT_TRUE(package.ok());
    ParticleSystem particles("particlesystems/rise.json", false);
    ASSERT_TRUE(particles.setup());
    particles.position = glm::vec3(2, 0, 0);

    render_test::clearWindow(0, 0, 0);
    particles.render(&front);
    EXPECT_FALSE(scene_test::isLit(640 + 72, 360)) << "nothing before the burst";

    particles.activateOnce(glm::vec3(0, 0, -1));
    particles.update(0.01f);
    particles.update(1.0f);
    render_test::clearWindow(0, 0, 0);
    particles.render(&front);
    scene_test::saveScreenshot("particles_burst.png");
    expectStateRestored("particles");
    // Started at (2, 0, -1) in the world, risen one unit in about a second: near (2, 0, 0).
    EXPECT_TRUE(scene_test::colourNear(640 + 72, 360, 2, 255, 0, 0, 30));
    EXPECT_FALSE(scene_test::isLit(640 + 72, 360 - 36)) << "not left at the start";
    EXPECT_FALSE(scene_test::isLit(640, 360)) << "not at the system's own origin";
}

TEST_F(SmallDrawables, DeadParticlesAreNotDrawn) {
    ASSERT_TRUE(package.ok());
    ParticleSystem particles("particlesystems/idle.json", true);
    ASSERT_TRUE(particles.setup());
    particles.update(0.1f);
    render_test::clearWindow(0, 0, 0);
    particles.render(&front);
    expectStateRestored("idle particles");
    EXPECT_FALSE(scene_test::colourNear(640, 360, 8, 255, 255, 255, 200));
}

// Sum of the colour bytes of a block of the window.
long regionSum(int x, int y, int size) {
    const std::vector<uint8_t> pixels = testing_support::readPixels(x, y, size, size);
    return std::accumulate(pixels.begin(), pixels.end(), 0L);
}

TEST_F(SmallDrawables, WaterMovesWithItsClockAndBlendsOverTheScene) {
    ASSERT_TRUE(package.ok());
    Water water(12, glm::vec3(-6, -6, 0), "textures/water.png");
    ASSERT_TRUE(water.setup());
    render_test::clearWindow(0, 0, 0);
    water.render(&above, glm::vec3(0, 0, 20), glm::vec3(0.0f));
    expectStateRestored("water");
    const long before = regionSum(560, 280, 160);
    EXPECT_GT(before, 0);
    EXPECT_FALSE(scene_test::isLit(640 + 300, 360)) << "the patch ends 6 units out";
    scene_test::saveScreenshot("water.png");

    water.update(3.0f);
    render_test::clearWindow(0, 0, 0);
    water.render(&above, glm::vec3(0, 0, 20), glm::vec3(0.0f));
    EXPECT_NE(regionSum(560, 280, 160), before);

    // Additive: drawn over a grey floor the water only brightens it.
    render_test::clearWindow(0.3f, 0.3f, 0.3f);
    water.render(&above, glm::vec3(0, 0, 20), glm::vec3(0.0f));
    const testing_support::Rgba pixel = readPixel(640, 360);
    EXPECT_GE(std::min({pixel.r, pixel.g, pixel.b}), 76);

    // The offset moves the whole patch.
    render_test::clearWindow(0, 0, 0);
    water.render(&above, glm::vec3(0, 0, 20), glm::vec3(20, 0, 0));
    EXPECT_FALSE(scene_test::isLit(640, 360));
}

TEST_F(SmallDrawables, CircleIsARingAtItsScale) {
    ASSERT_TRUE(package.ok());
    Circle circle(1, 0, 0, 1.0f, 100);
    ASSERT_TRUE(circle.setup());
    circle.scale = 3.0f;
    render_test::clearWindow(0, 0, 0);
    circle.render(&above);
    scene_test::saveScreenshot("circle.png");
    // Radius 3 around (1, 0, 0) at distance 10: 108 pixels around x = 676.
    const int centreX = 640 + 36;
    struct Probe {
        int x, y;
        bool ring;
    };
    const Probe probes[] = {{centreX + 108, 360, true}, {centreX - 108, 360, true}, {centreX, 360 + 108, true},
                            {centreX, 360 - 108, true}, {centreX, 360, false},      {centreX + 60, 360, false},
                            {centreX + 150, 360, false}};
    for (const Probe& probe : probes) {
        EXPECT_EQ(scene_test::colourNear(probe.x, probe.y, 2, 89, 115, 153, 10), probe.ring)
            << probe.x << ", " << probe.y;
    }
}

TEST_F(SmallDrawables, LineFollowsItsNewPoints) {
    ASSERT_TRUE(package.ok());
    Line line(glm::vec3(-1, 0, 0), glm::vec3(1, 0, 0), glm::vec3(1, 1, 0));
    ASSERT_TRUE(line.setup());
    render_test::clearWindow(0, 0, 0);
    line.render(&above);
    EXPECT_TRUE(scene_test::colourNear(640 + 20, 360, 1, 255, 255, 0, 10));
    line.setLinePoints(glm::vec3(0, -1, 0), glm::vec3(0, 1, 0));
    render_test::clearWindow(0, 0, 0);
    line.render(&above);
    EXPECT_FALSE(scene_test::colourNear(640 + 20, 360, 1, 255, 255, 0, 10));
    EXPECT_TRUE(scene_test::colourNear(640, 360 + 20, 1, 255, 255, 0, 10));
}

TEST_F(SmallDrawables, QuadFacesUpAtItsPosition) {
    ASSERT_TRUE(package.ok());
    TexturedQuad quad(0, 0, 0, 4, 2, "textures/green.png", "textures/flat_normal.png", "shaders/texture_light.vs",
                      "shaders/texture_light.fs", 1);
    ASSERT_TRUE(quad.setup());
    quad.setPosition(glm::vec3(1, 2, 3));
    render_test::clearWindow(0, 0, 0);
    quad.render(&above, nullptr);
    scene_test::saveScreenshot("quad.png");
    // Centred on (1, 2) at 7 units from the eye: 51 pixels a unit, 4 x 2 units.
    const float perUnit = 360.0f / 7.0f;
    const int x = 640 + static_cast<int>(perUnit);
    const int y = 360 + static_cast<int>(2 * perUnit);
    EXPECT_TRUE(scene_test::isLit(x, y));
    EXPECT_TRUE(scene_test::isLit(x + static_cast<int>(1.9f * perUnit), y));
    EXPECT_FALSE(scene_test::isLit(x + static_cast<int>(2.2f * perUnit), y));
    EXPECT_FALSE(scene_test::isLit(x, y + static_cast<int>(1.2f * perUnit)));
    const testing_support::Rgba pixel = readPixel(x, y);
    // The quad sets no light: the texture shows at the ambient share only.
    EXPECT_GT(pixel.g, pixel.r * 3);
}

}  // namespace
