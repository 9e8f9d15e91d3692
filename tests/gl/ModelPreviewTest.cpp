// The packaged models, effects, water and skies drawn as the game draws them, for the pictures
// in build/test-output; the models' images are all in the package, their meshes are those their
// users cut them into, wound outward.
#include <GL/glew.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "RenderTestKit.h"
#include "core/AssetList.h"
#include "render/Model.h"
#include "render/ParticleSystem.h"
#include "render/ParticleSystemController.h"
#include "render/TexturedCuboid.h"
#include "render/Water.h"
#include "support/RunAssets.h"

namespace {

// Mesh sets of the shared model files: the first and last of their meshes, then the pivot
// that lands on the object's position once the set's quarter turn about x has stood the file's
// y axis up; body i of the star map is mesh i of the planets, the star first.
const float kForest3[][5] = {{0, 1, -5.3f, 4.0f, 1.0f},    {2, 3, 5.5f, 3.8f, 1.0f},     {4, 4, 1.5f, -1.0f, 0.0f},
                             {5, 5, -5.6f, -4.6f, 0.0f},   {6, 7, -2.3f, -4.3f, 0.0f},   {8, 8, -0.5f, -4.4f, 0.0f},
                             {9, 9, 0.5f, -4.4f, 0.0f},    {10, 10, -2.5f, -1.4f, 0.0f}, {11, 11, -6.3f, -1.4f, 0.0f},
                             {12, 14, -3.7f, -4.3f, 0.0f}, {15, 15, -6.9f, -4.5f, 0.0f}, {16, 16, 6.6f, -0.8f, 1.0f},
                             {17, 29, 3.2f, -4.4f, 0.0f},  {30, 38, 6.3f, -4.3f, 0.5f}};
const float kForest2[][5] = {{0, 1, 0.0f, -1.9f, 1.0f},  {2, 2, -6.0f, -2.1f, 1.0f}, {3, 4, 5.2f, 0.0f, 1.0f},
                             {5, 7, 0.0f, 6.0f, 1.0f},   {8, 10, 0.0f, 0.0f, 1.0f},  {11, 12, -6.0f, 0.25f, 1.5f},
                             {13, 14, -6.0f, 6.1f, 1.0f}};
const float kPlanets[][5] = {{0, 0, 10.0f, 7.0f, 0.0f},    {1, 1, -5.0f, 2.1f, 0.0f},     {2, 2, 10.3f, -7.5f, 0.0f},
                             {3, 3, -5.0f, -2.3f, 0.0f},   {4, 4, -0.4f, -7.1f, 0.0f},    {5, 5, 0.0f, 2.0f, 0.0f},
                             {6, 6, 5.0f, -2.4f, 0.0f},    {7, 7, 5.3f, 2.4f, 0.0f},      {8, 8, -10.1f, -2.1f, 0.0f},
                             {9, 9, 10.3f, 2.5f, 0.0f},    {10, 10, -10.4f, -7.0f, 0.0f}, {11, 11, 5.1f, 7.1f, 0.0f},
                             {12, 12, 10.3f, -2.2f, 0.0f}, {13, 13, -0.1f, 7.0f, 0.0f}};
struct Sheet {
    const char *entry, *name;
    const float (*sets)[5];
    int count;
};
const Sheet kSheets[] = {{"models/forest3/NatureFreePack1.obj", "forest3", kForest3, 14},
                         {"models/forest2/forest_assets.obj", "forest2", kForest2, 7},
                         {"models/planets/planets.obj", "planets", kPlanets, 14}};

constexpr float kQuarterTurn = 1.5707964f, kStep = 1.0f / 60.0f;
const glm::vec3 kSky(0.62f, 0.78f, 0.92f);

struct Packaged : ::testing::Test {
    void SetUp() override { REQUIRE_RUN_ASSETS(); }
    testing_support::ScopedWorkingDirectory inside{QUENLOW_RUN_DIR};
};

// Saves the frame after checking that the models cover a fair share of it.
void finish(const std::string& name) {
    render_test::saveScreenshot("model_" + name + ".png");
    const std::vector<uint8_t> pixels = testing_support::readPixels(0, 0, 1280, 720);
    size_t covered = 0;
    for (size_t i = 0; i < pixels.size(); i += 4) {
        covered += !testing_support::near({pixels[i], pixels[i + 1], pixels[i + 2], 255}, 158, 199, 235, 3);
    }
    EXPECT_GT(covered, pixels.size() / 4 / 200) << name << " is hardly visible";
}

// Steers the engine's flame as the rocket does: from its nozzle, answering upward-positive.
struct Nozzle : ParticleSystemController {
    bool getSpawnPosition(glm::vec3& out) override { return (out = glm::vec3(0.0f), true); }
    bool getVelocity(glm::vec3& out) override { return (out = glm::vec3(0.0f, 0.0f, 6.0f), true); }
    bool getFlowRate(float& out) override { return (out = 100.0f, true); }
    bool getAngle(float&) override { return false; }
    bool getActive(bool& out) override { return (out = true, true); }
};

}  // namespace

