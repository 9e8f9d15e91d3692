#include <GL/glew.h>
#include <gtest/gtest.h>

#include <cctype>

#include "RenderTestKit.h"
#include "render/Camera.h"
#include "render/Text.h"

using render_test::expectColour;
using testing_support::Rgba;

namespace {

// Nested keys count, numbers may carry fractions; a nested array ends the rows ("x" is one, "Z" is not).
const char* const kFont = R"({"texture": "fonts/atlas.png", "size": {"textureWidth": 64, "textureHeight": 48.0},
  "cells": {"characterWidthInTexture": 16.9, "characterHeightInTexture": 24}, "horizontalPadding": 2,
  "verticalPadding": 2.0, "rows": ["ABCD", "EFGH", ["x"], "Z"], "ignored": [true, null, 3]})";

// 4 x 2 cells of 16 x 24 pixels: cell i is cellColour(i) inside a transparent border of 2 that the padding cuts.
Rgba cellColour(int index) {
    return {40 + 25 * index, 255 - 25 * index, 128, 255};
}

std::string atlasImage() {
    std::vector<uint8_t> pixels;
    for (int i = 0; i < 64 * 48; ++i) {  // rows from the top
        const int x = i % 64, y = i / 64, on = (x % 16 < 2 || x % 16 >= 14 || y % 24 < 2 || y % 24 >= 22) ? 0 : 1;
        const Rgba c = cellColour((y / 24) * 4 + x / 16);
        pixels.insert(pixels.end(), {uint8_t(c.r * on), uint8_t(c.g * on), uint8_t(c.b * on), uint8_t(255 * on)});
    }
    return render_test::pngBytes(64, 48, 4, pixels);
}

// Expects glyph i of text at (x, y) on 15 x 25 times scale from x + 20 * scale * i, showing its
// upper-case character's cell (others show the space's point, inside cell A), black in the gaps and above.
void expectGlyphs(const std::string& text, float x, float y, float scale) {
    for (size_t i = 0; i < text.size(); ++i) {
        SCOPED_TRACE(testing::Message() << "glyph " << i << " of " << text);
        const int x0 = static_cast<int>(x + 20 * scale * static_cast<float>(i)), y0 = static_cast<int>(y);
        const size_t cell = std::string("ABCDEFGH").find(static_cast<char>(toupper(text[i])));  // ASCII only
        const Rgba colour = cellColour(cell == std::string::npos ? 0 : static_cast<int>(cell));
        expectColour(x0 + 1, y0 + 1, colour);
        expectColour(x0 + static_cast<int>(15 * scale) - 1, y0 + static_cast<int>(25 * scale) - 1, colour);
        expectColour(x0 + static_cast<int>(17.5f * scale), y0 + static_cast<int>(12 * scale), {0, 0, 0, 255});
    }
    expectColour(static_cast<int>(x) + 5, static_cast<int>(y + 25 * scale) + 2, {0, 0, 0, 255});
}

class TextDrawTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(package.ok());
        render_test::clearWindow(0, 0, 0);
    }
    render_test::PackageFolder package{
        {{"fonts/atlas.png", atlasImage()},
         {"fonts/test.json", kFont},
         {"fonts/no_atlas.json", R"({"texture": "fonts/none.png", "textureWidth": 64, "textureHeight": 48})"},
         {"fonts/broken.json", "{\"texture\": \"fonts/atlas.png\", "},
         // Far deeper than any walk may recurse; the font's own keys follow the nesting.
         {"fonts/deep.json",
          "{\"deep\": " + std::string(300000, '[') + std::string(300000, ']') + ", " + std::string(kFont).substr(1)}}};
    Camera camera{{0, -10, 0}, {0, 0, 1}, {0, 0, 1}, 1280, 720};
};

