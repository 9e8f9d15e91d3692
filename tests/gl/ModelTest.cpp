#include <GL/glew.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <glm/gtc/type_ptr.hpp>
#include <memory>

#include "SceneKit.h"
#include "render/Model.h"
#include "render/TextureManager.h"

using testing_support::CapturedStdout;
using testing_support::near;
using testing_support::readPixel;

namespace {

const float kQuarterTurn = 1.5707964f;

// An axis-aligned box as OBJ lines, its vertices numbered from firstVertex (1-based).
std::string objBox(const std::string& name, const std::string& material, glm::vec3 low, glm::vec3 high,
                   int firstVertex) {
    std::string text = "o " + name + "\n";
    for (int i = 0; i < 8; ++i) {
        const glm::vec3 c((i & 1) ? high.x : low.x, (i & 2) ? high.y : low.y, (i & 4) ? high.z : low.z);
        text += "v " + std::to_string(c.x) + " " + std::to_string(c.y) + " " + std::to_string(c.z) + "\n";
    }
    text += "usemtl " + material + "\n";
    // Six quads, counter-clockwise from outside; OBJ quads are triangulated on import.
    const int faces[6][4] = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4}, {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};
    for (const auto& face : faces) {
        text += "f";
        for (int k = 0; k < 4; ++k) {
            text += " " + std::to_string(firstVertex + face[k]);
        }
        text += "\n";
    }
    return text;
}

// Three parts: a red pole standing 2 high along y, a textured block and a blue slab.
const char* const kMtl =
    "newmtl red\nKd 0.9 0.1 0.1\nKa 0 0 0\nKs 0 0 0\nNs 10\n"
    "newmtl blue\nKd 0.1 0.1 0.9\nKs 0.5 0.5 0.5\n"
    "newmtl painted\nKd 1 1 1\nmap_Kd paint.png\nmap_Ks shine.png\nmap_bump bumps.png\nmap_Ka glow.png\n"
    "newmtl painted_again\nKd 1 1 1\nmap_Kd paint.png\n"
    "newmtl lost\nKd 1 1 1\nmap_Kd nowhere.png\n";

std::string partsObj() {
    return "mtllib parts.mtl\n" + objBox("Pole", "red", {-0.1f, 0, -0.1f}, {0.1f, 2, 0.1f}, 1) +
           objBox("Block", "painted", {-0.5f, 0, -0.5f}, {0.5f, 1, 0.5f}, 9) +
           objBox("Slab", "blue", {-1, 0, -1}, {1, 0.2f, 1}, 17) +
           objBox("Again", "painted_again", {3, 0, 0}, {4, 1, 1}, 25) +
           objBox("Lost", "lost", {5, 0, 0}, {6, 1, 1}, 33);
}

// Declares every sampler and material uniform a mesh may set, and uses them all.
const char* const kProbeFragment =
    "#version 330 core\n"
    "uniform sampler2D texture_diffuse1; uniform sampler2D texture_specular1;\n"
    "uniform sampler2D texture_normal1; uniform sampler2D texture_height1;\n"
    "uniform vec3 u_ambient; uniform vec3 u_diffuse; uniform vec3 u_specular; uniform float u_shininess;\n"
    "out vec4 frag_color;\n"
    "void main() { vec2 uv = vec2(0.5);\n"
    "  frag_color = texture(texture_diffuse1, uv) + texture(texture_specular1, uv) + texture(texture_normal1, uv)\n"
    "    + texture(texture_height1, uv) + vec4(u_ambient + u_diffuse + u_specular, u_shininess); }\n";

testing_support::Entries modelEntries() {
    testing_support::Entries entries = scene_test::drawableShaders();
    entries.emplace_back("shaders/probe.fs", kProbeFragment);
    entries.emplace_back("models/parts/parts.obj", partsObj());
    entries.emplace_back("models/parts/parts.mtl", kMtl);
    entries.emplace_back("models/parts/paint.png", scene_test::solidPng(2, 2, 20, 200, 40));
    entries.emplace_back("models/parts/shine.png", scene_test::solidPng(2, 2, 0, 0, 0));
    entries.emplace_back("models/parts/bumps.png", scene_test::solidPng(2, 2, 128, 128, 255));
    entries.emplace_back("models/parts/glow.png", scene_test::solidPng(2, 2, 0, 0, 0));
    entries.emplace_back("models/garbage.obj", "this is not a model at all \x01\x02");
    entries.emplace_back("models/outside.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 9\n");
    entries.emplace_back("flat.obj", objBox("Flat", "none", {0, 0, 0}, {1, 1, 1}, 1));
    return entries;
}

class ModelTest : public ::testing::Test {
protected:
    render_test::PackageFolder package{modelEntries()};
};

