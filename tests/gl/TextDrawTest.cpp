#include <GL/glew.h>
#include <gtest/gtest.h>

#include "RenderTestKit.h"
#include "render/Camera.h"
#include "render/Text.h"
#include "render/TextureManager.h"
#include "support/GlWindow.h"

using testing_support::CapturedStdout;
using testing_support::readPixel;
using testing_support::Rgba;

namespace {

using render_test::expectColour;

const char* const kRows[] = {"ABCD", "EFGH"};

// Keys nested in objects are found wherever they are; numbers may carry fractions.
const char* const kFont = R"({
  "texture": "fonts/atlas.png",
  "size": {"textureWidth": 64, "textureHeight": 48.0},
  "cells": {"characterWidthInTexture": 16.9, "characterHeightInTexture": 24},
  "horizontalPadding": 2, "verticalPadding": 2.0,
  "rows": ["ABCD", "EFGH"],
  "ignored": [true, null, 3]
})";

// A nested array clears the collecting flag: "EFGH" after it is not an atlas row.
const char* const kNestedFont = R"({
  "texture": "fonts/atlas.png", "textureWidth": 64, "textureHeight": 48,
  "characterWidthInTexture": 16, "characterHeightInTexture": 24,
  "horizontalPadding": 2, "verticalPadding": 2,
  "rows": ["ABCD", ["x"], "EFGH"]
})";

const char* const kFontWithoutAtlas = R"({"texture": "fonts/none.png", "textureWidth": 64, "textureHeight": 48,
  "characterWidthInTexture": 16, "characterHeightInTexture": 24, "rows": ["ABCD"]})";

int cellOf(char upper) {
    for (int row = 0; row < 2; ++row) {
        const char* found = strchr(kRows[row], upper);
        if (found != nullptr) {
            return row * 4 + static_cast<int>(found - kRows[row]);
        }
    }
    return 0;  // drawn like a space: the atlas point (0.1, 0.1), inside cell A here
}

const Rgba kBlack = {0, 0, 0, 255};

class TextDrawTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(package.ok());
        render_test::clearWindow(0, 0, 0);
    }

    // Checks glyph i of text at (x, y) with scale: its cell's colour across the glyph
    // (padding cut), and nothing in the gap to the next advance.
    void expectGlyphs(const std::string& text, float x, float y, float scale) {
        for (size_t i = 0; i < text.size(); ++i) {
            SCOPED_TRACE(testing::Message() << "glyph " << i << " '" << text[i] << "'");
            const int x0 = static_cast<int>(x + 20.0f * scale * static_cast<float>(i));
            const int y0 = static_cast<int>(y);
            const Rgba colour = render_test::blockCellColour(cellOf(static_cast<char>(toupper(text[i]))));
            expectColour(x0 + 1, y0 + 1, colour);
            expectColour(x0 + static_cast<int>(15 * scale) - 1, y0 + static_cast<int>(25 * scale) - 1, colour);
            expectColour(x0 + static_cast<int>(17.5f * scale), y0 + static_cast<int>(12 * scale), kBlack);
        }
    }

    render_test::PackageFolder package{{
        {"fonts/atlas.png", render_test::blockAtlasImage()},
        {"fonts/test.json", kFont},
        {"fonts/nested.json", kNestedFont},
        {"fonts/no_atlas.json", kFontWithoutAtlas},
        {"fonts/broken.json", "{\"texture\": \"fonts/atlas.png\", "},
    }};
    Camera camera{glm::vec3(0, -10, 0), glm::vec3(0, 0, 1), glm::vec3(0, 0, 1), 1280.0f, 720.0f};
};

TEST_F(TextDrawTest, GlyphsAdvanceTwentyTimesScaleWithTheirUpperCaseCells) {
    struct Case {
        const char* text;
        float x, y, scale;
    };
    const Case cases[] = {{"abH e", 100, 200, 2.0f}, {"GFEDCBA", 300.5f, 40, 1.0f}, {"ch", 700, 500, 3.0f}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        render_test::clearWindow(0, 0, 0);
        Text text(c.x, c.y, c.text, "fonts/test.json", c.scale, glm::vec3(1, 1, 1));
        ASSERT_TRUE(text.setup());
        text.render(&camera);
        expectGlyphs(c.text, c.x, c.y, c.scale);
        // Nothing above the glyphs and nothing after the last advance.
        expectColour(static_cast<int>(c.x) + 5, static_cast<int>(c.y + 25 * c.scale) + 2, kBlack);
        EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
        EXPECT_FALSE(glIsEnabled(GL_BLEND));
    }
}

