// Draws a HUD-like arrangement with the game's own images and font when the run folder
// holds them (test images otherwise) and writes it to the test output for people to look at.
#include <sys/stat.h>

#include <GL/glew.h>
#include <gtest/gtest.h>

#include "RenderTestKit.h"
#include "render/AnimatedSprite.h"
#include "render/Camera.h"
#include "render/ScreenQuad.h"
#include "render/Text.h"
#include "render/TextureManager.h"
#include "support/GlWindow.h"

namespace {

bool runFileExists(const std::string& entry) {
    struct stat info;
    return stat((std::string(QUENLOW_RUN_DIR) + "/" + entry).c_str(), &info) == 0;
}

// The run folder's file, or a stand-in image of one colour.
std::string imageEntry(const std::string& entry, uint8_t r, uint8_t g, uint8_t b) {
    if (runFileExists(entry)) {
        return testing_support::readFile(std::string(QUENLOW_RUN_DIR) + "/" + entry);
    }
    return render_test::pngBytes(1, 1, 4, {r, g, b, 255});
}

testing_support::Entries hudEntries() {
    testing_support::Entries entries = {
        {"textures/104382.jpg", imageEntry("textures/104382.jpg", 10, 10, 40)},
        {"textures/logo.png", imageEntry("textures/logo.png", 200, 120, 30)},
        {"textures/play_button.png", imageEntry("textures/play_button.png", 40, 140, 60)},
        {"textures/exit_button.png", imageEntry("textures/exit_button.png", 150, 40, 40)},
        {"textures/explore_button_hover.png", imageEntry("textures/explore_button_hover.png", 40, 90, 160)},
        {"textures/life_indicator.png", imageEntry("textures/life_indicator.png", 220, 40, 40)},
        {"textures/crosshair_1.png", imageEntry("textures/crosshair_1.png", 240, 240, 240)},
        {"textures/logoicon.png", imageEntry("textures/logoicon.png", 240, 200, 40)},
        {"textures/explosion_1.png", imageEntry("textures/explosion_1.png", 250, 150, 20)},
    };
    if (runFileExists("fonts/font1.json") && runFileExists("fonts/font1.png")) {
        entries.emplace_back("fonts/font1.json", testing_support::readFile(std::string(QUENLOW_RUN_DIR) + "/fonts/font1.json"));
        entries.emplace_back("fonts/font1.png", testing_support::readFile(std::string(QUENLOW_RUN_DIR) + "/fonts/font1.png"));
    } else {
        entries.emplace_back("fonts/font1.png", render_test::blockAtlasImage());
        entries.emplace_back("fonts/font1.json",
                             R"({"texture": "fonts/font1.png", "textureWidth": 64, "textureHeight": 48,
                                 "characterWidthInTexture": 16, "characterHeightInTexture": 24,
                                 "horizontalPadding": 2, "verticalPadding": 2, "rows": ["ABCD", "EFGH"]})");
    }
    return entries;
}

struct QuadPlacement {
    const char* image;
    int x, y, width, height;
    float rotation;
};

TEST(HudScreenshot, ArrangementIsWrittenForReview) {
    render_test::PackageFolder package(hudEntries());
    ASSERT_TRUE(package.ok());
    Camera camera(glm::vec3(0, -10, 0), glm::vec3(0, 0, 1), glm::vec3(0, 0, 1), 1280.0f, 720.0f);
    TextureManager* textures = TextureManager::getInstance();
    render_test::clearWindow(0, 0, 0);

    ScreenQuad background(0, 0, 1280, 720, "shaders/basicortho.vs", "shaders/basicortho.fs", true);
    ASSERT_TRUE(background.setup());
    background.setTexture(textures->loadTexture("textures/104382.jpg", true));
    background.setUVOffset(600, 300);
    background.render(&camera, false);

    const QuadPlacement placements[] = {
        {"textures/logo.png", 340, 540, 600, 131, 0.0f},
        {"textures/play_button.png", 537, 330, 206, 70, 0.0f},
        {"textures/exit_button.png", 537, 240, 206, 70, 0.0f},
        {"textures/explore_button_hover.png", 1050, 30, 206, 70, 0.0f},
        {"textures/crosshair_1.png", 608, 110, 64, 64, 0.0f},
        {"textures/logoicon.png", 40, 600, 32, 64, 0.6f},
        {"textures/life_indicator.png", 20, 20, 48, 18, 0.0f},
        {"textures/life_indicator.png", 74, 20, 48, 18, 0.0f},
        {"textures/life_indicator.png", 128, 20, 48, 18, 0.0f},
    };
    for (const QuadPlacement& placement : placements) {
        ScreenQuad quad(placement.x, placement.y, placement.width, placement.height, "shaders/basicortho.vs",
                        "shaders/basicortho.fs", false);
        ASSERT_TRUE(quad.setup());
        quad.setTexture(textures->loadTexture(placement.image, true));
        quad.targetRotation = placement.rotation;
        quad.update(0.5f);
        quad.render(&camera, true);
        textures->freeTexture(placement.image);
    }

    AnimatedSprite flash(860, 200, 128, 128, "textures/explosion_1.png", 16);
    ASSERT_TRUE(flash.setup());
    flash.activate(1.6f, 1);
    for (int i = 0; i < 5; ++i) {
        flash.update(0.11f);
    }
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    flash.render(&camera);
    glDisable(GL_BLEND);

    struct Line {
        float x, y;
        const char* text;
        float scale;
        glm::vec3 colour;
    };
    const Line lines[] = {
        {20, 680, "System 1 solar system", 1.0f, {1, 1, 1}},
        {1000, 680, "ARTEFACTS 0/9", 1.0f, {1, 0.85f, 0.3f}},
        {640 - Text::dimensions("PRESS SPACE TO RESPAWN").x * 0.75f, 440, "PRESS SPACE TO RESPAWN", 1.5f, {1, 0.3f, 0.3f}},
        {20, 60, "Well done! all artefacts found", 0.8f, {0.6f, 1, 0.6f}},
        {1180, 5, "V 0.1", 0.6f, {0.7f, 0.7f, 0.7f}},
    };
    for (const Line& line : lines) {
        Text text(line.x, line.y, line.text, "fonts/font1.json", line.scale, line.colour);
        ASSERT_TRUE(text.setup());
        text.render(&camera);
    }

    textures->freeTexture("textures/104382.jpg");
    const std::string path = std::string(QUENLOW_TEST_OUTPUT) + "/hud_arrangement.png";
    EXPECT_TRUE(testing_support::writeScreenshot(path)) << path;
}

}  // namespace
