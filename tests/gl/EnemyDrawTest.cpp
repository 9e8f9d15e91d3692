// The UFOs and their shots with the real package: what is drawn, the player's shots against
// the model's box, and a picture of a fight over plain ground.
#include <GL/glew.h>
#include <gtest/gtest.h>

#include <glm/gtc/matrix_transform.hpp>

#include "RenderTestKit.h"
#include "game/EnemyManager.h"
#include "game/ProjectileManager.h"
#include "render/Model.h"
#include "render/ParticleSystem.h"
#include "render/TexturedCuboid.h"
#include "support/PlanetFakes.h"
#include "support/RunAssets.h"

namespace {

constexpr float kStep = 1.0f / 60.0f;
const glm::vec3 kLight(40.0f, -60.0f, 80.0f), kBody(0.0f, 0.0f, 1.6f);  // the saucer: 0.8 to 2.4 up

struct EnemyScene : ::testing::Test {
    void SetUp() override {
        REQUIRE_RUN_ASSETS();
        ASSERT_TRUE(manager.setup() && projectiles.setup());
        manager.projectileManager = &projectiles;
        srand(5);
        manager.addEnemies();
        glEnable(GL_PROGRAM_POINT_SIZE);
    }
    // The first UFOs where given, flying, the others dead for good; nothing lit on black.
    void place(const std::vector<glm::vec3>& at) {
        for (size_t i = 0; i < 10; ++i) {
            const bool flying = i < at.size();
            auto& ufos = manager.getEnemies();
            *ufos[i] = {flying ? at[i] : glm::vec3(0), {}, 0, 0, flying ? ENEMY_FLYING : ENEMY_DEAD, 0, 1e9f, 50};
        }
        render_test::clearWindow(0, 0, 0);
    }
    testing_support::ScopedWorkingDirectory inside{QUENLOW_RUN_DIR};
    testing_support::FakeTerrain ground;
    EnemyManager manager;
    ProjectileManager projectiles{&ground};
};

bool litAt(Camera& camera, const glm::vec3& point) {
    const glm::vec3 at = glm::project(point, camera.getViewMatrix(), *camera.getPerspectiveMatrix(),
                                      glm::vec4(0.0f, 0.0f, 1280.0f, 720.0f));
    return render_test::isLit(static_cast<int>(at.x), static_cast<int>(at.y));
}

}  // namespace

TEST_F(EnemyScene, LivingUfosAndLiveProjectilesAreDrawnTheRestIsNot) {
    Camera camera = render_test::lookingAt({0.0f, -12.0f, 23.0f}, {0.0f, 0.0f, 23.6f});
    for (int state : {ENEMY_FLYING, ENEMY_HOVERING, ENEMY_ATTACKING, ENEMY_DEAD}) {
        place({{-4.0f, 0.0f, 22.0f}, {4.0f, 0.0f, 22.0f}});
        manager.getEnemies()[1]->state = state;
        manager.render(&camera, kLight);
        EXPECT_TRUE(litAt(camera, glm::vec3(-4.0f, 0.0f, 22.0f) + kBody));
        EXPECT_EQ(litAt(camera, glm::vec3(4.0f, 0.0f, 22.0f) + kBody), state != ENEMY_DEAD) << state;
    }
    const glm::vec3 shots[] = {{-1.0f, 0.0f, 1.0f}, {0.0f, 0.0f, -0.5f}, {1.0f, 0.0f, 1.0f}};  // the middle underground
    for (const glm::vec3& shot : shots) {
        projectiles.add(shot, {0.0f, 0.0f, 1.0f}, 0.01f, 0);
    }
    camera = render_test::lookingAt({0.0f, -3.0f, 0.5f}, {0.0f, 0.0f, 0.3f});
    for (bool stepped : {false, true}) {
        stepped ? projectiles.update(kStep, glm::vec3(100.0f)) : void();
        render_test::clearWindow(0, 0, 0);
        projectiles.render(&camera);
        EXPECT_TRUE(litAt(camera, shots[0]) && litAt(camera, shots[2]));
        EXPECT_NE(litAt(camera, shots[1]), stepped);
    }
}

