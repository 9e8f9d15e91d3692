// The terrain tiles' shader pair, built from a package as a tile builds it.
#include <GL/glew.h>
#include <gtest/gtest.h>

#include <map>

#include "RenderTestKit.h"
#include "render/ShaderProgram.h"

namespace {

// Every uniform the tile sets by name is live; the tile binds no attribute names, so
// position, normal and texture coordinates sit at locations 0, 1 and 2.
TEST(LevelShader, LinksWithTheTilesUniformsAndVertexLayout) {
    render_test::PackageFolder folder({{"shaders/level.vs", render_test::assetSource("shaders/level.vs")},
                                       {"shaders/level.fs", render_test::assetSource("shaders/level.fs")}});
    ASSERT_TRUE(folder.ok());
    ShaderProgram shader("shaders/level.vs", "shaders/level.fs", "");
    ASSERT_TRUE(shader.build());
    const GLuint program = shader.getId();
    for (const char* name : {"u_world_matrix", "u_projection_matrix", "u_view_matrix", "u_view_dir", "u_view_pos",
                             "u_light_pos", "u_specular_strength", "diffuse_texture_sampler",
                             "diffuse_usage_texture_sampler", "specular_texture_sampler", "normal_texture_sampler"}) {
        EXPECT_NE(glGetUniformLocation(program, name), -1) << name;
    }
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
    EXPECT_EQ(typeAt, (std::map<GLint, GLenum>{{0, GL_FLOAT_VEC3}, {1, GL_FLOAT_VEC3}, {2, GL_FLOAT_VEC2}}));
}

}  // namespace
