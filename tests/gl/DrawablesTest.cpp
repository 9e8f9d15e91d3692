// The sky box, models and their meshes, particles, water, the sphere, a line, the
// normal-mapped quad and the orbit ring drawn into the window.
#include <GL/glew.h>
#include <gtest/gtest.h>

#include <glm/gtc/type_ptr.hpp>

#include "RenderTestKit.h"
#include "render/Circle.h"
#include "render/Icosphere.h"
#include "render/Line.h"
#include "render/Model.h"
#include "render/ParticleSystem.h"
#include "render/ProgramManager.h"
#include "render/ShaderProgram.h"
#include "render/TextureManager.h"
#include "render/TexturedCuboid.h"
#include "render/TexturedQuad.h"
#include "render/Water.h"

using render_test::colourNear;
using render_test::isLit;
using testing_support::CapturedStdout;
using testing_support::near;
using testing_support::readPixel;

namespace {

const float kQuarterTurn = 1.5707964f;

// An axis-aligned box as an OBJ object, its vertices numbered from `first` (1-based): six
// quads, counter-clockwise from outside, the first three of `materials[0]`, the rest of the last.
std::string objBox(const std::string& name, std::vector<std::string> materials, glm::vec3 low, glm::vec3 high,
                   int first) {
    std::string text = "o " + name + "\n";
    for (int i = 0; i < 8; ++i) {
        const glm::vec3 c((i & 1) ? high.x : low.x, (i & 2) ? high.y : low.y, (i & 4) ? high.z : low.z);
        text += "v " + std::to_string(c.x) + " " + std::to_string(c.y) + " " + std::to_string(c.z) + "\n";
    }
    const int faces[6][4] = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4}, {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};
    for (int f = 0; f < 6; ++f) {
        text += f % 3 != 0 ? "f" : "usemtl " + (f == 0 ? materials.front() : materials.back()) + "\nf";
        for (int corner : faces[f]) {
            text += " " + std::to_string(first + corner);
        }
        text += "\n";
    }
    return text;
}

// The sky image: a 3 x 3 grid of 16-pixel cells, rows from the top.
const uint8_t kGrid[3][3][3] = {{{200, 0, 0}, {0, 200, 0}, {0, 0, 200}},
                                {{200, 200, 0}, {0, 200, 200}, {200, 0, 200}},
                                {{100, 50, 0}, {50, 100, 150}, {250, 250, 250}}};

// A 2 x 2 image, rows from the top: red, green over blue, yellow.
const std::vector<uint8_t> kQuarters = {250, 0, 0, 0, 250, 0, 0, 0, 250, 250, 250, 0};