// Saucers swept out across each edge of the view, near and far, one behind the eye and one
// beside it, cut by the near plane: the frame is that of every living saucer drawn through
// the model, and those wholly outside the view send no triangle.
TEST_F(EnemyScene, SaucersOutOfViewAreLeftOutTheFrameUnchanged) {
    Model whole("models/ufo1/Low_poly_UFO.obj", "shaders/ufo.vs", "shaders/ufo.fs", false);
    ASSERT_TRUE(whole.setup());
    whole.setScale(0.05f, false);
    whole.rotation.x = 1.5707964f;
    const glm::vec3 eye(0.0f, 0.0f, 22.0f), ahead(0.0f, 1.0f, 0.0f), right(1.0f, 0.0f, 0.0f), up(0.0f, 0.0f, 1.0f);
    Camera camera = render_test::lookingAt(eye, eye + ahead);
    const float halfWide = std::atan(1.0f / (*camera.getPerspectiveMatrix())[0][0]);
    const float halfHigh = std::atan(1.0f / (*camera.getPerspectiveMatrix())[1][1]);
    GLuint query = 0;
    glGenQueries(1, &query);
    const auto sentTriangles = [&](const std::function<void()>& draw) {
        glBeginQuery(GL_PRIMITIVES_GENERATED, query);
        draw();
        glEndQuery(GL_PRIMITIVES_GENERATED);
        GLuint triangles = 0;
        glGetQueryObjectuiv(query, GL_QUERY_RESULT, &triangles);
        return triangles;
    };
    GLuint sentByAll = 0;
    GLuint sentByOne = 0;
    constexpr int kRounds = 16;
    for (int round = 0; round < kRounds; ++round) {
        // From a little inside each edge to well past it.
        const float past = glm::radians(-4.0f + 2.5f * static_cast<float>(round));
        std::vector<glm::vec3> at;
        for (float away : {8.0f, 20.0f}) {
            const float wide = halfWide + past;
            const float high = halfHigh + past;
            for (float side : {-1.0f, 1.0f}) {
                at.push_back(eye + away * (std::cos(wide) * ahead + side * std::sin(wide) * right) - kBody);
                at.push_back(eye + away * (std::cos(high) * ahead + side * std::sin(high) * up) - kBody);
            }
        }
        at.push_back(eye - 9.0f * ahead + 2.0f * right);
        at.push_back(eye - kBody + 2.0f * right + 0.1f * static_cast<float>(round % 3) * ahead);
        place(at);
        for (size_t i = 0; i < at.size(); ++i) {
            manager.getEnemies()[i]->spin = 0.7f * static_cast<float>(i + round);
        }
        sentByAll += sentTriangles([&] { manager.render(&camera, kLight); });
        const std::vector<uint8_t> saved = testing_support::readPixels(0, 0, 1280, 720);
        render_test::clearWindow(0, 0, 0);
        for (size_t i = 0; i < at.size(); ++i) {
            whole.setPosition(at[i], false);
            whole.rotation.y = manager.getEnemies()[i]->spin;
            sentByOne = std::max(sentByOne, sentTriangles([&] { whole.render(&camera, kLight); }));
        }
        EXPECT_TRUE(testing_support::readPixels(0, 0, 1280, 720) == saved) << "round " << round;
    }
    // Of the saucers swept out, many were wholly outside by the end.
    EXPECT_GT(sentByOne, 0u);
    EXPECT_LT(sentByAll, kRounds * 10u * sentByOne * 3u / 4u);
    place(std::vector<glm::vec3>(10, eye - 10.0f * ahead));
    EXPECT_EQ(sentTriangles([&] { manager.render(&camera, kLight); }), 0u) << "all behind the eye";
    glDeleteQueries(1, &query);
}

