// The UFOs' shots drawn as the planet view draws them, held pixel for pixel against the same
// fight with every shot drawn whole, one by one, through the sphere's own draw: shots in view
// near and far, out of view, cut by the near plane and around the eye; crowds of shots whose
// outlines meet, where the near side's depth only just parts from the far side's; and states
// of the draw in which the far side shows through.
#include <GL/glew.h>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <random>

#include "RenderTestKit.h"
#include "game/EnemyManager.h"
#include "game/ProjectileManager.h"
#include "render/Icosphere.h"
#include "render/TexturedCuboid.h"
#include "support/PlanetFakes.h"
#include "support/RunAssets.h"

namespace {

const glm::vec3 kLight(40.0f, -60.0f, 80.0f);
constexpr unsigned int kSphereTriangles = 20480;

// Where a shot lies from the eye: so far ahead, and so far to the right and up.
struct Offset {
    float ahead, right, up;
};

struct View {
    const char* what;
    glm::vec3 eye, target;
    std::vector<Offset> shots;
    int cell;     // -1: the whole window; else that of two cells side by side
    float share;  // at most this share of the shots' triangles is sent
};

struct ShotScene : ::testing::Test {
    void SetUp() override {
        REQUIRE_RUN_ASSETS();
        ASSERT_TRUE(manager.setup() && whole.setup() && floor.setup(UV_MAPPING_DIMENSION));
        srand(5);
        manager.addEnemies();
        const glm::vec2 spots[] = {{-16, -22}, {14, -21}, {0, -18}, {-70, 10}, {-40, 40},
                                   {-10, 70},  {20, 50},  {50, 20}, {75, -5},  {35, -10}};
        for (int i = 0; i < 10; ++i) {
            manager.getEnemies()[i]->pos = glm::vec3(spots[i], 22.0f);
        }
    }
    // The shots, still, at the given places, in a pool of their own.
    void fire(const std::vector<glm::vec3>& at) {
        projectiles = std::make_unique<ProjectileManager>(&ground);
        ASSERT_TRUE(projectiles->setup());
        for (const glm::vec3& shot : at) {
            projectiles->add(shot, glm::vec3(1.0f, 0.0f, 0.0f), 0.0f, 0);
        }
    }
    // The fight as the planet view draws it, the shots by `drawShots` in the state that
    // `setState` leaves; the window read back.
    std::vector<uint8_t> frame(
        const View& view, const std::function<void(Camera&)>& drawShots,
        const std::function<void()>& setState = [] {}) {
        glEnable(GL_POLYGON_SMOOTH);
        glEnable(GL_PROGRAM_POINT_SIZE);
        render_test::clearWindow(0.3f, 0.1f, 0.2f);
        Camera camera = view.cell < 0
                            ? render_test::lookingAt(view.eye, view.target)
                            : render_test::sheetCell(2, 1, view.cell, view.eye, view.target, {0.49f, 0.61f, 0.77f});
        floor.render(&camera, false, kLight);
        manager.render(&camera, kLight);
        setState();
        drawShots(camera);
        glDisable(GL_BLEND);
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(GL_LESS);
        glDepthMask(GL_TRUE);
        glViewport(0, 0, 1280, 720);
        glDisable(GL_POLYGON_SMOOTH);
        return testing_support::readPixels(0, 0, 1280, 720);
    }
    void drawWhole(Camera& camera) {
        for (int i = 0; i < ProjectileManager::kPoolSize; ++i) {
            if (projectiles->getProjectile(i)->active) {
                whole.setPos(projectiles->getProjectile(i)->position);
                whole.render(&camera);
            }
        }
    }

