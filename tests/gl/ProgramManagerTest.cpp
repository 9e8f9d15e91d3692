#include <GL/glew.h>
#include <gtest/gtest.h>

#include "RenderTestKit.h"
#include "render/ProgramManager.h"

namespace {

const char *const kVs = "shaders/basicortho.vs", *const kFs = "shaders/basicortho.fs";
const char* const kBroken = "#version 330 core\nvoid main() { this is not glsl }\n";

class ProgramManagerTest : public ::testing::Test {
protected:
    // A fragment shader without main compiles, but its program cannot link.
    render_test::PackageFolder package{{{"t/unlinkable.fs", "#version 330 core\nvoid paint() {}\n"},
                                        {"t/broken.vs", kBroken}, {"t/broken.fs", kBroken}, {"t/broken.gs", kBroken}}};
    ProgramManager* cache = ProgramManager::getInstance();
};

TEST_F(ProgramManagerTest, SharesOneProgramUntilTheLastReferenceIsGivenBack) {
    ShaderProgram* first = cache->loadProgram(kVs, kFs, "");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(cache->loadProgram(kVs, kFs, ""), first);
    EXPECT_EQ(first->getReferenceCount(), 2);
    const GLuint id = first->getId();
    cache->freeProgram(kVs, kFs, "");
    EXPECT_TRUE(glIsProgram(id));
    cache->freeProgram(kVs, kFs, "");
    EXPECT_FALSE(glIsProgram(id));
    testing_support::CapturedStdout output;
    cache->freeProgram(kVs, kFs, "");
    EXPECT_TRUE(render_test::hasLogLine(output.finish(), std::string("The program with key ") + kVs + kFs +
                                                             " was not found"));
}

TEST_F(ProgramManagerTest, FailedBuildsReturnNullAndLogEveryTime) {
    const struct { const char *vertex, *fragment, *geometry, *line; bool driverSays; } cases[] = {
        {kVs, kFs, "t/none.gs", "Failed to load package file t/none.gs", false},
        {"t/broken.vs", kFs, "", "Unable to compile vertex shader t/broken.vs", true},
        {kVs, "t/broken.fs", "", "Unable to compile fragment shader t/broken.fs", true},
        {kVs, kFs, "t/broken.gs", "Unable to compile geometry shader t/broken.gs", true},
        {kVs, "t/unlinkable.fs", "", "Error linking program ", true},
    };
    for (const auto& c : cases) {
        for (int attempt = 0; attempt < 2; ++attempt) {
            testing_support::CapturedStdout output;
            EXPECT_EQ(cache->loadProgram(c.vertex, c.fragment, c.geometry), nullptr) << c.line;
            const std::string log = output.finish();
            EXPECT_NE(log.find(std::string("] ") + c.line), std::string::npos) << log;
            EXPECT_EQ(log.find("]   ") != std::string::npos, c.driverSays) << log;  // its words, indented
            EXPECT_TRUE(render_test::hasLogLine(log, std::string("Failed to build program (") + c.vertex + ", " +
                                                           c.fragment + ", " + c.geometry + ")"));
        }
    }
}

}  // namespace