TEST_F(EnemyScene, AShotDamagesTheFirstUfoInSightFiveHitsDestroyIt) {
    const glm::vec3 eye(0.0f, 0.0f, 2.0f), ufo(0.0f, 20.0f, 20.0f), aim = ufo + kBody - eye;
    // The UFOs, the ground's height from 8 to 10 along y, the aim, the first one's health after 7 clicks.
    const std::tuple<std::vector<glm::vec3>, float, glm::vec3, float> cases[] = {
        {{ufo * 2.0f - kBody, ufo}, 0.0f, aim, 0.0f},  // both on the line: one a click, in list order
        {{ufo}, 15.0f, aim, 50.0f},                    // behind a hill
        {{ufo}, 0.0f, -aim, 50.0f}};                   // behind the player
    for (const auto& [ufos, hill, direction, health] : cases) {
        place(ufos);
        testing_support::MessageLog log;
        ground.height = [hill = hill](float, float y) { return y > 8.0f && y < 10.0f ? hill : 0.0f; };
        for (int click = 0; click < 7; ++click) {
            manager.mouseClick(eye, direction, &ground);
            EXPECT_TRUE(health > 0.0f || manager.getExplosion()->isActive() == (click >= 4)) << click;
        }
        EXPECT_TRUE(manager.getEnemies()[0]->health == health &&
                    (manager.getEnemies()[0]->state == ENEMY_DEAD) == (health == 0));
        EXPECT_EQ(log.size(), health == 0.0f ? 1u : 0u);  // the explosion's sound
        EXPECT_EQ(manager.getEnemies()[1]->health, ufos.size() > 1 ? 30.0f : 50.0f);
    }
}

// Ten UFOs over plain ground, three near the player and firing at it, the nearest one just
// shot down: seen from behind the player on the left, through the player's eyes on the right.
TEST_F(EnemyScene, PictureOfAFight) {
    const glm::vec3 eye(0.0f, -50.0f, 2.0f);
    const glm::vec2 spots[] = {{-16, -22}, {14, -21}, {0, -18}, {-70, 10}, {-40, 40},
                               {-10, 70},  {20, 50},  {50, 20}, {75, -5},  {35, -10}};
    for (int i = 0; i < 10; ++i) {
        manager.getEnemies()[i]->pos = glm::vec3(spots[i], 22.0f);
    }
    for (int step = 0; step < 262; ++step) {
        if (step == 250) {  // the first shots are 6 from the player
            for (int click = 0; click < 5; ++click) {
                manager.mouseClick(eye, manager.getEnemies()[2]->pos + kBody - eye, &ground);
            }
        }
        manager.update(kStep, eye, &ground, false);
        projectiles.update(kStep, eye);
    }
    EXPECT_EQ(manager.getEnemies()[2]->state, ENEMY_DEAD);
    TexturedCuboid floor(0, 0, -0.1f, 400, 400, 0.2f, "textures/p1_diffuse_map.png", "shaders/basic_textured.vs",
                         "shaders/basic_textured.fs");
    ASSERT_TRUE(floor.setup(UV_MAPPING_DIMENSION));
    const glm::vec3 views[2][2] = {{{0.0f, -125.0f, 16.0f}, {0.0f, -20.0f, 16.0f}}, {eye, {0.0f, -40.0f, 4.7f}}};
    for (int cell = 0; cell < 2; ++cell) {
        Camera camera = render_test::sheetCell(2, 1, cell, views[cell][0], views[cell][1], {0.49f, 0.61f, 0.77f});
        floor.render(&camera, false, kLight);
        manager.render(&camera, kLight);
        projectiles.render(&camera);
    }
    EXPECT_TRUE(testing_support::near(testing_support::readPixel(960, 500), 255, 255, 240, 30)) << "the burst";
    render_test::saveScreenshot("enemies_fight.png");
}
