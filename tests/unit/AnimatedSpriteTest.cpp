#include <gtest/gtest.h>

#include "render/AnimatedSprite.h"

namespace {

// Frame timing needs no window: a sprite that is not set up counts frames all the same.
TEST(AnimatedSprite, FramesAdvanceOnePerUpdateForEveryPlay) {
    AnimatedSprite sprite(0, 0, 64, 64, "sprites/flash.png", 16);
    sprite.activate(0.2f, 1);  // 0.0125 s a frame; a long update drops its excess
    const std::pair<float, int> steps[] = {{0.0125f, 0}, {0.0001f, 1}, {0.01f, 1}, {0.01f, 2}, {1.0f, 3}};
    for (const auto& [dt, frame] : steps) {
        sprite.update(dt);
        EXPECT_EQ(sprite.getCurrentFrame(), frame) << dt;
    }
    const std::pair<int, int> plays[] = {{16, 2}, {10, 3}, {1, 1}};  // frames, plays
    for (const auto& [frameCount, count] : plays) {
        AnimatedSprite played(0, 0, 64, 64, "sprites/flash.png", frameCount);
        played.activate(1.0f, count);
        int shown = 0;
        for (; played.getPlaysLeft() > 0 && shown < 1000; ++shown) {
            played.activate(1.0f, 5);  // ignored while it plays
            played.update(2.0f);
            EXPECT_EQ(played.getCurrentFrame(), (shown + 1) % frameCount);
        }
        EXPECT_EQ(shown, frameCount * count);
        played.activate(1.0f, 1);  // once over, it plays again
        EXPECT_EQ(played.getPlaysLeft(), 1);
    }
}

}  // namespace
