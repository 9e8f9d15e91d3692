#include <GL/glew.h>
#include <gtest/gtest.h>

#include "RenderTestKit.h"
#include "render/ProgramManager.h"

using testing_support::CapturedStdout;

namespace {

const char* const kVertex =
    "#version 330 core\nlayout(location = 0) in vec2 a_position;\nout vec2 v_position;\n"
    "void main() { v_position = a_position; gl_Position = vec4(a_position, 0.0, 1.0); }\n";
const char* const kFragment =
    "#version 330 core\nin vec2 v_position;\nout vec4 fragColor;\n"
    "void main() { fragColor = vec4(v_position, 0.0, 1.0); }\n";
// Compiles on its own, but a program without main cannot link.
const char* const kUnlinkable = "#version 330 core\nout vec4 fragColor;\nvoid paint() { fragColor = vec4(1.0); }\n";
const char* const kBroken = "#version 330 core\nvoid main() { this is not glsl }\n";
const char* const kGeometry =
    "#version 330 core\nlayout(triangles) in;\nlayout(triangle_strip, max_vertices = 3) out;\n"
    "in vec2 v_position[];\nout vec2 g_position;\n"
    "void main() { for (int i = 0; i < 3; ++i) { g_position = v_position[i]; gl_Position = gl_in[i].gl_Position;"
    " EmitVertex(); } EndPrimitive(); }\n";
const char* const kGeometryFragment =
    "#version 330 core\nin vec2 g_position;\nout vec4 fragColor;\nvoid main() { fragColor = vec4(g_position, 0, 1); }\n";

class ProgramManagerTest : public ::testing::Test {
protected:
    render_test::PackageFolder package{{{"t/plain.vs", kVertex},
                                        {"t/plain.fs", kFragment},
                                        {"t/unlinkable.fs", kUnlinkable},
                                        {"t/broken.vs", kBroken},
                                        {"t/broken.fs", kBroken},
                                        {"t/broken.gs", kBroken},
                                        {"t/pass.gs", kGeometry},
                                        {"t/geometry.fs", kGeometryFragment}}};
    ProgramManager* cache = ProgramManager::getInstance();
};

TEST_F(ProgramManagerTest, SharesOneProgramUntilTheLastReferenceIsGivenBack) {
    ASSERT_TRUE(package.ok());
    ShaderProgram* first = cache->loadProgram("t/plain.vs", "t/plain.fs", "");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(cache->loadProgram("t/plain.vs", "t/plain.fs", ""), first);
    EXPECT_EQ(first->getReferenceCount(), 2);
    const GLuint id = first->getId();

    cache->freeProgram("t/plain.vs", "t/plain.fs", "");
    EXPECT_EQ(first->getReferenceCount(), 1);
    EXPECT_TRUE(glIsProgram(id));
    cache->freeProgram("t/plain.vs", "t/plain.fs", "");
    EXPECT_FALSE(glIsProgram(id));

    CapturedStdout output;
    cache->freeProgram("t/plain.vs", "t/plain.fs", "");
    const std::string text = output.finish();
    EXPECT_EQ(text.rfind("  [ERROR] [", 0), 0u) << text;
    EXPECT_NE(text.find("] The program with key t/plain.vst/plain.fs was not found\n"), std::string::npos) << text;
}

TEST_F(ProgramManagerTest, GeometryStageIsAddedOnlyWhenNamed) {
    ASSERT_TRUE(package.ok());
    for (const char* geometry : {"", "t/pass.gs"}) {
        const char* fragment = *geometry == '\0' ? "t/plain.fs" : "t/geometry.fs";
        ShaderProgram* program = cache->loadProgram("t/plain.vs", fragment, geometry);
        ASSERT_NE(program, nullptr) << geometry;
        GLint attached = 0;
        glGetProgramiv(program->getId(), GL_ATTACHED_SHADERS, &attached);
        EXPECT_EQ(attached, *geometry == '\0' ? 2 : 3) << geometry;
        cache->freeProgram("t/plain.vs", fragment, geometry);
    }
}

TEST_F(ProgramManagerTest, FailedBuildsReturnNullAndLogEveryTime) {
    ASSERT_TRUE(package.ok());
    struct Case {
        const char* vertex;
        const char* fragment;
        const char* geometry;
        std::vector<std::string> lines;  // besides the cache's own line
    };
    const Case cases[] = {
        {"t/none.vs", "t/plain.fs", "", {"] Failed to load package file t/none.vs\n"}},
        {"t/plain.vs", "t/none.fs", "", {"] Failed to load package file t/none.fs\n"}},
        {"t/plain.vs", "t/plain.fs", "t/none.gs", {"] Failed to load package file t/none.gs\n"}},
        {"t/broken.vs", "t/plain.fs", "", {"] Unable to compile vertex shader t/broken.vs\n", "]   "}},
        {"t/plain.vs", "t/broken.fs", "", {"] Unable to compile fragment shader t/broken.fs\n", "]   "}},
        {"t/plain.vs", "t/geometry.fs", "t/broken.gs", {"] Unable to compile geometry shader t/broken.gs\n", "]   "}},
        {"t/plain.vs", "t/unlinkable.fs", "", {"] Error linking program ", "!\n", "]   "}},
    };
    for (const Case& c : cases) {
        for (int attempt = 0; attempt < 2; ++attempt) {
            SCOPED_TRACE(std::string(c.vertex) + " " + c.fragment + " " + c.geometry);
            CapturedStdout output;
            EXPECT_EQ(cache->loadProgram(c.vertex, c.fragment, c.geometry), nullptr);
            const std::string text = output.finish();
            for (const std::string& line : c.lines) {
                EXPECT_NE(text.find(line), std::string::npos) << text;
            }
            const std::string failed =
                std::string("] Failed to build program (") + c.vertex + ", " + c.fragment + ", " + c.geometry + ")\n";
            EXPECT_NE(text.find(failed), std::string::npos) << text;
        }
    }
}

}  // namespace