testing_support::Entries drawableEntries() {
    std::vector<uint8_t> pixels;
    for (int i = 0; i < 48 * 48; ++i) {
        pixels.insert(pixels.end(), kGrid[i / 48 / 16][i % 48 / 16], kGrid[i / 48 / 16][i % 48 / 16] + 3);
    }
    testing_support::Entries entries = render_test::drawableShaders();
    entries.emplace_back("textures/sky.png", render_test::pngBytes(48, 48, 3, pixels));
    entries.emplace_back("textures/sun.png", render_test::solidPng(4, 4, 0, 180, 60));
    entries.emplace_back("shaders/broken.fs", "#version 330 core\nvoid main() { nonsense }\n");
    // A red pole standing 2 high along y, a textured block, a blue slab, a block sharing the
    // texture, and an object of two materials, one naming a missing image.
    entries.emplace_back("models/parts/parts.obj",
                         "mtllib parts.mtl\n" + objBox("Pole", {"red"}, {-0.1f, 0, -0.1f}, {0.1f, 2, 0.1f}, 1) +
                             objBox("Block", {"painted"}, {-0.5f, 0, -0.5f}, {0.5f, 1, 0.5f}, 9) +
                             objBox("Slab", {"blue"}, {-1, 0, -1}, {1, 0.2f, 1}, 17) +
                             objBox("Again", {"painted_again"}, {3, 0, 0}, {4, 1, 1}, 25) +
                             objBox("Two", {"lost", "blue"}, {5, 0, 0}, {6, 1, 1}, 33));
    entries.emplace_back("models/parts/parts.mtl",
                         "newmtl red\nKd 0.9 0.1 0.1\nKa 0 0 0\nKs 0 0 0\nNs 10\n"
                         "newmtl blue\nKd 0.1 0.1 0.9\nKs 0.5 0.5 0.5\n"
                         "newmtl painted\nmap_Kd paint.png\nmap_Ks shine.png\nmap_bump bumps.png\nmap_Ka glow.png\n"
                         "newmtl painted_again\nmap_Kd paint.png\nnewmtl lost\nmap_Kd nowhere.png\n");
    for (const char* image : {"paint", "shine", "bumps", "glow"}) {
        entries.emplace_back(std::string("models/parts/") + image + ".png", render_test::solidPng(2, 2, 20, 200, 40));
    }
    // Reads every sampler and the material colour a mesh sets, so that none is optimised away.
    entries.emplace_back("shaders/probe.fs",
                         "#version 330 core\nuniform sampler2D texture_diffuse1, texture_diffuse2, texture_specular1;\n"
                         "uniform vec3 u_diffuse; out vec4 colour;\nvoid main() { colour = texture(texture_diffuse1, "
                         "vec2(0)) + texture(texture_diffuse2, vec2(0)) + texture(texture_specular1, vec2(0)) + "
                         "vec4(u_diffuse, 1); }\n");
    for (const char* ring : {"shaders/circle.vs", "shaders/circle.fs"}) {
        entries.emplace_back(ring, render_test::assetSource(ring));
    }
    entries.emplace_back("models/garbage.obj", "this is not a model at all \x01\x02");
    entries.emplace_back("flat.obj", objBox("Flat", {"none"}, {0, 0, 0}, {1, 1, 1}, 1));
    entries.emplace_back("textures/particle.bmp", render_test::bmpBytes(2, 2, 3, std::vector<uint8_t>(12, 255)));
    entries.emplace_back("textures/flat_normal.png", render_test::solidPng(2, 2, 128, 128, 255));
    entries.emplace_back("textures/quarters.png", render_test::pngBytes(2, 2, 3, kQuarters));
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
    Camera front = render_test::lookingAt(glm::vec3(0, -10, 0), glm::vec3(0, 0, 0));
    Camera above = render_test::lookingAt(glm::vec3(0, 0, 10), glm::vec3(0, 0, 0), glm::vec3(0, 1, 0));
};

TEST_F(Drawables, CubeMappingShowsEachFaceItsCellFromInside) {
    TexturedCuboid sky(0, 0, 0, 30, 30, 30, "textures/sky.png", "shaders/basic_textured.vs",
                       "shaders/basic_textured.fs");
    ASSERT_TRUE(sky.setup(UV_MAPPING_CUBE));
    // Direction, up, the grid cell seen straight ahead; the bottom samples the image's lower left corner only.
    const std::tuple<glm::vec3, glm::vec3, int, int> views[] = {
        {{1, 0, 0}, {0, 0, 1}, 2, 1},  {{-1, 0, 0}, {0, 0, 1}, 0, 1}, {{0, 1, 0}, {0, 0, 1}, 1, 2},
        {{0, -1, 0}, {0, 0, 1}, 1, 0}, {{0, 0, 1}, {0, 1, 0}, 1, 1},  {{0, 0, -1}, {0, 1, 0}, 2, 0}};
    for (const auto& [direction, up, row, column] : views) {
        render_test::clearWindow(0, 0, 0);
        Camera camera = render_test::lookingAt(glm::vec3(0.0f), direction, up);
        sky.render(&camera, false, glm::vec3(0.0f));
        const uint8_t* expected = kGrid[row][column];
        for (const int x : {400, 640, 880}) {
            EXPECT_TRUE(near(readPixel(x, x / 2), expected[0], expected[1], expected[2], 4))
                << direction.x << direction.y << direction.z << " at " << x;
        }
    }
}

