#include <GL/glew.h>
#include <gtest/gtest.h>

#include "RenderTestKit.h"
#include "render/AnimatedSprite.h"
#include "render/Camera.h"
#include "render/ScreenQuad.h"
#include "render/TextureManager.h"

using render_test::expectColour;
using testing_support::Rgba;

namespace {

const Rgba kBlack = {0, 0, 0, 255};

// Cell (column, row from the bottom) of a 4 x 4 grid image.
Rgba cellColour(int column, int row) {
    return {column * 60 + 30, row * 60 + 30, 200, 255};
}

std::string gridImage() {
    std::vector<uint8_t> pixels;
    for (int i = 0; i < 16; ++i) {  // rows from the top
        const Rgba c = cellColour(i % 4, 3 - i / 4);
        pixels.insert(pixels.end(), {uint8_t(c.r), uint8_t(c.g), uint8_t(c.b), 255});
    }
    return render_test::pngBytes(4, 4, 4, pixels);
}

class ScreenQuadTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(package.ok());
        render_test::clearWindow(0, 0, 0);
    }
    void TearDown() override {
        TextureManager::getInstance()->freeTexture("img/grid.png");
        TextureManager::getInstance()->freeTexture("img/unflipped.png");
    }

    std::unique_ptr<ScreenQuad> fullWindow(bool uvOffsetMode = false) {
        auto made = std::make_unique<ScreenQuad>(0, 0, 1280, 720, "shaders/basicortho.vs", "shaders/basicortho.fs",
                                                 uvOffsetMode);
        EXPECT_TRUE(made->setup());
        made->setTexture(grid);
        return made;
    }

    render_test::PackageFolder package{
        {{"img/grid.png", gridImage()}, {"img/unflipped.png", gridImage()}, {"img/sheet.png", gridImage()}}};
    GLuint grid = TextureManager::getInstance()->loadTexture("img/grid.png", true);
    Camera camera{{0, -10, 0}, {0, 0, 1}, {0, 0, 1}, 1280, 720};
};

// One texel over the whole window reaches every pixel, and the depth test is back on after.
TEST_F(ScreenQuadTest, FullWindowQuadCoversEveryPixel) {
    auto full = fullWindow();
    full->setUV(0.1f, 0.1f, 0.1f, 0.1f);
    full->render(&camera, false);
    const std::vector<uint8_t> pixels = testing_support::readPixels(0, 0, 1280, 720);
    size_t other = 0;
    for (size_t i = 0; i < pixels.size(); i += 4) {
        other += !(pixels[i] == 30 && pixels[i + 1] == 30 && pixels[i + 2] == 200);
    }
    EXPECT_EQ(other, 0u);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
}

// Each change in turn, and its probes: window x, y -> grid column, row (black for a negative column).
TEST_F(ScreenQuadTest, UvRectanglesPickTheTexelsShown) {
    const std::vector<std::array<int, 4>> probes[] = {
        {{100, 50, 0, 0}, {1200, 700, 3, 3}, {500, 400, 1, 2}},                   // whole texture, flipped upright
        {{80, 45, 0, 0}, {720, 495, 0, 1}, {560, 315, 3, 3}, {1200, 700, 3, 3}},  // past 1 repeats
        {{80, 45, 0, 0}, {1200, 700, 3, 3}},                                      // below 0 repeats
        {{10, 10, 0, 0}, {1270, 710, 3, 3}},                                      // offset mode: 0.12 to 0.87
        {{10, 10, 1, 0}, {213, 120, 1, 0}, {640, 360, 2, 1}, {1066, 600, 3, 2}, {1270, 710, 3, 2}},     // clamped
        {{730, 520, 2, 1}, {910, 200, 1, 0}, {370, 520, 2, 3}, {100, 360, -1, 0}, {1180, 360, -1, 0}},  // turned
        {{100, 50, 0, 3}, {1200, 700, 3, 0}, {500, 400, 1, 1}}};  // unflipped: the first row at the bottom
    for (int c = 0; c < 7; ++c) {
        render_test::clearWindow(0, 0, 0);
        auto full = fullWindow(c == 3 || c == 4);
        switch (c) {
            case 1: full->setUV(0, 0, 2, 2); break;
            case 2: full->setUV(-1, -1, 0, 0); break;
            case 4: full->setUVOffset(5000, -5000); break;
            case 5: full->targetRotation = 1.5707964f, full->update(0.5f); break;  // the centre stays
            case 6: full->setTexture(TextureManager::getInstance()->loadTexture("img/unflipped.png", false)); break;
        }
        full->render(&camera, false);
        for (const auto& [x, y, column, row] : probes[c]) {
            expectColour(x, y, column < 0 ? kBlack : cellColour(column, row));
        }
    }
}

TEST_F(ScreenQuadTest, MissingProgramFailsSetupAndDrawsNothing) {
    testing_support::CapturedStdout output;
    {
        ScreenQuad broken(0, 0, 1280, 720, "shaders/none.vs", "shaders/basicortho.fs", false);
        EXPECT_FALSE(broken.setup());
        broken.setTexture(grid);
        broken.render(&camera, true);
        fullWindow()->setUVOffset(1, 1);
    }
    const std::string log = output.finish();
    EXPECT_TRUE(render_test::hasLogLine(log, "Failed to build program (shaders/none.vs, shaders/basicortho.fs, )"));
    EXPECT_TRUE(render_test::hasLogLine(log, "This ScreenQuad is not created for UV offset", "[WARNING] ["));
    EXPECT_EQ(log.find("was not found"), std::string::npos) << log;
    expectColour(640, 360, kBlack);
}

TEST_F(ScreenQuadTest, SpriteShowsEachFrameCellFromTheTopLeft) {
    AnimatedSprite sprite(0, 0, 1280, 720, "img/sheet.png", 16);
    ASSERT_TRUE(sprite.setup());
    sprite.activate(1.6f, 1);
    // Frame k: column k mod 4, row k div 4 from the top; nothing once the play is over.
    for (int frame = 0; frame <= 16; ++frame, sprite.update(0.11f)) {
        render_test::clearWindow(0, 0, 0);
        sprite.render(&camera);
        expectColour(640, 360, frame < 16 ? cellColour(frame % 4, 3 - frame / 4) : kBlack);
    }
}

}  // namespace