TEST_F(TextDrawTest, ColourTintsAndMissingCharactersWarnAtEachBuild) {
    CapturedStdout output;
    Text text(100, 100, "AzB", "fonts/nested.json", 2.0f, glm::vec3(1, 0, 0));
    ASSERT_TRUE(text.setup());
    text.setText("AzE");  // same length: rebuilt in place
    text.render(&camera);
    const std::string log = output.finish();
    // z at each of the two builds, E because the nested array ended the rows.
    size_t warnings = 0;
    for (size_t at = log.find("] Character Z not found in atlas\n"); at != std::string::npos;
         at = log.find("] Character Z not found in atlas\n", at + 1)) {
        ++warnings;
    }
    EXPECT_EQ(warnings, 2u) << log;
    EXPECT_NE(log.find("[WARNING] ["), std::string::npos);
    EXPECT_NE(log.find("] Character E not found in atlas\n"), std::string::npos) << log;
    // Red only, and the missing characters are drawn with the space's point (cell A here).
    expectColour(115, 125, {render_test::blockCellColour(0).r, 0, 0, 255});
    expectColour(155, 125, {render_test::blockCellColour(0).r, 0, 0, 255});
}

TEST_F(TextDrawTest, SetTextPositionAndScaleRedrawTheGlyphs) {
    Text text(100, 300, "ABC", "fonts/test.json", 1.0f, glm::vec3(1));
    ASSERT_TRUE(text.setup());
    struct Step {
        const char* name;
        std::function<void(Text&)> change;
        std::string shown;
        float x, y, scale;
    };
    const Step steps[] = {
        {"same length", [](Text& t) { t.setText("HGF"); }, "HGF", 100, 300, 1},
        {"longer", [](Text& t) { t.setText("DEFGHAB"); }, "DEFGHAB", 100, 300, 1},
        {"shorter at a new x", [](Text& t) { t.setText("ba", 400); }, "ba", 400, 300, 1},
        {"moved and scaled", [](Text& t) { t.setPos(600, 100); t.setScale(2, true); }, "ba", 600, 100, 2},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        render_test::clearWindow(0, 0, 0);
        step.change(text);
        text.render(&camera);
        expectGlyphs(step.shown, step.x, step.y, step.scale);
    }
    render_test::clearWindow(0, 0, 0);
    text.setText("");
    text.render(&camera);
    expectColour(605, 105, kBlack);
}

TEST_F(TextDrawTest, BlinkAndFadeSetTheOpacity) {
    Text first(100, 100, "A", "fonts/test.json", 2.0f, glm::vec3(1));
    Text second(300, 100, "A", "fonts/test.json", 2.0f, glm::vec3(1));
    Text fading(500, 100, "A", "fonts/test.json", 2.0f, glm::vec3(1));
    ASSERT_TRUE(first.setup() && second.setup() && fading.setup());
    first.blink = true;
    second.blink = true;
    fading.setFadeToTransparent(1.0f);
    const float quarterPhase = 3.14159265f / 4.0f;  // half pi of the shared phase per update
    for (int frame = 0; frame < 3; ++frame) {
        SCOPED_TRACE(frame);
        render_test::clearWindow(0, 0, 0);
        first.update(quarterPhase);
        second.update(quarterPhase);
        first.render(&camera);
        second.render(&camera);
        // The second text is a quarter period of |sin| behind the first: a^2 + b^2 = 1.
        const float a = static_cast<float>(readPixel(115, 125).g) / 255.0f;
        const float b = static_cast<float>(readPixel(315, 125).g) / 255.0f;
        EXPECT_NEAR(a * a + b * b, 1.0f, 0.03f);
        EXPECT_NEAR(a, first.getAlpha(), 0.01f);
    }
    fading.update(0.5f);
    fading.render(&camera);
    EXPECT_NEAR(readPixel(515, 125).g, 128, 2);
    fading.update(0.6f);
    render_test::clearWindow(0, 0, 0);
    fading.render(&camera);
    expectColour(515, 125, kBlack);
}

TEST_F(TextDrawTest, BadFontDescriptionsFailCleanly) {
    struct Case {
        const char* font;
        bool setupResult;
        const char* line;
    };
    const Case cases[] = {
        {"fonts/missing.json", false, "  [ERROR] [%] Failed to parse level JSON\n"},
        {"fonts/broken.json", false, "  [ERROR] [%] Failed to parse level JSON\n"},
        {"fonts/no_atlas.json", true, "  [ERROR] [%] Failed to load package data for fonts/none.png\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.font);
        render_test::clearWindow(0, 0, 0);
        CapturedStdout output;
        {
            Text text(100, 100, "ABC", c.font, 1.0f, glm::vec3(1));
            EXPECT_EQ(text.setup(), c.setupResult);
            text.setText("ABCD");
            text.render(&camera);
        }
        const std::string log = output.finish();
        const std::string line = c.line;
        const std::string tail = line.substr(line.find("%]") + 1);
        const size_t at = log.find(tail);
        ASSERT_NE(at, std::string::npos) << log;
        // The parser's own message comes bare before a broken description's line.
        const size_t tag = log.rfind("  [ERROR] [", at);
        ASSERT_NE(tag, std::string::npos) << log;
        EXPECT_LT(at - tag, 25u) << log;
        EXPECT_EQ(log.find("was not found"), std::string::npos) << log;
    }
    EXPECT_EQ(TextureManager::getInstance()->getReferenceCount("fonts/atlas.png"), 0);
}

}  // namespace