TEST_F(Drawables, BrokenShaderFailsTheBoxWithABlankLineAndKeepsNoTexture) {
    for (const char* fragment : {"shaders/absent.fs", "shaders/broken.fs"}) {
        testing_support::CapturedStdout output;
        TexturedCuboid box(0, 0, 0, 1, 1, 1, "textures/sky.png", "shaders/basic_textured.vs", fragment);
        EXPECT_FALSE(box.setup(UV_MAPPING_CUBE)) << fragment;
        EXPECT_TRUE(output.finish().find("] Failed to build shader program\n\n") != std::string::npos &&
                    TextureManager::getInstance()->getReferenceCount("textures/sky.png") == 0)
            << fragment;
    }
}

// The blended drawables leave blending off and depth writes on, as the next draw expects.
bool stateRestored() {
    GLboolean depthWrites = GL_FALSE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depthWrites);
    return depthWrites == GL_TRUE && glIsEnabled(GL_BLEND) == GL_FALSE;
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
    // Started at (2, 0, -1) in the world, risen one unit in about a second: near (2, 0, 0), not left at the start.
    EXPECT_TRUE(stateRestored() && colourNear(640 + 72, 360, 2, 255, 0, 0, 30) && !isLit(640 + 72, 360 - 36));
}

TEST_F(Drawables, WaterAddsToTheSceneAndFollowsItsOffset) {
    Water water(12, glm::vec3(-6, -6, 0), "textures/sun.png");
    ASSERT_TRUE(water.setup());
    water.render(&above, glm::vec3(0, 0, 20), glm::vec3(0.0f));
    const testing_support::Rgba alone = readPixel(640, 360);
    EXPECT_TRUE(stateRestored() && alone.g > 40 && !isLit(640 + 300, 360)) << "drawn, and the patch ends 6 units out";
    // Additive: over a grey floor the water adds its own colour to the floor's.
    render_test::clearWindow(0.3f, 0.3f, 0.3f);
    water.render(&above, glm::vec3(0, 0, 20), glm::vec3(0.0f));
    EXPECT_TRUE(near(readPixel(640, 360), 76 + alone.r, 76 + alone.g, 76 + alone.b, 2));
    render_test::clearWindow(0, 0, 0);
    water.render(&above, glm::vec3(0, 0, 20), glm::vec3(20, 0, 0));
    EXPECT_FALSE(isLit(640, 360)) << "the offset moves the whole patch";
}

TEST_F(Drawables, MeshesFollowTheFileShareTexturesLoadedOnceAndTurnInTheirBox) {
    {
        Model model("models/parts/parts.obj", "shaders/model.vs", "shaders/model_material.fs", true);
        CapturedStdout output;
        ASSERT_TRUE(model.setup());
        // The missing image is logged by the cache, and the model still sets up.
        EXPECT_NE(output.finish().find("models/parts/nowhere.png"), std::string::npos);
        const std::vector<Mesh*>& meshes = model.getMeshes();
        ASSERT_EQ(meshes.size(), 6u);
        std::string painted;
        for (const Texture& texture : meshes[1]->getTextures()) {
            painted += texture.type + ":" + texture.path + " ";
        }
        EXPECT_EQ(painted,
                  "texture_diffuse:paint.png texture_specular:shine.png texture_normal:bumps.png "
                  "texture_height:glow.png ");
        // One load of the shared image; the object of two materials has its meshes in the order of the file.
        EXPECT_TRUE(meshes[3]->getTextures().at(0).id == meshes[1]->getTextures()[0].id &&
                    model.getTexturesLoaded().size() == 5u &&
                    TextureManager::getInstance()->getReferenceCount("models/parts/paint.png") == 1);
        EXPECT_TRUE(meshes[0]->getMaterial().diffuse == glm::vec3(0.9f, 0.1f, 0.1f) &&
                    meshes[4]->getTextures().at(0).id == 0u &&
                    meshes[5]->getMaterial().diffuse == glm::vec3(0.1f, 0.1f, 0.9f) &&
                    meshes[5]->getIndices().size() == 18u);
        // A quarter turn stands the y-up model upright in its box.
        EXPECT_TRUE(model.getAabbMin() == glm::vec3(-1, 0, -1) && model.getAabbMax() == glm::vec3(6, 2, 1));
        model.rotation = glm::vec3(kQuarterTurn, 0, 0);
        model.setScale(1.5f, false);
        model.setPosition(glm::vec3(10, 20, 30), true);
        EXPECT_LT(
            glm::distance(model.size, glm::vec3(10.5f, 3.0f, 3.0f)) + glm::distance(model.top, glm::vec3(10, 20, 33)),
            1e-4f);
    }
    EXPECT_EQ(TextureManager::getInstance()->getReferenceCount("models/parts/paint.png"), 0);
}

