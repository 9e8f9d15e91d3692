// Every gl test draws into one shown window, opened before the first test and closed after
// the last.
#include <gtest/gtest.h>

#include "support/GlWindow.h"

namespace {
class GlEnvironment : public ::testing::Environment {
public:
    void SetUp() override { ASSERT_TRUE(testing_support::openTestWindow()) << "no OpenGL 3.3 core window"; }
    void TearDown() override { testing_support::closeTestWindow(); }
};
}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new GlEnvironment);
    return RUN_ALL_TESTS();
}