TEST_F(ModelTest, MeshesFollowTheFileWithTheirMaterialsAndTextures) {
    ASSERT_TRUE(package.ok());
    {
        Model model("models/parts/parts.obj", "shaders/model.vs", "shaders/model_material.fs", true);
        CapturedStdout output;
        ASSERT_TRUE(model.setup());
        const std::string text = output.finish();
        // The lost texture is logged by the cache, and the model still sets up.
        EXPECT_NE(text.find("models/parts/nowhere.png"), std::string::npos) << text;

        const std::vector<Mesh*>& meshes = model.getMeshes();
        ASSERT_EQ(meshes.size(), 5u);
        EXPECT_EQ(meshes[0]->getMaterial().diffuse, glm::vec3(0.9f, 0.1f, 0.1f));
        EXPECT_FLOAT_EQ(meshes[0]->getMaterial().shininess, 10.0f);
        EXPECT_TRUE(meshes[0]->getTextures().empty());
        EXPECT_EQ(meshes[2]->getMaterial().specular, glm::vec3(0.5f));
        EXPECT_EQ(meshes[2]->getMaterial().ambient, glm::vec3(0.0f));
        // 6 quads become 12 triangles.
        EXPECT_EQ(meshes[0]->getIndices().size(), 36u);

        struct Expected {
            const char* type;
            const char* path;
        };
        const Expected painted[] = {{"texture_diffuse", "paint.png"},
                                    {"texture_specular", "shine.png"},
                                    {"texture_normal", "bumps.png"},
                                    {"texture_height", "glow.png"}};
        ASSERT_EQ(meshes[1]->getTextures().size(), 4u);
        for (size_t i = 0; i < 4; ++i) {
            EXPECT_EQ(meshes[1]->getTextures()[i].type, painted[i].type);
            EXPECT_EQ(meshes[1]->getTextures()[i].path, painted[i].path);
            EXPECT_NE(meshes[1]->getTextures()[i].id, 0u);
        }
        // A texture named by two materials is loaded once and shared.
        ASSERT_EQ(meshes[3]->getTextures().size(), 1u);
        EXPECT_EQ(meshes[3]->getTextures()[0].id, meshes[1]->getTextures()[0].id);
        EXPECT_EQ(model.getTexturesLoaded().size(), 5u);
        EXPECT_EQ(TextureManager::getInstance()->getReferenceCount("models/parts/paint.png"), 1);
        EXPECT_EQ(meshes[4]->getTextures()[0].id, 0u);
    }
    EXPECT_EQ(TextureManager::getInstance()->getReferenceCount("models/parts/paint.png"), 0);
}

TEST_F(ModelTest, QuarterTurnStandsAYUpModelUprightInItsBox) {
    ASSERT_TRUE(package.ok());
    Model model("models/parts/parts.obj", "shaders/model.vs", "shaders/model_material.fs", false);
    ASSERT_TRUE(model.setup());
    EXPECT_EQ(model.getAabbMin(), glm::vec3(-1, 0, -1));
    EXPECT_EQ(model.getAabbMax(), glm::vec3(6, 2, 1));

    const glm::vec3 sizeBefore = model.size;
    const glm::vec3 topBefore = model.top;
    model.rotation = glm::vec3(kQuarterTurn, 0, 0);
    model.setScale(1.5f, false);
    model.setPosition(glm::vec3(10, 20, 30), false);
    // Without the flag nothing is recomputed.
    EXPECT_EQ(model.size, sizeBefore);
    EXPECT_EQ(model.top, topBefore);
    model.updateAABB();
    EXPECT_NEAR(model.size.z, 3.0f, 1e-5f);  // the y extent, scaled
    EXPECT_NEAR(model.size.x, 10.5f, 1e-5f);
    EXPECT_NEAR(model.size.y, 3.0f, 1e-5f);
    EXPECT_NEAR(model.top.z, 33.0f, 1e-5f);
    EXPECT_EQ(glm::vec2(model.top), glm::vec2(10, 20));
}

