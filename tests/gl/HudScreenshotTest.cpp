// Draws a HUD-like arrangement with the game's own package and writes it to the test
// output for people to look at.
#include <unistd.h>

#include <GL/glew.h>
#include <gtest/gtest.h>

#include "RenderTestKit.h"
#include "render/AnimatedSprite.h"
#include "render/Camera.h"
#include "render/ScreenQuad.h"
#include "render/Text.h"
#include "render/TextureManager.h"

namespace {

TEST(HudScreenshot, ArrangementIsWrittenForReview) {
    if (access(QUENLOW_RUN_DIR "/data.tul", R_OK) != 0) {
        GTEST_SKIP() << "no data.tul in " QUENLOW_RUN_DIR;
    }
    testing_support::ScopedWorkingDirectory inside(QUENLOW_RUN_DIR);
    Camera camera({0, -10, 0}, {0, 0, 1}, {0, 0, 1}, 1280, 720);
    render_test::clearWindow(0, 0, 0);
    const struct { const char* image; int x, y, width, height; float rotation; } quads[] = {
        {"textures/104382.jpg", 0, 0, 1280, 720, 0},       {"textures/logo.png", 340, 540, 600, 131, 0},
        {"textures/play_button.png", 537, 330, 206, 70, 0}, {"textures/exit_button.png", 537, 240, 206, 70, 0},
        {"textures/crosshair_1.png", 608, 110, 64, 64, 0},  {"textures/logoicon.png", 40, 600, 32, 64, 0.6f},
        {"textures/life_indicator.png", 20, 20, 48, 18, 0}, {"textures/life_indicator.png", 74, 20, 48, 18, 0},
    };
    for (const auto& q : quads) {
        // The background is the window-sized quad, shown through its offset window.
        ScreenQuad quad(q.x, q.y, q.width, q.height, "shaders/basicortho.vs", "shaders/basicortho.fs", q.x == 0);
        ASSERT_TRUE(quad.setup());
        quad.setTexture(TextureManager::getInstance()->loadTexture(q.image, true));
        if (q.x == 0) quad.setUVOffset(600, 300);
        quad.targetRotation = q.rotation;
        quad.update(0.5f);
        quad.render(&camera, true);
        TextureManager::getInstance()->freeTexture(q.image);
    }
    AnimatedSprite flash(860, 200, 128, 128, "textures/explosion_1.png", 16);
    ASSERT_TRUE(flash.setup());
    flash.activate(1.6f, 1);
    for (int frame = 0; frame < 5; ++frame) flash.update(0.11f);
    glEnable(GL_BLEND);  // left to the sprite's owner, with the quads' blend function
    flash.render(&camera);
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
