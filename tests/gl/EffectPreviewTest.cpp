// The game's particle effects and water from its own package, each at three moments of its
// run, in two contact sheets of build/test-output for people to look at.
#include <GL/glew.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <memory>
#include <string>

#include "SceneKit.h"
#include "render/ParticleSystem.h"
#include "render/ParticleSystemController.h"
#include "render/TexturedCuboid.h"
#include "render/Water.h"

namespace {

constexpr float kStep = 1.0f / 60.0f;
const glm::vec3 kNight(0.04f, 0.05f, 0.08f);

// Steers the engine's flame as the rocket does: from its nozzle, answering upward-positive.
class Nozzle : public ParticleSystemController {
public:
    bool getSpawnPosition(glm::vec3& out) override { return (out = glm::vec3(0.0f), true); }
    bool getVelocity(glm::vec3& out) override { return (out = glm::vec3(0.0f, 0.0f, 6.0f), true); }
    bool getFlowRate(float& out) override { return (out = 100.0f, true); }
    bool getAngle(float&) override { return false; }
    bool getActive(bool& out) override { return (out = true, true); }
};

TEST(EffectPreviews, EachEffectAndTheWaterAtThreeMoments) {
    const std::string runDir = QUENLOW_RUN_DIR;
    if (access((runDir + "/data.tul").c_str(), R_OK) != 0) {
        GTEST_SKIP() << "no data.tul in " << runDir;
    }
    testing_support::ScopedWorkingDirectory inside(runDir);
    glEnable(GL_PROGRAM_POINT_SIZE);
    const struct {
        const char* name;
        glm::vec3 position, eye, target;
        float moments[3];  // seconds since the start
    } subjects[] = {
        {"artefact", {0, 0, 0}, {0, -7, 1}, {0, 0, 0.5f}, {0.5f, 1.0f, 2.5f}},
        {"death", {0, 0, 0}, {0, -26, 4}, {0, 0, 2}, {0.2f, 0.6f, 1.4f}},
        {"explosion", {0, 0, 0}, {0, -26, 4}, {0, 0, 0}, {0.1f, 0.4f, 0.9f}},
        {"glow", {0, 0, 0}, {0, -22, 6}, {0, 0, 0}, {0.5f, 1.5f, 3.0f}},
        {"rocketengine", {0, 0, 0}, {0, -16, 0}, {0, 0, -4}, {0.2f, 0.7f, 2.0f}},
        {"smoke", {0, 0, 0}, {0, -20, 4}, {0, 0, 4}, {0.3f, 1.0f, 2.5f}},
        {"snow", {0, 0, 40}, {0, -110, 25}, {0, 0, 20}, {1.0f, 4.0f, 12.0f}},
        {"starfield", {0, 0, 0}, {0, -1, 40}, {0, 0, -40}, {1.0f, 4.0f, 12.0f}},
        {"water", {-14, -14, 0.3f}, {0, -22, 12}, {0, 0, 0}, {0.0f, 1.0f, 3.0f}},
    };
    Nozzle nozzle;
    for (int subject = 0; subject < 9; ++subject) {
        const auto& s = subjects[subject];
        const bool isWater = std::string(s.name) == "water";
        std::unique_ptr<ParticleSystem> effect;
        std::unique_ptr<Water> water;
        std::unique_ptr<TexturedCuboid> ground;
        if (isWater) {
            water = std::make_unique<Water>(28, s.position, "textures/water.jpg");
            ground = std::make_unique<TexturedCuboid>(0, 0, 0, 28, 28, 0.2f, "textures/p1_diffuse_map.png",
                                                      "shaders/basic_textured.vs", "shaders/basic_textured.fs");
            ASSERT_TRUE(water->setup() && ground->setup(UV_MAPPING_DIMENSION));
        } else {
            effect = std::make_unique<ParticleSystem>(std::string("particlesystems/") + s.name + ".json", true);
            ASSERT_TRUE(effect->setup()) << s.name;
            effect->position = s.position;
            if (std::string(s.name) == "rocketengine") {
                effect->setParticleSystemController(&nozzle);
            } else if (effect->getFlow() == 0.0f) {
                effect->activateOnce(glm::vec3(0.0f));
            }
        }
        if (subject % 6 == 0) {
            render_test::clearWindow(0, 0, 0);
        }
        float clock = 0.0f;
        for (int moment = 0; moment < 3; ++moment) {
            for (; clock < s.moments[moment]; clock += kStep) {
                isWater ? water->update(kStep) : effect->update(kStep);
            }
            const int cell = (subject % 6) / 2 * 6 + subject % 2 * 3 + moment;
            Camera camera = scene_test::sheetCell(6, 3, cell, s.eye, s.target, isWater ? glm::vec3(0.5f) : kNight);
            if (isWater) {
                ground->render(&camera, false, glm::vec3(0.0f));
                water->render(&camera, glm::vec3(30, -30, 40), glm::vec3(0.0f));
            } else {
                effect->render(&camera);
            }
        }
        if (subject == 5 || subject == 8) {
            scene_test::saveSheet(subject == 5 ? "effects_1.png" : "effects_2.png");
        }
    }
}

}  // namespace