// One contact sheet per model file, a cell per mesh set; forest kinds on a patch of ground.
TEST_F(Packaged, MeshSetSheets) {
    TexturedCuboid ground(0, 0, -0.1f, 14, 14, 0.2f, "textures/p1_diffuse_map.png", "shaders/basic_textured.vs",
                          "shaders/basic_textured.fs");
    ASSERT_TRUE(ground.setup(UV_MAPPING_DIMENSION));
    for (const auto& [entry, name, sets, count] : kSheets) {
        const bool planets = name == std::string("planets");
        render_test::clearWindow(kSky.r, kSky.g, kSky.b);
        Model model(entry, "shaders/model.vs", "shaders/model_material.fs", planets);
        testing_support::CapturedStdout output;
        ASSERT_TRUE(model.setup()) << entry;
        EXPECT_EQ(output.finish(), "") << "an image of the model missing from the package";
        for (int i = 0; i < count; ++i) {
            std::vector<int> meshes;
            for (int mesh = static_cast<int>(sets[i][0]); mesh <= sets[i][1]; ++mesh) {
                meshes.push_back(mesh);
            }
            const glm::vec3 pivot(sets[i][2], sets[i][3], sets[i][4]);
            model.createMeshSet(meshes, pivot, glm::vec3(kQuarterTurn, 0.0f, 0.0f));
            glm::vec3 low(1e9f), high(-1e9f);  // framing the set as it stands
            for (int mesh : meshes) {
                for (const MeshVertexData& vertex : model.getMeshes().at(static_cast<size_t>(mesh))->getVertices()) {
                    low = glm::min(low, glm::vec3(vertex.position.x, -vertex.position.z, vertex.position.y));
                    high = glm::max(high, glm::vec3(vertex.position.x, -vertex.position.z, vertex.position.y));
                }
            }
            const glm::vec3 middle = (low + high) * 0.5f - pivot;
            const glm::vec3 eye = middle + glm::vec3(0.4f, -1.2f, 0.5f) * glm::length(high - low);
            Camera camera = render_test::sheetCell(7, 2, i, eye, middle, kSky);
            planets ? void() : ground.render(&camera, false, glm::vec3(0.0f));
            model.renderMeshSet(&camera, planets ? glm::vec3(20, -20, 20) : glm::vec3(30, -40, 60), i);
        }
        finish(name);
    }
    // The crystal, the rocket on its landing point (origin 12 up on the tiles' shared corner)
    // and the UFO at its flying height seen from a player below, as the level places them.
    const std::tuple<const char*, const char*, const char*, float, glm::vec3, glm::vec3, glm::vec3> models[] = {
        {"crystal", "models/crystal/crystal.obj", "shaders/model_material.fs", 1, {0, 0, 8}, {0, -3, 8.8f}, {0, 0, 8}},
        {"rocket", "models/spaceship/spaceship.obj", "shaders/model.fs", 0.1f, {0, 0, 12}, {10, -14, 13}, {0, 0, 18}},
        {"ufo", "models/ufo1/Low_poly_UFO.obj", "shaders/ufo.fs", 0.05f, {0, 0, 22}, {0, -4.5f, 21}, {0, 0, 23.2f}}};
    for (const auto& [name, entry, fragment, scale, position, eye, target] : models) {
        render_test::clearWindow(kSky.r, kSky.g, kSky.b);
        const bool ufo = name == std::string("ufo");
        Model model(entry, ufo ? "shaders/ufo.vs" : "shaders/model.vs", fragment, name == std::string("crystal"));
        testing_support::CapturedStdout output;
        ASSERT_TRUE(model.setup()) << entry;
        EXPECT_EQ(output.finish(), "") << "an image of the model missing from the package";
        model.rotation = glm::vec3(kQuarterTurn, 0.3f, 0.0f);
        model.setScale(scale, false);
        model.setPosition(position, true);
        Camera camera = render_test::lookingAt(eye, target);
        model.render(&camera, {40.0f, -60.0f, 80.0f});
        finish(name);
    }
}