TEST_F(ModelTest, MeshSetLandsWhereItsPivotAndTurnPutIt) {
    ASSERT_TRUE(package.ok());
    Model model("models/parts/parts.obj", "shaders/model.vs", "shaders/model_material.fs", false);
    ASSERT_TRUE(model.setup());
    // Set 0: the pole alone, stood upright; its foot at the model's position.
    model.createMeshSet({0}, glm::vec3(0.0f), glm::vec3(kQuarterTurn, 0, 0));
    // Set 1: the slab alone, lying as in the file, lifted by a pivot of -1 in z; index 99
    // names no mesh and is skipped rather than read past the list.
    model.createMeshSet({99, 2}, glm::vec3(0, 0, -1), glm::vec3(0.0f));
    ASSERT_EQ(model.getNumMeshSets(), 2);

    Camera camera = scene_test::lookingAt(glm::vec3(0, -10, 1), glm::vec3(0, 0, 1));
    const glm::vec3 light(0, -10, 1);
    render_test::clearWindow(0, 0, 0);
    model.setPosition(glm::vec3(-2, 0, 0), false);
    model.renderMeshSet(&camera, light, 0);
    model.setPosition(glm::vec3(3, 0, 0), false);
    model.renderMeshSet(&camera, light, 1);
    for (int invalid : {-1, 2}) {
        CapturedStdout output;
        model.renderMeshSet(&camera, light, invalid);
        EXPECT_NE(output.finish().find("[WARNING] ["), std::string::npos) << invalid;
    }
    scene_test::saveScreenshot("model_mesh_sets.png");

    // 36 pixels per unit at distance 10; the eye is at height 1, the window's middle row.
    const int poleX = 640 - 72;
    EXPECT_TRUE(scene_test::colourNear(poleX, 360 + 30, 1, 230, 25, 25, 40)) << "pole, upper half";
    EXPECT_TRUE(scene_test::colourNear(poleX, 360 - 30, 1, 230, 25, 25, 40)) << "pole, lower half";
    EXPECT_FALSE(scene_test::isLit(poleX, 360 + 40)) << "above the pole's top";
    EXPECT_FALSE(scene_test::isLit(poleX, 360 - 40)) << "below the pole's foot";
    // The slab, unturned, faces the eye as a square over x 2..4, lifted to z 0..2.
    EXPECT_TRUE(scene_test::colourNear(640 + 108, 360, 2, 25, 25, 230, 40)) << "slab";
    EXPECT_FALSE(scene_test::isLit(640 + 108, 360 - 50)) << "below the lifted slab";
    EXPECT_FALSE(scene_test::isLit(640 + 108, 360 + 50)) << "above the lifted slab";
    // Nothing else of the model was drawn, by the sets or by the invalid indices.
    EXPECT_FALSE(scene_test::isLit(640, 360 - 20));
    EXPECT_FALSE(scene_test::isLit(640 + 180, 380));
}

TEST_F(ModelTest, MeshesSetSamplersOrMaterialButNeverBoth) {
    ASSERT_TRUE(package.ok());
    Model model("models/parts/parts.obj", "shaders/model.vs", "shaders/probe.fs", false);
    ASSERT_TRUE(model.setup());
    model.createMeshSet({0}, glm::vec3(0.0f), glm::vec3(0.0f));
    model.createMeshSet({1}, glm::vec3(0.0f), glm::vec3(0.0f));
    Camera camera = scene_test::lookingAt(glm::vec3(0, -10, 1), glm::vec3(0, 0, 1));
    model.renderMeshSet(&camera, glm::vec3(0.0f), 0);
    model.renderMeshSet(&camera, glm::vec3(0.0f), 1);

    GLint program = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    const auto sampler = [program](const char* name) {
        GLint unit = -1;
        glGetUniformiv(static_cast<GLuint>(program), glGetUniformLocation(static_cast<GLuint>(program), name), &unit);
        return unit;
    };
    EXPECT_EQ(sampler("texture_diffuse1"), 0);
    EXPECT_EQ(sampler("texture_specular1"), 1);
    EXPECT_EQ(sampler("texture_normal1"), 2);
    EXPECT_EQ(sampler("texture_height1"), 3);
    // The textured mesh left the red pole's material in place.
    glm::vec3 diffuse(0.0f);
    glGetUniformfv(static_cast<GLuint>(program), glGetUniformLocation(static_cast<GLuint>(program), "u_diffuse"),
                   glm::value_ptr(diffuse));
    EXPECT_EQ(diffuse, glm::vec3(0.9f, 0.1f, 0.1f));
    GLint active = -1;
    glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
    EXPECT_EQ(active, GL_TEXTURE0);
}

TEST_F(ModelTest, BadModelsFailWithTheirLine) {
    ASSERT_TRUE(package.ok());
    struct Case {
        const char* entry;
        const char* fragment;
        bool ok;
        const char* line;
    };
    const Case cases[] = {
        {"models/none.obj", "shaders/model.fs", false, "Failed to load models/none.obj from package\n"},
        // Lines the importer does not know are skipped: an empty but valid model.
        {"models/garbage.obj", "shaders/model.fs", true, ""},
        {"models/outside.obj", "shaders/model.fs", false, "ASSIMP model setup problem"},
        {"models/parts/parts.obj", "shaders/absent.fs", false, "Failed to build program"},
        // No '/' in the name: the whole name is the directory, and no material exists.
        {"flat.obj", "shaders/model_material.fs", true, ""},
    };
    for (const Case& c : cases) {
        CapturedStdout output;
        {
            Model model(c.entry, "shaders/model.vs", c.fragment, false);
            EXPECT_EQ(model.setup(), c.ok) << c.entry;
        }
        const std::string text = output.finish();
        EXPECT_NE(text.find(c.line), std::string::npos) << c.entry << ": " << text;
        // Deleting a model that never got its program gives nothing back to the cache.
        EXPECT_EQ(text.find("was not found"), std::string::npos) << c.entry << ": " << text;
    }
}

}  // namespace
