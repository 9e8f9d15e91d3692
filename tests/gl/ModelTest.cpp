#include <GL/glew.h>
#include <gtest/gtest.h>

#include <glm/gtc/type_ptr.hpp>

#include "SceneKit.h"
#include "render/Model.h"
#include "render/ProgramManager.h"
#include "render/ShaderProgram.h"
#include "render/TextureManager.h"

using testing_support::CapturedStdout;

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

// A red pole standing 2 high along y, a textured block, a blue slab, a block sharing the
// texture, and an object of two materials, one naming a missing image.
testing_support::Entries modelEntries() {
    testing_support::Entries entries = scene_test::drawableShaders();
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
        entries.emplace_back(std::string("models/parts/") + image + ".png", scene_test::solidPng(2, 2, 20, 200, 40));
    }
    entries.emplace_back("shaders/probe.fs",
                         "#version 330 core\nuniform sampler2D texture_diffuse1, texture_diffuse2, texture_specular1;\n"
                         "uniform vec3 u_diffuse; out vec4 colour;\nvoid main() { colour = texture(texture_diffuse1, "
                         "vec2(0)) + texture(texture_diffuse2, vec2(0)) + texture(texture_specular1, vec2(0)) + "
                         "vec4(u_diffuse, 1); }\n");
    entries.emplace_back("models/garbage.obj", "this is not a model at all \x01\x02");
    entries.emplace_back("models/outside.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 9\n");
    entries.emplace_back("flat.obj", objBox("Flat", {"none"}, {0, 0, 0}, {1, 1, 1}, 1));
    return entries;
}

struct ModelTest : ::testing::Test {
    void SetUp() override { ASSERT_TRUE(package.ok()); }
    render_test::PackageFolder package{modelEntries()};
};

TEST_F(ModelTest, MeshesFollowTheFileShareTexturesLoadedOnceAndTurnInTheirBox) {
    {
        Model model("models/parts/parts.obj", "shaders/model.vs", "shaders/model_material.fs", true);
        CapturedStdout output;
        ASSERT_TRUE(model.setup());
        // The missing image is logged by the cache, and the model still sets up.
        EXPECT_NE(output.finish().find("models/parts/nowhere.png"), std::string::npos);
        const std::vector<Mesh*>& meshes = model.getMeshes();
        ASSERT_EQ(meshes.size(), 6u);
        EXPECT_EQ(meshes[0]->getMaterial().diffuse, glm::vec3(0.9f, 0.1f, 0.1f));
        EXPECT_FLOAT_EQ(meshes[0]->getMaterial().shininess, 10.0f);
        EXPECT_EQ(meshes[0]->getIndices().size(), 36u);
        EXPECT_EQ(meshes[2]->getMaterial().specular, glm::vec3(0.5f));
        std::string painted;
        for (const Texture& texture : meshes[1]->getTextures()) {
            painted += texture.type + ":" + texture.path + " ";
        }
        EXPECT_EQ(painted, "texture_diffuse:paint.png texture_specular:shine.png texture_normal:bumps.png "
                           "texture_height:glow.png ");
        EXPECT_EQ(meshes[3]->getTextures().at(0).id, meshes[1]->getTextures()[0].id);
        EXPECT_EQ(model.getTexturesLoaded().size(), 5u);
        EXPECT_EQ(TextureManager::getInstance()->getReferenceCount("models/parts/paint.png"), 1);
        // The object of two materials: its meshes in the order of the file, 3 quads each.
        EXPECT_EQ(meshes[4]->getTextures().at(0).id, 0u);
        EXPECT_EQ(meshes[5]->getMaterial().diffuse, glm::vec3(0.1f, 0.1f, 0.9f));
        EXPECT_EQ(meshes[5]->getIndices().size(), 18u);
        // A quarter turn stands the y-up model upright in its box.
        EXPECT_EQ(model.getAabbMin(), glm::vec3(-1, 0, -1));
        EXPECT_EQ(model.getAabbMax(), glm::vec3(6, 2, 1));
        model.rotation = glm::vec3(kQuarterTurn, 0, 0);
        model.setScale(1.5f, false);
        model.setPosition(glm::vec3(10, 20, 30), true);
        EXPECT_LT(glm::distance(model.size, glm::vec3(10.5f, 3.0f, 3.0f)), 1e-4f);
        EXPECT_LT(glm::distance(model.top, glm::vec3(10, 20, 33)), 1e-4f);
    }
    EXPECT_EQ(TextureManager::getInstance()->getReferenceCount("models/parts/paint.png"), 0);
}

TEST_F(ModelTest, MeshSetsLandWhereTheirPivotAndTurnPutThem) {
    Model model("models/parts/parts.obj", "shaders/model.vs", "shaders/model_material.fs", false);
    ASSERT_TRUE(model.setup());
    // The pole stood upright, its foot at the model's position; the slab lying as in the file,
    // lifted by a pivot of -1 in z. Index 99 names no mesh and is skipped.
    model.createMeshSet({0}, glm::vec3(0.0f), glm::vec3(kQuarterTurn, 0, 0));
    model.createMeshSet({99, 2}, glm::vec3(0, 0, -1), glm::vec3(0.0f));
    Camera camera = scene_test::lookingAt(glm::vec3(0, -10, 1), glm::vec3(0, 0, 1));
    render_test::clearWindow(0, 0, 0);
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
    const int probes[][3] = {{568, 390, 1}, {568, 330, 1}, {568, 400, 0}, {568, 320, 0}, {748, 360, 2},
                             {748, 310, 0}, {748, 410, 0}, {640, 340, 0}, {820, 380, 0}};
    for (const auto& p : probes) {
        EXPECT_EQ(scene_test::colourNear(p[0], p[1], 1, 230, 25, 25, 40), p[2] == 1) << p[0] << ", " << p[1];
        EXPECT_EQ(scene_test::colourNear(p[0], p[1], 2, 25, 25, 230, 40), p[2] == 2) << p[0] << ", " << p[1];
        EXPECT_EQ(scene_test::isLit(p[0], p[1]), p[2] != 0) << p[0] << ", " << p[1];
    }
}

TEST_F(ModelTest, TexturedMeshesNumberSamplersPerKindAndOthersSetTheirMaterial) {
    ShaderProgram* program = ProgramManager::getInstance()->loadProgram("shaders/model.vs", "shaders/probe.fs", "");
    ASSERT_NE(program, nullptr);
    const std::vector<MeshVertexData> triangle(3, MeshVertexData{});
    Mesh plain(triangle, {0, 1, 2}, {}, Material{{0.9f, 0.1f, 0.1f}, {0, 0, 0}, {0, 0, 0}, 10});
    Mesh textured(triangle, {0, 1, 2}, {{0, "texture_diffuse", "a"}, {0, "texture_specular", "b"}, {0, "texture_diffuse", "c"}},
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
    GLint active = -1;
    glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
    EXPECT_EQ(active, GL_TEXTURE0);
    ProgramManager::getInstance()->freeProgram("shaders/model.vs", "shaders/probe.fs", "");
}

TEST_F(ModelTest, BadModelsFailWithTheirLine) {
    // Entry, fragment shader, the line of a failure (none: the set-up succeeds).
    const char* const cases[][3] = {
        {"models/none.obj", "shaders/model.fs", "Failed to load models/none.obj from package\n"},
        // Lines the importer does not know are skipped: an empty but valid model.
        {"models/garbage.obj", "shaders/model.fs", ""},
        {"models/outside.obj", "shaders/model.fs", "ASSIMP model setup problem"},
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

}  // namespace