// Each particle effect and a tile's water at three moments of their run (seconds since the
// start), two to a row.
TEST_F(Packaged, EffectsAndWaterInMotion) {
    glEnable(GL_PROGRAM_POINT_SIZE);
    render_test::clearWindow(0, 0, 0);
    const std::tuple<const char*, glm::vec3, glm::vec3, glm::vec3, glm::vec3> effects[] = {
        {"artefact", {0, 0, 0}, {0, -5, 1}, {0, 0, 0.5f}, {0.5f, 1.0f, 2.5f}},
        {"death", {0, 0, 0}, {0, -26, 4}, {0, 0, 2}, {0.2f, 0.6f, 1.4f}},
        {"explosion", {0, 0, 0}, {0, -26, 4}, {0, 0, 0}, {0.1f, 0.4f, 0.9f}},
        {"glow", {0, 0, 0}, {0, -22, 6}, {0, 0, 0}, {0.5f, 1.5f, 3.0f}},
        {"rocketengine", {0, 0, 0}, {0, -16, 0}, {0, 0, -4}, {0.2f, 0.7f, 2.0f}},
        {"smoke", {0, 0, 0}, {0, -20, 4}, {0, 0, 4}, {0.3f, 1.0f, 2.5f}},
        {"snow", {0, 0, 40}, {0, -110, 25}, {0, 0, 20}, {1.0f, 4.0f, 12.0f}},
        {"starfield", {0, 0, 0}, {0, -1, 40}, {0, 0, -40}, {1.0f, 4.0f, 12.0f}}};
    Nozzle nozzle;
    int cell = 0;
    for (const auto& [name, position, eye, target, moments] : effects) {
        ParticleSystem effect(std::string("particlesystems/") + name + ".json", true);
        ASSERT_TRUE(effect.setup()) << name;
        effect.position = position;
        // The engine is steered by the rocket; the effects without a flow are bursts.
        std::string(name) == "rocketengine" ? effect.setParticleSystemController(&nozzle)
        : effect.getFlow() == 0.0f          ? effect.activateOnce(glm::vec3(0.0f))
                                            : void();
        float clock = 0.0f;
        for (int moment = 0; moment < 3; ++moment) {
            for (; clock < moments[moment]; clock += kStep) {
                effect.update(kStep);
            }
            Camera camera = render_test::sheetCell(6, 5, cell++, eye, target, glm::vec3(0.04f, 0.05f, 0.08f));
            effect.render(&camera);
        }
    }
    Water water(28, glm::vec3(-14, -14, 0.3f), "textures/water.jpg");
    TexturedCuboid ground(0, 0, 0, 28, 28, 0.2f, "textures/p1_diffuse_map.png", "shaders/basic_textured.vs",
                          "shaders/basic_textured.fs");
    ASSERT_TRUE(water.setup() && ground.setup(UV_MAPPING_DIMENSION));
    for (const float time : {0.0f, 1.0f, 3.0f}) {
        water.update(time == 3.0f ? 2.0f : time);  // the clock's steps
        Camera camera = render_test::sheetCell(6, 5, cell++, {0, -22, 12}, {0, 0, 0}, glm::vec3(0.5f));
        ground.render(&camera, false, glm::vec3(0.0f));
        water.render(&camera, glm::vec3(30, -30, 40), glm::vec3(0.0f));
    }
    render_test::saveScreenshot("effects.png");
}