    testing_support::ScopedWorkingDirectory inside{QUENLOW_RUN_DIR};
    testing_support::FakeTerrain ground;
    EnemyManager manager;
    std::unique_ptr<ProjectileManager> projectiles;
    Icosphere whole{0.0f, 0.0f, 0.0f, "textures/sunmap.jpg", 0.0f, 0.1f, 5};
    TexturedCuboid floor{0,
                         0,
                         -0.1f,
                         400,
                         400,
                         0.2f,
                         "textures/p1_diffuse_map.png",
                         "shaders/basic_textured.vs",
                         "shaders/basic_textured.fs"};
};

glm::vec3 placed(const View& view, const Offset& offset) {
    const glm::vec3 forward = glm::normalize(view.target - view.eye);
    const glm::vec3 right = glm::normalize(glm::cross(forward, glm::vec3(0.0f, 0.0f, 1.0f)));
    const glm::vec3 up = glm::cross(right, forward);
    return view.eye + offset.ahead * forward + offset.right * right + offset.up * up;
}

int differingPixels(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    int count = 0;
    for (size_t i = 0; i < a.size(); i += 4) {
        count += a[i] != b[i] || a[i + 1] != b[i + 1] || a[i + 2] != b[i + 2] ? 1 : 0;
    }
    return count;
}

}  // namespace

TEST_F(ShotScene, EveryPixelIsThatOfTheShotsDrawnWhole) {
    const glm::vec3 eye(0.0f, -50.0f, 2.0f), ahead(0.0f, -40.0f, 4.7f);
    // Ahead from a tenth beyond the sphere to the far plane, at the edges of the view, and
    // behind, above and beside the player; then the near plane cutting a shot open.
    const std::vector<Offset> fight = {
        {0.45f, 0.1f, 0.05f}, {0.8f, -0.3f, 0.1f},  {1.5f, 0.4f, -0.2f},  {3.0f, -1.0f, 0.5f},  {6.0f, 2.0f, 1.0f},
        {12.0f, 0.0f, 0.0f},  {12.5f, 0.3f, 0.1f},  {25.0f, -6.0f, 2.0f}, {60.0f, 20.0f, 5.0f}, {150.0f, -40.0f, 8.0f},
        {390.0f, 0.0f, 0.0f}, {10.0f, 17.6f, 0.0f}, {10.0f, 0.0f, -9.9f}, {-5.0f, 0.0f, 0.0f},  {0.0f, 0.0f, 3.0f},
        {2.0f, -30.0f, 0.0f}, {0.13f, 0.0f, 0.0f}};
    const View views[] = {
        {"a fight ahead", eye, ahead, fight, -1, 0.25f},
        {"the same in a cell of its own", eye, ahead, fight, 1, 0.25f},
        {"the near plane cutting a shot open", eye, ahead, {{0.105f, 0.0f, 0.0f}, {4.0f, 0.5f, 0.2f}}, -1, 0.75f},
        {"the eye inside a shot", eye, ahead, {{0.02f, 0.03f, 0.0f}, {3.0f, 0.0f, 0.0f}}, -1, 0.75f},
        {"every shot out of view", eye, ahead, {{-3.0f, 0.0f, 0.0f}, {1.0f, 0.0f, 4.0f}, {1.0f, 5.0f, 0.0f}}, -1, 0.0f},
        // Only the near side of a shot seen whole in the middle of the view is sent, and of
        // that only what lies over samples.
        {"one shot three units ahead", eye, ahead, {{3.0f, 0.1f, 0.05f}}, -1, 0.05f},
        // Far from the origin the renderer rounds coarsely, and the savings shrink with it.
        {"from far out on the plain", glm::vec3(2400.0f, -1800.0f, 3.0f), glm::vec3(2390.0f, -1795.0f, 3.5f), fight, -1,
         1.0f},
    };
    for (const View& view : views) {
        std::vector<glm::vec3> at;
        for (const Offset& offset : view.shots) {
            at.push_back(placed(view, offset));
        }
        fire(at);
        const std::vector<uint8_t> none = frame(view, [](Camera&) {});
        const std::vector<uint8_t> saved = frame(view, [&](Camera& camera) { projectiles->render(&camera); });
        const unsigned int sent = projectiles->getSentTriangleCount();
        const std::vector<uint8_t> reference = frame(view, [&](Camera& camera) { drawWhole(camera); });
        const int differing = differingPixels(saved, reference);
        EXPECT_EQ(differing, 0) << view.what;
        if (differing != 0) {
            render_test::saveScreenshot(std::string("shots_whole_") + view.what + ".png");
        }
        // Shots in view show, and the savings are real: few of their triangles are sent.
        EXPECT_EQ(differingPixels(none, reference) == 0, view.share == 0.0f) << view.what;
        EXPECT_LE(sent, static_cast<unsigned int>(view.share * kSphereTriangles * at.size())) << view.what;
    }
}

