#include <GL/glew.h>
#include <gtest/gtest.h>

#include "core/Utils.h"
#include "support/GlWindow.h"
#include "support/TestSupport.h"

// The test window is made the way the game makes its own: the drawables rely on a 3.3 core
// context with a depth buffer.
TEST(GlContext, IsCoreThreeThreeWithDepthBuffer) {
    GLint major = 0;
    GLint minor = 0;
    GLint profile = 0;
    glGetIntegerv(GL_MAJOR_VERSION, &major);
    glGetIntegerv(GL_MINOR_VERSION, &minor);
    glGetIntegerv(GL_CONTEXT_PROFILE_MASK, &profile);
    EXPECT_GE(major * 10 + minor, 33);
    EXPECT_TRUE(profile & GL_CONTEXT_CORE_PROFILE_BIT);

    glClearColor(0.25f, 0.5f, 0.75f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    EXPECT_TRUE(testing_support::near(testing_support::readPixel(640, 360), 64, 128, 191, 2));
}

TEST(GlErrors, APendingErrorIsNamedWithItsPlace) {
    glGetError();
    glEnable(0x1234);
    testing_support::CapturedStdout out;
    CheckOpenGLError("glEnable(0x1234)", "Scene.cpp", 42);
    const std::string text = out.finish();
    EXPECT_NE(text.find("  [ERROR] ["), std::string::npos) << text;
    EXPECT_NE(text.find("] GL error 00000500 (INVALID_ENUM), at Scene.cpp:42 - for glEnable(0x1234)\n"),
              std::string::npos)
        << text;
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
