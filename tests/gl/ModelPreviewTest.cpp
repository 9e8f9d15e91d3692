// The packaged models drawn by the game's own Model class and shaders the way their users
// draw them: forest objects and planets through their mesh sets, the rocket on its landing
// point, a UFO at its flying height with its own shader; then the particle effects and the
// water in motion. Pictures go to build/test-output for people to look at.
#include <GL/glew.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "SceneKit.h"
#include "render/Model.h"
#include "render/ParticleSystem.h"
#include "render/ParticleSystemController.h"
#include "render/ProgramManager.h"
#include "render/ShaderProgram.h"
#include "render/TexturedCuboid.h"
#include "render/Water.h"

namespace {

constexpr float kQuarterTurn = 1.5707964f;
const glm::vec3 kSky(0.62f, 0.78f, 0.92f);

// A kind of object: the meshes of its mesh set and its pivot.
using MeshSetSpec = std::pair<std::vector<int>, glm::vec3>;

struct Packaged : ::testing::Test {
    void SetUp() override {
        const std::string runDir = QUENLOW_RUN_DIR;
        if (access((runDir + "/data.tul").c_str(), R_OK) != 0) {
            GTEST_SKIP() << "no data.tul in " << runDir;
        }
        inside = std::make_unique<testing_support::ScopedWorkingDirectory>(runDir);
        render_test::clearWindow(kSky.r, kSky.g, kSky.b);
    }

    // Saves the frame and checks that the model covers a fair share of it.
    static void finish(const std::string& name) {
        scene_test::saveScreenshot("model_" + name + ".png");
        const std::vector<uint8_t> pixels = testing_support::readPixels(0, 0, 1280, 720);
        size_t covered = 0;
        for (size_t i = 0; i + 3 < pixels.size(); i += 4) {
            const glm::ivec3 colour(pixels[i], pixels[i + 1], pixels[i + 2]);
            covered += glm::any(glm::greaterThan(glm::abs(colour - glm::ivec3(kSky * 255.0f + 0.5f)), glm::ivec3(3)));
        }
        EXPECT_GT(covered, pixels.size() / 4 / 200) << name << " is hardly visible";
    }

    // Draws each mesh set in its own cell of a contact sheet, forest kinds on a patch of
    // ground, after checking from the vertices that the pivot puts the set where its users
    // expect it: centred over the origin and, on the ground, with its lowest point at z = 0.
    static void drawSheet(Model& model, const std::vector<MeshSetSpec>& sets, bool onGround, const glm::vec3& light,
                          const std::string& name) {
        TexturedCuboid ground(0, 0, -0.1f, 14, 14, 0.2f, "textures/p1_diffuse_map.png", "shaders/basic_textured.vs",
                              "shaders/basic_textured.fs");
        ASSERT_TRUE(ground.setup(UV_MAPPING_DIMENSION));
        for (size_t i = 0; i < sets.size(); ++i) {
            glm::vec3 low(1e9f), high(-1e9f);
            for (int mesh : sets[i].first) {
                for (const MeshVertexData& vertex : model.getMeshes().at(static_cast<size_t>(mesh))->getVertices()) {
                    // The set's quarter turn about x stands the file's y axis up.
                    const glm::vec3& p = vertex.position;
                    low = glm::min(low, glm::vec3(p.x, -p.z, p.y) - sets[i].second);
                    high = glm::max(high, glm::vec3(p.x, -p.z, p.y) - sets[i].second);
                }
            }
            const glm::vec3 middle = (low + high) * 0.5f;
            const float reach = glm::length(high - low);
            EXPECT_LT(glm::length(glm::vec2(middle)), 0.2f * reach) << name << " set " << i << " lies off its pivot";
            // Forest objects reach a little into the ground, so that slopes show no gap under them.
            EXPECT_TRUE(onGround ? low.z > -0.31f && low.z < 0.05f : std::abs(middle.z) < 0.05f * reach)
                << name << " set " << i << " stands at " << low.z << " to " << high.z;
            model.createMeshSet(sets[i].first, sets[i].second, glm::vec3(kQuarterTurn, 0.0f, 0.0f));
            Camera camera = scene_test::sheetCell(7, (static_cast<int>(sets.size()) + 6) / 7, static_cast<int>(i),
                                                  middle + glm::vec3(0.4f, -1.2f, 0.5f) * reach, middle, kSky);
            onGround ? ground.render(&camera, false, glm::vec3(0.0f)) : void();
            model.renderMeshSet(&camera, light, static_cast<int>(i));
        }
        scene_test::saveScreenshot("model_" + name + ".png");
    }

    std::unique_ptr<testing_support::ScopedWorkingDirectory> inside;
};

}  // namespace

