#include <glm/glm.hpp>
#include <gtest/gtest.h>

#include "render/Text.h"

namespace {

TEST(Text, AreaFollowsTheAdvanceAndScaleAndFadeHidesForGood) {
    // Three characters at (100, 200), scale 2: inside is x 100..220, y 200..250, borders excluded.
    Text text(100, 200, "abc", "fonts/font1.json", 2.0f, glm::vec3(1));
    EXPECT_TRUE(text.positionInsideText(101, 201) && text.positionInsideText(219, 249));
    EXPECT_FALSE(text.positionInsideText(220, 225) || text.positionInsideText(150, 250));

    text.setFadeToTransparent(2.0f);
    const struct { float dt, alpha; bool visible; } steps[] = {
        {0.5f, 0.75f, true}, {1.5f, 0, true}, {0.1f, -0.05f, false}, {1, -0.05f, false}};
    for (const auto& step : steps) {
        text.update(step.dt);
        EXPECT_NEAR(text.getAlpha(), step.alpha, 1e-4f);
        EXPECT_EQ(text.isVisible(), step.visible);
    }
}

}  // namespace
