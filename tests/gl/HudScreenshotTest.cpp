// A HUD-like arrangement drawn from the game's own package, for people to look at.
#include <gtest/gtest.h>

#include "RenderTestKit.h"
#include "render/Camera.h"
#include "render/ScreenQuad.h"
#include "render/Text.h"
#include "render/TextureManager.h"
#include "support/RunAssets.h"

namespace {

TEST(HudScreenshot, ArrangementIsWrittenForReview) {
    SKIP_WITHOUT_RUN_ASSETS();
    testing_support::ScopedWorkingDirectory inside(QUENLOW_RUN_DIR);
    Camera camera({0, -10, 0}, {0, 0, 1}, {0, 0, 1}, 1280, 720);
    const struct { const char* image; int x, y, width, height; } quads[] = {
        {"textures/104382.jpg", 0, 0, 1280, 720},       {"textures/logo.png", 340, 540, 600, 131},
        {"textures/play_button.png", 537, 330, 206, 70}, {"textures/exit_button.png", 537, 240, 206, 70},
        {"textures/crosshair_1.png", 608, 110, 64, 64},  {"textures/logoicon.png", 40, 620, 32, 64},
        {"textures/life_indicator.png", 20, 20, 48, 18}, {"textures/life_indicator.png", 74, 20, 48, 18}};
    for (const auto& q : quads) {
        // The background is the window-sized quad, shown through its offset window.
        ScreenQuad quad(q.x, q.y, q.width, q.height, "shaders/basicortho.vs", "shaders/basicortho.fs", q.x == 0);
        ASSERT_TRUE(quad.setup());
        quad.setTexture(TextureManager::getInstance()->loadTexture(q.image, true));
        if (q.x == 0) quad.setUVOffset(600, 300);
        quad.render(&camera, true);
        TextureManager::getInstance()->freeTexture(q.image);
    }
    const struct { float x, y, scale; const char* text; glm::vec3 colour; } lines[] = {
        {20, 680, 1, "System 1 solar system", {1, 1, 1}}, {1000, 680, 1, "ARTEFACTS 0/9", {1, 0.85f, 0.3f}},
        {310, 440, 1.5f, "PRESS SPACE TO RESPAWN", {1, 0.3f, 0.3f}}, {1180, 5, 0.6f, "V 0.1", {0.7f, 0.7f, 0.7f}},
    };
    for (const auto& line : lines) {
        Text text(line.x, line.y, line.text, "fonts/font1.json", line.scale, line.colour);
        ASSERT_TRUE(text.setup());
        text.render(&camera);
    }
    EXPECT_TRUE(testing_support::writeScreenshot(std::string(QUENLOW_TEST_OUTPUT) + "/hud_arrangement.png"));
}

}  // namespace
