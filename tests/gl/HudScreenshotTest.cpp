// A HUD-like arrangement drawn from the game's own package, for people to look at.
#include <gtest/gtest.h>

#include "RenderTestKit.h"
#include "render/ScreenQuad.h"
#include "render/Text.h"
#include "render/TextureManager.h"
#include "support/RunAssets.h"

TEST(HudScreenshot, ArrangementIsWrittenForReview) {
    SKIP_WITHOUT_RUN_ASSETS();
    testing_support::ScopedWorkingDirectory inside(QUENLOW_RUN_DIR);
    Camera camera = render_test::lookingAt({0, -10, 0}, {0, 0, 0});
    const std::tuple<const char*, glm::ivec4> quads[] = {
        {"textures/104382.jpg", {0, 0, 1280, 720}},        {"textures/logo.png", {340, 540, 600, 131}},
        {"textures/play_button.png", {537, 330, 206, 70}}, {"textures/exit_button.png", {537, 240, 206, 70}},
        {"textures/crosshair_1.png", {608, 110, 64, 64}},  {"textures/logoicon.png", {40, 620, 32, 64}},
        {"textures/life_indicator.png", {20, 20, 48, 18}}, {"textures/life_indicator.png", {74, 20, 48, 18}}};
    for (const auto& [image, at] : quads) {
        // The background is the window-sized quad, shown through its offset window.
        ScreenQuad quad(at.x, at.y, at.z, at.w, "shaders/basicortho.vs", "shaders/basicortho.fs", at.x == 0);
        ASSERT_TRUE(quad.setup());
        quad.setTexture(TextureManager::getInstance()->loadTexture(image, true));
        at.x == 0 ? quad.setUVOffset(600, 300) : void();
        quad.render(&camera, true);
        TextureManager::getInstance()->freeTexture(image);
    }
    const std::tuple<glm::vec3, const char*, glm::vec3> lines[] = {
        {{20, 680, 1}, "System 1 solar system", {1, 1, 1}},
        {{1000, 680, 1}, "ARTEFACTS 0/9", {1, 0.85f, 0.3f}},
        {{310, 440, 1.5f}, "PRESS SPACE TO RESPAWN", {1, 0.3f, 0.3f}},
        {{1180, 5, 0.6f}, "V 0.1", {0.7f, 0.7f, 0.7f}}};
    for (const auto& [at, words, colour] : lines) {
        Text text(at.x, at.y, words, "fonts/font1.json", at.z, colour);
        ASSERT_TRUE(text.setup());
        text.render(&camera);
    }
    render_test::saveScreenshot("hud_arrangement.png");
}
