#include <glm/glm.hpp>
#include <gtest/gtest.h>

#include "render/ScreenQuad.h"
#include "render/Text.h"

namespace {

TEST(Text, AreaAndDimensionsFollowTheAdvanceAndScale) {
    EXPECT_EQ(Text::dimensions("abc"), glm::vec2(60, 25));
    EXPECT_EQ(Text::dimensions(""), glm::vec2(0, 25));

    // Three characters at (100, 200), scale 2: x 100..220 by the advance, y 200..250.
    Text text(100, 200, "abc", "fonts/font1.json", 2.0f, glm::vec3(1));
    struct Case {
        float px, py;
        bool inside;
    };
    const Case cases[] = {
        {205, 225, true},  {100, 225, false}, {219, 225, true},  {220, 225, false},
        {150, 200, false}, {150, 249, true},  {150, 250, false}, {101, 201, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(text.positionInsideText(c.px, c.py), c.inside) << c.px << ", " << c.py;
    }
    text.setText("abcd");
    EXPECT_TRUE(text.positionInsideText(235, 225));
}

TEST(Text, FadeRunsOnceAndHidesForGood) {
    Text text(0, 0, "A", "fonts/font1.json", 1.0f, glm::vec3(1));
    text.setFadeToTransparent(2.0f);
    struct Step {
        float dt;
        float alpha;
        bool visible;
    };
    const Step steps[] = {{0.5f, 0.75f, true}, {1.0f, 0.25f, true}, {0.5f, 0.0f, true}, {0.1f, -0.05f, false},
                          {1.0f, -0.05f, false}};
    for (const Step& step : steps) {
        text.update(step.dt);
        EXPECT_NEAR(text.getAlpha(), step.alpha, 1e-4f);
        EXPECT_EQ(text.isVisible(), step.visible);
    }
}

TEST(ScreenQuad, RotationEasesTowardTheTargetAtTwoPerSecond) {
    struct Case {
        float target;
        float dt;
        int updates;
        float rotation;
    };
    const Case cases[] = {
        {1.0f, 0.1f, 1, 0.2f},    {1.0f, 0.1f, 2, 0.36f}, {-2.0f, 0.25f, 1, -1.0f},
        {1.0f, 0.5f, 1, 1.0f},    // reached in one half-second frame
        {1.0f, 0.75f, 1, 1.5f},   // longer frames overshoot
    };
    for (const Case& c : cases) {
        ScreenQuad quad(0, 0, 10, 10, "shaders/basicortho.vs", "shaders/basicortho.fs", false);
        quad.targetRotation = c.target;
        for (int i = 0; i < c.updates; ++i) {
            quad.update(c.dt);
        }
        EXPECT_NEAR(quad.getRotation(), c.rotation, 1e-5f);
    }
}

}  // namespace
