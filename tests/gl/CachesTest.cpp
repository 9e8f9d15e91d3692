// The program and texture caches, the game's shader pairs linked as their drawables use them
// and reading their vertex layout, and the line that names a pending OpenGL error.
#include <GL/glew.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "RenderTestKit.h"
#include "core/Utils.h"
#include "render/ProgramManager.h"
#include "render/ShaderProgram.h"
#include "render/TextureManager.h"
#include "support/RunAssets.h"

namespace {

const char *const kVs = "shaders/basicortho.vs", *const kFs = "shaders/basicortho.fs";
const char* const kBroken = "#version 330 core\nvoid main() { this is not glsl }\n";

// A fragment shader without main compiles, but its program cannot link.
struct Caches : ::testing::Test {
    render_test::PackageFolder package{{{"t/unlinkable.fs", "#version 330 core\nvoid paint() {}\n"},
                                        {"t/broken.vs", kBroken},
                                        {"t/broken.fs", kBroken},
                                        {"t/broken.gs", kBroken},
                                        {"img/grey.png", render_test::pngBytes(1, 1, 1, {77})},
                                        {"img/grey_alpha.png", render_test::pngBytes(1, 1, 2, {77, 33})},
                                        {"img/rgb.bmp", render_test::bmpBytes(1, 1, 3, {10, 20, 30})},
                                        {"img/garbage.png", "\x89PNG this is no image"}}};
    ProgramManager* programs = ProgramManager::getInstance();
    TextureManager* textures = TextureManager::getInstance();
};

TEST_F(Caches, ProgramSharesOneProgramUntilTheLastReferenceIsGivenBack) {
    ShaderProgram* first = programs->loadProgram(kVs, kFs, "");
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(programs->loadProgram(kVs, kFs, "") == first && first->getReferenceCount() == 2);
    const GLuint id = first->getId();
    programs->freeProgram(kVs, kFs, "");
    EXPECT_TRUE(glIsProgram(id));
    programs->freeProgram(kVs, kFs, "");
    EXPECT_FALSE(glIsProgram(id));
    // One give-back too many only says so.
    testing_support::CapturedStdout output;
    programs->freeProgram(kVs, kFs, "");
    EXPECT_TRUE(
        render_test::hasLogLine(output.finish(), std::string("The program with key ") + kVs + kFs + " was not found"));
}

TEST_F(Caches, ProgramFailedBuildsReturnNullAndLogEveryTime) {
    const std::tuple<const char*, const char*, const char*, const char*, bool> cases[] = {
        {kVs, kFs, "t/none.gs", "Failed to load package file t/none.gs", false},
        {"t/broken.vs", kFs, "", "Unable to compile vertex shader t/broken.vs", true},
        {kVs, "t/broken.fs", "", "Unable to compile fragment shader t/broken.fs", true},
        {kVs, kFs, "t/broken.gs", "Unable to compile geometry shader t/broken.gs", true},
        {kVs, "t/unlinkable.fs", "", "Error linking program ", true},
    };
    for (const auto& [vertex, fragment, geometry, line, driverSays] : cases) {
        for (int attempt = 0; attempt < 2; ++attempt) {
            testing_support::CapturedStdout output;
            EXPECT_EQ(programs->loadProgram(vertex, fragment, geometry), nullptr) << line;
            const std::string log = output.finish();
            EXPECT_NE(log.find(std::string("] ") + line), std::string::npos) << log;
            EXPECT_EQ(log.find("]   ") != std::string::npos, driverSays) << log;  // its words, indented
            EXPECT_TRUE(render_test::hasLogLine(
                log, std::string("Failed to build program (") + vertex + ", " + fragment + ", " + geometry + ")"));
        }
    }
}

// Every uniform a drawable sets by name is live: a missing one draws it black or unplaced.
TEST(GameShaders, LinkWithTheUniformsTheirDrawablesSet) {
    REQUIRE_RUN_ASSETS();
    testing_support::ScopedWorkingDirectory inside(QUENLOW_RUN_DIR);
    const std::tuple<const char*, const char*, std::vector<const char*>> programs[] = {
        {"shaders/level.vs",
         "shaders/level.fs",
         {"u_world_matrix", "u_projection_matrix", "u_view_matrix", "u_view_dir", "u_view_pos", "u_light_pos",
          "u_specular_strength", "diffuse_texture_sampler", "diffuse_usage_texture_sampler", "specular_texture_sampler",
          "normal_texture_sampler"}},
        {"shaders/ufo.vs",
         "shaders/ufo.fs",
         {"u_world_matrix", "u_view_matrix", "u_projection_matrix", "u_light_pos", "u_view_pos", "texture_diffuse1",
          "texture_normal1", "texture_height1"}}};
    for (const auto& [vertex, fragment, uniforms] : programs) {
        ShaderProgram shader(vertex, fragment, "");
        ASSERT_TRUE(shader.build()) << vertex;
        for (const char* name : uniforms) {
            EXPECT_NE(glGetUniformLocation(shader.getId(), name), -1) << vertex << " " << name;
        }
    }
}

// The terrain tile binds no attribute names: its vertex stage reads position, normal and texture
// coordinates at 0, 1 and 2, where the tile's vertex layout puts them.
TEST(GameShaders, TheTerrainReadsItsVertexLayout) {
    REQUIRE_RUN_ASSETS();
    testing_support::ScopedWorkingDirectory inside(QUENLOW_RUN_DIR);
    ShaderProgram level("shaders/level.vs", "shaders/level.fs", "");
    ASSERT_TRUE(level.build());
    std::map<GLint, GLenum> typeAt;
    for (GLuint i = 0; i < 3; ++i) {
        char name[64] = {0};
        GLint size = 0;
        GLenum type = 0;
        glGetActiveAttrib(level.getId(), i, sizeof name, nullptr, &size, &type, name);
        typeAt[glGetAttribLocation(level.getId(), name)] = type;
    }
    EXPECT_EQ(typeAt, (std::map<GLint, GLenum>{{0, GL_FLOAT_VEC3}, {1, GL_FLOAT_VEC3}, {2, GL_FLOAT_VEC2}}));
}

TEST_F(Caches, TextureSharesOneTextureUntilTheLastReferenceIsGivenBack) {
    const GLuint first = textures->loadTexture("img/grey.png", false);
    ASSERT_NE(first, 0u);
    EXPECT_EQ(textures->loadTexture("img/grey.png", true), first);
    EXPECT_EQ(textures->getReferenceCount("img/grey.png"), 2);
    textures->freeTexture("img/grey.png");
    EXPECT_TRUE(glIsTexture(first));
    textures->freeTexture("img/grey.png");
    EXPECT_FALSE(glIsTexture(first));
    textures->freeTexture("img/grey.png");  // one too many: quietly ignored
}

TEST_F(Caches, TextureEveryStoredLayoutArrivesAsRgba) {
    const std::pair<const char*, std::vector<uint8_t>> cases[] = {{"img/grey.png", {77, 77, 77, 255}},
                                                                  {"img/grey_alpha.png", {77, 77, 77, 33}},
                                                                  {"img/rgb.bmp", {10, 20, 30, 255}}};
    for (const auto& [name, rgba] : cases) {
        ASSERT_NE(textures->loadTexture(name, false), 0u) << name;
        std::vector<uint8_t> stored(4);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, stored.data());
        EXPECT_EQ(stored, rgba) << name;
        textures->freeTexture(name);
    }
}

