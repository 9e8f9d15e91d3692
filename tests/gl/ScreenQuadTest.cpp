#include <GL/glew.h>
#include <gtest/gtest.h>

#include <functional>

#include "RenderTestKit.h"
#include "render/AnimatedSprite.h"
#include "render/Camera.h"
#include "render/ScreenQuad.h"
#include "render/TextureManager.h"
#include "support/GlWindow.h"

using testing_support::CapturedStdout;
using testing_support::readPixel;
using testing_support::Rgba;

namespace {

using render_test::expectColour;

const int kGrid = 4;

// The grid image's cell at column c, row r counted from the bottom of the image.
Rgba cellColour(int column, int rowFromBottom) { return {column * 60 + 30, rowFromBottom * 60 + 30, 200, 255}; }

// A square image of kGrid x kGrid cells of cellSize pixels, rows from the top.
std::string gridImage(int cellSize) {
    const int side = kGrid * cellSize;
    std::vector<uint8_t> pixels;
    for (int row = 0; row < side; ++row) {
        for (int column = 0; column < side; ++column) {
            const Rgba colour = cellColour(column / cellSize, kGrid - 1 - row / cellSize);
            pixels.insert(pixels.end(), {static_cast<uint8_t>(colour.r), static_cast<uint8_t>(colour.g),
                                         static_cast<uint8_t>(colour.b), 255});
        }
    }
    return render_test::pngBytes(side, side, 4, pixels);
}

class ScreenQuadTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(package.ok());
        grid = TextureManager::getInstance()->loadTexture("img/grid.png", true);
        ASSERT_NE(grid, 0u);
        render_test::clearWindow(0, 0, 0);
    }
    void TearDown() override { TextureManager::getInstance()->freeTexture("img/grid.png"); }

    std::unique_ptr<ScreenQuad> makeQuad(int x, int y, int width, int height, bool uvOffsetMode = false) {
        auto quad = std::make_unique<ScreenQuad>(x, y, width, height, "shaders/basicortho.vs",
                                                 "shaders/basicortho.fs", uvOffsetMode);
        EXPECT_TRUE(quad->setup());
        quad->setTexture(grid);
        return quad;
    }

    render_test::PackageFolder package{{
        {"img/grid.png", gridImage(1)},
        {"img/sheet.png", gridImage(8)},
        {"img/rows.png", render_test::pngBytes(1, 2, 3, {255, 0, 0, 0, 0, 255})},
        {"img/rows_flipped.png", render_test::pngBytes(1, 2, 3, {255, 0, 0, 0, 0, 255})},
    }};
    Camera camera{glm::vec3(0, -10, 0), glm::vec3(0, 0, 1), glm::vec3(0, 0, 1), 1280.0f, 720.0f};
    GLuint grid = 0;
};

TEST_F(ScreenQuadTest, FullWindowQuadCoversEveryPixel) {
    auto quad = makeQuad(0, 0, 1280, 720);
    quad->setUV(0.1f, 0.1f, 0.1f, 0.1f);  // one texel everywhere
    quad->render(&camera, false);
    const std::vector<uint8_t> pixels = testing_support::readPixels(0, 0, 1280, 720);
    const Rgba expected = cellColour(0, 0);
    size_t wrong = 0;
    for (size_t i = 0; i < pixels.size(); i += 4) {
        wrong += (pixels[i] != expected.r || pixels[i + 1] != expected.g || pixels[i + 2] != expected.b) ? 1 : 0;
    }
    EXPECT_EQ(wrong, 0u);
    // The depth test is back on and vertex array 0 is bound after the draw.
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    GLint boundArray = -1;
    glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &boundArray);
    EXPECT_EQ(boundArray, 0);
}