// The enemy code draws the saucer through the model's uniforms; each must be one the linked
// program really reads, or the saucer would draw black or unplaced.
TEST_F(Packaged, UfoShaderLinksAndReadsTheModelUniforms) {
    ShaderProgram* program = ProgramManager::getInstance()->loadProgram("shaders/ufo.vs", "shaders/ufo.fs", "");
    ASSERT_NE(program, nullptr);
    for (const char* name : {"u_world_matrix", "u_view_matrix", "u_projection_matrix", "u_light_pos", "u_view_pos",
                             "texture_diffuse1", "texture_normal1", "texture_height1"}) {
        EXPECT_NE(glGetUniformLocation(program->getId(), name), -1) << name;
    }
    ProgramManager::getInstance()->freeProgram("shaders/ufo.vs", "shaders/ufo.fs", "");
}

TEST_F(Packaged, ForestKindsThroughTheirMeshSets) {
    struct Pack {
        const char *entry, *name;
        std::vector<MeshSetSpec> sets;
    };
    const std::vector<Pack> packs = {
        {"models/forest3/NatureFreePack1.obj", "forest3",
         {{{0, 1}, {-5.3f, 4.0f, 1.0f}},       {{2, 3}, {5.5f, 3.8f, 1.0f}},     {{4}, {1.5f, -1.0f, 0.0f}},
          {{5}, {-5.6f, -4.6f, 0.0f}},         {{6, 7}, {-2.3f, -4.3f, 0.0f}},   {{8}, {-0.5f, -4.4f, 0.0f}},
          {{9}, {0.5f, -4.4f, 0.0f}},          {{10}, {-2.5f, -1.4f, 0.0f}},     {{11}, {-6.3f, -1.4f, 0.0f}},
          {{12, 13, 14}, {-3.7f, -4.3f, 0.0f}}, {{15}, {-6.9f, -4.5f, 0.0f}},    {{16}, {6.6f, -0.8f, 1.0f}},
          {{17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29}, {3.2f, -4.4f, 0.0f}},
          {{30, 31, 32, 33, 34, 35, 36, 37, 38}, {6.3f, -4.3f, 0.5f}}}},
        {"models/forest2/forest_assets.obj", "forest2",
         {{{0, 1}, {0.0f, -1.9f, 1.0f}}, {{2}, {-6.0f, -2.1f, 1.0f}}, {{3, 4}, {5.2f, 0.0f, 1.0f}},
          {{5, 6, 7}, {0.0f, 6.0f, 1.0f}}, {{8, 9, 10}, {0.0f, 0.0f, 1.0f}}, {{11, 12}, {-6.0f, 0.25f, 1.5f}},
          {{13, 14}, {-6.0f, 6.1f, 1.0f}}}},
    };
    for (const Pack& pack : packs) {
        SCOPED_TRACE(pack.entry);
        render_test::clearWindow(kSky.r, kSky.g, kSky.b);
        Model model(pack.entry, "shaders/model.vs", "shaders/model_material.fs", false);
        ASSERT_TRUE(model.setup());
        drawSheet(model, pack.sets, true, {30.0f, -40.0f, 60.0f}, pack.name);
    }
}

TEST_F(Packaged, PlanetsThroughTheirMeshSets) {
    const std::vector<MeshSetSpec> sets = {
        {{0}, {10.0f, 7.0f, 0.0f}},   {{1}, {-5.0f, 2.1f, 0.0f}},   {{2}, {10.3f, -7.5f, 0.0f}},
        {{3}, {-5.0f, -2.3f, 0.0f}},  {{4}, {-0.4f, -7.1f, 0.0f}},  {{5}, {0.0f, 2.0f, 0.0f}},
        {{6}, {5.0f, -2.4f, 0.0f}},   {{7}, {5.3f, 2.4f, 0.0f}},    {{8}, {-10.1f, -2.1f, 0.0f}},
        {{9}, {10.3f, 2.5f, 0.0f}},   {{10}, {-10.4f, -7.0f, 0.0f}}, {{11}, {5.1f, 7.1f, 0.0f}},
        {{12}, {10.3f, -2.2f, 0.0f}}, {{13}, {-0.1f, 7.0f, 0.0f}}};
    Model model("models/planets/planets.obj", "shaders/model.vs", "shaders/model_material.fs", true);
    ASSERT_TRUE(model.setup());
    drawSheet(model, sets, false, {20.0f, -20.0f, 20.0f}, "planets");
}