TEST_F(Caches, TextureFailedLoadsReturnZeroLogAndCacheNothing) {
    const std::pair<const char*, const char*> cases[] = {
        {"img/none.png", "Failed to load package data for img/none.png"},
        {"img/garbage.png", "Failed to load texture (img/garbage.png)"}};
    for (const auto& [name, line] : cases) {
        testing_support::CapturedStdout output;
        EXPECT_EQ(textures->loadTexture(name, true), 0u);
        EXPECT_TRUE(render_test::hasLogLine(output.finish(), line));
        EXPECT_EQ(textures->getReferenceCount(name), 0);  // nothing cached: the next load tries again
    }
}

// The error is named with the statement and the place given, and read off so that none is left.
TEST(GlErrors, APendingErrorIsNamedWithItsPlace) {
    glGetError();
    glEnable(0x1234);
    testing_support::CapturedStdout out;
    CheckOpenGLError("glEnable(0x1234)", "Scene.cpp", 42);
    CheckOpenGLError("glEnable(GL_BLEND)", "Scene.cpp", 43);
    const std::string log = out.finish();
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << log;
    EXPECT_TRUE(
        render_test::hasLogLine(log, "GL error 00000500 (INVALID_ENUM), at Scene.cpp:42 - for glEnable(0x1234)"));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

}  // namespace