// Twenty shots at a time flying about a player who looks around: in every frame, every pixel.
TEST_F(ShotScene, RandomFightsMatchPixelForPixel) {
    std::mt19937 random(18);
    std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
    for (int round = 0; round < 8; ++round) {
        const glm::vec3 eye(unit(random) * 300.0f, unit(random) * 300.0f, 1.0f + 3.0f * std::abs(unit(random)));
        const glm::vec3 target = eye + glm::vec3(unit(random), unit(random), 0.3f * unit(random));
        std::vector<glm::vec3> at;
        for (int shot = 0; shot < ProjectileManager::kPoolSize; ++shot) {
            const float distance = 0.2f + 40.0f * std::pow(std::abs(unit(random)), 2.0f);
            at.push_back(eye + distance * glm::normalize(glm::vec3(unit(random), unit(random), 0.5f * unit(random))));
        }
        fire(at);
        const View view{"random", eye, target, {}, round % 3 == 2 ? 0 : -1, 1.0f};
        const std::vector<uint8_t> saved = frame(view, [&](Camera& camera) { projectiles->render(&camera); });
        const std::vector<uint8_t> reference = frame(view, [&](Camera& camera) { drawWhole(camera); });
        EXPECT_EQ(differingPixels(saved, reference), 0) << "round " << round;
    }
}

// Shots crowding the view at a few units, their outlines over one another: where the far
// side's depth comes closest to the near side's, and a shot's far side is seen past another's
// outline.
TEST_F(ShotScene, CrowdsOfShotsMatchPixelForPixel) {
    std::mt19937 random(29);
    std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
    const glm::vec3 eye(10.0f, -20.0f, 2.0f), ahead(10.0f, -10.0f, 3.0f);
    for (int round = 0; round < 6; ++round) {
        std::vector<Offset> crowd;
        for (int shot = 0; shot < ProjectileManager::kPoolSize; ++shot) {
            const float distance = 0.8f + 7.0f * std::abs(unit(random));
            crowd.push_back({distance, 0.5f * distance * unit(random), 0.4f * distance * unit(random)});
        }
        const View view{"crowd", eye, ahead, crowd, round % 2 == 0 ? -1 : 1, 1.0f};
        std::vector<glm::vec3> at;
        for (const Offset& offset : view.shots) {
            at.push_back(placed(view, offset));
        }
        fire(at);
        const std::vector<uint8_t> saved = frame(view, [&](Camera& camera) { projectiles->render(&camera); });
        const std::vector<uint8_t> reference = frame(view, [&](Camera& camera) { drawWhole(camera); });
        EXPECT_EQ(differingPixels(saved, reference), 0) << "round " << round;
    }
}

// Drawn where a pixel does not show its nearest fragment alone, the far side shows through
// and must be drawn as before.
TEST_F(ShotScene, TheFarSideIsDrawnWhereItShows) {
    const glm::vec3 eye(0.0f, -50.0f, 2.0f), ahead(0.0f, -40.0f, 4.7f);
    const std::pair<const char*, std::function<void()>> states[] = {
        {"added up",
         [] {
             glEnable(GL_BLEND);
             glBlendFunc(GL_ONE, GL_ONE);
         }},
        {"without the depth test", [] { glDisable(GL_DEPTH_TEST); }},
        {"every fragment passing", [] { glDepthFunc(GL_ALWAYS); }},
        {"without depth writes", [] { glDepthMask(GL_FALSE); }},
    };
    const View view{"state", eye, ahead, {{1.0f, 0.1f, 0.0f}, {3.0f, -0.5f, 0.2f}, {8.0f, 1.0f, 0.5f}}, -1, 1.0f};
    std::vector<glm::vec3> at;
    for (const Offset& offset : view.shots) {
        at.push_back(placed(view, offset));
    }
    fire(at);
    for (const auto& [what, setState] : states) {
        const std::vector<uint8_t> saved = frame(
            view, [&](Camera& camera) { projectiles->render(&camera); }, setState);
        const std::vector<uint8_t> reference = frame(
            view, [&](Camera& camera) { drawWhole(camera); }, setState);
        EXPECT_EQ(differingPixels(saved, reference), 0) << what;
    }
}