TEST_F(TextDrawTest, GlyphsAdvanceTwentyTimesScaleWithTheirUpperCaseCells) {
    Text text(100, 200, "abH e", "fonts/test.json", 2, glm::vec3(1));
    ASSERT_TRUE(text.setup());
    // What each step shows, where and at which scale, after its change.
    const std::tuple<const char*, float, float, float> steps[] = {
        {"abH e", 100, 200, 2}, {"HGFED", 100, 200, 2}, {"GFEDCBA", 300.5f, 200, 2}, {"ch", 700, 500, 3},
        {"Bad", 40, 40, 1},     {"AzQ", 40, 40, 1},     {"AzQ", 50, 60, 1}};
    std::string log;
    for (int step = 0; step < 7; ++step) {
        const auto [shown, x, y, scale] = steps[step];
        render_test::clearWindow(0, 0, 0);
        testing_support::CapturedStdout output;
        switch (step) {
            case 1:  // rebuilt in place; missing characters warn at each build
            case 5: text.setText(shown); break;
            case 2: text.setText(shown, x); break;
            case 3:
            case 4: text.setText(shown), text.setPos(x, y), text.setScale(scale, true); break;
            case 6: text.setPos(x, y); break;
        }
        log += output.finish();
        text.render(&camera);
        expectGlyphs(shown, x, y, scale);
        EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST) && !glIsEnabled(GL_BLEND));
    }
    EXPECT_NE(log.find("Character Z not found in atlas\n"), log.rfind("Character Z not found in atlas\n")) << log;
    EXPECT_TRUE(render_test::hasLogLine(log, "Character Q not found in atlas", "[WARNING] ["));
}

// Blinking texts share one phase, which every update of any text moves on by twice its time:
// the second text, updated a quarter of pi later, is drawn a quarter period of |sin| behind the
// first (a^2 + b^2 = 1), each at its alpha, tinted by its colour (green: cell A's red is gone).
TEST_F(TextDrawTest, BlinkingTextsShareOnePhase) {
    Text first(100, 100, "A", "fonts/test.json", 2, {0, 1, 0}), second(300, 100, "A", "fonts/test.json", 2, {0, 1, 0});
    ASSERT_TRUE(first.setup() && second.setup());
    first.blink = second.blink = true;
    first.update(3.14159265f / 4);
    second.update(3.14159265f / 4);
    first.render(&camera);
    second.render(&camera);
    const Rgba a = testing_support::readPixel(115, 125), b = testing_support::readPixel(315, 125);
    EXPECT_NEAR(a.g * a.g + b.g * b.g, 255 * 255, 2000);
    EXPECT_NEAR(a.g, first.getAlpha() * 255, 3);
    EXPECT_NEAR(b.g, second.getAlpha() * 255, 3);
    EXPECT_EQ(a.r + b.r, 0);
}

TEST_F(TextDrawTest, BadFontDescriptionsFailCleanly) {
    const std::pair<const char*, const char*> cases[] = {
        {"fonts/broken.json", "Failed to parse level JSON"},
        {"fonts/no_atlas.json", "Failed to load package data for fonts/none.png"}};  // set up, with no atlas
    for (const auto& [font, line] : cases) {
        testing_support::CapturedStdout output;
        {
            Text text(100, 100, "ABC", font, 1, glm::vec3(1));
            EXPECT_EQ(text.setup(), std::string(font) == "fonts/no_atlas.json") << font;
            text.setText("ABCD");
            text.render(&camera);
        }
        const std::string log = output.finish();
        EXPECT_TRUE(render_test::hasLogLine(log, line));
        EXPECT_EQ(log.find("was not found"), std::string::npos) << log;
    }
}

TEST_F(TextDrawTest, DeeplyNestedDescriptionStillSetsUp) {
    Text text(100, 100, "AB", "fonts/deep.json", 1, glm::vec3(1));
    ASSERT_TRUE(text.setup());
    text.render(&camera);
    expectGlyphs("AB", 100, 100, 1);
}

}  // namespace