TEST_F(Drawables, MeshSetsLandWhereTheirPivotAndTurnPutThem) {
    Model model("models/parts/parts.obj", "shaders/model.vs", "shaders/model_material.fs", false);
    ASSERT_TRUE(model.setup());
    // The pole stood upright, its foot at the model's position; the slab lying as in the file,
    // lifted by a pivot of -1 in z. Index 99 names no mesh and is skipped.
    model.createMeshSet({0}, glm::vec3(0.0f), glm::vec3(kQuarterTurn, 0, 0));
    model.createMeshSet({99, 2}, glm::vec3(0, 0, -1), glm::vec3(0.0f));
    Camera camera = render_test::lookingAt(glm::vec3(0, -10, 1), glm::vec3(0, 0, 1));
    model.setPosition(glm::vec3(-2, 0, 0), false);
    model.renderMeshSet(&camera, *camera.getPosition(), 0);
    model.setPosition(glm::vec3(3, 0, 0), false);
    model.renderMeshSet(&camera, *camera.getPosition(), 1);
    for (int invalid : {-1, 2}) {
        CapturedStdout output;
        model.renderMeshSet(&camera, glm::vec3(0.0f), invalid);
        EXPECT_NE(output.finish().find("[WARNING] ["), std::string::npos) << invalid;
    }
    // 36 pixels a unit at distance 10; the eye's height 1 is the middle row. Colour 1 is the
    // red pole's, 2 the blue slab's, 0 nothing drawn.
    const int probes[][3] = {{568, 390, 1}, {568, 330, 1}, {568, 400, 0}, {748, 360, 2}, {748, 310, 0}, {820, 380, 0}};
    for (const auto& p : probes) {
        EXPECT_TRUE(colourNear(p[0], p[1], 1, 230, 25, 25, 40) == (p[2] == 1) &&
                    colourNear(p[0], p[1], 2, 25, 25, 230, 40) == (p[2] == 2) && isLit(p[0], p[1]) == (p[2] != 0))
            << p[0] << ", " << p[1];
    }
}

// A textured mesh numbers its samplers per kind in the order of its textures, each on the unit
// of its place in the list; a mesh without textures sets its material instead and a textured
// one leaves the material alone.
TEST_F(Drawables, TexturedMeshesNumberSamplersPerKindAndOthersSetTheirMaterial) {
    ShaderProgram* program = ProgramManager::getInstance()->loadProgram("shaders/model.vs", "shaders/probe.fs", "");
    ASSERT_NE(program, nullptr);
    const std::vector<MeshVertexData> triangle(3, MeshVertexData{});
    Mesh plain(triangle, {0, 1, 2}, {}, Material{{0.9f, 0.1f, 0.1f}, {0, 0, 0}, {0, 0, 0}, 10});
    Mesh textured(triangle, {0, 1, 2},
                  {{0, "texture_diffuse", "a"}, {0, "texture_specular", "b"}, {0, "texture_diffuse", "c"}},
                  Material{{0, 1, 0}, {0, 0, 0}, {0, 0, 0}, 1});
    ASSERT_TRUE(plain.setup() && textured.setup());
    program->use();
    plain.render(nullptr, program);
    textured.render(nullptr, program);
    const GLuint id = program->getId();
    GLint units[3] = {-1, -1, -1};
    glm::vec3 diffuse(0.0f);
    glGetUniformiv(id, glGetUniformLocation(id, "texture_diffuse1"), &units[0]);
    glGetUniformiv(id, glGetUniformLocation(id, "texture_specular1"), &units[1]);
    glGetUniformiv(id, glGetUniformLocation(id, "texture_diffuse2"), &units[2]);
    glGetUniformfv(id, glGetUniformLocation(id, "u_diffuse"), glm::value_ptr(diffuse));
    EXPECT_EQ(glm::ivec3(units[0], units[1], units[2]), glm::ivec3(0, 1, 2));
    EXPECT_EQ(diffuse, glm::vec3(0.9f, 0.1f, 0.1f)) << "the textured mesh leaves the material alone";
    ProgramManager::getInstance()->freeProgram("shaders/model.vs", "shaders/probe.fs", "");
}