// Each generated sky in the game's own sky box, as large as the level makes it, seen from its
// middle, shows its sun where each level that uses it puts the light (a sky drawn mirrored or
// upside down shows it elsewhere).
TEST_F(Packaged, SkiesShowTheSunUnderTheLight) {
    for (int index = 1; index <= 5; ++index) {
        const std::string entry = "textures/skybox_" + std::to_string(index) + ".jpg";
        SCOPED_TRACE(entry);
        TexturedCuboid sky(0, 0, 0, 381, 381, 381, entry, "shaders/basic_textured.vs", "shaders/basic_textured.fs");
        ASSERT_TRUE(sky.setup(UV_MAPPING_CUBE));
        auto draw = [&](const glm::vec3& eye, const glm::vec3& target) {
            render_test::clearWindow(0, 0, 0);
            Camera camera = render_test::lookingAt(eye, target);
            sky.render(&camera, false, glm::vec3(0.0f));
        };
        for (int level = 1; level <= 9; ++level) {
            const testing_support::JsonTree root =
                testing_support::readRunJson("levels/system_1/s1p" + std::to_string(level) + ".json");
            auto get = [&](const char* key) { return testing_support::jsonMember(root.get(), key); };
            if (testing_support::jsonText(get("skyboxTexture")) == entry) {
                const glm::vec3 light(testing_support::jsonNumber(get("skyboxLightPositionX")),
                                      testing_support::jsonNumber(get("skyboxLightPositionY")),
                                      testing_support::jsonNumber(get("skyboxLightPositionZ")));
                draw(glm::vec3(0.0f), light);
                const std::vector<uint8_t> middle = testing_support::readPixels(638, 358, 5, 5);
                double brightness = 0.0;
                for (size_t i = 0; i < middle.size(); i += 4) {
                    brightness += std::max({middle[i], middle[i + 1], middle[i + 2]}) / 25.0;
                }
                EXPECT_GE(brightness, 235.0) << "no sun under the light of level " << level;
            }
        }
        // What a player sees standing on the ground and looking over a corner of the box.
        draw(glm::vec3(0.0f, 0.0f, 10.0f), glm::vec3(1.0f, 1.0f, 10.35f));
        render_test::saveScreenshot("skybox_" + std::to_string(index) + "_view.png");
    }
}

// Mean colour difference between columns (rows, when `rows`) a and b of the window over their middle half.
static double lineStep(const std::vector<uint8_t>& frame, int a, int b, bool rows) {
    const int length = rows ? 1280 : 720;
    double sum = 0.0;
    for (int i = length / 4; i < 3 * length / 4; ++i) {
        const size_t pa = rows ? (static_cast<size_t>(a) * 1280 + i) * 4 : (static_cast<size_t>(i) * 1280 + a) * 4;
        const size_t pb = rows ? (static_cast<size_t>(b) * 1280 + i) * 4 : (static_cast<size_t>(i) * 1280 + b) * 4;
        for (int c = 0; c < 3; ++c) {
            sum += std::abs(frame[pa + c] - frame[pb + c]);
        }
    }
    return sum / (3.0 * (length / 2));
}

// Each generated sky in the game's own sky box runs on across every cube edge without a seam:
// looking straight at an edge puts it on the middle column (upright edges) or the middle row
// (edges of the top face), where the colours change no more than on the lines beside it.
TEST_F(Packaged, SkiesRunOnAcrossEveryCubeEdge) {
    for (int index = 1; index <= 5; ++index) {
        const std::string entry = "textures/skybox_" + std::to_string(index) + ".jpg";
        TexturedCuboid sky(0, 0, 0, 381, 381, 381, entry, "shaders/basic_textured.vs", "shaders/basic_textured.fs");
        ASSERT_TRUE(sky.setup(UV_MAPPING_CUBE)) << entry;
        for (const glm::vec3 direction :
             {glm::vec3(1, 1, 0), glm::vec3(1, -1, 0), glm::vec3(-1, 1, 0), glm::vec3(-1, -1, 0), glm::vec3(1, 0, 1),
              glm::vec3(-1, 0, 1), glm::vec3(0, 1, 1), glm::vec3(0, -1, 1)}) {
            render_test::clearWindow(0, 0, 0);
            Camera camera = render_test::lookingAt(glm::vec3(0.0f), direction);
            sky.render(&camera, false, glm::vec3(0.0f));
            const std::vector<uint8_t> frame = testing_support::readPixels(0, 0, 1280, 720);
            const bool rows = direction.z != 0.0f;
            const int middle = rows ? 360 : 640;
            const double nearby = std::max(lineStep(frame, middle - 13, middle - 8, rows),
                                           lineStep(frame, middle + 7, middle + 12, rows));
            EXPECT_LE(lineStep(frame, middle - 3, middle + 2, rows), 1.5 * nearby + 2.0)
                << entry << " looking along " << direction.x << ", " << direction.y << ", " << direction.z;
        }
    }
}