TEST_F(ScreenQuadTest, UvRectanglesPickTheTexelsShown) {
    // Each case draws a full-window quad; the probes are pixel -> texel of the grid.
    struct Probe {
        int x, y;
        int column, row;
    };
    struct Case {
        const char* name;
        std::function<void(ScreenQuad&)> change;
        bool uvOffsetMode;
        std::vector<Probe> probes;
    };
    const Case cases[] = {
        {"whole texture", [](ScreenQuad&) {}, false, {{100, 50, 0, 0}, {1200, 700, 3, 3}, {500, 400, 1, 2}}},
        {"coordinates past 1 repeat", [](ScreenQuad& q) { q.setUV(0, 0, 2, 2); }, false,
         {{80, 45, 0, 0}, {720, 495, 0, 1}, {1200, 700, 3, 3}, {560, 315, 3, 3}}},
        {"coordinates below 0 repeat", [](ScreenQuad& q) { q.setUV(-1, -1, 0, 0); }, false,
         {{80, 45, 0, 0}, {1200, 700, 3, 3}}},
        {"offset mode starts at 0.12..0.87", [](ScreenQuad&) {}, true, {{10, 10, 0, 0}, {1270, 710, 3, 3}, {640, 360, 1, 1}}},
        {"offset clamps to the texture", [](ScreenQuad& q) { q.setUVOffset(5000, -5000); }, true,
         {{10, 10, 1, 0}, {1270, 710, 3, 2}, {213, 120, 1, 0}, {1066, 600, 3, 2}, {640, 360, 2, 1}}},
        {"setPos shows the whole texture again", [](ScreenQuad& q) { q.setUVOffset(5000, 5000); q.setPos(0, 0); }, true,
         {{100, 50, 0, 0}, {1200, 700, 3, 3}}},
        {"setPosAndUV shows from the corner", [](ScreenQuad& q) { q.setPosAndUV(0, 0, 0.5f, 0.5f); }, false,
         {{100, 50, 0, 0}, {1200, 700, 1, 1}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        render_test::clearWindow(0, 0, 0);
        auto quad = makeQuad(0, 0, 1280, 720, c.uvOffsetMode);
        c.change(*quad);
        quad->render(&camera, false);
        for (const Probe& probe : c.probes) {
            expectColour(probe.x, probe.y, cellColour(probe.column, probe.row));
        }
    }
}

TEST_F(ScreenQuadTest, QuarterTurnKeepsTheCentre) {
    auto quad = makeQuad(540, 310, 200, 100);
    quad->targetRotation = 1.5707964f;
    quad->update(0.5f);  // reaches the target in one half-second step
    quad->render(&camera, false);
    // Turned counter-clockwise about (640, 360): now 100 wide and 200 high.
    expectColour(650, 370, cellColour(2, 1));   // next to the centre, which stays in place
    expectColour(650, 450, cellColour(3, 1));   // the right end went to the top
    expectColour(593, 263, cellColour(0, 3));   // the top left corner went to the bottom left
    expectColour(687, 457, cellColour(3, 0));   // the bottom right corner went to the top right
    expectColour(720, 360, {0, 0, 0, 255});     // the old right end is empty
}

TEST_F(ScreenQuadTest, FlipPutsTheImagesFirstRowOnTopOrAtTheBottom) {
    struct Case {
        const char* name;
        bool flip;
        int x;
        Rgba bottom;
    };
    const Case cases[] = {
        {"img/rows.png", false, 100, {255, 0, 0, 255}},         // v = 0 is the first row: drawn at the bottom
        {"img/rows_flipped.png", true, 300, {0, 0, 255, 255}},  // v = 0 is the last row: upright
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto quad = makeQuad(c.x, 100, 100, 100);
        quad->setTexture(TextureManager::getInstance()->loadTexture(c.name, c.flip));
        quad->render(&camera, false);
        expectColour(c.x + 50, 120, c.bottom);
        expectColour(c.x + 50, 180, {255 - c.bottom.r, 0, 255 - c.bottom.b, 255});
        TextureManager::getInstance()->freeTexture(c.name);
    }
}

TEST_F(ScreenQuadTest, MissingProgramFailsSetupAndDrawsNothing) {
    CapturedStdout output;
    {
        ScreenQuad quad(0, 0, 1280, 720, "shaders/none.vs", "shaders/basicortho.fs", false);
        EXPECT_FALSE(quad.setup());
        quad.setTexture(grid);
        quad.render(&camera, true);
        ScreenQuad plain(0, 0, 10, 10, "shaders/basicortho.vs", "shaders/basicortho.fs", false);
        plain.setUVOffset(1, 1);
    }
    const std::string text = output.finish();
    EXPECT_NE(text.find("Failed to build program (shaders/none.vs, shaders/basicortho.fs, )"), std::string::npos);
    EXPECT_NE(text.find("[WARNING] ["), std::string::npos);
    EXPECT_NE(text.find("] This ScreenQuad is not created for UV offset\n"), std::string::npos);
    EXPECT_EQ(text.find("was not found"), std::string::npos) << text;
    expectColour(640, 360, {0, 0, 0, 255});
}

TEST_F(ScreenQuadTest, SpriteShowsEachFrameCellFromTheTopLeft) {
    AnimatedSprite sprite(0, 0, 1280, 720, "img/sheet.png", 16);
    ASSERT_TRUE(sprite.setup());
    EXPECT_EQ(TextureManager::getInstance()->getReferenceCount("img/sheet.png"), 1);
    sprite.render(&camera);
    expectColour(640, 360, {0, 0, 0, 255});  // idle: nothing drawn

    sprite.activate(1.6f, 1);  // 0.1 s per frame
    for (int frame = 0; frame < 16; ++frame) {
        SCOPED_TRACE(frame);
        render_test::clearWindow(0, 0, 0);
        sprite.render(&camera);
        // Frame k: column k mod 4, row k div 4 counted from the top of the sheet.
        expectColour(640, 360, cellColour(frame % kGrid, kGrid - 1 - frame / kGrid));
        sprite.update(0.11f);
    }
    render_test::clearWindow(0, 0, 0);
    sprite.render(&camera);
    expectColour(640, 360, {0, 0, 0, 255});  // the play is over
}

}  // namespace