TEST_F(Drawables, BadModelsFailWithTheirLine) {
    // Entry, fragment shader, the line of a failure (none: the set-up succeeds).
    const char* const cases[][3] = {
        {"models/none.obj", "shaders/model.fs", "Failed to load models/none.obj from package\n"},
        // Lines the importer does not know are skipped: an empty but valid model.
        {"models/garbage.obj", "shaders/model.fs", ""},
        {"models/parts/parts.obj", "shaders/absent.fs", "Failed to build program"},
        // No '/' in the name: the whole name is the directory, and no material exists.
        {"flat.obj", "shaders/model_material.fs", ""},
    };
    for (const auto& c : cases) {
        CapturedStdout output;
        {
            Model model(c[0], "shaders/model.vs", c[1], false);
            EXPECT_EQ(model.setup(), *c[2] == '\0') << c[0];
        }
        const std::string text = output.finish();
        EXPECT_NE(text.find(c[2]), std::string::npos) << c[0] << ": " << text;
        // A model that never got its program gives nothing back to the cache.
        EXPECT_EQ(text.find("was not found"), std::string::npos) << c[0] << ": " << text;
    }
}

// The texture ranges of each face of a 30 x 20 x 10 box: the dimension mapping repeats once
// per 10 units of the extents, an unknown mapping takes the default, and the cube mapping
// leaves the bottom at (0, 0) and gives the top the middle cell.
TEST_F(Drawables, MappingsGiveTheFacesOfA30By20By10BoxTheirTextureRanges) {
    const float third = 1 / 3.0f;
    // Mapping, face (+Y, -Y, +X, -X, +Z, -Z), the face's lowest and highest texture coordinates.
    const std::tuple<int, int, glm::vec4> cases[] = {{UV_MAPPING_DIMENSION, 4, {0, 0, 3, 2}},
                                                     {UV_MAPPING_DIMENSION, 2, {0, 0, 2, 1}},
                                                     {UV_MAPPING_DIMENSION, 0, {0, 0, 3, 1}},
                                                     {UV_MAPPING_DEFAULT, 3, {0, 0, 1, 1}},
                                                     {7, 5, {0, 0, 1, 1}},
                                                     {UV_MAPPING_CUBE, 5, {0, 0, 0, 0}},
                                                     {UV_MAPPING_CUBE, 4, {third, third, 2 * third, 2 * third}}};
    for (const auto& [mapping, face, expected] : cases) {
        TexturedCuboid box(0, 0, 0, 30, 20, 10, "textures/sky.png", "shaders/basic_textured.vs",
                           "shaders/basic_textured.fs");
        ASSERT_TRUE(box.setup(static_cast<uv_mapping>(mapping)));
        glm::vec4 range(1e9f, 1e9f, -1e9f, -1e9f);
        for (int v = 0; v < 6; ++v) {
            const glm::vec2 uv = glm::make_vec2(&box.getVertexData()[(face * 6 + v) * 8 + 6]);
            range = glm::vec4(glm::min(glm::vec2(range), uv), glm::max(glm::vec2(range.z, range.w), uv));
        }
        EXPECT_LT(glm::distance(range, expected), 1e-6f) << mapping << " face " << face;
    }
}

// One sphere moved and drawn twice in a frame: two silhouettes of the radius built into its
// vertices, in the colour of its texture, and nothing between them.
TEST_F(Drawables, SphereSilhouetteAtEachPositionItIsDrawn) {
    Icosphere sphere(0, 0, 0, "textures/sun.png", 0.0f, 1.0f, 3);
    ASSERT_TRUE(sphere.setup());
    Camera camera = render_test::lookingAt(glm::vec3(0, -5, 0), glm::vec3(0, 0, 0));
    for (float x : {-2.0f, 2.0f}) {
        sphere.setPos(glm::vec3(x, 0, 0));
        sphere.render(&camera);
    }
    // At distance 5 a unit sphere two units aside spans about 73 pixels of radius round x +-144.
    const int probes[][3] = {{496, 360, 1}, {784, 360, 1}, {849, 360, 1}, {784, 425, 1},
                             {884, 360, 0}, {784, 445, 0}, {640, 360, 0}, {396, 360, 0}};  // x, y, sphere seen
    for (const auto& [x, y, seen] : probes) {
        EXPECT_TRUE(near(readPixel(x, y), 0, 180 * seen, 60 * seen, 4 * seen)) << x << ", " << y;
    }
}