// Each object's box after its set's scale, quarter turn about x and pivot: forest kinds stand
// at their pivot (a little into the ground for slopes) at the height a player walking past
// expects; planets sit on theirs (rings and moons may make them lopsided) within the 5-unit
// circle that selects them; the rocket's legs reach the tiles' corner at its origin and the
// exhaust spawns 3 up at its nozzle; the UFO fills the box it is picked with (its own height
// up), and the spinning crystal is centred on its axis.
TEST_F(Packaged, MeshSetsSitOnTheirPivots) {
    constexpr float kAny = 1e9f;
    // The height range of each forest kind, in the order of the sheets' sets.
    const glm::vec2 forestHeights[] = {{3, 7},       {3, 7},       {0.2f, 1}, {0.8f, 2.5f}, {0.5f, 1.5f}, {0.3f, 1},
                                       {0.3f, 1.2f}, {0.1f, 0.6f}, {2.5f, 5}, {0.3f, 0.8f}, {0.3f, 0.9f}, {3, 6},
                                       {0.3f, 0.9f}, {3.5f, 6.5f}, {4, 8},    {1.5f, 3.5f}, {3, 6},       {3, 7},
                                       {2.5f, 5},    {0.3f, 1.2f}, {1.5f, 3}};
    struct Placement {
        std::string entry, what;
        std::vector<int> meshes;  // empty: all
        glm::vec3 pivot;
        float scale, offCentre;
        glm::vec2 bottom, height, reach;  // ranges: lowest point, height, farthest side from the pivot
    };
    std::vector<Placement> rows = {
        {"models/spaceship/spaceship.obj",
         "rocket",
         {},
         glm::vec3(0),
         0.1f,
         0.3f,
         {-0.05f, 0.05f},
         {13, 19},
         {0, kAny}},
        {"models/spaceship/spaceship.obj", "nozzle", {2}, glm::vec3(0), 0.1f, 0.3f, {2.7f, 3.3f}, {0, kAny}, {0, 1.5f}},
        {"models/ufo1/Low_poly_UFO.obj", "ufo", {}, glm::vec3(0), 0.05f, 0.1f, {-kAny, kAny}, {0, kAny}, {1.5f, 2}},
        {"models/crystal/crystal.obj", "crystal", {}, glm::vec3(0), 1, 0.15f, {-kAny, kAny}, {1.8f, 2.4f}, {0, kAny}}};
    int forestKind = 0;
    for (const auto& [entry, name, sets, count] : kSheets) {
        const bool planets = name == std::string("planets");
        for (int i = 0; i < count; ++i) {
            std::vector<int> meshes;
            for (int mesh = static_cast<int>(sets[i][0]); mesh <= sets[i][1]; ++mesh) {
                meshes.push_back(mesh);
            }
            const glm::vec3 pivot(sets[i][2], sets[i][3], sets[i][4]);
            planets ? rows.push_back({entry,
                                      "body" + std::to_string(i),
                                      meshes,
                                      pivot,
                                      1,
                                      1,
                                      {-5, 0},
                                      {0, 10},
                                      {0, i == 0 ? kAny : 5.0f}})
                    : rows.push_back({entry,
                                      name + std::to_string(i),
                                      meshes,
                                      pivot,
                                      1,
                                      0.6f,
                                      {-0.5f, 0.02f},
                                      forestHeights[forestKind++],
                                      {0, kAny}});
        }
    }
    for (const Placement& row : rows) {
        SCOPED_TRACE(row.what);
        Model model(row.entry, "shaders/model.vs", "shaders/model.fs", false);
        ASSERT_TRUE(model.setup());
        glm::vec3 low(kAny), high(-kAny);
        for (size_t i = 0; i < model.getMeshes().size(); ++i) {
            if (row.meshes.empty() || std::count(row.meshes.begin(), row.meshes.end(), static_cast<int>(i)) != 0) {
                for (const MeshVertexData& vertex : model.getMeshes()[i]->getVertices()) {
                    const glm::vec3 upright(vertex.position.x, -vertex.position.z, vertex.position.y);
                    low = glm::min(low, upright * row.scale - row.pivot);
                    high = glm::max(high, upright * row.scale - row.pivot);
                }
            }
        }
        const float height = high.z - low.z, reach = std::max({high.x, -low.x, high.y, -low.y});
        EXPECT_LE(glm::length(glm::vec2(low + high) * 0.5f), row.offCentre);
        EXPECT_TRUE(low.z >= row.bottom[0] && low.z <= row.bottom[1]) << "lowest point " << low.z;
        EXPECT_TRUE(height >= row.height[0] && height <= row.height[1]) << "height " << height;
        EXPECT_TRUE(reach >= row.reach[0] && reach <= row.reach[1]) << "reach " << reach;
        EXPECT_TRUE(row.what != "ufo" || std::abs(low.z - height / 2) < 0.05f) << "off its picking box";
    }
}

