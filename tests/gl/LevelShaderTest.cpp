// The terrain tiles' shader pair, built from a package as a tile builds it and drawn with
// plain GL calls the way a tile draws itself.
#include <GL/glew.h>
#include <gtest/gtest.h>

#include "RenderTestKit.h"
#include "render/ShaderProgram.h"
#include "support/GlWindow.h"

#include <glm/glm.hpp>
#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>

#include <map>
#include <memory>
#include <string>

namespace {

class LevelShader : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.ok());
        shader = std::make_unique<ShaderProgram>("shaders/level.vs", "shaders/level.fs", "");
        ASSERT_TRUE(shader->build());
        program = shader->getId();
    }

    render_test::PackageFolder folder{{{"shaders/level.vs", render_test::assetSource("shaders/level.vs")},
                                       {"shaders/level.fs", render_test::assetSource("shaders/level.fs")}}};
    std::unique_ptr<ShaderProgram> shader;
    GLuint program = 0;
};

// Every uniform the tile sets by name must be live in the program, or the tile's value
// goes nowhere.
TEST_F(LevelShader, LinksWithEveryUniformTheTileSets) {
    const char* uniforms[] = {"u_world_matrix", "u_projection_matrix", "u_view_matrix", "u_view_dir",
                              "u_view_pos", "u_light_pos", "diffuse_texture_sampler",
                              "diffuse_usage_texture_sampler", "specular_texture_sampler",
                              "normal_texture_sampler", "u_specular_strength"};
    for (const char* name : uniforms) {
        EXPECT_NE(glGetUniformLocation(program, name), -1) << name;
    }
}

// The tile binds no attribute names: position, normal and texture coordinates must sit at
// locations 0, 1 and 2 with the vertex's component counts.
TEST_F(LevelShader, TakesTheTerrainVertexAtItsLocations) {
    GLint count = 0;
    glGetProgramiv(program, GL_ACTIVE_ATTRIBUTES, &count);
    std::map<GLint, GLenum> typeAt;
    for (GLint i = 0; i < count; ++i) {
        char name[64] = {0};
        GLint size = 0;
        GLenum type = 0;
        glGetActiveAttrib(program, static_cast<GLuint>(i), sizeof name, nullptr, &size, &type, name);
        typeAt[glGetAttribLocation(program, name)] = type;
    }
    const std::map<GLint, GLenum> expected = {{0, GL_FLOAT_VEC3}, {1, GL_FLOAT_VEC3}, {2, GL_FLOAT_VEC2}};
    EXPECT_EQ(typeAt, expected);
}

GLuint solidTexture(GLuint unit, uint8_t r, uint8_t g, uint8_t b) {
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glActiveTexture(GL_TEXTURE0 + unit);
    glBindTexture(GL_TEXTURE_2D, texture);
    const uint8_t pixel[4] = {r, g, b, 255};
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    return texture;
}

// Draws a flat square of terrain with its downward normals, seen from above, lit from the
// given position; returns the brightness at the window's centre.
int brightnessLitFrom(GLuint program, const glm::vec3& light) {
    struct Vertex {
        float position[3], normal[3], uv[2];
    };
    const Vertex vertices[] = {{{-4, -4, 0}, {0, 0, -1}, {0, 0}},
                               {{4, -4, 0}, {0, 0, -1}, {1, 0}},
                               {{-4, 4, 0}, {0, 0, -1}, {0, 1}},
                               {{4, 4, 0}, {0, 0, -1}, {1, 1}}};
    const GLuint indices[] = {0, 2, 1, 1, 2, 3};
    GLuint vao = 0, vbo = 0, ibo = 0;
    glGenVertexArrays(1, &vao);
    glBindVertexArray(vao);
    glGenBuffers(1, &vbo);
    glBindBuffer(GL_ARRAY_BUFFER, vbo);
    glBufferData(GL_ARRAY_BUFFER, sizeof vertices, vertices, GL_STATIC_DRAW);
    glGenBuffers(1, &ibo);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, ibo);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, sizeof indices, indices, GL_STATIC_DRAW);
    for (GLuint attribute = 0; attribute < 3; ++attribute) {
        glEnableVertexAttribArray(attribute);
        glVertexAttribPointer(attribute, attribute == 2 ? 2 : 3, GL_FLOAT, GL_FALSE, sizeof(Vertex),
                              reinterpret_cast<const void*>(attribute * 3 * sizeof(float)));
    }
    const GLuint textures[] = {solidTexture(0, 200, 200, 200), solidTexture(1, 0, 0, 0), solidTexture(2, 0, 0, 0),
                               solidTexture(3, 128, 128, 255)};

    const glm::vec3 eye(0.0f, 0.0f, 5.0f);
    const glm::vec3 viewDir(0.0f, 0.0f, -1.0f);
    const glm::mat4 view = glm::lookAtRH(eye, glm::vec3(0.0f), glm::vec3(0, 1, 0));
    const glm::mat4 projection = glm::perspectiveRH(glm::half_pi<float>(), 1280.0f / 720.0f, 0.01f, 400.0f);
    const glm::mat4 world(1.0f);
    glUseProgram(program);
    glUniformMatrix4fv(glGetUniformLocation(program, "u_world_matrix"), 1, GL_FALSE, glm::value_ptr(world));
    glUniformMatrix4fv(glGetUniformLocation(program, "u_view_matrix"), 1, GL_FALSE, glm::value_ptr(view));
    glUniformMatrix4fv(glGetUniformLocation(program, "u_projection_matrix"), 1, GL_FALSE,
                       glm::value_ptr(projection));
    glUniform3fv(glGetUniformLocation(program, "u_light_pos"), 1, glm::value_ptr(light));
    glUniform3fv(glGetUniformLocation(program, "u_view_pos"), 1, glm::value_ptr(eye));
    glUniform3fv(glGetUniformLocation(program, "u_view_dir"), 1, glm::value_ptr(viewDir));
    glUniform1f(glGetUniformLocation(program, "u_specular_strength"), 1.0f);
    const char* samplers[] = {"diffuse_texture_sampler", "diffuse_usage_texture_sampler",
                              "specular_texture_sampler", "normal_texture_sampler"};
    for (int unit = 0; unit < 4; ++unit) {
        glUniform1i(glGetUniformLocation(program, samplers[unit]), unit);
    }
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_DEPTH_TEST);
    glDrawElements(GL_TRIANGLES, 6, GL_UNSIGNED_INT, nullptr);
    glDisable(GL_DEPTH_TEST);
    const testing_support::Rgba pixel = testing_support::readPixel(640, 360);

    glBindVertexArray(0);
    glDeleteTextures(4, textures);
    glDeleteBuffers(1, &vbo);
    glDeleteBuffers(1, &ibo);
    glDeleteVertexArrays(1, &vao);
    glActiveTexture(GL_TEXTURE0);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    return pixel.r;
}

// The mesh's normals point down; ground lit from above must come out bright and ground lit
// from below only ambient.
TEST_F(LevelShader, LightsGroundFromAboveDespiteDownwardNormals) {
    const int fromAbove = brightnessLitFrom(program, glm::vec3(0.0f, 0.0f, 50.0f));
    const int fromBelow = brightnessLitFrom(program, glm::vec3(0.0f, 0.0f, -50.0f));
    EXPECT_GT(fromAbove, 180);
    EXPECT_LT(fromBelow, 100);
    EXPECT_GT(fromBelow, 30) << "no ambient light";
}

}  // namespace