// A yellow line moved from along x onto y is drawn on its new axis at the next draw.
TEST_F(Drawables, ALineMovedBySetLinePointsIsDrawnOnItsNewAxis) {
    Line line(glm::vec3(-1, 0, 0), glm::vec3(1, 0, 0), glm::vec3(1, 1, 0));
    ASSERT_TRUE(line.setup());
    line.render(&above);
    EXPECT_TRUE(colourNear(660, 360, 1, 255, 255, 0, 10) && !colourNear(640, 380, 1, 255, 255, 0, 10));
    line.setLinePoints(glm::vec3(0, -1, 0), glm::vec3(0, 1, 0));
    render_test::clearWindow(0, 0, 0);
    line.render(&above);
    EXPECT_TRUE(!colourNear(660, 360, 1, 255, 255, 0, 10) && colourNear(640, 380, 1, 255, 255, 0, 10));
}

// A 4 x 2 quad of texture size 1 centred on (1, 2, 3), seen from 7 units above at 51.4 pixels a
// unit: its image repeats four times across and twice up, flipped upright, at the ambient share
// of its colours (it sets no light, so the light at the origin lies behind it).
TEST_F(Drawables, NormalMappedQuadRepeatsItsTextureWhereItIsPlaced) {
    TexturedQuad quad(0, 0, 0, 4, 2, "textures/quarters.png", "textures/flat_normal.png", "shaders/texture_light.vs",
                      "shaders/texture_light.fs", 1);
    ASSERT_TRUE(quad.setup());
    quad.setPosition(glm::vec3(1, 2, 3));
    quad.render(&above, nullptr);
    const float pixelsPerUnit = 360.0f / 7.0f;
    for (int across = 0; across < 8; ++across) {
        for (int up = 0; up < 4; ++up) {
            // Texture coordinates (u, v) at the middle of a quarter; the quad's corner (-1, 1) is (0, 0).
            const glm::vec2 uv(0.25f + 0.5f * across, 0.25f + 0.5f * up);
            const glm::vec2 pixel = glm::vec2(640, 360) + pixelsPerUnit * (uv + glm::vec2(-1, 1));
            const uint8_t* texel = &kQuarters[((up % 2 == 0 ? 2 : 0) + across % 2) * 3];
            EXPECT_TRUE(near(readPixel(static_cast<int>(pixel.x), static_cast<int>(pixel.y)), texel[0] * 3 / 10,
                             texel[1] * 3 / 10, texel[2] * 3 / 10, 3))
                << uv.x << ", " << uv.y;
        }
    }
    EXPECT_FALSE(isLit(804, 463) || isLit(691, 525) || isLit(580, 463) || isLit(691, 405)) << "beyond its edges";
}

// A ring of radius 1 scaled by 3 round its centre (1, 0, 0), seen from 10 above at 36 pixels a
// unit: 108 pixels round x = 676 in the orbits' colour, and nothing at its centre or outside.
TEST_F(Drawables, RingAppearsWhereItsScaleAndCentrePutItInItsColour) {
    Circle circle(1, 0, 0, 1.0f, 100);
    ASSERT_TRUE(circle.setup());
    circle.scale = 3.0f;
    circle.render(&above);
    const int probes[][3] = {{784, 360, 1}, {568, 360, 1}, {676, 468, 1}, {676, 360, 0}, {826, 360, 0}};  // x, y, ring
    for (const auto& [x, y, ring] : probes) {
        EXPECT_EQ(colourNear(x, y, 2, 89, 115, 153, 10), ring != 0) << x << ", " << y;
    }
}

}  // namespace