// Each packaged model as the game imports it. A file cut into mesh sets holds exactly the meshes
// of its sets: a mesh outside every set would never be drawn. Every mesh is wound
// counter-clockwise seen from outside (its triangles span a positive volume with the origin), so
// its generated normals face out and its lit side is the outside. Textured meshes sample inside
// their images; every image the package holds for a model is one its materials name; each UFO
// mesh has the diffuse, normal and glow maps its shader samples; and the star outshines every
// planet.
TEST_F(Packaged, ModelsImportAsTheirUsersCutAndLightThem) {
    // The entry, its meshes (0: drawn whole, any number), its UVs flipped as the game loads it.
    std::vector<std::tuple<std::string, int, bool>> models = {{"models/crystal/crystal.obj", 0, true},
                                                              {"models/ufo1/Low_poly_UFO.obj", 0, false},
                                                              {"models/spaceship/spaceship.obj", 0, false}};
    for (const auto& [entry, name, sets, count] : kSheets) {
        models.emplace_back(entry, static_cast<int>(sets[count - 1][1]) + 1, name == std::string("planets"));
    }
    std::set<std::string> named;
    for (const auto& [entry, meshCount, flip] : models) {
        SCOPED_TRACE(entry);
        Model model(entry, "shaders/model.vs", "shaders/model.fs", flip);
        ASSERT_TRUE(model.setup());
        EXPECT_TRUE(meshCount == 0 || static_cast<int>(model.getMeshes().size()) == meshCount)
            << model.getMeshes().size() << " meshes";
        std::vector<float> widths;
        for (size_t index = 0; index < model.getMeshes().size(); ++index) {
            const Mesh& mesh = *model.getMeshes()[index];
            const std::vector<MeshVertexData>& v = mesh.getVertices();
            const std::vector<unsigned int>& corners = mesh.getIndices();
            double volume = 0.0;
            for (size_t i = 0; i + 2 < corners.size(); i += 3) {
                const glm::dvec3 a(v[corners[i]].position), b(v[corners[i + 1]].position),
                    c(v[corners[i + 2]].position);
                volume += glm::dot(a, glm::cross(b, c));
            }
            EXPECT_GT(volume, 0.0) << "mesh " << index << " is wound inwards";
            glm::vec3 low(1e9f), high(-1e9f);
            int outside = 0;
            for (const MeshVertexData& vertex : v) {
                low = glm::min(low, vertex.position);
                high = glm::max(high, vertex.position);
                outside += glm::any(glm::lessThan(vertex.texCoords, glm::vec2(0.0f))) ||
                           glm::any(glm::greaterThan(vertex.texCoords, glm::vec2(1.0f)));
            }
            EXPECT_TRUE(mesh.getTextures().empty() || outside == 0) << "mesh " << index << " samples outside its image";
            widths.push_back(std::max(high.x - low.x, high.z - low.z));
            std::multiset<std::string> kinds;
            for (const Texture& texture : mesh.getTextures()) {
                named.insert(Model::getBasePath(entry) + "/" + texture.path);
                kinds.insert(texture.type);
            }
            const std::multiset<std::string> ufoMaps = {"texture_diffuse", "texture_height", "texture_normal"};
            EXPECT_TRUE(entry != "models/ufo1/Low_poly_UFO.obj" || kinds == ufoMaps)
                << "mesh " << index << " lacks a map of the UFO's shader";
        }
        EXPECT_TRUE(entry != "models/planets/planets.obj" ||
                    std::max_element(widths.begin(), widths.end()) == widths.begin())
            << "a planet is wider than the star";
    }
    for (const std::string& entry : buildAssetList()) {
        const bool modelImage = entry.rfind("models/", 0) == 0 && entry.find(".obj") == std::string::npos &&
                                entry.find(".mtl") == std::string::npos;
        EXPECT_TRUE(!modelImage || named.count(entry) != 0) << entry << " is in the package but no material names it";
    }
}