TEST_F(Packaged, CrystalRocketAndUfoAsTheLevelPlacesThem) {
    struct Placed {
        const char *entry, *vertex, *fragment;
        bool flipUVs;
        float scale;
        glm::vec3 position, eye, target;
        const char* name;
    };
    const Placed models[] = {
        {"models/crystal/crystal.obj", "shaders/model.vs", "shaders/model_material.fs", true, 1.0f, {0, 0, 8},
         {0.0f, -3.0f, 8.8f}, {0, 0, 8}, "crystal"},
        // On its landing point, origin 12 up on the tiles' shared corner.
        {"models/spaceship/spaceship.obj", "shaders/model.vs", "shaders/model.fs", false, 0.1f, {0, 0, 12},
         {10.0f, -14.0f, 13.0f}, {0, 0, 18}, "rocket"},
        // At its flying height, seen from a player below.
        {"models/ufo1/Low_poly_UFO.obj", "shaders/ufo.vs", "shaders/ufo.fs", false, 0.05f, {0, 0, 22},
         {0.0f, -4.5f, 21.0f}, {0, 0, 23.2f}, "ufo"},
    };
    for (const Placed& placed : models) {
        SCOPED_TRACE(placed.entry);
        render_test::clearWindow(kSky.r, kSky.g, kSky.b);
        Model model(placed.entry, placed.vertex, placed.fragment, placed.flipUVs);
        ASSERT_TRUE(model.setup());
        model.rotation = glm::vec3(kQuarterTurn, 0.3f, 0.0f);
        model.setScale(placed.scale, false);
        model.setPosition(placed.position, true);
        Camera camera = scene_test::lookingAt(placed.eye, placed.target);
        model.render(&camera, {40.0f, -60.0f, 80.0f});
        finish(placed.name);
    }
}

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

// Each particle effect and a tile's water at three moments of their run, two to a row.
TEST_F(Packaged, EffectsAndWaterInMotion) {
    glEnable(GL_PROGRAM_POINT_SIZE);
    render_test::clearWindow(0, 0, 0);
    const struct {
        const char* name;
        glm::vec3 position, eye, target;
        float moments[3];  // seconds since the start
    } effects[] = {
        {"artefact", {0, 0, 0}, {0, -5, 1}, {0, 0, 0.5f}, {0.5f, 1.0f, 2.5f}},
        {"death", {0, 0, 0}, {0, -26, 4}, {0, 0, 2}, {0.2f, 0.6f, 1.4f}},
        {"explosion", {0, 0, 0}, {0, -26, 4}, {0, 0, 0}, {0.1f, 0.4f, 0.9f}},
        {"glow", {0, 0, 0}, {0, -22, 6}, {0, 0, 0}, {0.5f, 1.5f, 3.0f}},
        {"rocketengine", {0, 0, 0}, {0, -16, 0}, {0, 0, -4}, {0.2f, 0.7f, 2.0f}},
        {"smoke", {0, 0, 0}, {0, -20, 4}, {0, 0, 4}, {0.3f, 1.0f, 2.5f}},
        {"snow", {0, 0, 40}, {0, -110, 25}, {0, 0, 20}, {1.0f, 4.0f, 12.0f}},
        {"starfield", {0, 0, 0}, {0, -1, 40}, {0, 0, -40}, {1.0f, 4.0f, 12.0f}},
    };
    Nozzle nozzle;
    for (int subject = 0; subject < 8; ++subject) {
        const auto& e = effects[subject];
        ParticleSystem effect(std::string("particlesystems/") + e.name + ".json", true);
        ASSERT_TRUE(effect.setup()) << e.name;
        effect.position = e.position;
        // The engine is steered by the rocket; the effects without a flow are bursts.
        subject == 4 ? effect.setParticleSystemController(&nozzle)
                     : effect.getFlow() == 0.0f ? effect.activateOnce(glm::vec3(0.0f)) : void();
        float clock = 0.0f;
        for (int moment = 0; moment < 3; ++moment) {
            for (; clock < e.moments[moment]; clock += kStep) {
                effect.update(kStep);
            }
            Camera camera = scene_test::sheetCell(6, 5, subject * 3 + moment, e.eye, e.target, kNight);
            effect.render(&camera);
        }
    }
    // A tile's water over its ground, at 0, 1 and 3 seconds.
    Water water(28, glm::vec3(-14, -14, 0.3f), "textures/water.jpg");
    TexturedCuboid ground(0, 0, 0, 28, 28, 0.2f, "textures/p1_diffuse_map.png", "shaders/basic_textured.vs",
                          "shaders/basic_textured.fs");
    ASSERT_TRUE(water.setup() && ground.setup(UV_MAPPING_DIMENSION));
    for (int moment = 0; moment < 3; ++moment) {
        water.update(moment == 2 ? 2.0f : static_cast<float>(moment));
        Camera camera = scene_test::sheetCell(6, 5, 24 + moment, {0, -22, 12}, {0, 0, 0}, glm::vec3(0.5f));
        ground.render(&camera, false, glm::vec3(0.0f));
        water.render(&camera, glm::vec3(30, -30, 40), glm::vec3(0.0f));
    }
    scene_test::saveScreenshot("effects.png");
}

}  // namespace
