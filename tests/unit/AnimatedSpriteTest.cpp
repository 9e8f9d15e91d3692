#include <gtest/gtest.h>

#include "render/AnimatedSprite.h"

namespace {

// Frame timing needs no window: a sprite that is not set up counts frames all the same.
AnimatedSprite makeSprite(int frameCount) { return AnimatedSprite(0, 0, 64, 64, "sprites/flash.png", frameCount); }

TEST(AnimatedSprite, AdvancesAtMostOneFramePerUpdateOnceAFrameHasPassed) {
    struct Step {
        float dt;
        int frame;
        int playsLeft;
    };
    // 16 frames over 0.2 s: 0.0125 s each, and a timer exactly at it does not advance.
    const Step steps[] = {
        {0.0125f, 0, 1}, {0.0001f, 1, 1}, {0.01f, 1, 1}, {0.01f, 2, 1},
        {1.0f, 3, 1},  // a long frame drops its excess
    };
    AnimatedSprite sprite = makeSprite(16);
    sprite.activate(0.2f, 1);
    int index = 0;
    for (const Step& step : steps) {
        SCOPED_TRACE(index++);
        sprite.update(step.dt);
        EXPECT_EQ(sprite.getCurrentFrame(), step.frame);
        EXPECT_EQ(sprite.getPlaysLeft(), step.playsLeft);
    }
}

TEST(AnimatedSprite, PlaysEveryFrameTheRequestedNumberOfTimes) {
    struct Case {
        int frameCount;
        int plays;
    };
    const Case cases[] = {{16, 1}, {16, 2}, {10, 3}, {1, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.frameCount << " frames, " << c.plays << " plays");
        AnimatedSprite sprite = makeSprite(c.frameCount);
        sprite.update(1.0f);  // never activated: idle
        EXPECT_EQ(sprite.getPlaysLeft(), 0);
        sprite.activate(1.0f, c.plays);
        std::vector<int> shown;
        for (int i = 0; i < 1000 && sprite.getPlaysLeft() > 0; ++i) {
            sprite.activate(1.0f, 5);  // ignored while it plays
            sprite.update(2.0f);  // longer than any frame: one frame per update
            shown.push_back(sprite.getCurrentFrame());
        }
        ASSERT_EQ(shown.size(), static_cast<size_t>(c.frameCount * c.plays));
        for (size_t i = 0; i < shown.size(); ++i) {
            EXPECT_EQ(shown[i], static_cast<int>((i + 1) % static_cast<size_t>(c.frameCount)));
        }
        EXPECT_EQ(sprite.getPlaysLeft(), 0);

        // Once over, a new activation starts again from frame 0.
        sprite.activate(1.0f, 1);
        EXPECT_EQ(sprite.getPlaysLeft(), 1);
        EXPECT_EQ(sprite.getCurrentFrame(), 0);
    }
}

}  // namespace
